#include "ini/IniFile.h"
#include "app/Decimal.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

enum { kIntegerChars = 256 };

// Copies a name whole or not at all, so two long names can never be cut into one.
bool CopyName(char (&destination)[kIniNameChars], const char* name) {
    size_t length = strlen(name);
    if (length >= kIniNameChars)
        return false;
    memcpy(destination, name, length + 1);
    return true;
}

char* CopyText(const char* text) {
    size_t length = strlen(text);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy)
        memcpy(copy, text, length + 1);
    return copy;
}

void FreeKeys(IniKey* key) {
    while (key) {
        IniKey* next = key->next;
        delete[] key->value;
        delete key;
        key = next;
    }
}

} // namespace

CIniFile::CIniFile() : firstSection(nullptr) {
    memset(path, 0, sizeof path);
}

CIniFile::CIniFile(const char* fileName) : CIniFile() {
    // A path that does not fit is not cut: the shorter name would be another file.
    if (!fileName || !fileName[0] || strlen(fileName) >= sizeof path)
        return;
    memcpy(path, fileName, strlen(fileName) + 1);
    Read();
}

CIniFile::~CIniFile() {
    Clear();
}

void CIniFile::Clear() {
    while (firstSection) {
        IniSection* next = firstSection->next;
        FreeKeys(firstSection->firstKey);
        delete firstSection;
        firstSection = next;
    }
}

IniSection* CIniFile::FindSection(const char* section) const {
    if (!section)
        return nullptr;
    for (IniSection* node = firstSection; node; node = node->next) {
        if (strcmp(node->name, section) == 0)
            return node;
    }
    return nullptr;
}

IniKey* CIniFile::FindKey(const char* section, const char* key) const {
    IniSection* owner = FindSection(section);
    if (!owner || !key)
        return nullptr;
    for (IniKey* node = owner->firstKey; node; node = node->next) {
        if (strcmp(node->name, key) == 0)
            return node;
    }
    return nullptr;
}

int CIniFile::HasSection(const char* section) const {
    return FindSection(section) ? 1 : 0;
}

int CIniFile::GetSectionCount() const {
    int count = 0;
    for (IniSection* node = firstSection; node; node = node->next)
        count++;
    return count;
}

int CIniFile::GetKeyCount(const char* section) const {
    IniSection* owner = FindSection(section);
    int count = 0;
    for (IniKey* node = owner ? owner->firstKey : nullptr; node; node = node->next)
        count++;
    return count;
}

const char* CIniFile::GetKeyName(const char* section, int index) const {
    IniSection* owner = FindSection(section);
    if (!owner || index < 0)
        return nullptr;
    IniKey* node = owner->firstKey;
    for (int i = 0; i < index && node; i++)
        node = node->next;
    return node ? node->name : nullptr;
}

const char* CIniFile::GetString(const char* section, const char* key,
                                const char* defaultValue) const {
    IniKey* node = FindKey(section, key);
    if (!node || !node->value)
        return defaultValue;
    return node->value;
}

int CIniFile::GetInt(const char* section, const char* key, int defaultValue) const {
    IniKey* node = FindKey(section, key);
    if (!node || !node->value)
        return defaultValue;
    return ParseDecimal(node->value);
}

IniSection* CIniFile::AddSection(const char* section) {
    IniSection* existing = FindSection(section);
    if (existing || !section)
        return existing;
    IniSection* node = new (std::nothrow) IniSection{};
    if (!node)
        return nullptr;
    if (!CopyName(node->name, section)) {
        delete node;
        return nullptr;
    }
    IniSection** link = &firstSection;
    while (*link)
        link = &(*link)->next;
    *link = node;
    return node;
}

IniKey* CIniFile::AddKey(const char* section, const char* key) {
    IniKey* existing = FindKey(section, key);
    if (existing) {
        delete[] existing->value;
        existing->value = nullptr;
        return existing;
    }
    if (!key)
        return nullptr;
    IniKey* node = new (std::nothrow) IniKey{};
    if (!node)
        return nullptr;
    IniSection* owner = nullptr;
    if (CopyName(node->name, key))
        owner = AddSection(section);
    if (!owner) {
        delete node;
        return nullptr;
    }
    IniKey** link = &owner->firstKey;
    while (*link)
        link = &(*link)->next;
    *link = node;
    return node;
}

int CIniFile::SetString(const char* section, const char* key, const char* value) {
    // The copy comes first: the value may be the key's own text, which AddKey frees. Without a
    // copy the document stays as it was rather than losing the old value.
    char* copy = CopyText(value ? value : "");
    if (!copy)
        return 0;
    IniKey* node = AddKey(section, key);
    if (!node) {
        delete[] copy;
        return 0;
    }
    node->value = copy;
    return 1;
}

void CIniFile::SetInt(const char* section, const char* key, int value) {
    char text[kIntegerChars];
    snprintf(text, sizeof text, "%d", value);
    SetString(section, key, text);
}
