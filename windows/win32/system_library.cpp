// Libraries from the system directory, by full path, and the process's library search kept to it.
#include "windows/win32/system_library.h"

#include <cstdint>

#include "windows/win32/procedure_as.h"

namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32: older headers lack the name, and its value is fixed by the system.
constexpr DWORD searchSystemDirectory = 0x800;

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Whether RestrictLibrarySearch put the restriction in force.
bool searchRestricted = false;

} // namespace

HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    const UINT folderLength = GetSystemDirectoryA(path, MAX_PATH);
    // 0 is a failure; a length of MAX_PATH or more is the size the call would have needed.
    if (folderLength == 0 || folderLength >= MAX_PATH)
        return nullptr;
    uint32_t at = folderLength;
    // Only a system directory at a drive's root ends in a separator already.
    if (path[at - 1] != '\\')
        path[at++] = '\\';
    for (const char* c = name; *c != '\0'; ++c) {
        if (at + 1 >= MAX_PATH)
            return nullptr;
        path[at++] = *c;
    }
    path[at] = '\0';
    if (searchRestricted)
        return LoadLibraryA(path);
    // Without the restriction the libraries that this one imports would be searched in the program's folder
    // first: searched from the library's own folder instead. Windows 95 has the call and the flag.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void RestrictLibrarySearch()
{
    // kernel32 is in every process from its start: looking it up loads nothing.
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel == nullptr)
        return;
    const auto restrict =
        ProcedureAs<SetDefaultDllDirectoriesFunction>(GetProcAddress(kernel, "SetDefaultDllDirectories"));
    if (restrict != nullptr)
        searchRestricted = restrict(searchSystemDirectory) != FALSE;
}
