// Sine and cosine computed by the show's own code, so that the native and the Windows build agree to the bit.
#pragma once

// Both take radians and are accurate to within one unit in the last place. They use only IEEE double
// additions and multiplications in a fixed order, so every build that evaluates doubles as doubles (SSE2,
// no contraction into fused multiply-adds) returns the very same bits. The C libraries' sin and cos differ
// between platforms (glibc, msvcrt, the x87 fsin instruction) in the last bits, and a last bit can move a
// truncated pixel position.
double PortableSine(double x);
double PortableCosine(double x);
