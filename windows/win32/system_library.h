// Libraries the saver loads itself, only ever from the system directory: a library of the same name beside
// the saver (in a Downloads folder, say) must never run inside it.
#pragma once

#include <windows.h>

// Loads the library of this file name from the system directory (GetSystemDirectoryA), by its full path,
// so that no other folder is searched; where RestrictLibrarySearch could not restrict the search, the
// libraries it imports are searched from the system directory first too (LOAD_WITH_ALTERED_SEARCH_PATH),
// not from the program's folder. Null when the library is not there, cannot be loaded, or the path
// would not fit MAX_PATH.
HMODULE LoadSystemLibrary(const char* name);

// Where the system offers SetDefaultDllDirectories (found at run time; Windows 95 to Vista, and Windows 7
// without update KB2533623, lack it), restricts every later search for a library, the dependencies of
// loaded libraries included, to the system directory. Elsewhere it does nothing.
void RestrictLibrarySearch();
