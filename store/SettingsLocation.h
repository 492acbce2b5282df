// Where the settings file lives, chosen once at start: beside the program where this copy may write
// it there, else in the user's local application data, so that a copy in a protected folder keeps
// its arrangements and a copy kept on the desktop puts no file among the icons it arranges.
#pragma once

#include "ini/FileAccess.h"

// UTF-8 paths; "" for none.
struct SettingsLocation {
    // The settings file; "" when no folder could hold one (the store then lives in memory).
    char path[kFilePathChars];
    // A settings file beside the program that could be read but not written: read while path
    // holds no file yet, so that nothing stored there is left behind.
    char readFirst[kFilePathChars];
};

// What the choice looks at, as UTF-8 paths; "" for a folder the system did not give.
struct SettingsFolders {
    // The program's folder, ending in a separator, and the settings file's path in it.
    const char* programFolder;
    const char* besideProgram;
    // The user's local application data.
    const char* localAppData;
    // The folders the desktop shows: the user's and the public one.
    const char* desktop;
    const char* publicDesktop;
};

// In order: a settings file beside the program that this copy can write; a settings file that
// already exists under local application data, looked for before any folder is probed (a folder
// under Controlled Folder Access raises a notice at every probe); a new file beside the program
// where its folder takes one and is not a folder the desktop shows; else a new file under local
// application data, reading first the one beside the program that could not be written. Without
// local application data, the file beside the program as it stands.
void ChooseSettingsLocation(const SettingsFolders& folders, SettingsLocation* location);

// The known folders of this account; "" for one the system does not give.
void ReadKnownFolders(char (&localAppData)[kFilePathChars], char (&desktop)[kFilePathChars],
                      char (&publicDesktop)[kFilePathChars]);
