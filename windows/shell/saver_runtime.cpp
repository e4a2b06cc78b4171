// What the compiler's code needs of a C library, for the saver, which is linked without one: the memory
// functions GCC calls for copies, fills and comparisons, and the three mathematical functions the show
// names. Each uses only instructions of the i486 and its FPU. (64-bit division and the stack probe come
// from libgcc.)
// The C library's headers declare them, so that each definition here is checked against its declaration.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" {

// A block at a time with rep stos, the fastest plain fill on an i486, and the tail byte by byte.
void* memset(void* destination, int value, std::size_t size)
{
    void* at = destination;
    std::size_t words = size / sizeof(std::size_t);
    std::size_t tail = size % sizeof(std::size_t);
    std::size_t pattern = static_cast<unsigned char>(value) * (~std::size_t{0} / 0xFF);
#if defined(__x86_64__)
    asm volatile("rep stosq" : "+D"(at), "+c"(words) : "a"(pattern) : "memory");
#else
    asm volatile("rep stosl" : "+D"(at), "+c"(words) : "a"(pattern) : "memory");
#endif
    asm volatile("rep stosb" : "+D"(at), "+c"(tail) : "a"(pattern) : "memory");
    return destination;
}

void* memcpy(void* destination, const void* source, std::size_t size)
{
    void* to = destination;
    std::size_t words = size / sizeof(std::size_t);
    std::size_t tail = size % sizeof(std::size_t);
#if defined(__x86_64__)
    asm volatile("rep movsq" : "+D"(to), "+S"(source), "+c"(words) : : "memory");
#else
    asm volatile("rep movsl" : "+D"(to), "+S"(source), "+c"(words) : : "memory");
#endif
    asm volatile("rep movsb" : "+D"(to), "+S"(source), "+c"(tail) : : "memory");
    return destination;
}

// A word at a time while the words match (the show compares its sprites' whole images and palettes with
// the copies it worked from at every draw, and they match), then byte by byte from the first word that
// differs, for the sign.
int memcmp(const void* first, const void* second, std::size_t size)
{
    const unsigned char* a = static_cast<const unsigned char*>(first);
    const unsigned char* b = static_cast<const unsigned char*>(second);
    std::size_t i = 0;
    for (; i + sizeof(std::size_t) <= size; i += sizeof(std::size_t)) {
        std::size_t wordA, wordB;
        __builtin_memcpy(&wordA, a + i, sizeof wordA);
        __builtin_memcpy(&wordB, b + i, sizeof wordB);
        if (wordA != wordB)
            break;
    }
    for (; i < size; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// The exact remainder, as the C library's: fprem reduces by at most 2^63 per step and says in C2 whether
// it is done.
double fmod(double x, double y)
{
    long double remainder = x;
    asm("1:\n\t"
        "fprem\n\t"
        "fnstsw %%ax\n\t"
        "testb $4, %%ah\n\t"
        "jnz 1b"
        : "+t"(remainder)
        : "u"(static_cast<long double>(y))
        : "ax", "cc");
    return static_cast<double>(remainder);
}

// The show computes its sines and cosines itself and calls these only for arguments beyond its own
// reduction, which it never reaches; the FPU's instructions serve those (|x| < 2^63).
double sin(double x)
{
    long double value = x;
    asm("fsin" : "+t"(value));
    return static_cast<double>(value);
}

double cos(double x)
{
    long double value = x;
    asm("fcos" : "+t"(value));
    return static_cast<double>(value);
}

} // extern "C"
