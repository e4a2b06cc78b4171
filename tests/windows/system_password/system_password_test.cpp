// Tests of the system password integration, against the stand-in PASSWORD.CPL and MPR.DLL, run as Windows 98.
#include "windows/shell/shell_state.h"
#include "windows/shell/system_password.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The private registry tree that stands in for HKEY_CURRENT_USER while a test runs, one per process.
std::string ScratchKeyName()
{
    return "Software\\Orvelle tests\\system_password " + std::to_string(GetCurrentProcessId());
}

// A folder of the stand-in libraries: "with-exports" or "without-exports", built beside this test's folder.
std::string FixtureFolder(const char* variant)
{
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof(program));
    std::string relative = std::string(program, length);
    relative = relative.substr(0, relative.find_last_of('\\')) + "\\..\\fixtures\\" + variant;
    char full[MAX_PATH];
    GetFullPathNameA(relative.c_str(), sizeof(full), full, nullptr);
    return full;
}

BOOL SaverRunningState()
{
    BOOL running = FALSE;
    EXPECT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0));
    return running;
}

void SetSaverRunningState(BOOL running)
{
    UINT previous = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(running), &previous, 0);
}

std::string HandleText(HWND window)
{
    return std::to_string(reinterpret_cast<ULONG_PTR>(window));
}

class SystemPasswordTest : public testing::Test {
  protected:
    void SetUp() override
    {
        char temporary[MAX_PATH];
        GetTempPathA(sizeof(temporary), temporary);
        logPath = std::string(temporary) + "orvelle-system-password-" + std::to_string(GetCurrentProcessId()) + ".log";
        DeleteFileA(logPath.c_str());
        SetEnvironmentVariableA("ORVELLE_TEST_LOG", logPath.c_str());
        SetEnvironmentVariableA("ORVELLE_TEST_PASSWORD_ANSWERS", nullptr);
        SetEnvironmentVariableA("ORVELLE_TEST_PASSWORD_ANSWER_FILE", nullptr);
        SetEnvironmentVariableA("ORVELLE_TEST_PASSWORD_DELAY_MS", nullptr);

        // Other tests share the Wine prefix and read the real "Control Panel\Desktop" at the same time, so this
        // process's HKEY_CURRENT_USER is redirected to a private tree for the duration of the test.
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, ScratchKeyName().c_str(), &scratchKey), ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, scratchKey), ERROR_SUCCESS);

        ASSERT_NE(GetFileAttributesA((FixtureFolder("with-exports") + "\\PASSWORD.CPL").c_str()),
                  INVALID_FILE_ATTRIBUTES)
            << "the stand-in libraries are missing from " << FixtureFolder("with-exports");
        SetDllDirectoryA(FixtureFolder("with-exports").c_str());
        isWin9x = 1;
        SetSaverRunningState(FALSE);
    }

    void TearDown() override
    {
        isWin9x = 1;
        UnloadPasswordLibrary();
        passwordLibrary = nullptr;
        verifyPassword = nullptr;
        SetSaverRunningState(FALSE);
        SetDllDirectoryA(nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (scratchKey != nullptr) {
            RegCloseKey(scratchKey);
            RegDeleteTreeA(HKEY_CURRENT_USER, ScratchKeyName().c_str());
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvelle tests"); // fails while another run's tree is there
        }
        DeleteFileA(logPath.c_str());
        SetEnvironmentVariableA("ORVELLE_TEST_LOG", nullptr);
    }

    // "ScreenSaveUsePassword" under "Control Panel\Desktop" of the redirected HKEY_CURRENT_USER. A null data
    // pointer leaves the value out; keyPresent false leaves out the whole key.
    void StorePasswordSetting(bool keyPresent, DWORD type, const BYTE* data, DWORD size)
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Control Panel");
        if (!keyPresent) {
            return;
        }
        HKEY desktop = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop), ERROR_SUCCESS);
        if (data != nullptr) {
            EXPECT_EQ(RegSetValueExA(desktop, "ScreenSaveUsePassword", 0, type, data, size), ERROR_SUCCESS);
        }
        RegCloseKey(desktop);
    }

    void StorePasswordInUse()
    {
        const DWORD one = 1;
        StorePasswordSetting(true, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
    }

    std::string LogText()
    {
        std::string text;
        HANDLE file = CreateFileA(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return text;
        }
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read != 0) {
            text.append(buffer, read);
        }
        CloseHandle(file);
        return text;
    }

    // The logged events in order: each line's text before " tick=".
    std::vector<std::string> LoggedEvents()
    {
        std::vector<std::string> events;
        std::string text = LogText();
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find("\r\n", start);
            std::string line = text.substr(start, end - start);
            events.push_back(line.substr(0, line.find(" tick=")));
            start = end == std::string::npos ? text.size() : end + 2;
        }
        return events;
    }

    void ClearLog() { DeleteFileA(logPath.c_str()); }

    std::string logPath;
    HKEY scratchKey = nullptr;
};

using Events = std::vector<std::string>;

TEST_F(SystemPasswordTest, StoredSettingArmsTheVerifierWhenAnyOfItsFourBytesIsNonZero)
{
    const struct {
        const char* description;
        bool keyPresent;
        DWORD type;
        BYTE data[5];
        DWORD size; // 0 with data: the value is left out
        bool armed;
    } cases[] = {
        {"REG_DWORD 1", true, REG_DWORD, {1, 0, 0, 0}, 4, true},
        {"REG_DWORD 0x01000000", true, REG_DWORD, {0, 0, 0, 1}, 4, true},
        {"REG_BINARY 01 00 00 00", true, REG_BINARY, {1, 0, 0, 0}, 4, true},
        {"REG_BINARY 01", true, REG_BINARY, {1}, 1, true},
        {"REG_BINARY 00 01", true, REG_BINARY, {0, 1}, 2, true},
        {"REG_BINARY 00 00 80", true, REG_BINARY, {0, 0, 0x80}, 3, true},
        {"REG_DWORD 0", true, REG_DWORD, {0, 0, 0, 0}, 4, false},
        {"REG_BINARY 00 00 00", true, REG_BINARY, {0, 0, 0}, 3, false},
        {"five bytes 01 00 00 00 00: too long to read", true, REG_BINARY, {1, 0, 0, 0, 0}, 5, false},
        {"value absent", true, REG_DWORD, {}, 0, false},
        {"key absent", false, REG_DWORD, {}, 0, false},
    };
    for (const auto& entry : cases) {
        // Starting from either running state shows that an unarmed run never calls SystemParametersInfoA.
        for (BOOL runningBefore : {FALSE, TRUE}) {
            SCOPED_TRACE(std::string(entry.description) + (runningBefore ? ", saver marked running before" : ""));
            StorePasswordSetting(entry.keyPresent, entry.type, entry.size != 0 ? entry.data : nullptr, entry.size);
            SetSaverRunningState(runningBefore);
            ClearLog();

            LoadPasswordSettings();
            EXPECT_EQ(passwordLibrary != nullptr, entry.armed);
            EXPECT_EQ(verifyPassword != nullptr, entry.armed);
            EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), passwordLibrary);
            EXPECT_EQ(SaverRunningState(), entry.armed ? TRUE : runningBefore);
            EXPECT_EQ(LoggedEvents(), entry.armed ? Events{"PASSWORD.CPL load"} : Events{});

            UnloadPasswordLibrary();
            EXPECT_EQ(passwordLibrary, nullptr);
            EXPECT_EQ(verifyPassword, nullptr);
            EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr) << "the library is still loaded";
            EXPECT_EQ(SaverRunningState(), entry.armed ? FALSE : runningBefore);
            EXPECT_EQ(LoggedEvents(), entry.armed ? (Events{"PASSWORD.CPL load", "PASSWORD.CPL free"}) : Events{});
        }
    }
}

TEST_F(SystemPasswordTest, MissingLibraryOrFunctionOrOtherPlatformLeavesThePasswordOff)
{
    const struct {
        const char* description;
        const char* folder; // where PASSWORD.CPL is looked for besides the program's own folder
        int32_t win9x;
        Events events;
    } cases[] = {
        {"no PASSWORD.CPL anywhere", "", 1, {}},
        {"PASSWORD.CPL without VerifyScreenSavePwd: loaded and freed again",
         "without-exports",
         1,
         {"PASSWORD.CPL load", "PASSWORD.CPL free"}},
        {"not Windows 95/98/Me: the library is never loaded", "with-exports", 0, {}},
    };
    for (const auto& entry : cases) {
        for (BOOL runningBefore : {FALSE, TRUE}) {
            SCOPED_TRACE(std::string(entry.description) + (runningBefore ? ", saver marked running before" : ""));
            StorePasswordInUse();
            SetDllDirectoryA(entry.folder[0] != '\0' ? FixtureFolder(entry.folder).c_str() : "");
            isWin9x = entry.win9x;
            SetSaverRunningState(runningBefore);
            ClearLog();

            LoadPasswordSettings();
            EXPECT_EQ(passwordLibrary, nullptr);
            EXPECT_EQ(verifyPassword, nullptr);
            EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
            EXPECT_EQ(SaverRunningState(), runningBefore);
            UnloadPasswordLibrary();
            EXPECT_EQ(SaverRunningState(), runningBefore);
            EXPECT_EQ(LoggedEvents(), entry.events);
        }
    }
}

TEST_F(SystemPasswordTest, UnloadingWhenNothingIsLoadedLeavesTheRunningStateAlone)
{
    SetSaverRunningState(TRUE);
    UnloadPasswordLibrary();
    EXPECT_EQ(SaverRunningState(), TRUE);
}

TEST_F(SystemPasswordTest, ASecondLoadFreesTheFirstLibrary)
{
    StorePasswordInUse();
    LoadPasswordSettings();
    LoadPasswordSettings();
    EXPECT_NE(verifyPassword, nullptr);
    EXPECT_EQ(SaverRunningState(), TRUE);
    UnloadPasswordLibrary();
    // Had the second load not freed the first, the library would still be referenced once here.
    EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
    EXPECT_EQ(LoggedEvents(),
              (Events{"PASSWORD.CPL load", "PASSWORD.CPL free", "PASSWORD.CPL load", "PASSWORD.CPL free"}));
}

TEST_F(SystemPasswordTest, VerifierIsTheLibrarysFunctionAndAnswersAsTheTestSays)
{
    StorePasswordInUse();
    LoadPasswordSettings();
    ASSERT_NE(verifyPassword, nullptr);
    const HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x10024));

    SetEnvironmentVariableA("ORVELLE_TEST_PASSWORD_ANSWERS", "0,0,1");
    const BOOL expected[] = {0, 0, 1, 1};
    for (size_t call = 0; call < std::size(expected); ++call) {
        EXPECT_EQ(verifyPassword(window), expected[call]) << "call " << call + 1;
    }
    std::string log = LogText();
    EXPECT_NE(log.find("hwnd=" + HandleText(window) + " call=1 answer=0\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("hwnd=" + HandleText(window) + " call=4 answer=1\r\n"), std::string::npos) << log;

    // An answer file overrides the list and is read again at every call.
    std::string answerPath = logPath + ".answer";
    SetEnvironmentVariableA("ORVELLE_TEST_PASSWORD_ANSWER_FILE", answerPath.c_str());
    for (const char* answer : {"1", "0\r\n", ""}) {
        HANDLE file = CreateFileA(answerPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, answer, static_cast<DWORD>(strlen(answer)), &written, nullptr);
        CloseHandle(file);
        EXPECT_EQ(verifyPassword(window), answer[0] == '1') << "answer file \"" << answer << "\"";
    }
    DeleteFileA(answerPath.c_str());
}

TEST_F(SystemPasswordTest, VerifierDispatchesTheThreadsMessagesForItsDelayLikeAModalDialog)
{
    StorePasswordInUse();
    LoadPasswordSettings();
    ASSERT_NE(verifyPassword, nullptr);
    SetEnvironmentVariableA("ORVELLE_TEST_PASSWORD_DELAY_MS", "150");
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // gives the thread its message queue
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 7, 0, 0);
    DWORD start = GetTickCount();
    EXPECT_EQ(verifyPassword(nullptr), TRUE);
    EXPECT_GE(GetTickCount() - start, 140u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_APP + 7, WM_APP + 7, PM_REMOVE))
        << "the message posted before the call was not dispatched during it";

    // A quit request met during the delay ends it and stays for the program's own loop.
    PostQuitMessage(5);
    start = GetTickCount();
    verifyPassword(nullptr);
    EXPECT_LT(GetTickCount() - start, 140u);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 5u);
}

TEST_F(SystemPasswordTest, ChangeSystemPasswordCallsMprOnceAndFreesIt)
{
    ASSERT_EQ(GetModuleHandleA("MPR.DLL"), nullptr) << "Wine's own MPR.DLL is already in the process";
    const HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x2003C));
    const struct {
        const char* folder;
        Events events;
    } cases[] = {
        {"with-exports", {"MPR.DLL load", "PwdChangePasswordA", "MPR.DLL free"}},
        {"without-exports", {"MPR.DLL load", "MPR.DLL free"}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.folder);
        SetDllDirectoryA(FixtureFolder(entry.folder).c_str());
        ClearLog();
        ChangeSystemPassword(window);
        EXPECT_EQ(GetModuleHandleA("MPR.DLL"), nullptr);
        ASSERT_EQ(LoggedEvents(), entry.events) << "without the stand-in's \"MPR.DLL load\", Wine loaded its own "
                                                   "MPR.DLL: is the program run through as-win98?";
        if (entry.events.size() == 3) {
            EXPECT_NE(LogText().find(" provider=SCRSAVE hwnd=" + HandleText(window) + " flags=0 reserved=0\r\n"),
                      std::string::npos)
                << LogText();
        }
    }
}

TEST(SetSaverRunningTest, TellsTheSystemOnlyOnWindows9x)
{
    const struct {
        int32_t win9x;
        BOOL flag;
        BOOL before;
        BOOL after;
    } cases[] = {
        {1, TRUE, FALSE, TRUE},
        {1, FALSE, TRUE, FALSE},
        {0, TRUE, FALSE, FALSE},
        {0, FALSE, TRUE, TRUE},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE("isWin9x " + std::to_string(entry.win9x) + ", flag " + std::to_string(entry.flag));
        SetSaverRunningState(entry.before);
        isWin9x = entry.win9x;
        SetSaverRunning(entry.flag);
        EXPECT_EQ(SaverRunningState(), entry.after);
    }
    isWin9x = 0;
    SetSaverRunningState(FALSE);
}

// The black-box tests of the saver rely on as-win98 making Wine report Windows 98 to the program.
TEST(PlatformTest, RunThroughAsWin98TheProgramSeesWindows98)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS))
        << "not run through tests/windows/fixtures/as-win98?";
    EXPECT_EQ(version.dwMajorVersion, 4u);
    EXPECT_EQ(version.dwMinorVersion, 10u);
}

} // namespace
