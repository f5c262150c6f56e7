#pragma once

#include <cstdint>
#include <functional>

#include <QChar>
#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QCustomPlot;
class QKeyEvent;
class QLineEdit;
class QTimer;

namespace korvex {

class TChartControl;

// The controls of the chart tool bar that have behaviour, as laid out by the main window.
struct TChartToolBarControls {
    QLineEdit* edtRange = nullptr;    // range box: readings per page
    QLineEdit* edtCurPage = nullptr;  // page box: the page shown
    QAbstractButton* btnFirst = nullptr;
    QAbstractButton* btnPrevious = nullptr;
    QAbstractButton* btnNext = nullptr;
    QAbstractButton* btnLast = nullptr;
    QAbstractButton* btnNew = nullptr;  // the record-clearing command; may be null
    QAbstractButton* btnSave = nullptr;
    QTimer* Timer_range = nullptr;  // applies the range box one interval after the last change
    QCustomPlot* Chart1 = nullptr;
};

// Who connects the controls' signals to the tool bar's handlers.
enum class TChartToolBarWiring : std::uint8_t {
    ConnectSignals,  // the tool bar connects edtRange, Timer_range and the buttons itself
    CallerForwards,  // the window's own handlers call the public handlers below
};

// Behaviour of the chart tool bar: the range box with its key filter and delayed apply, the four
// paging buttons, Clear, and saving the chart as a bitmap through SavePictureDialog1 (created here
// as a child of Chart1). The controls and chartControl must outlive this object.
class TChartToolBar : public QObject {
    Q_OBJECT

public:
    // decimalSeparator: the system's decimal separator; its first character may be typed into the
    // range box (none when it is empty). clearRecords runs the record-clearing command for btnNew;
    // btnNew and clearRecords may be left empty when the window binds btnNew itself. The key filter
    // of the range box is installed with either wiring.
    TChartToolBar(const TChartToolBarControls& controls, TChartControl& chartControl,
                  std::function<void()> clearRecords, const QString& decimalSeparator,
                  TChartToolBarWiring wiring = TChartToolBarWiring::ConnectSignals, QObject* parent = nullptr);

    TChartToolBar(const TChartToolBar&) = delete;
    TChartToolBar& operator=(const TChartToolBar&) = delete;
    ~TChartToolBar() override;

    // Made on first use: a file dialog takes longer to build than the rest of the window's start.
    QFileDialog& SavePictureDialog1();

public slots:
    void edtRangeChange();
    void Timer_rangeTimer();
    void btnFirstClick();
    void btnPreviousClick();
    void btnNextClick();
    void btnLastClick();
    void btnNewClick();
    // A file that cannot be written throws std::runtime_error for the application's error report.
    void btnSaveClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the event must not reach the range box.
    bool FilterRangeBox(QObject* watched, QEvent* event) const;
    bool edtRangeKeyPress(const QKeyEvent& key) const;
    bool MayType(QChar typed) const;
    void ShowPage(int page);

    TChartToolBarControls mControls;
    TChartControl& mChartControl;
    std::function<void()> mClearRecords;
    QChar mDecimalChar;
    QPointer<QFileDialog> mSavePictureDialog1;
};

}  // namespace korvex
