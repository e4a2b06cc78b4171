// LoadSystemLibrary: a library comes from the system directory or not at all, never from the program's own
// folder, whatever the name; and where the search is not restricted (this program never restricts it), the
// libraries that it imports come from the system directory too.
#include "windows/win32/system_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string FolderOf(HMODULE module)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(0, full.find_last_of('\\'));
}

std::string ProgramFileName()
{
    char path[MAX_PATH];
    const std::string full(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return full.substr(full.find_last_of('\\') + 1);
}

TEST(SystemLibrary, LoadsOnlyFromTheSystemDirectory)
{
    char system[MAX_PATH];
    ASSERT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
    // This program lies beside itself and not in the system directory: a bare search finds it. Mapped as data
    // only, since a program loaded as a library a second time runs no code of ours sensibly.
    const std::string besideOnly = ProgramFileName();
    const HMODULE asData = LoadLibraryExA(besideOnly.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(asData, nullptr);
    FreeLibrary(asData);
    const std::string tooLong(MAX_PATH, 'a');
    const struct {
        std::string name;
        bool loads;
    } cases[] = {
        {"kernel32.dll", true},         {"winmm.dll", true}, {besideOnly, false},
        {"no-such-library.dll", false}, {tooLong, false},
    };
    for (const auto& entry : cases) {
        const HMODULE module = LoadSystemLibrary(entry.name.c_str());
        EXPECT_EQ(module != nullptr, entry.loads) << entry.name.substr(0, 40);
        if (module != nullptr) {
            EXPECT_EQ(FolderOf(module), std::string(system)) << entry.name << " came from elsewhere";
            FreeLibrary(module);
        }
    }
}

// Wine's ddraw.dll imports wined3d.dll. A wined3d.dll that exports none of its functions lies beside this
// program (the build puts it there), and the test runs with Wine taking native libraries first for that
// name, as Windows searches every name: searched from the program's folder, it would be taken, and ddraw.dll
// would not load.
TEST(SystemLibrary, TheLibrariesItImportsComeFromTheSystemDirectory)
{
    char system[MAX_PATH];
    ASSERT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const HMODULE ddraw = LoadSystemLibrary("ddraw.dll");
    ASSERT_NE(ddraw, nullptr) << "ddraw.dll did not load: the wined3d.dll beside this program was taken?";
    const HMODULE imported = GetModuleHandleA("wined3d.dll");
    if (imported == nullptr) {
        FreeLibrary(ddraw);
        GTEST_SKIP() << "this system's ddraw.dll imports no wined3d.dll";
    }
    EXPECT_EQ(FolderOf(imported), std::string(system)) << "wined3d.dll came from elsewhere";
    FreeLibrary(ddraw);
}

} // namespace
