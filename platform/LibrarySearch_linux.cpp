#include "LibrarySearch.h"

// The loader takes no libraries from the program's folder unless told to.
bool LibrarySearch::isLimitedToSystemFolder() { return true; }
