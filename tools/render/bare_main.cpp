// orvelle-render-bare: the render tool's frame loop for 32-bit Linux without any C library, so that the
// whole program, start-up included, runs on an emulated i486 (qemu-i386 -cpu 486), where Debian's C library,
// built for the i686, cannot. It links the 32-bit saver's own memory and mathematical functions and speaks
// to the kernel by system calls.
//
// It reads orvelle-render's command line by the same table (tools/render/render_request.h), so the two
// accept and refuse the same command lines. With --digest it prints the digest of every frame as
// orvelle-render does, and with --out and --raw writes the kept frames' raw bytes (frame-NNNNN.raw); it writes no
// pictures. A bad option ends it with exit code 2.
#include <cstdint>

#include "show/portable_math.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"
#include "tools/render/crc32.h"
#include "tools/render/render_request.h"

namespace {

constexpr uint32_t frameBytesMax = uint32_t(screenGeometry.width) * screenGeometry.height * 4;
uint8_t frameBuffer[frameBytesMax];

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

// Writes value in digits decimal (base 10) or hex (base 16) digits, zero-padded, at text.
void Digits(char* text, uint32_t value, uint32_t digits, uint32_t base)
{
    for (uint32_t i = digits; i-- > 0; value /= base)
        text[i] = "0123456789abcdef"[value % base];
}

void WriteText(int32_t file, const char* text)
{
    WriteAll(file, text, Length(text));
}

// Reads the command line as orvelle-render does; ends the program on help or a bad option.
RenderRequest ReadRequest(int32_t count, char** arguments)
{
    RenderRequest request;
    RequestRefusal refusal;
    switch (ReadRenderRequest(count, arguments, request, refusal)) {
    case RequestResult::run: return request;
    case RequestResult::help:
        WriteText(1, "usage: orvelle-render-bare [orvelle-render's options]: digests and raw frames only\n");
        Exit(0);
    case RequestResult::error: break;
    }
    WriteText(2, "orvelle-render-bare: ");
    WriteText(2, RefusalText(refusal.problem));
    if (refusal.option != nullptr) {
        WriteText(2, ": ");
        WriteText(2, refusal.option);
    }
    if (refusal.value != nullptr) {
        WriteText(2, " '");
        WriteText(2, refusal.value);
        WriteText(2, "'");
    }
    WriteText(2, "\n");
    Exit(2);
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

// Prints frame number's digest and, when it is kept, writes its raw bytes; false when they cannot be written.
bool PutFrame(const RenderRequest& request, uint32_t number, uint32_t frameBytes, bool last)
{
    char line[] = "00000 00000000\n";
    Digits(line, number, 5, 10);
    Digits(line + 6, Crc32(frameBuffer, frameBytes), 8, 16);
    if (request.digest)
        WriteAll(1, line, sizeof line - 1);
    const bool keep = request.every != 0 ? number % request.every == 0 : last;
    return !keep || !request.raw || WriteRawFrame(request.out, number, frameBytes);
}

[[noreturn]] void Render(int32_t count, char** arguments)
{
    const RenderRequest request = ReadRequest(count, arguments);
    if (request.out != nullptr)
        SystemCall(sysMkdir, reinterpret_cast<uint32_t>(request.out), 0755);
    const int32_t pitch = static_cast<int32_t>(screenGeometry.width * request.format->bytesPerPixel);
    const uint32_t frameBytes = uint32_t(pitch) * screenGeometry.height;
    const uint32_t frameCount = RequestedFrameCount(request);
    StartShow(*request.format, 0);
    FrameTimes times = StartFrameTimes(request);
    for (uint32_t number = 1, elapsedMs; NextFrameTime(times, elapsedMs); ++number) {
        ClearShowFrame(frameBuffer, pitch);
        DrawShowFrame(frameBuffer, pitch, elapsedMs);
        if (!PutFrame(request, number, frameBytes, number == frameCount)) {
            WriteText(2, "orvelle-render-bare: cannot write a frame\n");
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
extern "C" [[noreturn]] void BareStart(uint32_t* stack);
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
