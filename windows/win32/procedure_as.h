// Functions of libraries that are loaded at run time (or may be missing), found by GetProcAddress: shared by
// the display and the shell.
#pragma once

#include <windows.h>

// GetProcAddress hands back a generic FARPROC; going through the untyped function type says on purpose that
// the export is trusted to have the signature the system documents for it.
template <typename Function> Function ProcedureAs(FARPROC procedure)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(procedure));
}
