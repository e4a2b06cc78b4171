// orvelle-render-bare: the render tool's frame loop for 32-bit Linux without any C library, so that the
// whole program, start-up included, runs on an emulated i486 (qemu-i386 -cpu 486), where Debian's C library,
// built for the i686, cannot. It links the 32-bit saver's own memory and mathematical functions and speaks
// to the kernel by system calls.
//
//   orvelle-render-bare --format 8|555|565|24|32 (--tick-ms N --frames K | --ms A,B,C...)
//                       [--digest] [--out DIR [--every M] [--raw]]
//
// It prints the digest of every frame as orvelle-render --digest does, and with --out and --raw writes the
// kept frames' raw bytes (frame-NNNNN.raw); it writes no pictures. A bad option ends it with exit code 2.
#include <cstdint>
#include <string_view>

#include "host_rules/number_reading.h"
#include "show/portable_math.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"
#include "tools/render/crc32.h"

namespace {

constexpr uint32_t maxFrames = 4096;
constexpr uint32_t frameBytesMax = uint32_t(screenGeometry.width) * screenGeometry.height * 4;
uint8_t frameBuffer[frameBytesMax];
uint32_t elapsedMs[maxFrames];

// i386 Linux system calls: number in EAX, arguments in EBX, ECX, EDX.
int32_t SystemCall(int32_t number, uint32_t a, uint32_t b = 0, uint32_t c = 0)
{
    int32_t result;
    asm volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c) : "memory");
    return result;
}

constexpr int32_t sysExit = 1, sysWrite = 4, sysOpen = 5, sysClose = 6, sysMkdir = 39;

[[noreturn]] void Exit(int32_t code)
{
    for (;;)
        SystemCall(sysExit, static_cast<uint32_t>(code));
}

bool WriteAll(int32_t file, const void* data, uint32_t size)
{
    const uint8_t* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const int32_t written = SystemCall(sysWrite, file, reinterpret_cast<uint32_t>(at), size);
        if (written <= 0)
            return false;
        at += written;
        size -= static_cast<uint32_t>(written);
    }
    return true;
}

uint32_t Length(const char* text)
{
    uint32_t length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

bool Same(const char* a, const char* b)
{
    while (*a != 0 && *a == *b)
        ++a, ++b;
    return *a == *b;
}

// Writes value in digits decimal (base 10) or hex (base 16) digits, zero-padded, at text.
void Digits(char* text, uint32_t value, uint32_t digits, uint32_t base)
{
    for (uint32_t i = digits; i-- > 0; value /= base)
        text[i] = "0123456789abcdef"[value % base];
}

[[noreturn]] void BadOption(const char* option)
{
    WriteAll(2, "orvelle-render-bare: bad option ", 32);
    WriteAll(2, option, Length(option));
    WriteAll(2, "\n", 1);
    Exit(2);
}

struct Options {
    const PixelFormat* format = &xrgb8888Format;
    uint32_t frames = 0;
    uint32_t every = 0;
    const char* out = nullptr;
    bool raw = false;
};

// A comma-separated list of decimal milliseconds into elapsedMs; false for a bad or too long one.
bool ReadList(std::string_view text, uint32_t& count)
{
    for (count = 0; count < maxFrames; ++count) {
        // By hand: string_view's find would call memchr, which nothing here supplies.
        std::size_t comma = 0;
        while (comma < text.size() && text[comma] != ',')
            ++comma;
        if (!ReadUnsigned(text.substr(0, comma), 10, elapsedMs[count]))
            return false;
        if (comma == text.size()) {
            ++count;
            return true;
        }
        text.remove_prefix(comma + 1);
    }
    return false;
}

// Reads the options into options and elapsedMs, numbers as strictly as orvelle-render reads them; ends the
// program on a bad one.
void ReadOptions(int32_t count, char** arguments, Options& options)
{
    uint32_t tick = 0, frames = 0;
    for (int32_t i = 1; i < count; ++i) {
        const char* option = arguments[i];
        if (Same(option, "--digest") || Same(option, "--raw")) {
            options.raw = options.raw || Same(option, "--raw");
            continue;
        }
        if (i + 1 == count)
            BadOption(option);
        ++i;
        const std::string_view text(arguments[i], Length(arguments[i]));
        bool good = true;
        if (Same(option, "--format"))
            good = (options.format = FindPixelFormat(text)) != nullptr;
        else if (Same(option, "--out"))
            options.out = text.data();
        else if (Same(option, "--tick-ms"))
            good = ReadUnsigned(text, 10, tick);
        else if (Same(option, "--frames"))
            good = ReadUnsigned(text, 10, frames) && frames <= maxFrames;
        else if (Same(option, "--every"))
            good = ReadUnsigned(text, 10, options.every);
        else if (Same(option, "--ms"))
            good = ReadList(text, options.frames);
        else
            BadOption(option);
        if (!good)
            BadOption(option);
    }
    for (uint32_t n = 0; tick != 0 && n < frames; ++n)
        elapsedMs[options.frames++] = (n + 1) * tick;
    if (options.frames == 0)
        BadOption("--frames or --ms");
}

bool WriteRawFrame(const char* directory, uint32_t number, uint32_t size)
{
    char path[4096];
    const uint32_t length = Length(directory);
    if (length + 17 > sizeof path)
        return false;
    for (uint32_t i = 0; i < length; ++i)
        path[i] = directory[i];
    char* name = path + length;
    for (const char* part = "/frame-00000.raw"; *part != 0; ++part)
        *name++ = *part;
    *name = 0;
    Digits(path + length + 7, number, 5, 10);
    constexpr uint32_t writeCreateTruncate = 01 | 0100 | 01000;
    const int32_t file = SystemCall(sysOpen, reinterpret_cast<uint32_t>(path), writeCreateTruncate, 0644);
    if (file < 0)
        return false;
    const bool written = WriteAll(file, frameBuffer, size);
    return SystemCall(sysClose, static_cast<uint32_t>(file)) == 0 && written;
}

[[noreturn]] void Render(int32_t count, char** arguments)
{
    Options options;
    ReadOptions(count, arguments, options);
    if (options.out != nullptr)
        SystemCall(sysMkdir, reinterpret_cast<uint32_t>(options.out), 0755);
    const int32_t pitch = static_cast<int32_t>(screenGeometry.width * options.format->bytesPerPixel);
    const uint32_t frameBytes = uint32_t(pitch) * screenGeometry.height;
    StartShow(*options.format, 0);
    for (uint32_t number = 1; number <= options.frames; ++number) {
        ClearShowFrame(frameBuffer, pitch);
        DrawShowFrame(frameBuffer, pitch, elapsedMs[number - 1]);
        char line[] = "00000 00000000\n";
        Digits(line, number, 5, 10);
        Digits(line + 6, Crc32(frameBuffer, frameBytes), 8, 16);
        WriteAll(1, line, sizeof line - 1);
        const bool keep = options.every != 0 ? number % options.every == 0 : number == options.frames;
        if (keep && options.raw && options.out != nullptr && !WriteRawFrame(options.out, number, frameBytes)) {
            WriteAll(2, "orvelle-render-bare: cannot write a frame\n", 42);
            Exit(1);
        }
    }
    Exit(0);
}

} // namespace

// The static initialisers as the linker lists them for the C library's start-up to run, first to last.
extern "C" void (*__init_array_start[])();
extern "C" void (*__init_array_end[])();

// Called by _start with the initial stack: the argument count, then the arguments.
extern "C" [[noreturn]] void BareStart(uint32_t* stack)
{
    UseDoublePrecision();
    for (void (**initialiser)() = __init_array_start; initialiser != __init_array_end; ++initialiser)
        (*initialiser)();
    Render(static_cast<int32_t>(stack[0]), reinterpret_cast<char**>(stack + 1));
}

asm(R"(
    .text
    .globl _start
_start:
    xorl %ebp, %ebp
    movl %esp, %eax
    pushl %eax
    call BareStart
)");
