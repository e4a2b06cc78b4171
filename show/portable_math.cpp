// Sine and cosine after the well-known fdlibm kernels: Cody-Waite reduction by pi/2, then a polynomial on
// [-pi/4, pi/4]. Arguments are radians; the show only ever passes a few turns' worth.
#include "show/portable_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

uint32_t HighWord(double x)
{
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return static_cast<uint32_t>(bits >> 32);
}

// sin(x + y) for |x| <= pi/4, y the tail of x; withTail 0 when y is known to be zero.
double KernelSine(double x, double y, int withTail)
{
    constexpr double s1 = -1.66666666666666324348e-01;
    constexpr double s2 = 8.33333333332248946124e-03;
    constexpr double s3 = -1.98412698298579493134e-04;
    constexpr double s4 = 2.75573137070700676789e-06;
    constexpr double s5 = -2.50507602534068634195e-08;
    constexpr double s6 = 1.58969099521155010221e-10;

    if ((HighWord(x) & 0x7FFFFFFFu) < 0x3E400000u) // |x| < 2^-27: sin x is x to double precision
        return x;
    const double z = x * x;
    const double v = z * x;
    const double r = s2 + z * (s3 + z * (s4 + z * (s5 + z * s6)));
    if (withTail == 0)
        return x + v * (s1 + z * r);
    return x - ((z * (0.5 * y - v * r) - y) - v * s1);
}

// cos(x + y) for |x| <= pi/4.
double KernelCosine(double x, double y)
{
    constexpr double c1 = 4.16666666666666019037e-02;
    constexpr double c2 = -1.38888888888741095749e-03;
    constexpr double c3 = 2.48015872894767294178e-05;
    constexpr double c4 = -2.75573143513906633035e-07;
    constexpr double c5 = 2.08757232129817482790e-09;
    constexpr double c6 = -1.13596475577881948265e-11;

    const uint32_t ix = HighWord(x) & 0x7FFFFFFFu;
    if (ix < 0x3E400000u) // |x| < 2^-27
        return 1.0;
    const double z = x * x;
    const double r = z * (c1 + z * (c2 + z * (c3 + z * (c4 + z * (c5 + z * c6)))));
    if (ix < 0x3FD33333u) // |x| < 0.3
        return 1.0 - (0.5 * z - (z * r - x * y));
    // Split off a quarter of x*x (or 0.28125) so that 1 - qx is exact and the rest stays small.
    double qx;
    if (ix > 0x3FE90000u) {
        qx = 0.28125;
    } else {
        const uint64_t bits = static_cast<uint64_t>(ix - 0x00200000u) << 32;
        std::memcpy(&qx, &bits, sizeof qx);
    }
    const double hz = 0.5 * z - qx;
    const double a = 1.0 - qx;
    return a - (hz - (z * r - x * y));
}

// Reduces x to y[0] + y[1] in [-pi/4, pi/4] and returns the number of quarter turns n, x = n*pi/2 + y.
// Valid for |x| up to about 2^19 * pi/2; pi/2 is carried in three pieces of 33 bits so that even an x
// close to a multiple of pi/2 keeps its significant bits.
int ReduceByHalfPi(double x, double y[2])
{
    constexpr double invHalfPi = 6.36619772367581382433e-01;
    constexpr double halfPi1 = 1.57079632673412561417e+00;
    constexpr double halfPi1Tail = 6.07710050650619224932e-11;
    constexpr double halfPi2 = 6.07710050630396597660e-11;
    constexpr double halfPi2Tail = 2.02226624879595063154e-21;
    constexpr double halfPi3 = 2.02226624871116645580e-21;
    constexpr double halfPi3Tail = 8.47842766036889956997e-32;

    const double t = std::fabs(x);
    const int n = static_cast<int>(t * invHalfPi + 0.5);
    const double fn = n;
    double r = t - fn * halfPi1;
    double w = fn * halfPi1Tail;
    const int exponent = static_cast<int>(HighWord(t) >> 20);
    y[0] = r - w;
    if (exponent - static_cast<int>((HighWord(y[0]) >> 20) & 0x7FF) > 16) {
        // Heavy cancellation: subtract the second piece of pi/2.
        double u = r;
        w = fn * halfPi2;
        r = u - w;
        w = fn * halfPi2Tail - ((u - r) - w);
        y[0] = r - w;
        if (exponent - static_cast<int>((HighWord(y[0]) >> 20) & 0x7FF) > 49) {
            u = r;
            w = fn * halfPi3;
            r = u - w;
            w = fn * halfPi3Tail - ((u - r) - w);
            y[0] = r - w;
        }
    }
    y[1] = (r - y[0]) - w;
    if (x < 0) {
        y[0] = -y[0];
        y[1] = -y[1];
        return -n;
    }
    return n;
}

// Beyond this the three-piece reduction loses accuracy; the show never gets near it.
constexpr uint32_t largestReducibleHighWord = 0x413921FBu;

} // namespace

double PortableSine(double x)
{
    const uint32_t ix = HighWord(x) & 0x7FFFFFFFu;
    if (ix <= 0x3FE921FBu) // |x| <= pi/4
        return KernelSine(x, 0.0, 0);
    if (ix >= 0x7FF00000u) // infinity or NaN
        return x - x;
    if (ix > largestReducibleHighWord)
        return std::sin(x);
    double y[2];
    switch (ReduceByHalfPi(x, y) & 3) {
    case 0: return KernelSine(y[0], y[1], 1);
    case 1: return KernelCosine(y[0], y[1]);
    case 2: return -KernelSine(y[0], y[1], 1);
    default: return -KernelCosine(y[0], y[1]);
    }
}

double PortableCosine(double x)
{
    const uint32_t ix = HighWord(x) & 0x7FFFFFFFu;
    if (ix <= 0x3FE921FBu)
        return KernelCosine(x, 0.0);
    if (ix >= 0x7FF00000u)
        return x - x;
    if (ix > largestReducibleHighWord)
        return std::cos(x);
    double y[2];
    switch (ReduceByHalfPi(x, y) & 3) {
    case 0: return KernelCosine(y[0], y[1]);
    case 1: return -KernelSine(y[0], y[1], 1);
    case 2: return -KernelCosine(y[0], y[1]);
    default: return KernelSine(y[0], y[1], 1);
    }
}

#if defined(__i386__) && !defined(__SSE2_MATH__)
namespace {

constexpr uint16_t precisionControlMask = 0x0300;
constexpr uint16_t precisionControlDouble = 0x0200; // 53-bit mantissas

uint16_t ControlWord()
{
    uint16_t word;
    asm volatile("fnstcw %0" : "=m"(word));
    return word;
}

// Runs before the static initialisers of default priority, which already compute the show's palettes.
__attribute__((constructor(101))) void UseDoublePrecisionAtStartUp()
{
    UseDoublePrecision();
}

} // namespace

void UseDoublePrecision()
{
    const uint16_t word = static_cast<uint16_t>((ControlWord() & ~precisionControlMask) | precisionControlDouble);
    asm volatile("fldcw %0" : : "m"(word));
}

bool UsesDoublePrecision()
{
    return (ControlWord() & precisionControlMask) == precisionControlDouble;
}
#else
void UseDoublePrecision() {}

bool UsesDoublePrecision()
{
    return true;
}
#endif
