#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>
#include <clocale>
#include <cmath>

#include "meter/ReadingFormat.h"
#include "meter/UnitTexts.h"

namespace korvex::test {
namespace {

struct FormatCase {
    std::int32_t raw;
    std::int32_t point;
    bool main;
    std::string separator;
    std::string text;
};

TEST(FormatReading, TableOfCounts)
{
    const FormatCase cases[] = {
        {0, 0, true, ".", "0"},
        {12345, 0, false, ".", "12345"},
        {5, 1, true, ".", "0.5"},
        {5, 3, false, ".", "0.005"},
        {1234, 3, true, ",", "1,234"},
        {65535, 1, true, ".", "6553.5"},
        {1234, 4, true, ".", ".1234"},
        {1234, 4, false, ".", "0.1234"},
        {12345, 4, true, ".", "1.2345"},
        {0, 4, true, ",", ",0000"},
        {1234, 4, true, "", "01234"},       // no separator: the text is never six characters long
        {1234, 4, true, "::", "0::1234"},   // a longer separator leaves the leading zero
        {1234, 2, false, "::", "12::34"},
        {1234, 5, true, ".", ""},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(FormatReading(c.raw, c.point, c.main, c.separator), c.text)
            << c.raw << " point " << c.point << " main " << c.main << " sep '" << c.separator << "'";
}

TEST(ParseReading, ReadsEveryFormattedTextBackToItsCount)
{
    // Whatever the C library's locale says, the separator given is the one that counts.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    for (const std::string separator : {".", ",", "", "::"})
        for (std::int32_t point = 0; point <= 4; ++point)
            for (std::int32_t raw : {0, 1, 9, 10, 1234, 12345, 19999, 65535})
                for (bool main : {true, false}) {
                    const std::string text = FormatReading(raw, point, main, separator);
                    const std::optional<double> value = ParseReading(text, separator);
                    ASSERT_TRUE(value) << text;
                    const double scale = separator.empty() ? 1.0 : std::pow(10.0, point);
                    EXPECT_EQ(std::llround(*value * scale), raw) << text << " sep '" << separator << "'";
                }
    std::setlocale(LC_NUMERIC, "C");
}

TEST(ParseReading, RejectsWhatIsNotAReading)
{
    for (const char* text : {"", ".", "-", "1.2.3", "1,5", "1e3", " 1", "inf", "nan", "0x10", "+1", "OL"})
        EXPECT_FALSE(ParseReading(text, ".")) << text;
    EXPECT_DOUBLE_EQ(*ParseReading("6553.", "."), 6553.0);
    EXPECT_DOUBLE_EQ(*ParseReading(".1234", "."), 0.1234);
    EXPECT_DOUBLE_EQ(*ParseReading("-12,5", ","), -12.5);
}

TEST(ReadDecimalSeparator, ComesFromTheSystemLocale)
{
    // The system locale is read once per process, from LC_ALL first; nothing in this test program reads it
    // before this test. Under Wine the Windows user locale follows LC_ALL too, set for the whole process
    // by the test's environment.
    qputenv("LC_ALL", QByteArray("de_DE.UTF-8"));
    EXPECT_EQ(ReadDecimalSeparator(), ",");
}

TEST(FullScale, ByDecimalPointCode)
{
    const double expected[] = {20000, 2000, 200, 20, 2, 0, 0, 0};
    for (std::int32_t point = 0; point < 8; ++point)
        EXPECT_EQ(FullScale(point), expected[point]) << point;
}

TEST(UnitTexts, CaptionsByUnitAndEmptyOutsideTheTable)
{
    const auto texts = DefaultUnitTexts();
    EXPECT_EQ(texts[uNoneA], u"");
    EXPECT_EQ(texts[uOhm], u"\u03A9");
    EXPECT_EQ(texts[uKOhm], u"K\u03A9");
    EXPECT_EQ(texts[uuH], u"uH");
    EXPECT_EQ(texts[upF], u"pF");
    EXPECT_EQ(texts[udeg], u"deg");
    EXPECT_EQ(UnitCaption(texts, uuF), u"uF");
    EXPECT_EQ(UnitCaption(texts, 15), u"");
    EXPECT_EQ(UnitCaption(texts, 31), u"");
}

}  // namespace
}  // namespace korvex::test
