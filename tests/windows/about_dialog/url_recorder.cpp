// A stand-in web browser for the test prefix: it records the addresses the shell asks it to open.
//
// Registered as the https handler, it appends the address to a log file and ends.
//
//   url_recorder LOG ADDRESS
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc != 3)
        return 2;
    std::FILE* log = std::fopen(__argv[1], "ab");
    if (log == nullptr)
        return 1;
    std::fprintf(log, "open %s\n", __argv[2]);
    return std::fclose(log) == 0 ? 0 : 1;
}
