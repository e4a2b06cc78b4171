// Tests of DispatchCommandLine under Wine, with test doubles of the modes: the platform test, every switch
// with real window handles, the fault path, and the password switch in a copy that Wine runs as Windows 98.
#include "windows/shell/dispatch_command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/windows/shell/filter_script.h"
#include "tests/windows/shell/mode_doubles.h"
#include "windows/shell/shell_state.h"

namespace {

constexpr int32_t doubleResult = 77;
const char* const asWindows98Variable = "ORVELLE_START_UP_AS_WINDOWS_98";

// A window that exists but is never the foreground window: message-only windows need no display.
HWND MessageOnlyWindow()
{
    static HWND window = nullptr;
    if (window == nullptr) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "StartUpTestWindow";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "StartUpTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
    }
    return window;
}

enum Window { none, ours, foreground };

struct Case {
    const char* arguments; // "{w}" stands for our window's handle in decimal
    const char* mode;      // the mode run, nullptr for none
    Window window;
    int32_t exitCode;
};

std::string WithHandle(const char* arguments, HWND window)
{
    std::string text = arguments;
    size_t at = text.find("{w}");
    if (at != std::string::npos) {
        text.replace(at, 3, std::to_string(reinterpret_cast<uintptr_t>(window)));
    }
    return text;
}

void ExpectCases(const Case* cases, size_t count)
{
    HWND window = MessageOnlyWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_FALSE(IsWindow(reinterpret_cast<HWND>(3)));
    HWND foregroundWindow = GetForegroundWindow();
    ASSERT_NE(foregroundWindow, window);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (size_t i = 0; i < count; ++i) {
        const Case& c = cases[i];
        std::string arguments = WithHandle(c.arguments, window);
        ResetModeDoubles(doubleResult);
        moduleInstance = nullptr;
        EXPECT_EQ(DispatchCommandLine(instance, arguments.c_str()), c.exitCode) << arguments;
        EXPECT_EQ(moduleInstance, instance);
        if (c.mode == nullptr) {
            EXPECT_EQ(modeCallCount, 0) << arguments;
            continue;
        }
        ASSERT_EQ(modeCallCount, 1) << arguments;
        EXPECT_STREQ(lastModeCall.mode, c.mode) << arguments;
        HWND expected = c.window == ours ? window : c.window == foreground ? foregroundWindow : nullptr;
        EXPECT_EQ(lastModeCall.window, expected) << arguments;
        EXPECT_EQ(saverRunningCalls, 0) << arguments;
    }
}

TEST(DispatchCommandLine, RunsTheModeOfEverySwitch)
{
    const char* run = "RunSaverWindow";
    const char* about = "ShowAboutDialog";
    const Case cases[] = {
        {"", about, none, doubleResult},
        {" -/ ", about, none, doubleResult},
        {"/s", run, none, doubleResult},
        {"/s {w}", run, none, doubleResult},
        {"/p {w}", run, ours, doubleResult},
        {"/l {w}", run, ours, doubleResult},
        {"/p:{w}", nullptr, none, -1},
        {"/p 3", nullptr, none, -1}, // no such window
        {"/p 0", nullptr, none, -1},
        {"/p", nullptr, none, -1},
        {"/c:{w}", about, ours, doubleResult},
        {"/c {w}", about, foreground, doubleResult},
        {"/c", about, foreground, doubleResult},
        {"/c:3", about, foreground, doubleResult},
        {"/c:0", about, foreground, doubleResult},
        {"/a {w}", nullptr, none, -1}, // Wine reports Windows NT
        {"/a", nullptr, none, -1},
        {"/x", nullptr, none, -1},
        {"/\x82\x72", nullptr, none, -1},
    };
    ExpectCases(cases, sizeof(cases) / sizeof(cases[0]));
    EXPECT_EQ(isWin9x, 0);
}

void ExpectFaultEndsTheRun()
{
    const LONG answers[] = {EXCEPTION_EXECUTE_HANDLER};
    FilterScript script(answers, 1);
    ResetModeDoubles(doubleResult);
    modeFaults = true;
    EXPECT_EQ(static_cast<DWORD>(DispatchCommandLine(GetModuleHandleA(nullptr), "/s")),
              ExpectedFaultCode(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(modeCallCount, 1);
    EXPECT_EQ(filterCalls, 1);
    EXPECT_EQ(saverRunningCalls, 1);
    EXPECT_EQ(lastSaverRunningFlag, FALSE);
}

TEST(DispatchCommandLine, FaultInAModeEndsTheRunAndTellsTheSystem)
{
    ExpectFaultEndsTheRun();
}

// Runs in a copy of this program that Wine reports as Windows 98 (see the next test); skipped otherwise.
TEST(AsWindows98, AcceptsThePasswordSwitch)
{
    char variable[4];
    if (GetEnvironmentVariableA(asWindows98Variable, variable, sizeof(variable)) == 0) {
        GTEST_SKIP() << "runs in a copy of this program started as Windows 98";
    }
    const char* change = "ChangeSystemPassword";
    const Case cases[] = {
        {"/a {w}", change, ours, 0},       {"/a", change, foreground, 0},
        {"/a 3", change, foreground, 0}, // no such window
        {"/a:{w}", change, foreground, 0}, {"/s", "RunSaverWindow", none, doubleResult},
        {"/x", nullptr, none, -1},
    };
    ExpectCases(cases, sizeof(cases) / sizeof(cases[0]));
    EXPECT_EQ(isWin9x, 1);
    ExpectFaultEndsTheRun();
}

TEST(DispatchCommandLine, AcceptsThePasswordSwitchOnWindows98)
{
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr) {
        GTEST_SKIP() << "needs Wine, which can report Windows 98 to one program";
    }
    // Wine reports the version named in HKCU\Software\Wine\AppDefaults\<program>\Version, so a copy of
    // this program under a name of its own runs as Windows 98.
    char self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(nullptr, self, sizeof(self)), 0u);
    std::string copyName = "start_up_as_win98_" + std::to_string(GetCurrentProcessId()) + ".exe";
    std::string copy = self;
    copy.replace(copy.find_last_of('\\') + 1, std::string::npos, copyName);
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    std::string key = "Software\\Wine\\AppDefaults\\" + copyName;
    HKEY appKey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &appKey, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(appKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
    RegCloseKey(appKey);

    SetEnvironmentVariableA(asWindows98Variable, "1");
    std::string commandLine = "\"" + copy + "\" --gtest_filter=AsWindows98.*";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    DWORD exitCode = 1;
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    SetEnvironmentVariableA(asWindows98Variable, nullptr);
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    DeleteFileA(copy.c_str());
    ASSERT_TRUE(started);
    EXPECT_EQ(exitCode, 0u) << "the copy run as Windows 98 failed; its output is above";
}

} // namespace
