// When pointer travel ends a full-screen show: the same few pixels for every host.
#pragma once

#include <cstdint>

// The largest pointer travel, |dx| + |dy| in pixels, that does not end a full-screen show.
inline constexpr uint32_t mouseThreshold = 4;

// Whether the pointer at (x, y) lies more than mouseThreshold pixels of travel from (fromX, fromY). Hosts
// measure from the last position that counted, so that small moves add up.
bool IsPastMouseThreshold(int32_t fromX, int32_t fromY, int32_t x, int32_t y);
