#include "LibrarySearch.h"

#include <windows.h>

// The load configuration the linker does not make: its DependentLoadFlags (where
// the headers of this toolchain still say Reserved1) send the search for the
// libraries the exe imports to the system folder. tools/set-load-config.py names
// it in the exe's header after linking.
// The loader reads it before any code runs, so it is constant, field by field:
// fourteen fields, then CSDVersion and the flags.
extern "C" constexpr IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used = {
    sizeof (IMAGE_LOAD_CONFIG_DIRECTORY), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, LOAD_LIBRARY_SEARCH_SYSTEM32
};

namespace
{
    bool limitedToSystemFolder = false;

    // Before anything of the program's own runs (the earliest priority a program
    // may take, ahead of every static object): the libraries the framework and the
    // system load later come from the system folder too.
    __attribute__ ((constructor (101))) void limitLibrarySearch()
    {
        limitedToSystemFolder = SetDefaultDllDirectories (LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
    }
}

bool LibrarySearch::isLimitedToSystemFolder() { return limitedToSystemFolder; }
