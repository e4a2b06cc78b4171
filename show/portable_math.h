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

// A double truncated toward zero, as static_cast does, for magnitudes below 2^31 - 0.5. On the x87 a cast
// switches the rounding mode twice around every conversion, and each switch stalls the pipeline; there the
// magnitude is rounded to the nearest integer in the current mode, stepped back by one where that rounded
// up, and given the value's sign, all without a branch that the signs of a run's pixels could mispredict.
inline int32_t TruncateToInt32(double value)
{
#if defined(__i386__) && !defined(__SSE2_MATH__)
    const double magnitude = value < 0.0 ? -value : value;
    int32_t truncated;
    asm("fistpl %0" : "=m"(truncated) : "t"(magnitude) : "st");
    truncated -= static_cast<int32_t>(double(truncated) > magnitude);
    const int32_t sign = -static_cast<int32_t>(value < 0.0);
    return (truncated ^ sign) - sign;
#else
    return static_cast<int32_t>(value);
#endif
}
