// Sine and cosine computed by the show's own code, so that the native and the Windows build agree to the bit.
#pragma once

#include <cstdint>

// Both take radians and are accurate to within one unit in the last place. They use only IEEE double
// additions and multiplications in a fixed order, so every build that evaluates doubles as doubles (SSE2,
// no contraction into fused multiply-adds) returns the very same bits. The C libraries' sin and cos differ
// between platforms (glibc, msvcrt, the x87 fsin instruction) in the last bits, and a last bit can move a
// truncated pixel position.
double PortableSine(double x);
double PortableCosine(double x);

// On the x87 (32-bit builds without SSE) doubles are only doubles once the precision control is set to 53
// bits; its default keeps 64-bit mantissas, whose extra bits can move a truncated pixel. Sets it for the
// calling thread (the control word is per thread) and leaves other builds alone. A program that links the
// show has it called on its main thread before its static initialisers run; any other thread that computes
// the show's numbers must call it first.
void UseDoublePrecision();

// True when the calling thread computes doubles as IEEE doubles: always, but on the x87 only after
// UseDoublePrecision.
bool UsesDoublePrecision();

// A double truncated toward zero, as static_cast does, for values from -2^31 to just below 2^31 - 0.5. On the
// x87 a cast switches the rounding mode twice around every conversion, and each switch stalls the
// pipeline; there the value is rounded to the nearest integer in the current mode and then moved one step
// toward zero when rounding went away from it, which gives the same integer.
inline int32_t TruncateToInt32(double value)
{
#if defined(__i386__) && !defined(__SSE2_MATH__)
    int32_t nearest;
    asm("fistpl %0" : "=m"(nearest) : "t"(value) : "st");
    if (value >= 0.0 ? double(nearest) > value : double(nearest) < value)
        nearest += value >= 0.0 ? -1 : 1;
    return nearest;
#else
    return static_cast<int32_t>(value);
#endif
}
