// Sends messages to a running saver window from outside, for the tests: "syscommand SC_..." to the
// full-screen window, "preview MESSAGE" (help, contextmenu) to the preview window; prints the result.
// "counts NAME.exe" prints the kernel handles, GDI objects and USER objects of the running process NAME.exe.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

namespace {

int PrintCounts(const char* name)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name) != 0)
            continue;
        const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
        DWORD handles = 0;
        GetProcessHandleCount(process, &handles);
        std::printf("%lu %lu %lu\n", static_cast<unsigned long>(handles),
                    static_cast<unsigned long>(GetGuiResources(process, GR_GDIOBJECTS)),
                    static_cast<unsigned long>(GetGuiResources(process, GR_USEROBJECTS)));
        CloseHandle(process);
        CloseHandle(snapshot);
        return 0;
    }
    CloseHandle(snapshot);
    std::fprintf(stderr, "send_message: no process %s\n", name);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "counts") == 0)
        return PrintCounts(argv[2]);
    if (argc < 3) {
        std::fprintf(stderr, "usage: send_message syscommand SC_NAME | preview help|contextmenu|close | host close\n");
        return 2;
    }
    const bool preview = std::strcmp(argv[1], "preview") == 0;
    const bool host = std::strcmp(argv[1], "host") == 0;
    HWND window = host ? FindWindowA(nullptr, "Preview host")
                       : FindWindowA("WindowsScreenSaverClass", preview ? "Preview" : "Screen Saver");
    // A preview is a child window, which FindWindowA does not see: look inside the test's host window.
    if (preview && window == nullptr) {
        const HWND parent = FindWindowA(nullptr, "Preview host");
        if (parent != nullptr)
            window = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", "Preview");
    }
    if (window == nullptr) {
        std::fprintf(stderr, "send_message: no saver window\n");
        return 1;
    }
    struct Named {
        const char* name;
        WPARAM value;
    };
    const Named commands[] = {{"SC_SCREENSAVE", SC_SCREENSAVE},
                              {"SC_NEXTWINDOW", SC_NEXTWINDOW},
                              {"SC_PREVWINDOW", SC_PREVWINDOW},
                              {"SC_CLOSE", SC_CLOSE}};
    LRESULT result = 0;
    if (std::strcmp(argv[1], "syscommand") == 0) {
        for (const Named& command : commands)
            if (std::strcmp(argv[2], command.name) == 0)
                result = SendMessageA(window, WM_SYSCOMMAND, command.value, 0);
    } else if (preview && std::strcmp(argv[2], "help") == 0) {
        HELPINFO help = {};
        help.cbSize = sizeof help;
        result = SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    } else if (preview && std::strcmp(argv[2], "contextmenu") == 0) {
        result = SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(5, 5));
    } else if (std::strcmp(argv[2], "close") == 0) {
        result = SendMessageA(window, WM_CLOSE, 0, 0);
    }
    std::printf("%ld\n", static_cast<long>(result));
    return 0;
}
