#pragma once

/** Where the program's own libraries are loaded from. The program runs as
    administrator, perhaps from a Downloads folder that any program of the user
    can write: a library of a system name planted beside it must never load.
    Windows: from the start of the process, libraries are looked for in the
    system folder only, those the program imports included (the exe names that
    folder for them in its load configuration). */
namespace LibrarySearch
{
    /** True when the library search is limited to the system folder (always on
        systems without such a search). */
    bool isLimitedToSystemFolder();
}
