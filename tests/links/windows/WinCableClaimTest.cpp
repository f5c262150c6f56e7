#include <gtest/gtest.h>

#include "NodeLock.h"

namespace korvex::hidtouart {
namespace {

TEST(WinCableClaim, OneProgramPerCableWhateverTheLetterCase)
{
    const std::string path = "\\\\?\\hid#vid_10c4&pid_ea80#korvex-claim-test";
    NodeLock first(path);
    EXPECT_FALSE(first.busy());
    EXPECT_TRUE(NodeLock(path).busy());
    EXPECT_TRUE(NodeLock("\\\\?\\HID#VID_10C4&PID_EA80#KORVEX-CLAIM-TEST").busy());
    EXPECT_FALSE(NodeLock(path + "-other").busy());

    first.release();
    NodeLock again(path);
    EXPECT_FALSE(again.busy());
}

}  // namespace
}  // namespace korvex::hidtouart
