#include <gtest/gtest.h>

#include "widgets/CControls.h"

namespace korvex {
namespace {

Qt::Alignment Horizontal(const TCEdit& edit)
{
    return edit.alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute;
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
