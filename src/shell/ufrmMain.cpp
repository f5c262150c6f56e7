#include "shell/ufrmMain.h"

#include <algorithm>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QSessionManager>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include "display/ArialFont.h"
#include "display/MeterPanel.h"
#include "records/Windows1252.h"
#include "shell/CControls.h"
#include "shell/ImageList.h"
#include "shell/NewMsgDlg.h"

namespace korvex {

namespace {

const char* const ModelName = "Korvex";
const char* const Version = "1.01";

const struct { const char* title; int width; } GridColumns[] = {
    {"NO", 36}, {"Time", 103}, {"MMode", 43}, {"MValue", 43}, {"MUnit", 35},
    {"SMode", 39}, {"SValue", 40}, {"SUnit", 34}, {"Freq", 0},  // 0: the grid's default width
};
const int GridDefaultColumnWidth = 64;

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
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
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

    resize(940, 661);
    m_Splitter1->setSizes({457, 940 - 457 - m_Splitter1->handleWidth()});
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - QPoint(940 / 2, 661 / 2));

    m_decoder = std::make_unique<TMeterDecoder>(m_state, *this);
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::commitDataRequest, this, &TfrmMain::commitDataRequest);

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    FormDestroy();
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

    m_DBGrid1 = new QTableView(m_Panel4);
    m_DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_DBGrid1->setShowGrid(true);
    m_DBGrid1->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_DBGrid1->verticalHeader()->hide();
    m_DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_DBGrid1->horizontalHeader()->setDefaultSectionSize(GridDefaultColumnWidth);
    m_DBGrid1->horizontalHeader()->setStretchLastSection(false);
    // Titles only, until the record table's model takes its place.
    m_gridHeader = new QStandardItemModel(0, static_cast<int>(std::size(GridColumns)), this);
    for (int c = 0; c < m_gridHeader->columnCount(); ++c)
        m_gridHeader->setHeaderData(c, Qt::Horizontal, QLatin1String(GridColumns[c].title));
    m_DBGrid1->setModel(m_gridHeader);
    ApplyGridColumnWidths();
    gridColumn->addWidget(m_DBGrid1, 1);
    column->addWidget(m_Panel4, 1);
    return m_Panel1;
}

void TfrmMain::ApplyGridColumnWidths()
{
    QHeaderView* header = m_DBGrid1->horizontalHeader();
    for (int c = 0; c < static_cast<int>(std::size(GridColumns)); ++c)
        header->resizeSection(c, GridColumns[c].width > 0 ? GridColumns[c].width : GridDefaultColumnWidth);
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
    m_btnRecordFly = MakeToolButton("btnRecordFly", bar, 14, nullptr);
    m_btnGridZoomout = MakeToolButton("btnGridZoomout", bar, 15, nullptr);
    m_btnGridZoomout->hide();
    for (QToolButton* button : {m_btnRecordNew, m_btnRecordOpen, m_btnRecordSave, m_btnRecordPrint, m_btnRecordFly,
                                m_btnGridZoomout})
        row->addWidget(button);
    row->addStretch(1);
    return bar;
}

QFrame* TfrmMain::CreatePanel5()
{
    QFrame* panel5 = MakePanel("Panel5", this, BevelledFrame);
    auto* fill = new QVBoxLayout(panel5);
    fill->setContentsMargins(0, 0, 0, 0);

    m_pnlChartParent = MakePanel("pnlChartParent", panel5, QFrame::NoFrame);
    auto* column = new QVBoxLayout(m_pnlChartParent);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(CreateToolBar2());
    m_Chart1 = new QCustomPlot(m_pnlChartParent);
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
    connect(m_btnConnect, &QToolButton::clicked, this, &TfrmMain::btnConnectClick);
    connect(m_timerDisconectedUSB, &QTimer::timeout, this, &TfrmMain::timerDisconectedUSBTimer);
    connect(m_cbRepeat, &QCheckBox::clicked, this, &TfrmMain::cbRepeatClick);
    connect(m_cbInterval, &QCheckBox::clicked, this, &TfrmMain::cbIntervalClick);
    connect(m_edtRecInterval, &QLineEdit::textChanged, this, &TfrmMain::edtRecIntervalChange);
    connect(m_timerInputDelay, &QTimer::timeout, this, &TfrmMain::timerInputDelayTimer);
    connect(m_timerInterval, &QTimer::timeout, this, &TfrmMain::timerIntervalTimer);
    connect(m_btnRecordNew, &QToolButton::clicked, this, &TfrmMain::btnRecordNewClick);
    connect(m_btnNew, &QToolButton::clicked, this, &TfrmMain::btnRecordNewClick);
    connect(m_btnRecordOpen, &QToolButton::clicked, this, &TfrmMain::btnRecordOpenClick);
    connect(m_btnRecordSave, &QToolButton::clicked, this, &TfrmMain::btnRecordSaveClick);
    connect(m_btnRecordPrint, &QToolButton::clicked, this, &TfrmMain::btnRecordPrintClick);
    connect(m_btnRecordFly, &QToolButton::clicked, this, &TfrmMain::btnRecordFlyClick);
    connect(m_btnGridZoomout, &QToolButton::clicked, this, &TfrmMain::btnGridZoomoutClick);
    connect(m_edtRange, &QLineEdit::textChanged, this, &TfrmMain::edtRangeChange);
    connect(m_Timer_range, &QTimer::timeout, this, &TfrmMain::Timer_rangeTimer);
    connect(m_btnFirst, &QToolButton::clicked, this, &TfrmMain::btnFirstClick);
    connect(m_btnPrevious, &QToolButton::clicked, this, &TfrmMain::btnPreviousClick);
    connect(m_btnNext, &QToolButton::clicked, this, &TfrmMain::btnNextClick);
    connect(m_btnLast, &QToolButton::clicked, this, &TfrmMain::btnLastClick);
    connect(m_btnSave, &QToolButton::clicked, this, &TfrmMain::btnSaveClick);
    connect(m_btnFly, &QToolButton::clicked, this, &TfrmMain::btnFlyClick);
    connect(m_btnChartZoomOut, &QToolButton::clicked, this, &TfrmMain::btnChartZoomOutClick);
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
    DisconnectLink();
}

// The bridge link fills the device list; until it is wired in there are no devices to list.
void TfrmMain::RefreshDeviceList() {}

// The record table module creates cds1 with its fields here.
void TfrmMain::CreateRecordTable() {}

// The chart module creates the chart data window on Chart1 (page size 100) here.
void TfrmMain::CreateChartControl() {}

// The bridge link is disconnected here before the window goes.
void TfrmMain::DisconnectLink() {}

bool TfrmMain::FormCloseQuery()
{
    return MessageDialog(QStringLiteral("Are you sure that you want to quit this application?"), mtConfirmation,
                         ButtonSet({mbYes, mbNo}), 0) == mrYes;
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (m_quitConfirmed || FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TfrmMain::commitDataRequest(QSessionManager& manager)
{
    // Without leave to interact the question cannot be asked, and the session goes on ending.
    if (!manager.allowsInteraction())
        return;
    if (FormCloseQuery()) {
        m_quitConfirmed = true;
        manager.release();
    } else {
        manager.cancel();
    }
}

void TfrmMain::UpdatePanel(PanelUpdate update, const TMeterState& state)
{
    m_pnlLcd->Apply(update, state);
}

int TfrmMain::ChartAddValue(double)
{
    return 1;
}

void TfrmMain::ChartSetVerticalMin(double) {}

void TfrmMain::ChartSetVerticalMax(double) {}

void TfrmMain::SetCurrentPageText(const std::string& text)
{
    m_edtCurPage->setText(FromWindows1252(text));
}

bool TfrmMain::RepeatTicked() const
{
    return m_cbRepeat->isChecked();
}

bool TfrmMain::IntervalTimerEnabled() const
{
    return m_timerInterval->isActive();
}

void TfrmMain::AppendRecord(const TMeterState&) {}

void TfrmMain::ToggleConnectionPicture()
{
    m_pnlLcd->ToggleConnectionPicture();
}

void TfrmMain::RestartWatchdog()
{
    m_timerDisconectedUSB->start();
}

void TfrmMain::btnConnectClick() {}
void TfrmMain::timerDisconectedUSBTimer() {}
void TfrmMain::cbRepeatClick() {}
void TfrmMain::cbIntervalClick() {}
void TfrmMain::edtRecIntervalChange() {}
void TfrmMain::timerInputDelayTimer() {}

void TfrmMain::timerIntervalTimer()
{
    m_state.IntervalTick = true;
}

void TfrmMain::btnRecordNewClick() {}
void TfrmMain::btnRecordOpenClick() {}
void TfrmMain::btnRecordSaveClick() {}
void TfrmMain::btnRecordPrintClick() {}
void TfrmMain::btnRecordFlyClick() {}
void TfrmMain::btnGridZoomoutClick() {}
void TfrmMain::edtRangeChange() {}
void TfrmMain::Timer_rangeTimer() {}
void TfrmMain::btnFirstClick() {}
void TfrmMain::btnPreviousClick() {}
void TfrmMain::btnNextClick() {}
void TfrmMain::btnLastClick() {}
void TfrmMain::btnSaveClick() {}
void TfrmMain::btnFlyClick() {}
void TfrmMain::btnChartZoomOutClick() {}

}  // namespace korvex
