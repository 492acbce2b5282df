// Whether anyone but the system's own principals could replace a program file: a value that starts
// it for every user's logon would otherwise let any of them run code as the others.
#pragma once

#include "platform/win32.h"

// One entry of an access list as the decision needs it.
struct AccessGrant {
    // False for a deny entry, which only ever takes rights away.
    bool allows;
    // False for an entry that only what a folder holds inherits.
    bool appliesHere;
    // SYSTEM, Administrators or TrustedInstaller.
    bool trusted;
    ACCESS_MASK mask;
};

// True when the entry lets someone else write the object, add or delete what a folder holds,
// delete the object itself, or change its access list or owner.
bool GrantLetsOthersReplace(const AccessGrant& grant);

// True when only trusted principals own and may change the file and every folder above it; false
// also where any of them has no access list or one that cannot be read.
bool OnlyTrustedCanReplace(const WCHAR* path);
