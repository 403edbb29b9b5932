// Failure injection for tests of code that uses the registry store. Tests run as root, where
// permission bits stop nothing, so a root whose file "cannot be read" or "cannot be written" is
// made here instead: the store then answers exactly as it does when open() or the file's write
// permission fails with EACCES. Settings last for the process until cleared.
#pragma once

#include "platform/registry/registry.h"

namespace platform::registry::testing {

// `root` is one of the four predefined handles; anything else is ignored. A root that denies
// reading fails writes too, since every change starts by reading what is there.
void denyAccess(HKEY root, bool denyRead, bool denyWrite);
void allowAllAccess();

// Forgets every parsed copy, so the next call reads each file again even if it looks unchanged
// (for tests that rewrite a file in place faster than the file system's time stamps move).
void dropCache();

} // namespace platform::registry::testing
