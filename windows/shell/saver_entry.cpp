// The process entry, linked without any C runtime: the x87 set up, the static initialisers, the argument
// text after the program name, the mode's run and the exit.
#include <windows.h>

#include "show/portable_math.h"
#include "windows/shell/command_line.h"
#include "windows/shell/dispatch_command_line.h"
#include "windows/win32/system_library.h"

// The static initialisers as the linker lists them: -1, then one function per initialiser (the ordinary
// ones in link order, then those with a priority, by priority), then a null pointer.
extern "C" void (*__CTOR_LIST__[])();

// The image's entry point (-Wl,--entry=SaverStart), called by the system with nothing on the stack but the
// return address; the same symbol name on every architecture.
extern "C" [[noreturn]] void SaverStart() asm("SaverStart");

namespace {

const char* NextCharacter(const char* text)
{
    return CharNextA(text);
}

// Runs the static initialisers from the last listed to the first, as the toolchain's own start-up does:
// those with a priority first (UseDoublePrecision's), then the others in reverse link order. The show's
// random sequence starts in them, so the frames depend on this order.
void RunStaticInitialisers()
{
    int32_t count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr)
        ++count;
    for (int32_t i = count; i >= 1; --i)
        __CTOR_LIST__[i]();
}

// Ends the process with the mode's result; static destructors do not run (the show's objects have none).
[[noreturn]] void SaverEntry()
{
    // Before anything can load a library: from here on no library comes from the saver's own folder.
    RestrictLibrarySearch();
    const char* arguments = SkipProgramName(GetCommandLineA(), NextCharacter);
    int32_t result = DispatchCommandLine(GetModuleHandleA(nullptr), arguments);
    ExitProcess(static_cast<UINT>(result));
}

} // namespace

void SaverStart()
{
    // The x87 in its initial state (every exception masked), then at 53-bit precision before any static
    // initialiser computes a double.
    asm volatile("fninit");
    UseDoublePrecision();
    RunStaticInitialisers();
    SaverEntry();
}
