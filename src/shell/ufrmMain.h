#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>

#include "meter/MeterDecoder.h"
#include "meter/MeterState.h"
#include "meter/MeterView.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QSessionManager;
class QSplitter;
class QTableView;
class QTimer;
class QToolButton;

namespace korvex {

class TCComm;
class TCEdit;
class TChartControl;
class TChartToolBar;
class TCP2110;
class TMeterPanel;
class TRecordGridModel;
class TRecordReport;
class TRecordSampling;
class TStatisticsWindow;
class TTable;
class TTrendPlot;

// The main window frmMain: holds every control, owns the meter state and its decoder, and mirrors the
// decoded frames on the meter panel.
class TfrmMain : public QMainWindow, public IMeterView {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    TMeterState& MeterState() { return m_state; }
    TMeterDecoder& Decoder() { return *m_decoder; }

    // Asks the quit question; true only when the answer is Yes.
    bool FormCloseQuery();
    // The session is ending (log-off, shut-down): asks the quit question. A Yes lets the closing that ends
    // this session go without asking again, and holds for that closing only.
    bool QueryEndSession();
    // The session is ending and allows no question: its closing goes without asking, as after a Yes.
    void SessionEndsWithoutAsking();

    TCP2110& CP21101() { return *m_CP21101; }
    // The serial link: its bytes go to the decoder's serial handler; no control opens it.
    TCComm& CComm1() { return *m_CComm1; }
    // Opens CComm1 on port; a failure goes to the standard error report.
    void OpenSerialLink(const QString& port);
    TTable& cds1() { return *m_cds1; }
    TChartControl& ChartControl() { return *m_ChartControl; }
    TRecordSampling& Sampling() { return *m_sampling; }
    TRecordReport& frxReport1() { return *m_frxReport1; }

    TMeterPanel* pnlLcd() const { return m_pnlLcd; }
    QFrame* Panel1() const { return m_Panel1; }
    QFrame* Panel4() const { return m_Panel4; }
    QFrame* pnlChartParent() const { return m_pnlChartParent; }
    QFrame* Panel5() const { return m_Panel5; }
    QSplitter* Splitter1() const { return m_Splitter1; }
    QToolButton* btnConnect() const { return m_btnConnect; }
    QComboBox* cbbDevices() const { return m_cbbDevices; }
    QCheckBox* cbRepeat() const { return m_cbRepeat; }
    QCheckBox* cbInterval() const { return m_cbInterval; }
    TCEdit* edtRecInterval() const { return m_edtRecInterval; }
    QToolButton* btnRecordNew() const { return m_btnRecordNew; }
    QToolButton* btnRecordOpen() const { return m_btnRecordOpen; }
    QToolButton* btnRecordSave() const { return m_btnRecordSave; }
    QToolButton* btnRecordPrint() const { return m_btnRecordPrint; }
    QToolButton* btnRecordStatistics() const { return m_btnRecordStatistics; }
    // The statistics window, once the button has opened it.
    TStatisticsWindow* frmStatistics() const { return m_frmStatistics; }
    QToolButton* btnRecordFly() const { return m_btnRecordFly; }
    QToolButton* btnGridZoomout() const { return m_btnGridZoomout; }
    QTableView* DBGrid1() const { return m_DBGrid1; }
    TCEdit* edtRange() const { return m_edtRange; }
    QToolButton* btnFirst() const { return m_btnFirst; }
    QToolButton* btnPrevious() const { return m_btnPrevious; }
    TCEdit* edtCurPage() const { return m_edtCurPage; }
    QToolButton* btnNext() const { return m_btnNext; }
    QToolButton* btnLast() const { return m_btnLast; }
    QToolButton* btnNew() const { return m_btnNew; }
    QToolButton* btnSave() const { return m_btnSave; }
    QToolButton* btnFly() const { return m_btnFly; }
    QToolButton* btnChartZoomOut() const { return m_btnChartZoomOut; }
    TTrendPlot* Chart1() const { return m_Chart1; }
    QTimer* timerDisconectedUSB() const { return m_timerDisconectedUSB; }
    QTimer* Timer_range() const { return m_Timer_range; }
    QTimer* timerInputDelay() const { return m_timerInputDelay; }
    QTimer* timerInterval() const { return m_timerInterval; }

    // IMeterView
    void UpdatePanel(PanelUpdate update, const TMeterState& state) override;
    int ChartAddValue(double value) override;
    void ChartSetVerticalMin(double value) override;
    void ChartSetVerticalMax(double value) override;
    void SetCurrentPageText(const std::string& text) override;
    bool RepeatTicked() const override;
    bool IntervalTimerEnabled() const override;
    void AppendRecord(const TMeterState& state) override;
    void ToggleConnectionPicture() override;
    void RestartWatchdog() override;

public slots:
    // Connection control and the bridge link's events.
    void btnConnectClick();
    void CP21101Connect();
    void CP21101Disconnect();
    void CP21101Error(std::uint32_t ErrorCode, const QString& ErrorMsg);
    void CP21101Removal();
    void CP21101DeviceChange();
    void timerDisconectedUSBTimer();
    // The record tool bar; the sampling controls and the chart tool bar have handlers of their own.
    void btnRecordNewClick();
    void btnRecordOpenClick();
    void btnRecordSaveClick();
    void btnRecordPrintClick();
    void btnRecordStatisticsClick();
    void btnRecordFlyClick();
    void btnGridZoomoutClick();
    void btnFlyClick();
    void btnChartZoomOutClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void RefreshDeviceList();
    void CreateRecordTable();
    void CreateChartControl();
    void CreateLink();
    void commitDataRequest(QSessionManager& manager);
    void AfterFullWindow();
    void ForgetLogOffAnswer();
    void ConfirmLogOff();
    // Started with --serial: the connection button drives the serial link instead of the bridge.
    bool m_serialLink = false;

    QFrame* CreatePanel3();
    int LeftColumnWidth() const;
    QWidget* DialogOwner();
    void ShowConnectionButton(bool connected);
    QFrame* CreatePanel1();
    QFrame* CreatePanel5();
    QFrame* CreateToolBar4();
    QFrame* CreateToolBar2();
    void CreateTimers();
    void ConnectHandlers();

    TMeterState m_state;
    std::unique_ptr<TMeterDecoder> m_decoder;
    std::unique_ptr<TCP2110> m_CP21101;
    std::unique_ptr<TCComm> m_CComm1;
    std::unique_ptr<TTable> m_cds1;
    std::unique_ptr<TRecordGridModel> m_gridModel;
    std::unique_ptr<TRecordSampling> m_sampling;
    std::unique_ptr<TChartControl> m_ChartControl;
    std::unique_ptr<TChartToolBar> m_chartToolBar;
    std::unique_ptr<TRecordReport> m_frxReport1;
    // A close of the window was asked for while a full-window view was open.
    bool m_closeAfterView = false;
    // The quit question of a log-off under way was answered Yes.
    bool m_logOffConfirmed = false;
    // The application's quit that ends the session is closing the windows.
    bool m_sessionQuitting = false;

    TMeterPanel* m_pnlLcd = nullptr;
    QFrame* m_Panel1 = nullptr;
    QFrame* m_Panel4 = nullptr;
    QFrame* m_pnlChartParent = nullptr;
    QFrame* m_Panel5 = nullptr;
    QSplitter* m_Splitter1 = nullptr;
    QToolButton* m_btnConnect = nullptr;
    QComboBox* m_cbbDevices = nullptr;
    QCheckBox* m_cbRepeat = nullptr;
    QCheckBox* m_cbInterval = nullptr;
    TCEdit* m_edtRecInterval = nullptr;
    QToolButton* m_btnRecordNew = nullptr;
    QToolButton* m_btnRecordOpen = nullptr;
    QToolButton* m_btnRecordSave = nullptr;
    QToolButton* m_btnRecordPrint = nullptr;
    QToolButton* m_btnRecordStatistics = nullptr;
    TStatisticsWindow* m_frmStatistics = nullptr;
    QToolButton* m_btnRecordFly = nullptr;
    QToolButton* m_btnGridZoomout = nullptr;
    QTableView* m_DBGrid1 = nullptr;
    TCEdit* m_edtRange = nullptr;
    QToolButton* m_btnFirst = nullptr;
    QToolButton* m_btnPrevious = nullptr;
    TCEdit* m_edtCurPage = nullptr;
    QToolButton* m_btnNext = nullptr;
    QToolButton* m_btnLast = nullptr;
    QToolButton* m_btnNew = nullptr;
    QToolButton* m_btnSave = nullptr;
    QToolButton* m_btnFly = nullptr;
    QToolButton* m_btnChartZoomOut = nullptr;
    TTrendPlot* m_Chart1 = nullptr;
    QTimer* m_timerDisconectedUSB = nullptr;
    QTimer* m_Timer_range = nullptr;
    QTimer* m_timerInputDelay = nullptr;
    QTimer* m_timerInterval = nullptr;
};

}  // namespace korvex
