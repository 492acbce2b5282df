// The access lists of a program file and of the folders that hold it, read with the system's own
// calls and judged entry by entry.
#include "store/ReplaceableFile.h"

#include "store/FileSecurity.h"
#include "store/RunValue.h"

namespace {

const ACCESS_MASK kReplaceRights = FILE_WRITE_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                   WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// NT SERVICE\TrustedInstaller, S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464,
// in the layout of the platform's SID record; it has no well-known type of its own.
struct ServiceSid {
    BYTE revision;
    BYTE subAuthorityCount;
    BYTE authority[6];
    DWORD subAuthority[6];
};
const ServiceSid kTrustedInstaller = {
    1, 6, {0, 0, 0, 0, 0, 5}, {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464}};

bool IsTrusted(PSID sid) {
    return IsWellKnownSid(sid, WinLocalSystemSid) ||
           IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           EqualSid(sid, const_cast<ServiceSid*>(&kTrustedInstaller));
}

bool IsDenyType(BYTE type) {
    return type == ACCESS_DENIED_ACE_TYPE || type == ACCESS_DENIED_OBJECT_ACE_TYPE ||
           type == ACCESS_DENIED_CALLBACK_ACE_TYPE ||
           type == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;
}

// An allowing entry of a kind this code does not read grants, to be safe, everything to anyone.
AccessGrant GrantOf(const void* ace) {
    const ACE_HEADER* header = static_cast<const ACE_HEADER*>(ace);
    AccessGrant grant = {true, (header->AceFlags & INHERIT_ONLY_ACE) == 0, false, ~ACCESS_MASK(0)};
    if (IsDenyType(header->AceType)) {
        grant.allows = false;
    } else if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) {
        ACCESS_ALLOWED_ACE* allowed =
            const_cast<ACCESS_ALLOWED_ACE*>(static_cast<const ACCESS_ALLOWED_ACE*>(ace));
        grant.trusted = IsTrusted(&allowed->SidStart);
        grant.mask = allowed->Mask;
    }
    return grant;
}

// The owner may always rewrite the access list, whatever it says.
bool OthersCanReplace(const WCHAR* path) {
    CFileSecurity security(path);
    if (!security.Read() || !security.Dacl() || !security.Owner() || !IsTrusted(security.Owner())) {
        return true;
    }
    PACL dacl = security.Dacl();
    for (DWORD index = 0; index < dacl->AceCount; index++) {
        LPVOID ace = nullptr;
        if (!GetAce(dacl, index, &ace) || GrantLetsOthersReplace(GrantOf(ace))) {
            return true;
        }
    }
    return false;
}

// The length of the part no folder holds: "C:\" and "\\server\share"; 0 for a form not known here,
// which is then not judged at all.
size_t RootLength(const WCHAR* path) {
    if (path[0] != 0 && path[1] == ':' && path[2] == '\\') {
        return 3;
    }
    if (path[0] != '\\' || path[1] != '\\' || path[2] == '?' || path[2] == '.') {
        return 0;
    }
    size_t at = 2;
    for (int part = 0; part < 2; part++) {
        while (path[at] != 0 && path[at] != '\\') {
            at++;
        }
        if (part == 0 && path[at] == '\\') {
            at++;
        }
    }
    return at;
}

// Cuts path to the folder that holds it; false once it is the root.
bool CutToFolder(WCHAR* path, size_t root) {
    size_t end = 0;
    while (path[end] != 0) {
        end++;
    }
    if (end <= root) {
        return false;
    }
    while (end > root && path[end - 1] != '\\') {
        end--;
    }
    path[end > root ? end - 1 : root] = 0;
    return true;
}

} // namespace

bool GrantLetsOthersReplace(const AccessGrant& grant) {
    return grant.allows && grant.appliesHere && !grant.trusted && (grant.mask & kReplaceRights);
}

bool OnlyTrustedCanReplace(const WCHAR* path) {
    WCHAR object[kRunValueUnits];
    size_t length = 0;
    while (path[length] != 0 && length + 1 < kRunValueUnits) {
        object[length] = path[length];
        length++;
    }
    object[length] = 0;
    size_t root = path[length] == 0 ? RootLength(object) : 0;
    if (root == 0) {
        return false;
    }
    do {
        if (OthersCanReplace(object)) {
            return false;
        }
    } while (CutToFolder(object, root));
    return true;
}
