#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <functional>

#include "common/ImageDifference.h"
#include "widgets/CControls.h"

namespace korvex {
namespace {

Qt::Alignment Horizontal(const TCEdit& edit)
{
    return edit.alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute;
}

// A read-only box of the main readout's size and colours, in font, showing text placed by alignment.
void ShowAsReadout(QLineEdit& edit, const QFont& font, Qt::Alignment alignment, bool frame, const QString& text)
{
    edit.setFont(font);
    edit.setAlignment(alignment | Qt::AlignAbsolute | Qt::AlignVCenter);
    edit.setReadOnly(true);
    edit.setFrame(frame);
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, QColor(166, 202, 240));
    palette.setColor(QPalette::Text, Qt::black);
    edit.setPalette(palette);
    edit.resize(297, 73);
    edit.setText(text);
}

QFont Sized(const QString& family, int pixels)
{
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

TEST(TCEdit, TextTooLargeForQtsGlyphPicturesLooksAsQLineEditDrawsIt)
{
    struct Case { QFont font; Qt::Alignment alignment; bool frame; QString text; };
    const QFont readout = Sized(QStringLiteral("DSEG7 Classic"), 71);
    // Kerned pairs and glyphs reaching under each other, in a font with curves.
    const QFont sans = Sized(QStringLiteral("Liberation Sans"), 66);
    const Case cases[] = {
        {readout, Qt::AlignRight, false, QStringLiteral("-12.34")},
        {readout, Qt::AlignRight, false, QStringLiteral("8.8.8.8")},
        {readout, Qt::AlignHCenter, true, QStringLiteral(" 0L ")},
        {readout, Qt::AlignLeft, true, QStringLiteral("1\t5")},
        {sans, Qt::AlignRight, false, QStringLiteral("AVAf")},
        {sans, Qt::AlignLeft, true, QStringLiteral("Wy,j")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        SCOPED_TRACE(c.font.family().toStdString());
        TCEdit edit;
        ShowAsReadout(edit, c.font, c.alignment, c.frame, c.text);
        QLineEdit reference;
        ShowAsReadout(reference, c.font, c.alignment, c.frame, c.text);
        EXPECT_TRUE(edit.DrawsTextFromImages());
        // A glyph's edge is blended once with the box's colour rather than twice: one step of rounding.
        EXPECT_LE(test::LargestDifference(edit.grab().toImage(), reference.grab().toImage()), 1);
    }
}

TEST(TCEdit, LeavesTheDrawingToQLineEditWhereItShowsMoreThanItsText)
{
    const QFont readout = Sized(QStringLiteral("DSEG7 Classic"), 71);
    const std::pair<const char*, std::function<void(QLineEdit&)>> states[] = {
        {"a selection", [](QLineEdit& edit) { edit.setSelection(1, 2); }},
        {"a text too long for the box", [](QLineEdit& edit) { edit.setText(QStringLiteral("1234567890")); }},
        {"a placeholder", [](QLineEdit& edit) { edit.clear(); edit.setPlaceholderText(QStringLiteral("1.0")); }},
        {"a font Qt keeps pictures of", [](QLineEdit& edit) { edit.setFont(Sized(QStringLiteral("DSEG7 Classic"), 37)); }},
    };
    for (const auto& [name, state] : states) {
        SCOPED_TRACE(name);
        TCEdit edit;
        ShowAsReadout(edit, readout, Qt::AlignRight, false, QStringLiteral("-1.234"));
        QLineEdit reference;
        ShowAsReadout(reference, readout, Qt::AlignRight, false, QStringLiteral("-1.234"));
        state(edit);
        state(reference);
        EXPECT_FALSE(edit.DrawsTextFromImages());
        EXPECT_EQ(edit.grab().toImage(), reference.grab().toImage());
    }
}

TEST(TCEdit, AlignmentPlacesTheTextAndMirrorsInRightToLeftLayout)
{
    struct Case { TAlignment alignment; Qt::LayoutDirection direction; Qt::Alignment expected; };
    const Case cases[] = {
        {taLeftJustify, Qt::LeftToRight, Qt::AlignLeft},   {taRightJustify, Qt::LeftToRight, Qt::AlignRight},
        {taCenter, Qt::LeftToRight, Qt::AlignHCenter},     {taLeftJustify, Qt::RightToLeft, Qt::AlignRight},
        {taRightJustify, Qt::RightToLeft, Qt::AlignLeft},  {taCenter, Qt::RightToLeft, Qt::AlignHCenter},
    };
    for (const Case& c : cases) {
        TCEdit edit;
        edit.setLayoutDirection(c.direction);
        edit.SetAlignment(c.alignment);
        SCOPED_TRACE(int(c.alignment));
        SCOPED_TRACE(int(c.direction));
        EXPECT_EQ(edit.Alignment(), c.alignment);
        // Absolute, so that Qt does not mirror the placement a second time.
        EXPECT_EQ(Horizontal(edit), c.expected);
        EXPECT_TRUE(edit.alignment() & Qt::AlignAbsolute);
    }
}

TEST(TCEdit, StartsLeftJustifiedAndFollowsALaterLayoutDirectionChange)
{
    TCEdit edit;
    EXPECT_EQ(edit.Alignment(), taLeftJustify);
    EXPECT_EQ(Horizontal(edit), Qt::AlignLeft);
    edit.SetAlignment(taRightJustify);
    edit.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(Horizontal(edit), Qt::AlignLeft);
    edit.setLayoutDirection(Qt::LeftToRight);
    EXPECT_EQ(Horizontal(edit), Qt::AlignRight);
}

TEST(TCEdit, ChangingTheAlignmentKeepsTheText)
{
    TCEdit edit;
    edit.resize(120, 22);
    edit.setText("1234.5");
    edit.setCursorPosition(2);
    for (TAlignment alignment : {taRightJustify, taCenter, taLeftJustify}) {
        edit.SetAlignment(alignment);
        EXPECT_EQ(edit.text(), "1234.5");
        EXPECT_EQ(edit.cursorPosition(), 2);
    }
}

TEST(TCEdit, SettingTheSameAlignmentDoesNothing)
{
    TCEdit edit;
    edit.SetAlignment(taCenter);
    edit.setAlignment(Qt::AlignLeft);  // placement changed behind the property's back
    edit.SetAlignment(taCenter);
    EXPECT_EQ(Horizontal(edit), Qt::AlignLeft);
    edit.SetAlignment(taRightJustify);
    EXPECT_EQ(Horizontal(edit), Qt::AlignRight);
}

}  // namespace
}  // namespace korvex
