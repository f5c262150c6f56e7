#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QVBoxLayout>
#include <vector>

#include "display/MeterPanel.h"
#include "display/PanelFrame.h"
#include "meter/MeterDecoder.h"
#include "widgets/CControls.h"
#include "meter/NullMeterView.h"
#include "common/PaintRecorder.h"

namespace korvex {
namespace {

// The panel behind the decoder, as the main window puts it; chart and records are not involved here.
class PanelView : public NullMeterView {
public:
    explicit PanelView(TMeterPanel& panel) : panel_(panel) {}
    void UpdatePanel(PanelUpdate update, const TMeterState& state) override { panel_.Apply(update, state); }
    void ToggleConnectionPicture() override { panel_.ToggleConnectionPicture(); }

private:
    TMeterPanel& panel_;
};

class MeterPanelTest : public ::testing::Test {
protected:
    MeterPanelTest() : view(panel), decoder(state, view)
    {
        state.UnitTexts = DefaultUnitTexts();
        state.DecimalSep = ".";
    }

    void Feed(const PanelFrame& frame) { decoder.DecodePayload(frame.Hex()); }
    void Feed(const std::string& payload) { decoder.DecodePayload(payload); }

    QLabel* Label(const char* name) const { return panel.findChild<QLabel*>(QLatin1String(name)); }
    QString Caption(const char* name) const { return Label(name)->text(); }
    bool Shown(const char* name) const
    {
        auto* widget = panel.findChild<QWidget*>(QLatin1String(name));
        return widget && !widget->isHidden();
    }
    QString MainText() const { return panel.lcdMDisp()->text(); }
    QString SubText() const { return panel.lcdSDisp()->text(); }
    QProgressBar* Bar() const { return panel.lcdBar(); }

    TMeterPanel panel;
    TMeterState state;
    PanelView view;
    TMeterDecoder decoder;
};

TEST_F(MeterPanelTest, BeforeTheFirstFrameShowsTheBlankDisplay)
{
    EXPECT_EQ(MainText(), "");
    EXPECT_EQ(SubText(), "");
    for (const char* name : {"lcdMMode", "lcdMUnit", "lcdSMod", "lcdSUnit"}) {
        EXPECT_TRUE(Shown(name)) << name;
        EXPECT_EQ(Caption(name), "") << name;
    }
    EXPECT_EQ(Caption("lcdFREQ"), "100 Hz");
    for (const char* name : {"lcdFREQ", "lcdHold", "lcdRel", "lcdLCR", "lcdAuto", "lcdCal", "lcdApo", "lcdRange",
                             "lcdBat1", "lcdBat2", "lcdBat3", "lcdSorting", "lcdTol", "lcdJianhao", "lcdJiahao",
                             "lcdSortp", "lcdRS232", "CONok", "lcdBarOL", "lcdBarPOL"})
        EXPECT_FALSE(Shown(name)) << name;
    for (const char* name : {"lcdMDisp", "lcdSDisp", "lcdBat0", "CONokN", "pnlBar", "lcdBar"})
        EXPECT_TRUE(Shown(name)) << name;
    EXPECT_EQ(Bar()->minimum(), 0);
    EXPECT_EQ(Bar()->maximum(), 100);
    EXPECT_EQ(Caption("lcdRel"), QString(QChar(0x0394)));
}

TEST_F(MeterPanelTest, WorkedExampleReadsLikeTheMeter)
{
    ASSERT_EQ(PanelFrame{}.Hex(), "0058000204D2530001000C0300");
    Feed(std::string("0058000204D2530001000C0300"));

    EXPECT_EQ(Caption("lcdMMode"), "Cs");
    EXPECT_EQ(MainText(), "1.234");
    EXPECT_EQ(Caption("lcdMUnit"), "nF");
    EXPECT_EQ(Caption("lcdSMod"), "D");
    EXPECT_EQ(SubText(), "0.012");
    EXPECT_EQ(Caption("lcdSUnit"), "");
    EXPECT_EQ(Caption("lcdFREQ"), "1KHz");
    EXPECT_TRUE(Shown("lcdFREQ"));
    for (const char* name : {"lcdBat1", "lcdBat2", "lcdBat3", "pnlBar", "lcdSDisp"})
        EXPECT_TRUE(Shown(name)) << name;
    for (const char* name : {"lcdHold", "lcdRel", "lcdLCR", "lcdAuto", "lcdSorting"})
        EXPECT_FALSE(Shown(name)) << name;
    EXPECT_EQ(Bar()->value(), 1234);
    EXPECT_EQ(Bar()->maximum(), 20000);
}

TEST_F(MeterPanelTest, ReceivedChunksMakeTheConnectionPicturesTakeTurns)
{
    const std::vector<char> frame = {0x00, 0x0D, 0x00, 0x58, 0x00, 0x02, 0x04, static_cast<char>(0xD2), 0x53,
                                     0x00, 0x01, 0x00, 0x0C, 0x03, 0x00, 0x0D, 0x0A};
    for (int chunk = 1; chunk <= 3; ++chunk) {
        decoder.CP21101ReceiveData(frame.data(), static_cast<std::uint32_t>(frame.size()));
        const bool lit = chunk % 2 == 1;
        EXPECT_EQ(Shown("CONok"), lit) << chunk;
        EXPECT_EQ(Shown("CONokN"), !lit) << chunk;
    }
    EXPECT_EQ(MainText(), "1.234");
}

TEST_F(MeterPanelTest, IndicatorsFollowTheirFlags)
{
    struct Case { bool hold, rel, lcr, autoRange; };
    const Case cases[] = {
        {true, false, false, false}, {false, true, false, false}, {false, false, true, false},
        {false, false, false, true}, {true, true, true, true},    {false, false, false, false},
    };
    for (const Case& c : cases) {
        PanelFrame frame;
        frame.hold = c.hold;
        frame.rel = c.rel;
        frame.lcr = c.lcr;
        frame.autoRange = c.autoRange;
        Feed(frame);
        SCOPED_TRACE(frame.Hex());
        EXPECT_EQ(Shown("lcdHold"), c.hold);
        EXPECT_EQ(Shown("lcdRel"), c.rel);
        EXPECT_EQ(Shown("lcdLCR"), c.lcr);
        EXPECT_EQ(Shown("lcdAuto"), c.lcr || c.autoRange);
    }
}

TEST_F(MeterPanelTest, BatteryLevelShowsThatManyBars)
{
    for (std::uint8_t level : {0, 2, 1, 3, 0}) {
        PanelFrame frame;
        frame.battery = level;
        Feed(frame);
        EXPECT_EQ(Shown("lcdBat1"), level >= 1) << int(level);
        EXPECT_EQ(Shown("lcdBat2"), level >= 2) << int(level);
        EXPECT_EQ(Shown("lcdBat3"), level >= 3) << int(level);
    }
}

TEST_F(MeterPanelTest, FrequencyCaptionKeepsItsInitialTextUntilTheFrequencyFirstChanges)
{
    struct Step { std::uint8_t freq; const char* caption; };
    const Step steps[] = {{0, "100 Hz"}, {0, "100 Hz"}, {1, "120Hz"}, {0, "100Hz"}, {4, "100KHz"},
                          {3, "10KHz"},  {6, "10KHz"},  {2, "1KHz"}};
    for (const Step& step : steps) {
        PanelFrame frame;
        frame.freq = step.freq;
        Feed(frame);
        EXPECT_EQ(Caption("lcdFREQ"), step.caption) << int(step.freq);
        EXPECT_TRUE(Shown("lcdFREQ"));
    }
}

TEST_F(MeterPanelTest, DcrHidesTheFrequencyAndTheNextFrameShowsIt)
{
    PanelFrame dcr;
    dcr.mainMode = mmDCR;
    Feed(dcr);
    EXPECT_EQ(Caption("lcdMMode"), "DCR");
    EXPECT_FALSE(Shown("lcdFREQ"));

    PanelFrame inductance;
    inductance.mainMode = mmL;
    Feed(inductance);
    EXPECT_EQ(Caption("lcdMMode"), "Ls");
    EXPECT_TRUE(Shown("lcdFREQ"));
}

TEST_F(MeterPanelTest, ModeCaptionsFollowFunctionAndCircuit)
{
    struct Case { std::uint8_t mainMode, subMode; bool parallel; const char* main; QString sub; };
    const Case cases[] = {
        {mmC, smESR, false, "Cs", "ESR"},
        {mmC, smESR, true, "Cp", "Rp"},  // one frame turns both
        {mmL, smQ, true, "Lp", "Q"},
        {mmR, smTheta, false, "Rs", QString(QChar(0x03B8))},
        {mmR, smD, true, "Rp", "D"},
        {mmNone, smNone, false, "", ""},
        {mmL, smQ, false, "Ls", "Q"},
        {6, 7, false, "Ls", "Q"},  // codes outside the tables keep the captions
    };
    for (const Case& c : cases) {
        PanelFrame frame;
        frame.mainMode = c.mainMode;
        frame.subMode = c.subMode;
        frame.parallel = c.parallel;
        Feed(frame);
        SCOPED_TRACE(frame.Hex());
        EXPECT_EQ(Caption("lcdMMode"), c.main);
        EXPECT_EQ(Caption("lcdSMod"), c.sub);
    }
}

TEST_F(MeterPanelTest, UnitCaptions)
{
    struct Case { std::uint8_t mainUnit, subUnit; QString main, sub; };
    const Case cases[] = {
        {udeg, udeg, "deg", QString(QChar(0x309C))},
        {uKOhm, uPercent, QStringLiteral("K\u03A9"), "%"},
        {uuH, uOhm, "uH", QString(QChar(0x03A9))},
        {15, 31, "", ""},  // outside the caption table
        {umF, uNoneB, "mF", ""},
    };
    for (const Case& c : cases) {
        PanelFrame frame;
        frame.mainUnit = c.mainUnit;
        frame.subUnit = c.subUnit;
        Feed(frame);
        SCOPED_TRACE(frame.Hex());
        EXPECT_EQ(Caption("lcdMUnit"), c.main);
        EXPECT_EQ(Caption("lcdSUnit"), c.sub);
        EXPECT_GE(Label("lcdMUnit")->width(), Label("lcdMUnit")->sizeHint().width());
    }
}

TEST_F(MeterPanelTest, BlankSecondaryReadoutIsHiddenAndTheNextNumberShowsIt)
{
    for (std::uint8_t blank : {rkBlankA, rkBlankB}) {
        PanelFrame frame;
        frame.subKind = blank;
        Feed(frame);
        EXPECT_FALSE(Shown("lcdSDisp")) << int(blank);
        EXPECT_EQ(SubText(), "");

        Feed(PanelFrame{});
        EXPECT_TRUE(Shown("lcdSDisp"));
        EXPECT_EQ(SubText(), "0.012");
    }
}

TEST_F(MeterPanelTest, ReadoutTextsByKind)
{
    struct Case { std::uint8_t kind; const char* main; const char* sub; };
    const Case cases[] = {
        {rkDashes, "- - - -", "- - - -"}, {rkOL, " OL  ", "  0L  "},    {rkOFF, "OFF   ", "OFF  "},
        {rkERR, "ERR   ", "ERR  "},       {rkPASS, "PASS  ", "PASS  "}, {rkFAIL, "FAIL  ", "FAIL  "},
        {rkOPEN, "OPEN  ", "OPEN  "},     {rkSHORT, "SHORT ", "SHORT "}, {11, "SHORT ", "SHORT "},
        {rkBlankA, "", ""},               {31, "", ""},                 {rkNumber, "1.234", "0.012"},
    };
    for (const Case& c : cases) {
        PanelFrame frame;
        frame.mainKind = c.kind;
        frame.subKind = c.kind;
        Feed(frame);
        SCOPED_TRACE(int(c.kind));
        EXPECT_EQ(MainText(), c.main);
        EXPECT_EQ(SubText(), c.sub);
    }
}

TEST_F(MeterPanelTest, OverloadFillsTheBarOnConsecutiveFramesAtEveryPointCode)
{
    for (std::uint8_t point = 0; point <= 4; ++point) {
        PanelFrame overload;
        overload.mainKind = rkOL;
        overload.mainPoint = point;
        for (int repeat = 0; repeat < 2; ++repeat) {
            Feed(overload);
            SCOPED_TRACE(int(point));
            EXPECT_EQ(MainText(), " OL  ");
            EXPECT_GT(Bar()->maximum(), 0);
            EXPECT_EQ(Bar()->value(), Bar()->maximum());
        }
    }
}

TEST_F(MeterPanelTest, NumberReadingsPlaceTheBarOnTheFullScale)
{
    struct Case { std::uint16_t raw; std::uint8_t point; std::uint8_t kind; double fraction; };
    const Case cases[] = {
        {20000, 0, rkNumber, 1.0}, {0, 3, rkNumber, 0.0},   {10000, 4, rkNumber, 0.5},
        {500, 1, rkNumber, 0.025}, {65535, 2, rkNumber, 1.0}, {1234, 3, rkERR, 0.0},
        {1234, 3, rkDashes, 0.0},  {1999, 2, rkNumber, 0.09995},
    };
    for (const Case& c : cases) {
        PanelFrame frame;
        frame.mainRaw = c.raw;
        frame.mainPoint = c.point;
        frame.mainKind = c.kind;
        Feed(frame);
        SCOPED_TRACE(frame.Hex());
        EXPECT_DOUBLE_EQ(double(Bar()->value()) / Bar()->maximum(), c.fraction);
    }
}

TEST_F(MeterPanelTest, TheBarIsDrawnAgainOnlyWhenItsFilledLengthChanges)
{
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    PanelFrame frame;
    frame.mainPoint = 4;
    frame.mainRaw = 10000;
    Feed(frame);
    QApplication::processEvents();
    test::PaintRecorder paints(*Bar());
    frame.mainRaw = 10001;  // a fiftieth of a pixel further
    Feed(frame);
    QApplication::processEvents();
    EXPECT_EQ(paints.Count(), 0);
    EXPECT_EQ(Bar()->value(), 10001);
    frame.mainRaw = 15000;
    Feed(frame);
    EXPECT_EQ(paints.Count(), 0) << "drawn with the window's next paint, not at once";
    QApplication::processEvents();
    EXPECT_EQ(paints.Count(), 1);
}

TEST_F(MeterPanelTest, PointCodeWithoutFullScaleEmptiesTheBarWithoutABusyIndicator)
{
    PanelFrame frame;
    frame.mainPoint = 5;
    Feed(frame);
    EXPECT_LT(Bar()->minimum(), Bar()->maximum());
    EXPECT_EQ(Bar()->value(), 0);
}

TEST_F(MeterPanelTest, ToleranceSwapsTheBarForTheSortingLabels)
{
    struct Step { std::uint8_t tolerance; bool sorting; bool sign; const char* caption; };
    const Step steps[] = {
        {1, true, true, "0.25%"},  // no caption of its own: the initial one stays
        {3, true, true, "0.25%"},      {10, true, false, "-20% +80%"}, {4, true, true, "0.5%"},
        {9, true, true, "20.0%"},      {12, true, true, "20.0%"},      {0, false, false, "20.0%"},
        {8, true, true, "10.0%"},
    };
    for (const Step& step : steps) {
        PanelFrame frame;
        frame.tolerance = step.tolerance;
        Feed(frame);
        SCOPED_TRACE(int(step.tolerance));
        EXPECT_EQ(Shown("pnlBar"), !step.sorting);
        EXPECT_EQ(Shown("lcdSorting"), step.sorting);
        EXPECT_EQ(Shown("lcdTol"), step.sorting);
        EXPECT_EQ(Shown("lcdSortp"), step.sorting);
        EXPECT_EQ(Shown("lcdJianhao"), step.sign);
        EXPECT_EQ(Shown("lcdJiahao"), step.sign);
        EXPECT_EQ(Caption("lcdSortp"), step.caption);
    }
}

TEST_F(MeterPanelTest, ParallelCapacitanceAtLowFrequencyShowsAWholeNumber)
{
    PanelFrame frame;
    frame.parallel = true;
    frame.freq = 0;
    frame.mainRaw = 12345;
    frame.mainPoint = 2;
    Feed(frame);
    EXPECT_EQ(Caption("lcdMMode"), "Cp");
    EXPECT_EQ(MainText(), "123");
}

TEST_F(MeterPanelTest, ReadoutsLookLikeTheMetersDisplay)
{
    struct Case { const char* name; int pixelSize; QRect geometry; };
    const Case cases[] = {{"lcdMDisp", 71, QRect(56, 41, 297, 73)}, {"lcdSDisp", 37, QRect(200, 129, 153, 41)}};
    for (const Case& c : cases) {
        auto* readout = panel.findChild<TCEdit*>(QLatin1String(c.name));
        ASSERT_NE(readout, nullptr) << c.name;
        EXPECT_EQ(readout->font().family(), "DSEG7 Classic");
        EXPECT_EQ(readout->font().pixelSize(), c.pixelSize);
        EXPECT_EQ(readout->geometry(), c.geometry);
        EXPECT_EQ(readout->palette().color(QPalette::Base), QColor(166, 202, 240));
        EXPECT_EQ(readout->Alignment(), taRightJustify);
        EXPECT_TRUE(readout->isReadOnly());
        EXPECT_FALSE(readout->hasFrame());
        EXPECT_EQ(readout->cursor().shape(), Qt::ArrowCursor);
    }
    EXPECT_EQ(panel.size(), QSize(453, 245));
    QFont indicator = Label("lcdHold")->font();
    // Arial, or where it is missing the first stand-in of its widths that is installed, asked for by name.
    const QStringList standIns = {"Arial", "Liberation Sans", "Arimo", "DejaVu Sans Condensed"};
    EXPECT_TRUE(standIns.contains(indicator.family())) << indicator.family().toStdString();
    EXPECT_EQ(QFontInfo(indicator).family(), indicator.family());
    EXPECT_EQ(indicator.pixelSize(), 12);
    EXPECT_TRUE(indicator.bold());
}

// Hidden captions are measured when first shown (here without showing the panel): each is then as wide as
// its text needs and at least as wide as its design.
TEST_F(MeterPanelTest, HiddenCaptionsTakeTheirMeasuredWidthOnceShown)
{
    for (QLabel* label : panel.findChildren<QLabel*>()) {
        if (!label->isHidden())
            continue;
        SCOPED_TRACE(label->objectName().toStdString());
        const int designWidth = label->width();
        label->show();
        EXPECT_GE(label->width(), label->sizeHint().width());
        EXPECT_GE(label->width(), designWidth);
    }
}

TEST(MeterPanelFocus, ReadoutsPassTheFocusToTheNextTabStop)
{
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* before = new QLineEdit(&window);
    auto* panel = new TMeterPanel(&window);
    auto* after = new QLineEdit(&window);
    column->addWidget(before);
    column->addWidget(panel);
    column->addWidget(after);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    for (QWidget* readout : {static_cast<QWidget*>(panel->lcdMDisp()), static_cast<QWidget*>(panel->lcdSDisp())}) {
        before->setFocus();
        QTest::mouseClick(readout, Qt::LeftButton);
        EXPECT_FALSE(readout->hasFocus());
        EXPECT_TRUE(after->hasFocus()) << readout->objectName().toStdString();
    }
}

}  // namespace
}  // namespace korvex
