// Files as the host simulation knows them: which exist, the long names of short ones, and the
// owner and access list of each, laid out in the platform's own SID, ACL and ACE records so that
// the code that walks them runs unchanged.
#include "platform/host/HostTesting.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct Security {
    bool hasList = true;
    std::string owner;
    std::vector<hostsim::AccessEntry> entries;
};

struct KnownFolder {
    KNOWNFOLDERID id;
    std::string path;
};

struct Files {
    std::vector<KnownFolder> knownFolders;
    std::set<std::string> existing;               // by lower-case path
    std::map<std::string, std::string> longNames; // by lower-case short path
    std::map<std::string, Security> security;     // by lower-case path
};

Files& State() {
    static Files files;
    return files;
}

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

std::string Narrow(LPCWSTR wide) {
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(size_t(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], bytes, nullptr, nullptr);
    return std::string(text.c_str());
}

// "S-1-5-32-544" as the platform's SID record: revision, count, authority, sub-authorities.
std::vector<uint8_t> SidBytes(const std::string& text) {
    std::vector<uint32_t> parts;
    const char* at = text.c_str() + (text.size() > 2 ? 2 : text.size()); // after "S-"
    while (*at) {
        char* end = nullptr;
        unsigned long part = strtoul(at, &end, 10);
        if (end == at) {
            break;
        }
        parts.push_back(static_cast<uint32_t>(part));
        at = *end == '-' ? end + 1 : end;
    }
    parts.resize(parts.size() < 2 ? 2 : parts.size());
    size_t count = parts.size() - 2;
    std::vector<uint8_t> sid(8 + 4 * count, 0);
    sid[0] = static_cast<uint8_t>(parts[0]);
    sid[1] = static_cast<uint8_t>(count);
    sid[7] = static_cast<uint8_t>(parts[1]);
    memcpy(sid.data() + 8, parts.data() + 2, 4 * count);
    return sid;
}

size_t SidLength(PSID sid) {
    return 8 + 4 * size_t(static_cast<const uint8_t*>(sid)[1]);
}

const char* WellKnownSid(WELL_KNOWN_SID_TYPE type) {
    switch (type) {
    case WinWorldSid:
        return "S-1-1-0";
    case WinCreatorOwnerSid:
        return "S-1-3-0";
    case WinAuthenticatedUserSid:
        return "S-1-5-11";
    case WinLocalSystemSid:
        return "S-1-5-18";
    case WinBuiltinAdministratorsSid:
        return "S-1-5-32-544";
    case WinBuiltinUsersSid:
        return "S-1-5-32-545";
    }
    return nullptr;
}

void Append(std::vector<uint8_t>* block, const void* bytes, size_t length) {
    const uint8_t* from = static_cast<const uint8_t*>(bytes);
    block->insert(block->end(), from, from + length);
}

// The access list: its header, then each entry with its SID in place of SidStart.
std::vector<uint8_t> AclBytes(const std::vector<hostsim::AccessEntry>& entries) {
    std::vector<uint8_t> acl(sizeof(ACL), 0);
    for (const hostsim::AccessEntry& entry : entries) {
        std::vector<uint8_t> sid = SidBytes(entry.sid);
        ACE_HEADER header = {entry.type, entry.flags,
                             static_cast<WORD>(sizeof(ACE_HEADER) + 4 + sid.size())};
        Append(&acl, &header, sizeof header);
        Append(&acl, &entry.mask, 4);
        Append(&acl, sid.data(), sid.size());
    }
    ACL header = {2, 0, static_cast<WORD>(acl.size()), static_cast<WORD>(entries.size()), 0};
    memcpy(acl.data(), &header, sizeof header);
    return acl;
}

} // namespace

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName) {
    if (State().existing.count(Lower(Narrow(lpFileName)))) {
        return FILE_ATTRIBUTE_NORMAL;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
}

// Like the platform: the length without the terminator, or the size needed with it.
DWORD WINAPI GetLongPathNameW(LPCWSTR lpszShortPath, LPWSTR lpszLongPath, DWORD cchBuffer) {
    auto found = State().longNames.find(Lower(Narrow(lpszShortPath)));
    std::u16string wide;
    if (found == State().longNames.end()) {
        wide = lpszShortPath;
    } else {
        wide.resize(found->second.size());
        MultiByteToWideChar(CP_ACP, 0, found->second.data(), static_cast<int>(found->second.size()),
                            &wide[0], static_cast<int>(wide.size()));
    }
    if (wide.size() >= cchBuffer) {
        return static_cast<DWORD>(wide.size() + 1);
    }
    memcpy(lpszLongPath, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return static_cast<DWORD>(wide.size());
}

int WINAPI CompareStringOrdinal(LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2, int cchCount2,
                                BOOL bIgnoreCase) {
    std::u16string first =
        cchCount1 < 0 ? std::u16string(lpString1) : std::u16string(lpString1, size_t(cchCount1));
    std::u16string second =
        cchCount2 < 0 ? std::u16string(lpString2) : std::u16string(lpString2, size_t(cchCount2));
    if (bIgnoreCase) {
        for (std::u16string* text : {&first, &second}) {
            for (char16_t& unit : *text) {
                unit = unit < 0x80 ? static_cast<char16_t>(toupper(unit)) : unit;
            }
        }
    }
    int order = first.compare(second);
    return order < 0 ? CSTR_LESS_THAN : order > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

// One block holds the owner's SID and the access list; LocalFree releases it.
DWORD WINAPI GetNamedSecurityInfoW(LPCWSTR pObjectName, SE_OBJECT_TYPE ObjectType,
                                   SECURITY_INFORMATION, PSID* ppsidOwner, PSID* ppsidGroup,
                                   PACL* ppDacl, PACL* ppSacl,
                                   PSECURITY_DESCRIPTOR* ppSecurityDescriptor) {
    auto found = State().security.find(Lower(Narrow(pObjectName)));
    if (ObjectType != SE_FILE_OBJECT || found == State().security.end()) {
        return ERROR_ACCESS_DENIED;
    }
    const Security& security = found->second;
    std::vector<uint8_t> owner = SidBytes(security.owner);
    std::vector<uint8_t> acl = AclBytes(security.entries);
    uint8_t* block = static_cast<uint8_t*>(malloc(owner.size() + acl.size()));
    memcpy(block, acl.data(), acl.size());
    memcpy(block + acl.size(), owner.data(), owner.size());
    if (ppsidOwner) {
        *ppsidOwner = block + acl.size();
    }
    if (ppsidGroup) {
        *ppsidGroup = nullptr;
    }
    if (ppDacl) {
        *ppDacl = security.hasList ? reinterpret_cast<PACL>(block) : nullptr;
    }
    if (ppSacl) {
        *ppSacl = nullptr;
    }
    *ppSecurityDescriptor = block;
    return ERROR_SUCCESS;
}

BOOL WINAPI GetAce(PACL pAcl, DWORD dwAceIndex, LPVOID* pAce) {
    if (!pAcl || dwAceIndex >= pAcl->AceCount) {
        return FALSE;
    }
    uint8_t* at = reinterpret_cast<uint8_t*>(pAcl) + sizeof(ACL);
    for (DWORD index = 0; index < dwAceIndex; index++) {
        at += reinterpret_cast<ACE_HEADER*>(at)->AceSize;
    }
    *pAce = at;
    return TRUE;
}

BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2) {
    return SidLength(pSid1) == SidLength(pSid2) && memcmp(pSid1, pSid2, SidLength(pSid1)) == 0;
}

BOOL WINAPI IsWellKnownSid(PSID pSid, WELL_KNOWN_SID_TYPE WellKnownSidType) {
    const char* text = WellKnownSid(WellKnownSidType);
    if (!text) {
        return FALSE;
    }
    std::vector<uint8_t> known = SidBytes(text);
    return EqualSid(pSid, known.data());
}

HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD, HANDLE, PWSTR* ppszPath) {
    *ppszPath = nullptr;
    for (const KnownFolder& folder : State().knownFolders) {
        if (!IsEqualIID(folder.id, rfid) || folder.path.empty()) {
            continue;
        }
        int units = MultiByteToWideChar(CP_UTF8, 0, folder.path.c_str(), -1, nullptr, 0);
        *ppszPath = static_cast<PWSTR>(CoTaskMemAlloc(sizeof(WCHAR) * units));
        if (!*ppszPath) {
            return E_OUTOFMEMORY;
        }
        MultiByteToWideChar(CP_UTF8, 0, folder.path.c_str(), -1, *ppszPath, units);
        return S_OK;
    }
    return E_FAIL;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    free(hMem);
    return nullptr;
}

namespace hostsim {

void ResetFiles() {
    State() = Files();
}

void SetKnownFolder(const KNOWNFOLDERID& folder, const std::string& path) {
    std::vector<KnownFolder>& folders = State().knownFolders;
    for (KnownFolder& known : folders) {
        if (IsEqualIID(known.id, folder)) {
            known.path = path;
            return;
        }
    }
    folders.push_back({folder, path});
}

void AddFile(const std::string& path) {
    State().existing.insert(Lower(path));
}

void SetLongPathName(const std::string& shortPath, const std::string& longPath) {
    State().longNames[Lower(shortPath)] = longPath;
}

void SetFileSecurity(const std::string& path, const std::string& ownerSid,
                     const std::vector<AccessEntry>& entries) {
    Security& security = State().security[Lower(path)];
    security.hasList = true;
    security.owner = ownerSid;
    security.entries = entries;
}

void SetFileWithoutAccessList(const std::string& path) {
    Security& security = State().security[Lower(path)];
    security.hasList = false;
    security.owner = "S-1-1-0";
    security.entries.clear();
}

} // namespace hostsim
