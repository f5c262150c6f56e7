#include "display/MeterPanel.h"

#include <algorithm>

#include <QEvent>
#include <QLabel>
#include <QProgressBar>

#include "display/ArialFont.h"
#include "display/BarScale.h"
#include "display/DisplayPictures.h"
#include "display/ReadoutFont.h"
#include "meter/UnitTexts.h"
#include "meter/Windows1252.h"
#include "widgets/CControls.h"
#include "widgets/Guarded.h"

namespace korvex {

namespace {

const QColor ReadoutBackground(166, 202, 240);

QFont IndicatorFont()
{
    return ArialFont(12, true);
}

// A left-aligned caption keeps its design width and grows only when a substitute font needs more.
void FitWidth(QLabel* label, int designWidth)
{
    label->resize(std::max(designWidth, label->sizeHint().width()), label->height());
}

// Fixed texts of the readouts by readout kind; kinds without an entry leave the text as it is.
const char* MainFixedText(std::uint8_t kind)
{
    switch (kind) {
    case rkBlankA:
    case rkBlankB: return "";
    case rkDashes: return "- - - -";
    case rkOL: return " OL  ";
    case rkOFF: return "OFF   ";
    case rkERR: return "ERR   ";
    case rkPASS: return "PASS  ";
    case rkFAIL: return "FAIL  ";
    case rkOPEN: return "OPEN  ";
    case rkSHORT: return "SHORT ";
    default: return nullptr;
    }
}

const char* SubFixedText(std::uint8_t kind)
{
    switch (kind) {
    case rkDashes: return "- - - -";
    case rkOL: return "  0L  ";
    case rkOFF: return "OFF  ";
    case rkERR: return "ERR  ";
    case rkPASS: return "PASS  ";
    case rkFAIL: return "FAIL  ";
    case rkOPEN: return "OPEN  ";
    case rkSHORT: return "SHORT ";
    default: return nullptr;
    }
}

}  // namespace

TMeterPanel::TMeterPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pnlLcd"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    resize(453, 245);

    CreateReadouts();
    CreateIndicators();
    CreateBatteryAndLink();
    CreateSorting();
    CreateBarPanel();
}

QLabel* TMeterPanel::AddLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                              const QFont& font, bool shown)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    label->setGeometry(geometry);
    label->setVisible(shown);
    if (!shown) {
        // Measured once first shown: measuring loads its font, which a caption hidden at the start may never need.
        m_unmeasured.insert(label, geometry.size());
        label->installEventFilter(this);
    } else if (!text.isEmpty()) {
        // No text needs no room: a blank caption keeps its design size until the code that gives it a text
        // measures it.
        FitCaption(label, geometry.size());
    }
    return label;
}

// A caption without a design size takes the size of its text.
void TMeterPanel::FitCaption(QLabel* label, const QSize& designSize)
{
    if (designSize.isEmpty())
        label->adjustSize();
    else
        FitWidth(label, designSize.width());
}

void TMeterPanel::CreateReadouts()
{
    auto makeReadout = [this](const char* name, const QRect& geometry, int pixelSize) {
        auto* readout = new TCEdit(this);
        readout->setObjectName(QLatin1String(name));
        readout->setGeometry(geometry);
        readout->setFont(ReadoutFont(pixelSize));
        readout->SetAlignment(taRightJustify);
        readout->setReadOnly(true);
        readout->setFrame(false);
        readout->setCursor(Qt::ArrowCursor);
        readout->setTextMargins(0, 0, 0, 0);
        QPalette palette = readout->palette();
        palette.setColor(QPalette::Base, ReadoutBackground);
        palette.setColor(QPalette::Text, Qt::black);
        readout->setPalette(palette);
        readout->installEventFilter(this);
        return readout;
    };
    m_lcdMDisp = makeReadout("lcdMDisp", QRect(56, 41, 297, 73), 71);
    m_lcdSDisp = makeReadout("lcdSDisp", QRect(200, 129, 153, 41), 37);
    setTabOrder(m_lcdMDisp, m_lcdSDisp);
}

void TMeterPanel::CreateIndicators()
{
    const QFont indicator = IndicatorFont();
    m_lcdMMode = AddLabel(this, "lcdMMode", QString(), QRect(16, 49, 33, 15), indicator, true);
    m_lcdMMode->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lcdMUnit = AddLabel(this, "lcdMUnit", QString(), QRect(360, 97, 0, 0), indicator, true);
    m_lcdSMod = AddLabel(this, "lcdSMod", QString(), QRect(152, 129, 40, 15), indicator, true);
    m_lcdSMod->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lcdSUnit = AddLabel(this, "lcdSUnit", QString(), QRect(360, 129, 0, 0), indicator, true);
    m_lcdFREQ = AddLabel(this, "lcdFREQ", QStringLiteral("100 Hz"), QRect(40, 185, 49, 15), indicator, false);
    m_lcdHold = AddLabel(this, "lcdHold", QStringLiteral("HOLD"), QRect(56, 17, 32, 15), indicator, false);
    m_lcdRel = AddLabel(this, "lcdRel", QString(QChar(0x0394)), QRect(336, 12, 14, 24), ArialFont(21, false),
                        false);
    m_lcdLCR = AddLabel(this, "lcdLCR", QStringLiteral("LCR"), QRect(216, 17, 23, 15), indicator, false);
    m_lcdAuto = AddLabel(this, "lcdAuto", QStringLiteral("Auto"), QRect(184, 17, 26, 15), indicator, false);
    // Indicators of the meter's display that no frame field drives.
    AddLabel(this, "lcdCal", QStringLiteral("Cal"), QRect(104, 17, 18, 15), indicator, false);
    AddLabel(this, "lcdApo", QStringLiteral("APO"), QRect(144, 17, 25, 15), indicator, false);
    AddLabel(this, "lcdRange", QStringLiteral("Range"), QRect(256, 17, 36, 15), indicator, false);
}

void TMeterPanel::CreateBatteryAndLink()
{
    auto* outline = AddLabel(this, "lcdBat0", QString(), QRect(16, 184, 17, 17), font(), true);
    outline->setPixmap(BatteryOutlinePicture());
    outline->setScaledContents(true);

    // Three short bars stacked above the outline, lowest first.
    const int tops[3] = {170, 166, 162};
    const char* names[3] = {"lcdBat1", "lcdBat2", "lcdBat3"};
    for (int i = 0; i < 3; ++i)
        m_lcdBat[i] = AddLabel(this, names[i], QStringLiteral("__"), QRect(18, tops[i], 12, 13), font(), false);

    m_lcdRS232 = AddLabel(this, "lcdRS232", QStringLiteral("USB"), QRect(40, 169, 24, 15), IndicatorFont(), false);

    m_CONokN = AddLabel(this, "CONokN", QString(), QRect(8, 6, 25, 24), font(), true);
    m_CONokN->setPixmap(ConnectionPicture(false));
    m_CONok = AddLabel(this, "CONok", QString(), QRect(8, 6, 25, 24), font(), false);
    m_CONok->setPixmap(ConnectionPicture(true));
}

void TMeterPanel::CreateSorting()
{
    const QFont indicator = IndicatorFont();
    m_lcdSorting = AddLabel(this, "lcdSorting", QStringLiteral("Sorting"), QRect(24, 129, 41, 15), indicator, false);
    m_lcdTol = AddLabel(this, "lcdTol", QStringLiteral("Tol"), QRect(24, 145, 16, 15), indicator, false);
    // "+" and "-" overlap into a plus-minus sign.
    m_lcdJianhao = AddLabel(this, "lcdJianhao", QStringLiteral("+"), QRect(48, 144, 7, 15), indicator, false);
    m_lcdJiahao = AddLabel(this, "lcdJiahao", QStringLiteral("-"), QRect(49, 148, 4, 15), indicator, false);
    m_lcdSortp = AddLabel(this, "lcdSortp", QStringLiteral("0.25%"), QRect(57, 145, 33, 15), indicator, false);
}

void TMeterPanel::CreateBarPanel()
{
    m_pnlBar = new QWidget(this);
    m_pnlBar->setObjectName(QStringLiteral("pnlBar"));
    m_pnlBar->setGeometry(3, 202, 441, 32);
    m_pnlBar->setAutoFillBackground(true);
    m_pnlBar->setBackgroundRole(QPalette::Base);

    m_lcdBar = new QProgressBar(m_pnlBar);
    m_lcdBar->setObjectName(QStringLiteral("lcdBar"));
    m_lcdBar->setGeometry(24, 9, 393, 10);
    m_lcdBar->setRange(0, 100);
    m_lcdBar->setValue(0);
    m_lcdBar->setTextVisible(false);

    const QFont scale = ArialFont(11, false);
    const struct { const char* text; int left; } marks[] = {
        {"0", 21}, {"20", 92}, {"40", 168}, {"60", 245}, {"80", 321}, {"100%", 398},
    };
    for (const auto& mark : marks) {
        auto* label = new QLabel(QLatin1String(mark.text), m_pnlBar);
        label->setFont(scale);
        label->move(mark.left, 20);
        label->adjustSize();
    }
    AddLabel(m_pnlBar, "lcdBarOL", QStringLiteral("OL"), QRect(417, 7, 0, 0), ArialFont(11, true), false);
    AddLabel(m_pnlBar, "lcdBarPOL", QStringLiteral("-"), QRect(13, 2, 0, 0), ArialFont(21, true), false);
}

void TMeterPanel::Apply(PanelUpdate update, const TMeterState& state)
{
    switch (update) {
    case PanelUpdate::Hold: m_lcdHold->setVisible(state.Hold); break;
    case PanelUpdate::Rel: m_lcdRel->setVisible(state.Rel); break;
    case PanelUpdate::Lcr: m_lcdLCR->setVisible(state.Lcr); break;
    case PanelUpdate::Auto: m_lcdAuto->setVisible(state.Lcr || state.Auto); break;
    case PanelUpdate::Battery: ShowBattery(state); break;
    case PanelUpdate::Frequency: ShowFrequency(state); break;
    case PanelUpdate::Tolerance: ShowTolerance(state); break;
    case PanelUpdate::MainMode: ShowMainMode(state); break;
    case PanelUpdate::MainUnit: ShowMainUnit(state); break;
    case PanelUpdate::MainReadout: ShowMainReadout(state); break;
    case PanelUpdate::SubMode: ShowSubMode(state); break;
    case PanelUpdate::SubUnit: ShowSubUnit(state); break;
    case PanelUpdate::SubReadout: ShowSubReadout(state); break;
    case PanelUpdate::BarMaximum: SetBarMaximum(BarMaximum(state.MainPoint)); break;
    case PanelUpdate::MainText: m_lcdMDisp->setText(FromWindows1252(state.MainText)); break;
    }
}

void TMeterPanel::ToggleConnectionPicture()
{
    m_CONok->setHidden(!m_CONok->isHidden());
    m_CONokN->setHidden(!m_CONokN->isHidden());
}

void TMeterPanel::ShowBattery(const TMeterState& state)
{
    for (int i = 0; i < 3; ++i)
        m_lcdBat[i]->setVisible(state.Battery > i);
}

void TMeterPanel::ShowFrequency(const TMeterState& state)
{
    static const char* const captions[] = {"100Hz", "120Hz", "1KHz", "10KHz", "100KHz"};
    if (state.Freq >= 0 && state.Freq < 5)
    {
        m_lcdFREQ->setText(QLatin1String(captions[state.Freq]));
        FitWidth(m_lcdFREQ, 49);
    }
}

void TMeterPanel::ShowTolerance(const TMeterState& state)
{
    const bool sorting = state.Tolerance != 0;
    m_pnlBar->setVisible(!sorting);
    for (QLabel* label : {m_lcdSorting, m_lcdTol, m_lcdJianhao, m_lcdJiahao, m_lcdSortp})
        label->setVisible(sorting);

    static const char* const captions[] = {"0.25%", "0.5%", "1.0%", "2.0%", "5.0%", "10.0%", "20.0%"};
    if (state.Tolerance >= 3 && state.Tolerance <= 9) {
        m_lcdSortp->setText(QLatin1String(captions[state.Tolerance - 3]));
    } else if (state.Tolerance == 10) {
        // The asymmetric tolerance carries its own signs.
        m_lcdJianhao->hide();
        m_lcdJiahao->hide();
        m_lcdSortp->setText(QStringLiteral("-20% +80%"));
    }
    FitWidth(m_lcdSortp, 33);
}

void TMeterPanel::ShowMainMode(const TMeterState& state)
{
    m_lcdFREQ->show();
    const bool parallel = state.Parallel != 0;
    switch (state.MainMode) {
    case mmNone: m_lcdMMode->clear(); break;
    case mmL: m_lcdMMode->setText(parallel ? QStringLiteral("Lp") : QStringLiteral("Ls")); break;
    case mmC: m_lcdMMode->setText(parallel ? QStringLiteral("Cp") : QStringLiteral("Cs")); break;
    case mmR: m_lcdMMode->setText(parallel ? QStringLiteral("Rp") : QStringLiteral("Rs")); break;
    case mmDCR:
        m_lcdMMode->setText(QStringLiteral("DCR"));
        m_lcdFREQ->hide();
        break;
    default: break;
    }
}

void TMeterPanel::ShowMainUnit(const TMeterState& state)
{
    m_lcdMUnit->setText(QString::fromStdU16String(UnitCaption(state.UnitTexts, state.MainUnit)));
    m_lcdMUnit->adjustSize();
}

void TMeterPanel::ShowMainReadout(const TMeterState& state)
{
    if (state.MainKind == rkNumber)
        m_lcdMDisp->setText(FromWindows1252(state.MainText));
    else if (const char* text = MainFixedText(state.MainKind))
        m_lcdMDisp->setText(QLatin1String(text));

    // The bar counts in the same units as its maximum, so the range can be set together with the
    // position: QProgressBar drops a value outside its current range.
    SetBarMaximum(BarMaximum(state.MainPoint));
    ShowBarPosition(BarPosition(state));
}

void TMeterPanel::ShowBarPosition(std::int32_t position)
{
    if (position == m_lcdBar->value())
        return;
    // QProgressBar draws a new value at once when it sees a change, and with it every pending change of
    // the window. When the filled part grows or shrinks by a pixel or more, the value is set with the bar's
    // updates held, so the bar is drawn with the rest of the reading in the window's next paint; a smaller
    // change is left to the bar, which then draws nothing.
    const auto filled = [bar = m_lcdBar](std::int32_t value) {
        const qint64 span = std::max(1, bar->maximum() - bar->minimum());
        return qint64(bar->width()) * (value - bar->minimum()) / span;
    };
    if (filled(position) == filled(m_lcdBar->value())) {
        m_lcdBar->setValue(position);
        return;
    }
    m_lcdBar->setUpdatesEnabled(false);
    m_lcdBar->setValue(position);
    m_lcdBar->setUpdatesEnabled(true);
}

void TMeterPanel::ShowSubMode(const TMeterState& state)
{
    switch (state.SubMode) {
    case smNone: m_lcdSMod->clear(); break;
    case smD: m_lcdSMod->setText(QStringLiteral("D")); break;
    case smQ: m_lcdSMod->setText(QStringLiteral("Q")); break;
    case smESR: m_lcdSMod->setText(state.Parallel ? QStringLiteral("Rp") : QStringLiteral("ESR")); break;
    case smTheta: m_lcdSMod->setText(QString(QChar(0x03B8))); break;
    default: break;
    }
}

void TMeterPanel::ShowSubUnit(const TMeterState& state)
{
    if (state.SubUnit == udeg)
        m_lcdSUnit->setText(QString(QChar(0x309C)));
    else
        m_lcdSUnit->setText(QString::fromStdU16String(UnitCaption(state.UnitTexts, state.SubUnit)));
    m_lcdSUnit->adjustSize();
}

void TMeterPanel::ShowSubReadout(const TMeterState& state)
{
    m_lcdSDisp->show();
    if (state.SubKind == rkNumber) {
        m_lcdSDisp->setText(FromWindows1252(state.SubText));
    } else if (state.SubKind == rkBlankA || state.SubKind == rkBlankB) {
        m_lcdSDisp->clear();
        m_lcdSDisp->hide();
    } else if (const char* text = SubFixedText(state.SubKind)) {
        m_lcdSDisp->setText(QLatin1String(text));
    }
}

void TMeterPanel::SetBarMaximum(std::int32_t maximum)
{
    // A range of 0..0 would turn the bar into a busy indicator; a code without a full scale shows an
    // empty bar instead.
    m_lcdBar->setRange(0, maximum > 0 ? maximum : 1);
}

void TMeterPanel::lcdMDispEnter()
{
    PassFocusOn(m_lcdMDisp);
}

void TMeterPanel::lcdSDispEnter()
{
    PassFocusOn(m_lcdSDisp);
}

void TMeterPanel::PassFocusOn(QWidget* readout)
{
    // Forward in tab order to the next tab stop. The other readout would only pass the focus on
    // again, so both readouts are skipped.
    for (QWidget* next = readout->nextInFocusChain(); next && next != readout; next = next->nextInFocusChain()) {
        if (next == m_lcdMDisp || next == m_lcdSDisp)
            continue;
        if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() && next->isVisible()
            && next->window() == readout->window()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    readout->clearFocus();
}

bool TMeterPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Sent once the caption is no longer hidden, before it is painted.
    if (event->type() == QEvent::ShowToParent) {
        if (const auto unmeasured = m_unmeasured.find(watched); unmeasured != m_unmeasured.end()) {
            auto* label = static_cast<QLabel*>(watched);
            const QSize designSize = unmeasured.value();
            m_unmeasured.erase(unmeasured);
            label->removeEventFilter(this);
            RunGuarded([=, this] { FitCaption(label, designSize); });
        }
    }
    if (event->type() == QEvent::FocusIn) {
        if (watched == m_lcdMDisp)
            RunGuarded([this] { lcdMDispEnter(); });
        else if (watched == m_lcdSDisp)
            RunGuarded([this] { lcdSDispEnter(); });
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace korvex
