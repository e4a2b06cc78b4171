// The process entry: the argument text after the program name, the mode's run and the exit.
#include <windows.h>

#include "shell/command_line.h"
#include "shell/dispatch_command_line.h"

namespace {

const char* NextCharacter(const char* text)
{
    return CharNextA(text);
}

// Ends the process with the mode's result; the runtime's exit processing (static destructors, functions
// queued to run at exit) does not run.
[[noreturn]] void SaverEntry()
{
    const char* arguments = SkipProgramName(GetCommandLineA(), NextCharacter);
    int32_t result = DispatchCommandLine(GetModuleHandleA(nullptr), arguments);
    ExitProcess(static_cast<UINT>(result));
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    (void)instance;
    (void)previousInstance;
    (void)commandLine;
    (void)showCommand;
    SaverEntry();
}
