// The monitors a host reads from its platform: at most maxMonitors of them, none empty, and which one is the
// primary.
#pragma once

#include <cstdint>

#include "host_rules/picture_placement.h"

// The most monitors any host keeps; the rest of a larger list are left out (the picture goes on the primary,
// and a primary left out leaves the first monitor as the primary).
inline constexpr int32_t maxMonitors = 16;

struct MonitorList {
    ScreenBox boxes[maxMonitors];
    int32_t count;
    int32_t primary; // the first monitor when none was reported as the primary
};

// One monitor as the platform reports it, in the platform's order. It is kept when the list has room and the
// monitor is not empty, and a kept monitor reported as the primary becomes the list's primary. Returns
// whether it was kept.
bool ListMonitor(MonitorList& list, ScreenBox box, bool primary);
