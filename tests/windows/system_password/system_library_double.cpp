// The system-directory loader as the password tests need it: the library by its bare name, so that the
// stand-ins in the folder the test gives SetDllDirectoryA are found in place of the system's.
#include "windows/win32/system_library.h"

HMODULE LoadSystemLibrary(const char* name)
{
    return LoadLibraryA(name);
}
