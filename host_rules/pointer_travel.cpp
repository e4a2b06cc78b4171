// Pointer travel against the full-screen show's threshold.
#include "host_rules/pointer_travel.h"

namespace {

uint64_t Distance(int32_t from, int32_t to)
{
    // In 64 bits: no pair of 32-bit positions overflows.
    const int64_t difference = int64_t(to) - int64_t(from);
    return uint64_t(difference < 0 ? -difference : difference);
}

} // namespace

bool IsPastMouseThreshold(int32_t fromX, int32_t fromY, int32_t x, int32_t y)
{
    return Distance(fromX, x) + Distance(fromY, y) > mouseThreshold;
}
