// libXrandr, which the X11 host uses where it is installed but does not need: loaded at run time, once.
#pragma once

#include <dlfcn.h>

// The library's handle, or null where it is not installed. Never closed: the library hooks itself into the
// display's close, which must still find it.
inline void* XrandrLibrary()
{
    static void* const library = dlopen("libXrandr.so.2", RTLD_LAZY | RTLD_LOCAL);
    return library;
}
