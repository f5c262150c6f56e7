#pragma once

#include <QFrame>
#include <QHash>
#include <QSize>

#include "meter/MeterState.h"
#include "meter/MeterView.h"

class QLabel;
class QProgressBar;

namespace korvex {

class TCEdit;

// The virtual meter panel pnlLcd: mirrors the meter's display. It keeps no reading state of its own;
// every change arrives as a panel update together with the meter state it reads.
class TMeterPanel : public QFrame {
    Q_OBJECT
public:
    explicit TMeterPanel(QWidget* parent = nullptr);

    // Runs one panel update with the fields of state that it reads.
    void Apply(PanelUpdate update, const TMeterState& state);
    // A received chunk: CONok and then CONokN swap their visibility.
    void ToggleConnectionPicture();

    TCEdit* lcdMDisp() const { return m_lcdMDisp; }
    TCEdit* lcdSDisp() const { return m_lcdSDisp; }
    QLabel* lcdRS232() const { return m_lcdRS232; }
    QProgressBar* lcdBar() const { return m_lcdBar; }

public slots:
    void lcdMDispEnter();
    void lcdSDispEnter();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateReadouts();
    void CreateIndicators();
    void CreateBatteryAndLink();
    void CreateSorting();
    void CreateBarPanel();
    QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                     const QFont& font, bool shown);
    static void FitCaption(QLabel* label, const QSize& designSize);

    void ShowBattery(const TMeterState& state);
    void ShowFrequency(const TMeterState& state);
    void ShowTolerance(const TMeterState& state);
    void ShowMainMode(const TMeterState& state);
    void ShowMainUnit(const TMeterState& state);
    void ShowMainReadout(const TMeterState& state);
    void ShowSubMode(const TMeterState& state);
    void ShowSubUnit(const TMeterState& state);
    void ShowSubReadout(const TMeterState& state);
    void SetBarMaximum(std::int32_t maximum);
    void ShowBarPosition(std::int32_t position);
    void PassFocusOn(QWidget* readout);

    TCEdit* m_lcdMDisp = nullptr;
    TCEdit* m_lcdSDisp = nullptr;
    QLabel* m_lcdMMode = nullptr;
    QLabel* m_lcdMUnit = nullptr;
    QLabel* m_lcdSMod = nullptr;
    QLabel* m_lcdSUnit = nullptr;
    QLabel* m_lcdFREQ = nullptr;
    QLabel* m_lcdHold = nullptr;
    QLabel* m_lcdRel = nullptr;
    QLabel* m_lcdLCR = nullptr;
    QLabel* m_lcdAuto = nullptr;
    QLabel* m_lcdBat[3] = {};
    QLabel* m_lcdSorting = nullptr;
    QLabel* m_lcdTol = nullptr;
    QLabel* m_lcdJianhao = nullptr;
    QLabel* m_lcdJiahao = nullptr;
    QLabel* m_lcdSortp = nullptr;
    QLabel* m_lcdRS232 = nullptr;
    QLabel* m_CONok = nullptr;
    QLabel* m_CONokN = nullptr;
    QWidget* m_pnlBar = nullptr;
    QProgressBar* m_lcdBar = nullptr;
    // Captions created hidden and not yet measured, with their design sizes.
    QHash<QObject*, QSize> m_unmeasured;
};

}  // namespace korvex
