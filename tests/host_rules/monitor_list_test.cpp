// The monitors every host keeps from its platform's list: up to the cap, none empty, and the primary.
#include <gtest/gtest.h>

#include "host_rules/monitor_list.h"

namespace {

TEST(MonitorList, KeepsUpToSixteenNonEmptyMonitorsAndThePrimary)
{
    struct Case {
        const char* what;
        int32_t reported;     // monitors 0..reported-1, each 100x100 unless empty
        int32_t empty;        // the one reported empty, or -1
        int32_t primary;      // the one reported primary, or -1
        int32_t count;        // kept
        int32_t primaryIndex; // in the list
    };
    const Case cases[] = {
        {"none", 0, -1, -1, 0, 0},
        {"no primary: the first", 3, -1, -1, 3, 0},
        {"the primary second", 2, -1, 1, 2, 1},
        {"an empty monitor is left out", 3, 0, 2, 2, 1},
        {"sixteen", 16, -1, 15, 16, 15},
        {"the seventeenth is left out, with its primary", 17, -1, 16, 16, 0},
    };
    for (const Case& c : cases) {
        MonitorList list = {};
        for (int32_t i = 0; i < c.reported; ++i) {
            const int32_t size = i == c.empty ? 0 : 100;
            const bool kept = ListMonitor(list, {i * 100, 0, size, 100}, i == c.primary);
            EXPECT_EQ(kept, i != c.empty && i < maxMonitors) << c.what << ", monitor " << i;
        }
        EXPECT_TRUE(list.count == c.count && list.primary == c.primaryIndex)
            << c.what << ": got " << list.count << " monitors, primary " << list.primary;
    }
}

} // namespace
