// Libraries the saver loads itself, only ever from the system directory: a library of the same name beside
// the saver (in a Downloads folder, say) must never run inside it.
#pragma once

#include <windows.h>

// Loads the library of this file name from the system directory (GetSystemDirectoryA), by its full path,
// so that no other folder is searched. Null when the library is not there, cannot be loaded, or the path
// would not fit MAX_PATH.
HMODULE LoadSystemLibrary(const char* name);

// Where the system offers SetDefaultDllDirectories (found at run time; Windows 95 to Vista without the
// update lack it), restricts every later search for a library, the dependencies of loaded libraries
// included, to the system directory. Elsewhere it does nothing.
void RestrictLibrarySearch();
