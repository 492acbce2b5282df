// Where the system looks for the libraries that the program, and the system's own libraries, load
// by name on demand.
#pragma once

// Limits that search to the system folder, so that a library of a system name planted beside the
// program (in a downloads folder, say) is never loaded into it. It covers the loads made after the
// call, not the program's own imports, which the system resolved before it ran. False where the
// system has no such limit (Windows 7 without its update, and older): the search stays as it was.
bool LimitDllSearchToSystemFolder();
