// The monitors of the virtual screen, which decide where the full-screen picture goes.
#pragma once

#include <cstdint>

#include "host_rules/picture_placement.h"

// Up to capacity monitors, in screen coordinates (the primary monitor's corner is (0, 0), the others may lie at
// negative coordinates), and which one is the primary. Returns how many there are: 0 where user32 has no
// multi-monitor functions (Windows 95, NT 4), which are therefore looked up at run time.
int32_t ReadScreenMonitors(ScreenBox* monitors, int32_t capacity, int32_t& primary);
