// What the compiled show needs of a C library, for a WebAssembly module linked without one: the memory
// comparison the compiler calls and the three mathematical functions the show names. Copies and fills need
// nothing: with bulk memory they are the instructions memory.copy and memory.fill.
#include <cstddef>
#include <cstdint>

#include "show/portable_math.h"

extern "C" {

int memcmp(const void* first, const void* second, std::size_t size)
{
    const unsigned char* a = static_cast<const unsigned char*>(first);
    const unsigned char* b = static_cast<const unsigned char*>(second);
    for (std::size_t i = 0; i < size; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return 0;
}

// The exact remainder of x / y with the sign of x, as the C library's: the divisor, doubled while it stays
// at most half the rest, is taken away; each subtraction is exact, as the rest lies between d and 2d.
double fmod(double x, double y)
{
    double rest = __builtin_fabs(x);
    const double divisor = __builtin_fabs(y);
    if (rest != rest || divisor != divisor || rest == __builtin_inf() || divisor == 0.0)
        return (x * y) / (x * y); // not a number, as the C library answers
    while (rest >= divisor) {
        double d = divisor;
        while (d <= rest * 0.5)
            d *= 2.0;
        rest -= d;
    }
    return __builtin_copysign(rest, x);
}

// Only for arguments beyond 2^19 times pi, which the show never reaches: reduced by a whole turn first,
// so the result is a bounded, deterministic sine, though not the C libraries' (which differ among
// themselves there too).
constexpr double wholeTurn = 6.283185307179586;

double sin(double x)
{
    return PortableSine(fmod(x, wholeTurn));
}

double cos(double x)
{
    return PortableCosine(fmod(x, wholeTurn));
}
}
