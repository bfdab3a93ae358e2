// Where the process looks for the libraries it loads by name.
#include <windows.h>

#include "platform/Platform.h"

namespace kelvo {

void restrictLibrarySearch() {
    // The working folder goes out of the search for the old calls too; then every later load
    // by name looks in System32 only. The program's own imports were bound before this ran.
    SetDllDirectoryW(L"");
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace kelvo
