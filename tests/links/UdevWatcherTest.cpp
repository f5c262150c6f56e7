#include <gtest/gtest.h>

#include "links/DeviceEvents.h"
#include "links/UdevWatcher.h"

namespace korvex {
namespace {

TEST(UdevWatcher, ActionsMapToDeviceEventCodes)
{
    EXPECT_EQ(UdevWatcher::eventCodeForAction("add"), DBT_DEVICEARRIVAL);
    EXPECT_EQ(UdevWatcher::eventCodeForAction("remove"), DBT_DEVICEREMOVECOMPLETE);
    for (const char* other : {"change", "bind", "unbind", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(UdevWatcher::eventCodeForAction(other), DBT_DEVNODES_CHANGED);
}

} // namespace
} // namespace korvex
