#include "shell/ufrmMain.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <vector>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QSessionManager>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include "chart/ChartToolBar.h"
#include "chart/TrendChartStyle.h"
#include "chart/TrendPlot.h"
#include "chart/uCharControl.h"
#include "display/ArialFont.h"
#include "display/MeterPanel.h"
#include "display/WindowFont.h"
#include "links/CComm.h"
#include "links/uCP2110.h"
#include "records/ui/RecordClear.h"
#include "records/ui/RecordFileCommands.h"
#include "records/ui/RecordGrid.h"
#include "records/ui/RecordGridView.h"
#include "records/ui/RecordReport.h"
#include "records/RecordGridModel.h"
#include "records/ui/RecordSampling.h"
#include "records/ui/StatisticsWindow.h"
#include "records/RecordTable.h"
#include "meter/Windows1252.h"
#include "widgets/CControls.h"
#include "shell/ConnectionMessages.h"
#include "shell/ImageList.h"
#include "shell/uMySuper.h"
#include "widgets/ErrorReport.h"
#include "widgets/NewMsgDlg.h"
#include "widgets/FrameCentring.h"
#include "widgets/Guarded.h"

namespace korvex {

namespace {

const char* const ModelName = "Korvex";
const char* const Version = "1.01";


// Column widths of the grid in its full-window view, by column.
const int GridViewColumnWidths[] = {60, 150, 60, 60, 60, 120, 120, 80, 80};

void ShowNotice(const QString& text)
{
    MessageDialog(text, mtInformation, ButtonSet({mbOK}), 0);
}

void ShowNotice(const char* text)
{
    ShowNotice(QString::fromLatin1(text));
}

// Disconnects the link; an error that a data handler raised during the stop goes to the error report, so
// the caller's own steps still run.
void DisconnectReportingErrors(TCP2110& link)
{
    try {
        link.Disconnect();
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportException(std::runtime_error("Unknown error"));
    }
}

// A lowered outer and a raised inner bevel, one pixel each: an etched two-pixel frame.
const int BevelledFrame = QFrame::Box | QFrame::Sunken;

QFrame* MakePanel(const char* name, QWidget* parent, int shape)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(shape);
    return panel;
}

QToolButton* MakeToolButton(const char* name, QWidget* parent, int image, const char* hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(ToolImage(image));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(23, 22);
    button->setAutoRaise(true);
    if (hint)
        button->setToolTip(QLatin1String(hint));
    return button;
}

TCEdit* MakeEdit(const char* name, QWidget* parent, const char* text, TAlignment alignment, int width)
{
    auto* edit = new TCEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->SetAlignment(alignment);
    edit->setText(QLatin1String(text));
    edit->setFixedSize(width, 22);
    return edit;
}

QWidget* Separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    line->setFixedWidth(8);
    return line;
}

QFrame* MakeToolBar(const char* name, QWidget* parent, int height)
{
    auto* bar = new QFrame(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setFixedHeight(height);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 2, 0, 0);
    row->setSpacing(0);
    return bar;
}

QFont ToolBarCheckFont()
{
    return ArialFont(11, false);
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setFont(WindowFont());
    setWindowIcon(ApplicationIcon());

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(CreatePanel3());
    m_Splitter1 = new QSplitter(Qt::Horizontal, central);
    m_Splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_Splitter1->setHandleWidth(3);
    m_Splitter1->setChildrenCollapsible(false);
    m_Splitter1->addWidget(CreatePanel1());
    m_Splitter1->addWidget(CreatePanel5());
    // A wider window widens the chart side; the left column keeps its width.
    m_Splitter1->setStretchFactor(0, 0);
    m_Splitter1->setStretchFactor(1, 1);
    column->addWidget(m_Splitter1, 1);
    setCentralWidget(central);

    CreateTimers();
    ConnectHandlers();
    m_sampling = std::make_unique<TRecordSampling>(*m_cbRepeat, *m_cbInterval, *m_edtRecInterval, *m_timerInputDelay,
                                                   *m_timerInterval, m_state);

    // 940 x 661 is the outer size, frame included, centred on the screen by that size.
    new TFrameCentring(*this, QSize(940, 661), [](const QWidget& window) {
        const QScreen* display = window.screen();
        return display ? display->availableGeometry() : QRect();
    });

    m_decoder = std::make_unique<TMeterDecoder>(m_state, *this);
    CreateLink();
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::commitDataRequest, this, Guarded(this, &TfrmMain::commitDataRequest));

    FormCreate();
    // Once the grid has its columns.
    const int left = LeftColumnWidth();
    m_Splitter1->setSizes({left, width() - left - m_Splitter1->handleWidth()});
}

TfrmMain::~TfrmMain()
{
    FormDestroy();
    // The link's events and the grid's view point into the window: let them go before the parts they use.
    m_CP21101.reset();
    m_CComm1.reset();
    m_chartToolBar.reset();
    delete m_frmStatistics;
    // The grid goes before its model (taking the model away first would have it lay itself out again).
    delete m_DBGrid1;
    m_DBGrid1 = nullptr;
    m_gridModel.reset();
}

// A dialog opened from a tool bar belongs to the window the user sees it from: the full-window view while
// one is open, so a window manager keeps the dialog above the maximised view it blocks.
QWidget* TfrmMain::DialogOwner()
{
    if (TfrmSuperContainer* view = frmSuperContainer())
        return view;
    return this;
}

// The left column is 457 pixels wide, or as wide as the grid needs to show every column whole beside its
// vertical scroll bar, so no reading is cut and nobody has to scroll sideways.
int TfrmMain::LeftColumnWidth() const
{
    int columns = 0;
    for (int c = 0; c < m_DBGrid1->model()->columnCount(); ++c)
        columns += m_DBGrid1->columnWidth(c);
    const int scrollBar = m_DBGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_DBGrid1);
    const QMargins margins = m_Panel4->layout()->contentsMargins();
    const int chrome = 2 * m_DBGrid1->frameWidth() + 2 * m_Panel4->frameWidth() + margins.left() + margins.right();
    return std::max(457, columns + scrollBar + chrome);
}

QFrame* TfrmMain::CreatePanel3()
{
    QFrame* panel = MakePanel("Panel3", this, BevelledFrame);
    panel->setFixedHeight(33);

    m_btnConnect = new QToolButton(panel);
    m_btnConnect->setObjectName(QStringLiteral("btnConnect"));
    m_btnConnect->setText(QStringLiteral("Connection"));
    m_btnConnect->setCheckable(true);
    m_btnConnect->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_btnConnect->setGeometry(7, 3, 106, 24);

    m_cbbDevices = new QComboBox(panel);
    m_cbbDevices->setObjectName(QStringLiteral("cbbDevices"));
    m_cbbDevices->setEditable(false);
    m_cbbDevices->setGeometry(119, 5, 146, 21);
    m_cbbDevices->hide();
    return panel;
}

QFrame* TfrmMain::CreatePanel1()
{
    m_Panel1 = MakePanel("Panel1", this, QFrame::NoFrame);
    auto* column = new QVBoxLayout(m_Panel1);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    QFrame* panel2 = MakePanel("Panel2", m_Panel1, BevelledFrame);
    panel2->setFixedHeight(249);
    auto* lcdFrame = new QVBoxLayout(panel2);
    lcdFrame->setContentsMargins(0, 0, 0, 0);
    m_pnlLcd = new TMeterPanel(panel2);
    lcdFrame->addWidget(m_pnlLcd);
    column->addWidget(panel2);

    m_Panel4 = MakePanel("Panel4", m_Panel1, QFrame::Panel | QFrame::Sunken);
    auto* gridColumn = new QVBoxLayout(m_Panel4);
    gridColumn->setContentsMargins(1, 1, 1, 1);
    gridColumn->setSpacing(0);
    gridColumn->addWidget(CreateToolBar4());

    m_DBGrid1 = new TRecordGridView(m_Panel4);
    m_DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    gridColumn->addWidget(m_DBGrid1, 1);
    column->addWidget(m_Panel4, 1);
    // While the grid is in its full-window view, the meter panel stays at the top.
    column->addStretch(0);
    return m_Panel1;
}

QFrame* TfrmMain::CreateToolBar4()
{
    QFrame* bar = MakeToolBar("ToolBar4", this, 26);
    auto* row = static_cast<QHBoxLayout*>(bar->layout());

    m_cbRepeat = new QCheckBox(QStringLiteral("Repeat"), bar);
    m_cbRepeat->setObjectName(QStringLiteral("cbRepeat"));
    m_cbRepeat->setChecked(true);
    m_cbRepeat->setMinimumWidth(89);
    m_cbInterval = new QCheckBox(QStringLiteral("Sampling Interval"), bar);
    m_cbInterval->setObjectName(QStringLiteral("cbInterval"));
    m_cbInterval->setMinimumWidth(104);
    for (QCheckBox* box : {m_cbRepeat, m_cbInterval}) {
        // Wider than its design width only where the substitute for Arial needs it.
        box->setFont(ToolBarCheckFont());
        box->setFixedWidth(std::max(box->minimumWidth(), box->sizeHint().width()));
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        box->setPalette(palette);
        row->addWidget(box);
    }
    m_edtRecInterval = MakeEdit("edtRecInterval", bar, "1", taRightJustify, 40);
    row->addWidget(m_edtRecInterval);
    auto* unit = new QLabel(QStringLiteral(" S  "), bar);
    unit->setObjectName(QStringLiteral("TntLabel1"));
    unit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    row->addWidget(unit);
    row->addWidget(Separator(bar));

    m_btnRecordNew = MakeToolButton("btnRecordNew", bar, 4, "Clear");
    m_btnRecordOpen = MakeToolButton("btnRecordOpen", bar, 8, "Open");
    m_btnRecordSave = MakeToolButton("btnRecordSave", bar, 5, "Save");
    m_btnRecordPrint = MakeToolButton("btnRecordPrint", bar, 10, "Print");
    m_btnRecordStatistics = MakeToolButton("btnRecordStatistics", bar, 0, "Statistics");
    m_btnRecordStatistics->setIcon(StatisticsImage());
    // Narrows first when the left column is made narrow, so the bar needs no more width than before it.
    m_btnRecordStatistics->setMinimumWidth(1);
    m_btnRecordFly = MakeToolButton("btnRecordFly", bar, 14, nullptr);
    m_btnGridZoomout = MakeToolButton("btnGridZoomout", bar, 15, nullptr);
    m_btnGridZoomout->hide();
    for (QToolButton* button : {m_btnRecordNew, m_btnRecordOpen, m_btnRecordSave, m_btnRecordPrint,
                                m_btnRecordStatistics, m_btnRecordFly, m_btnGridZoomout})
        row->addWidget(button);
    row->addStretch(1);
    return bar;
}

QFrame* TfrmMain::CreatePanel5()
{
    QFrame* panel5 = m_Panel5 = MakePanel("Panel5", this, BevelledFrame);
    auto* fill = new QVBoxLayout(panel5);
    fill->setContentsMargins(0, 0, 0, 0);

    m_pnlChartParent = MakePanel("pnlChartParent", panel5, QFrame::NoFrame);
    auto* column = new QVBoxLayout(m_pnlChartParent);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(CreateToolBar2());
    m_Chart1 = new TTrendPlot(m_pnlChartParent);
    m_Chart1->setObjectName(QStringLiteral("Chart1"));
    column->addWidget(m_Chart1, 1);
    fill->addWidget(m_pnlChartParent);
    return panel5;
}

QFrame* TfrmMain::CreateToolBar2()
{
    QFrame* bar = MakeToolBar("ToolBar2", this, 27);
    auto* row = static_cast<QHBoxLayout*>(bar->layout());

    auto* fill = new QCheckBox(QStringLiteral("Fill"), bar);
    fill->setObjectName(QStringLiteral("cbFill"));
    fill->setChecked(true);
    fill->hide();
    row->addWidget(fill);
    m_edtRange = MakeEdit("edtRange", bar, "100", taRightJustify, 35);
    m_edtRange->setToolTip(QStringLiteral("Range"));
    row->addWidget(m_edtRange);
    row->addWidget(Separator(bar));

    m_btnFirst = MakeToolButton("btnFirst", bar, 0, "First");
    m_btnPrevious = MakeToolButton("btnPrevious", bar, 1, "Previous");
    row->addWidget(m_btnFirst);
    row->addWidget(m_btnPrevious);

    m_edtCurPage = MakeEdit("edtCurPage", bar, "1", taCenter, 35);
    m_edtCurPage->setToolTip(QStringLiteral("CurrentPage"));
    m_edtCurPage->setReadOnly(true);
    m_edtCurPage->setFrame(false);
    m_edtCurPage->setCursor(Qt::ArrowCursor);
    QPalette facePalette = m_edtCurPage->palette();
    facePalette.setColor(QPalette::Base, facePalette.color(QPalette::Button));
    m_edtCurPage->setPalette(facePalette);
    row->addWidget(m_edtCurPage);

    m_btnNext = MakeToolButton("btnNext", bar, 2, "Next");
    m_btnLast = MakeToolButton("btnLast", bar, 3, "Last");
    row->addWidget(m_btnNext);
    row->addWidget(m_btnLast);
    row->addWidget(Separator(bar));

    m_btnNew = MakeToolButton("btnNew", bar, 4, "Clear");
    m_btnSave = MakeToolButton("btnSave", bar, 5, "Save");
    m_btnFly = MakeToolButton("btnFly", bar, 14, nullptr);
    m_btnChartZoomOut = MakeToolButton("btnChartZoomOut", bar, 15, nullptr);
    m_btnChartZoomOut->hide();
    for (QToolButton* button : {m_btnNew, m_btnSave, m_btnFly, m_btnChartZoomOut})
        row->addWidget(button);
    row->addWidget(Separator(bar));

    // Page entry controls of the chart bar that are never shown.
    auto* pageCaption = new QLabel(QStringLiteral("   Page: "), bar);
    pageCaption->setObjectName(QStringLiteral("Panel6"));
    pageCaption->setFixedWidth(37);
    pageCaption->hide();
    row->addWidget(pageCaption);
    TCEdit* page = MakeEdit("edtPage", bar, "1", taRightJustify, 35);
    page->setToolTip(QStringLiteral("GotoPage"));
    page->setFrame(false);
    page->hide();
    row->addWidget(page);
    QToolButton* goPage = MakeToolButton("btnGoPage", bar, 11, "GotoPage");
    goPage->hide();
    row->addWidget(goPage);
    row->addStretch(1);
    return bar;
}

void TfrmMain::CreateTimers()
{
    auto makeTimer = [this](const char* name, int interval, bool singleShot) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QLatin1String(name));
        timer->setInterval(interval);
        timer->setSingleShot(singleShot);
        return timer;
    };
    m_timerDisconectedUSB = makeTimer("timerDisconectedUSB", 10000, true);
    m_Timer_range = makeTimer("Timer_range", 1000, true);
    m_timerInputDelay = makeTimer("timerInputDelay", 1000, true);
    m_timerInterval = makeTimer("timerInterval", 1000, false);
}

void TfrmMain::ConnectHandlers()
{
    connect(m_btnConnect, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnConnectClick));
    connect(m_timerDisconectedUSB, &QTimer::timeout, this, Guarded(this, &TfrmMain::timerDisconectedUSBTimer));
    connect(m_btnRecordNew, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnRecordNewClick));
    connect(m_btnNew, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnRecordNewClick));
    connect(m_btnRecordOpen, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnRecordOpenClick));
    connect(m_btnRecordSave, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnRecordSaveClick));
    connect(m_btnRecordPrint, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnRecordPrintClick));
    connect(m_btnRecordStatistics, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnRecordStatisticsClick));
    connect(m_btnRecordFly, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnRecordFlyClick));
    connect(m_btnGridZoomout, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnGridZoomoutClick));
    connect(m_btnFly, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnFlyClick));
    connect(m_btnChartZoomOut, &QToolButton::clicked, this, Guarded(this, &TfrmMain::btnChartZoomOutClick));
}

void TfrmMain::FormCreate()
{
    RefreshDeviceList();
    setWindowTitle(QString::asprintf("%s v%s", ModelName, Version));
    CreateRecordTable();
    m_state.UnitTexts = DefaultUnitTexts();
    m_state.DecimalSep = ReadDecimalSeparator();
    CreateChartControl();
}

void TfrmMain::FormDestroy()
{
    // Runs from the destructor, where an error must not escape.
    DisconnectReportingErrors(*m_CP21101);
}

void TfrmMain::CreateLink()
{
    m_CP21101 = std::make_unique<TCP2110>(this);
    m_CP21101->setObjectName(QStringLiteral("CP21101"));
    // The link raises these from Qt's event dispatch (hand-over, hot-plug watcher): each catches its own error.
    m_CP21101->OnConnect = Guarded([this](QObject*) { CP21101Connect(); });
    m_CP21101->OnDisconnect = Guarded([this](QObject*) { CP21101Disconnect(); });
    m_CP21101->OnError = Guarded([this](std::uint32_t code, const QString& message) { CP21101Error(code, message); });
    m_CP21101->OnReceiveData =
        Guarded([this](const char* data, std::uint32_t len) { m_decoder->CP21101ReceiveData(data, len); });
    m_CP21101->OnRemoval = Guarded([this](QObject*) { CP21101Removal(); });
    m_CP21101->OnDeviceChange = Guarded([this](QObject*) { CP21101DeviceChange(); });

    m_CComm1 = std::make_unique<TCComm>(this);
    m_CComm1->setObjectName(QStringLiteral("CComm1"));
    m_CComm1->OnReceiveData = [this](const void* buffer, std::uint32_t len) { m_decoder->CComm1ReceiveData(buffer, len); };
    m_CComm1->ErrorReport = [](const std::exception& error) { ReportException(error); };
    // Started on a serial link, the connection button opens and closes that link.
    m_CComm1->OnOpened = Guarded([this](QObject*) { ShowConnectionButton(true); });
    m_CComm1->OnClosed = Guarded([this](QObject*) { ShowConnectionButton(false); });
    m_CComm1->OnLineLost = Guarded([this](QObject*) { ShowNotice(SerialLineLostMessage(m_CComm1->CommPort())); });
}

void TfrmMain::OpenSerialLink(const QString& port)
{
    m_serialLink = true;
    m_CComm1->setCommPort(port);
    try {
        m_CComm1->Open();
    } catch (const std::exception& error) {
        ReportException(error);
    }
}

void TfrmMain::RefreshDeviceList()
{
    QStringList names;
    for (const QString& entry : m_CP21101->DeviceList())
        names << entry.section(QLatin1Char('='), 0, 0);
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    m_cbbDevices->clear();
    m_cbbDevices->addItems(names);
    if (names.isEmpty()) {
        m_CP21101->setDeviceName(QString());
    } else {
        m_cbbDevices->setCurrentIndex(0);
        m_CP21101->setDeviceName(names.first());
    }
}

void TfrmMain::CreateRecordTable()
{
    m_cds1 = std::make_unique<TTable>(korvex::CreateRecordTable());
    m_gridModel = std::make_unique<TRecordGridModel>(*m_cds1);
    ConfigureRecordGrid(*m_DBGrid1, *m_gridModel);
    m_frxReport1 = std::make_unique<TRecordReport>(*m_cds1);
}

void TfrmMain::CreateChartControl()
{
    StyleTrendChart(m_Chart1);
    m_ChartControl = std::make_unique<TChartControl>(m_Chart1, 100);
    TChartToolBarControls controls{};
    controls.edtRange = m_edtRange;
    controls.edtCurPage = m_edtCurPage;
    controls.btnFirst = m_btnFirst;
    controls.btnPrevious = m_btnPrevious;
    controls.btnNext = m_btnNext;
    controls.btnLast = m_btnLast;
    controls.btnNew = nullptr;  // bound to the record-clearing command with btnRecordNew
    controls.btnSave = m_btnSave;
    controls.Timer_range = m_Timer_range;
    controls.Chart1 = m_Chart1;
    m_chartToolBar = std::make_unique<TChartToolBar>(controls, *m_ChartControl, std::function<void()>(),
                                                     FromWindows1252(m_state.DecimalSep));
}

bool TfrmMain::FormCloseQuery()
{
    return MessageDialog(QStringLiteral("Are you sure that you want to quit this application?"), mtConfirmation,
                         ButtonSet({mbYes, mbNo}), 0) == mrYes;
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // A full-window view holds a panel of this window: close the view first and ask once it has ended.
    if (frmSuperContainer()) {
        m_closeAfterView = true;
        RunGuarded([this] { CloseFullWindow(); });
        event->ignore();
        return;
    }
    // A question that failed leaves the window open, as No does.
    bool mayClose = false;
    RunGuarded([&] {
        const bool sessionEnding = m_logOffConfirmed && m_sessionQuitting;
        // Any other closing means that the log-off answered Yes did not happen: its Yes is spent.
        ForgetLogOffAnswer();
        mayClose = sessionEnding || FormCloseQuery();
    });
    event->setAccepted(mayClose);
}

bool TfrmMain::QueryEndSession()
{
    ForgetLogOffAnswer();
    if (FormCloseQuery())
        ConfirmLogOff();
    return m_logOffConfirmed;
}

void TfrmMain::SessionEndsWithoutAsking()
{
    ForgetLogOffAnswer();
    ConfirmLogOff();
}

void TfrmMain::ConfirmLogOff()
{
    // The session's end reaches the window as the application's quit, which closes every window.
    m_logOffConfirmed = true;
    QCoreApplication::instance()->installEventFilter(this);
}

void TfrmMain::ForgetLogOffAnswer()
{
    if (m_logOffConfirmed)
        QCoreApplication::instance()->removeEventFilter(this);
    m_logOffConfirmed = false;
    m_sessionQuitting = false;
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && m_logOffConfirmed) {
        m_sessionQuitting = true;
        // Still running once the quit is over: some window stayed open, and this log-off is over too.
        QTimer::singleShot(0, this, Guarded([this] { ForgetLogOffAnswer(); }));
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::commitDataRequest(QSessionManager& manager)
{
    // Without leave to interact the question cannot be asked, and the session goes on ending.
    if (!manager.allowsInteraction()) {
        SessionEndsWithoutAsking();
        return;
    }
    // The question cannot wait for the view's handler to return: close the view, its panel goes home at once.
    CloseFullWindow();
    if (QueryEndSession()) {
        manager.release();
    } else {
        manager.cancel();
    }
}

void TfrmMain::UpdatePanel(PanelUpdate update, const TMeterState& state)
{
    m_pnlLcd->Apply(update, state);
}

int TfrmMain::ChartAddValue(double value)
{
    return m_ChartControl->AddValue(value);
}

void TfrmMain::ChartSetVerticalMin(double value)
{
    m_ChartControl->SetVerticalMin(value);
}

void TfrmMain::ChartSetVerticalMax(double value)
{
    m_ChartControl->SetVerticalMax(value);
}

void TfrmMain::SetCurrentPageText(const std::string& text)
{
    m_edtCurPage->setText(FromWindows1252(text));
}

bool TfrmMain::RepeatTicked() const
{
    return m_sampling->RepeatTicked();
}

bool TfrmMain::IntervalTimerEnabled() const
{
    return m_sampling->IntervalTimerEnabled();
}

void TfrmMain::AppendRecord(const TMeterState& state)
{
    korvex::AppendRecord(*m_cds1, state);
}

void TfrmMain::ToggleConnectionPicture()
{
    m_pnlLcd->ToggleConnectionPicture();
}

void TfrmMain::RestartWatchdog()
{
    // A chunk that was already waiting when Print paused the link is handled during the preview; the
    // watchdog stays off then, and the end of printing arms it afresh.
    if (m_CP21101->ReadPause())
        return;
    m_timerDisconectedUSB->stop();
    m_timerDisconectedUSB->start();
}

void TfrmMain::ShowConnectionButton(bool connected)
{
    m_btnConnect->setChecked(connected);
    m_btnConnect->setText(connected ? QStringLiteral("Disconnection") : QStringLiteral("Connection"));
}

void TfrmMain::btnConnectClick()
{
    if (m_serialLink) {
        if (m_CComm1->Connected())
            m_CComm1->Close();
        else
            OpenSerialLink(m_CComm1->CommPort());
        ShowConnectionButton(m_CComm1->Connected());
        return;
    }
    if (m_CP21101->Connected()) {
        m_CP21101->Disconnect();
    } else if (!m_CP21101->Connect()) {
        m_btnConnect->setChecked(false);
        m_btnConnect->setText(QStringLiteral("Connection"));
    }
}

void TfrmMain::CP21101Connect()
{
    m_btnConnect->setChecked(m_CP21101->Connected());
    m_btnConnect->setText(QStringLiteral("Disconnection"));
    m_pnlLcd->lcdRS232()->show();
    m_timerDisconectedUSB->start();
    m_sampling->StartOnConnect();
}

void TfrmMain::CP21101Disconnect()
{
    m_btnConnect->setChecked(m_CP21101->Connected());
    m_btnConnect->setText(QStringLiteral("Connection"));
    m_pnlLcd->lcdRS232()->hide();
    m_timerDisconectedUSB->stop();
    m_sampling->StopOnDisconnect();
}

void TfrmMain::CP21101Error(std::uint32_t ErrorCode, const QString& node)
{
    if (ErrorCode == TCP2110::ConnectFailed || ErrorCode == TCP2110::ConnectNoPermission
        || ErrorCode == TCP2110::ConnectInUse)
        ShowNotice(ConnectFailureMessage(ErrorCode, node));
}

void TfrmMain::CP21101Removal()
{
    m_timerDisconectedUSB->stop();
    ShowNotice(NoDeviceMessage);
}

void TfrmMain::CP21101DeviceChange()
{
    RefreshDeviceList();
}

void TfrmMain::timerDisconectedUSBTimer()
{
    // Inside the removal message chunks may have restarted the watchdog; the link closes itself once
    // the message is answered, so a tick then neither disconnects nor adds the cable message.
    if (m_CP21101->RemovalUnderWay()) {
        m_timerDisconectedUSB->stop();
        return;
    }
    DisconnectReportingErrors(*m_CP21101);
    m_timerDisconectedUSB->stop();
    ShowNotice(CableMessage);
}

void TfrmMain::btnRecordNewClick()
{
    ClearRecords(*m_cds1, [this] { m_edtCurPage->setText(QString::number(m_ChartControl->Clear())); });
}

void TfrmMain::btnRecordOpenClick()
{
    korvex::btnRecordOpenClick(DialogOwner(), *m_cds1);
}

void TfrmMain::btnRecordSaveClick()
{
    korvex::btnRecordSaveClick(DialogOwner(), *m_cds1, *m_DBGrid1);
}

// The link does not read and the watchdog is off while the preview is up. Afterwards, also when building
// or showing the report fails, the watchdog counts a full period anew if the link is still connected,
// then reading resumes; the failure itself goes on to the error report.
void TfrmMain::btnRecordPrintClick()
{
    m_CP21101->setReadPause(true);
    m_timerDisconectedUSB->stop();
    const auto resume = qScopeGuard([this] {
        if (m_CP21101->Connected())
            m_timerDisconectedUSB->start();
        m_CP21101->setReadPause(false);
    });
    m_frxReport1->ShowReport(DialogOwner());
}

// Not modal: the window stays open beside the table while logging goes on, and closing it only hides it.
void TfrmMain::btnRecordStatisticsClick()
{
    if (!m_frmStatistics)
        m_frmStatistics = new TStatisticsWindow(*m_cds1, *m_gridModel, m_state.DecimalSep, this);
    m_frmStatistics->show();
    m_frmStatistics->raise();
    m_frmStatistics->activateWindow();
}

void TfrmMain::btnRecordFlyClick()
{
    // One view at a time; a second request must not touch the open view's buttons and widths.
    if (frmSuperContainer())
        return;
    m_btnRecordFly->hide();
    m_btnGridZoomout->show();
    // The view is modal: a statistics window opened from it could take no input until the view ends.
    m_btnRecordStatistics->setEnabled(false);
    QHeaderView* columns = m_DBGrid1->horizontalHeader();
    std::vector<int> widths;
    for (int c = 0; c < columns->count(); ++c)
        widths.push_back(columns->sectionSize(c));
    const auto after = qScopeGuard([&] {
        for (int c = 0; c < static_cast<int>(widths.size()) && c < columns->count(); ++c)
            columns->resizeSection(c, widths[static_cast<std::size_t>(c)]);
        raise();
        activateWindow();
        m_btnRecordFly->show();
        m_btnGridZoomout->hide();
        m_btnRecordStatistics->setEnabled(true);
        AfterFullWindow();
    });
    for (int c = 0; c < columns->count() && c < static_cast<int>(std::size(GridViewColumnWidths)); ++c)
        columns->resizeSection(c, GridViewColumnWidths[c]);
    ShowFullWindow(m_Panel4, m_Panel1);
}

void TfrmMain::btnGridZoomoutClick()
{
    CloseFullWindow();
}

void TfrmMain::btnFlyClick()
{
    if (frmSuperContainer())
        return;
    m_btnFly->hide();
    m_btnChartZoomOut->show();
    const auto after = qScopeGuard([&] {
        m_btnFly->show();
        m_btnChartZoomOut->hide();
        AfterFullWindow();
    });
    ShowFullWindow(m_pnlChartParent, m_Panel5);
}

void TfrmMain::btnChartZoomOutClick()
{
    CloseFullWindow();
}

void TfrmMain::AfterFullWindow()
{
    // A close of the main window asked for while the view was open comes now, with its usual question.
    if (m_closeAfterView) {
        m_closeAfterView = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

}  // namespace korvex
