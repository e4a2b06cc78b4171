// Prints the bytes of its own command line, as GetCommandLineA gives them, in hexadecimal on one line; the
// test starts it through cli_launch to see what a command line looks like once the system has passed it on.
#include <windows.h>

#include <cstdio>

int main()
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(GetCommandLineA()); *p != 0; ++p)
        std::printf("%02x", *p);
    std::printf("\n");
    return 0;
}
