// Starts a program with a command line given byte for byte, waits for it and reports its exit code:
//
//   cli_launch.exe PROGRAM HEX
//
// PROGRAM is the file to run (CreateProcessA's application name); HEX is the whole command line, program
// name included, as hexadecimal bytes ("2f73" is "/s"), so that the test decides every byte the started
// program finds in GetCommandLineA and no quoting or argument splitting comes in between.
// Prints "started PID" once the program runs and "exit N" (N signed) when it has ended; exits with N.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || std::strlen(argv[2]) % 2 != 0) {
        std::fprintf(stderr, "usage: cli_launch PROGRAM HEX-COMMAND-LINE\n");
        return 2;
    }
    std::vector<char> commandLine;
    for (const char* p = argv[2]; *p != '\0'; p += 2) {
        const int high = HexDigit(p[0]);
        const int low = HexDigit(p[1]);
        if (high < 0 || low < 0 || (high == 0 && low == 0)) {
            std::fprintf(stderr, "cli_launch: bad hex command line\n");
            return 2;
        }
        commandLine.push_back(static_cast<char>(high * 16 + low));
    }
    commandLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("cannot start: error %lu\n", static_cast<unsigned long>(GetLastError()));
        return 3;
    }
    std::printf("started %lu\n", static_cast<unsigned long>(process.dwProcessId));
    std::fflush(stdout);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("exit %ld\n", static_cast<long>(static_cast<LONG>(code)));
    std::fflush(stdout);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
