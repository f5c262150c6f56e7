#pragma once

#include <QDialog>
#include <memory>
#include <string>

class QAbstractItemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace korvex {

class TDeviationHistogram;
class TRecordStatistics;
class TTable;

// The window "Statistics" (frmStatistics), not modal: the record table's readings per main function and
// a check of them against a nominal value. It follows the table through the grid's model (rows logged or
// opened, Clear). Its figures take each row as it comes; what it shows is redrawn at most once per
// timerRefresh period and only while it is open, so logging with the window open costs next to nothing.
// The nominal value, the tolerance and the window's place are remembered between runs.
class TStatisticsWindow : public QDialog {
    Q_OBJECT
public:
    // `decimalSep` is the separator the readings were written with, as the table holds it (Windows-1252).
    TStatisticsWindow(const TTable& table, QAbstractItemModel& rows, const std::string& decimalSep,
                      QWidget* parent = nullptr);
    ~TStatisticsWindow() override;

    const TRecordStatistics& Statistics() const { return *statistics_; }
    // Shows the figures as they are now; timerRefresh calls it.
    void Refresh();
    // Puts the statistics on the clipboard as tab-separated text.
    void btnCopyClick();

    QTableWidget* grdStatistics() const { return grdStatistics_; }
    QLineEdit* edtNominal() const { return edtNominal_; }
    QLineEdit* edtTolerance() const { return edtTolerance_; }
    QLabel* lblHint() const { return lblHint_; }
    QLabel* lblCheck() const { return lblCheck_; }
    TDeviationHistogram* pnlHistogram() const { return pnlHistogram_; }
    QPushButton* btnCopy() const { return btnCopy_; }
    QTimer* timerRefresh() const { return timerRefresh_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void RowsInserted(int first, int last);
    void RowsReset();
    void ToleranceEdited();
    void FiguresChanged();
    void ShowReadings();
    void ShowCheck();
    void SetCell(int row, int column, const QString& text);
    void PlaceBesideParent();
    void RememberEntries() const;

    QAbstractItemModel& rows_;
    std::string displaySep_;  // UTF-8
    std::unique_ptr<TRecordStatistics> statistics_;
    bool placed_ = false;

    QTableWidget* grdStatistics_ = nullptr;
    QLineEdit* edtNominal_ = nullptr;
    QLineEdit* edtTolerance_ = nullptr;
    QLabel* lblHint_ = nullptr;
    QLabel* lblCheck_ = nullptr;
    TDeviationHistogram* pnlHistogram_ = nullptr;
    QPushButton* btnCopy_ = nullptr;
    QTimer* timerRefresh_ = nullptr;
};

}  // namespace korvex
