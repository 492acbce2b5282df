#include "ini/IniFile.h"
#include "base/BoundedText.h"
#include "base/Decimal.h"
#include "base/UniqueOwner.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

enum { kIntegerChars = 256 };

// Copies a name whole or not at all, so two long names can never be cut into one.
bool CopyName(char (&destination)[kIniNameChars], const char* name) {
    size_t length = strlen(name);
    if (length >= kIniNameChars) {
        return false;
    }
    memcpy(destination, name, length + 1);
    return true;
}

void FreeKeys(IniKey* key) {
    while (key) {
        IniKey* next = key->next;
        delete[] key->value;
        delete key;
        key = next;
    }
}

const IniNameIndex kEmptyIndex = {nullptr, 0, 0, false};
// Chains this short are walked: a table would cost more than it saves.
const size_t kWalkedNodes = 8;
const size_t kFirstIndexSlots = 8;

// FNV-1a over the name's bytes.
size_t HashOf(const char* name) {
    uint32_t hash = 2166136261u;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c; c++) {
        hash = (hash ^ *c) * 16777619u;
    }
    return hash;
}

// The slot that holds the node of this name, or the free slot where it would go.
template <class Node> size_t SlotOf(const IniNameIndex& index, const char* name) {
    size_t mask = index.capacity - 1;
    size_t slot = HashOf(name) & mask;
    while (index.slots[slot] && strcmp(static_cast<Node*>(index.slots[slot])->name, name) != 0) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

template <class Node> Node* Find(const IniNameIndex& index, Node* first, const char* name) {
    if (index.slots) {
        return static_cast<Node*>(index.slots[SlotOf<Node>(index, name)]);
    }
    for (Node* node = first; node; node = node->next) {
        if (strcmp(node->name, name) == 0) {
            return node;
        }
    }
    return nullptr;
}

// A table of every node of the chain, at most half full; false, with the old table kept, when
// there is no memory for it.
template <class Node> bool Rebuild(IniNameIndex& index, Node* first) {
    size_t capacity = index.capacity ? index.capacity : kFirstIndexSlots;
    while (capacity < 2 * index.count) {
        capacity *= 2;
    }
    void** slots = new (std::nothrow) void*[capacity]();
    if (!slots) {
        return false;
    }
    delete[] index.slots;
    index.slots = slots;
    index.capacity = capacity;
    for (Node* node = first; node; node = node->next) {
        index.slots[SlotOf<Node>(index, node->name)] = node;
    }
    return true;
}

// Files the node that the chain from first has just taken in; no other node of the chain has its
// name. Without memory for a table the index is given up, and the chain is walked from then on.
template <class Node> void Insert(IniNameIndex& index, Node* first, Node* node) {
    index.count++;
    if (index.givenUp || index.count <= kWalkedNodes) {
        return;
    }
    if (2 * index.count > index.capacity) {
        if (!Rebuild(index, first)) {
            delete[] index.slots;
            index.slots = nullptr;
            index.givenUp = true;
        }
        return;
    }
    index.slots[SlotOf<Node>(index, node->name)] = node;
}

void FreeIndex(IniNameIndex& index) {
    delete[] index.slots;
    index = kEmptyIndex;
}

} // namespace

CIniFile::CIniFile() : firstSection(nullptr), lastSection(nullptr), sections(kEmptyIndex) {
    memset(path, 0, sizeof path);
}

CIniFile::CIniFile(const char* fileName) : CIniFile() {
    // A path that does not fit is not cut: the shorter name would be another file.
    if (!fileName || !fileName[0] || !FitsFilePath(fileName)) {
        return;
    }
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
        FreeIndex(firstSection->keys);
        delete firstSection;
        firstSection = next;
    }
    lastSection = nullptr;
    FreeIndex(sections);
}

IniSection* CIniFile::FindSection(const char* section) const {
    if (!section) {
        return nullptr;
    }
    return Find(sections, firstSection, section);
}

IniKey* CIniFile::FindKey(const char* section, const char* key) const {
    IniSection* owner = FindSection(section);
    if (!owner || !key) {
        return nullptr;
    }
    return Find(owner->keys, owner->firstKey, key);
}

int CIniFile::HasSection(const char* section) const {
    return FindSection(section) ? 1 : 0;
}

int CIniFile::GetSectionCount() const {
    int count = 0;
    for (IniSection* node = firstSection; node; node = node->next) {
        count++;
    }
    return count;
}

int CIniFile::GetKeyCount(const char* section) const {
    IniSection* owner = FindSection(section);
    int count = 0;
    for (IniKey* node = owner ? owner->firstKey : nullptr; node; node = node->next) {
        count++;
    }
    return count;
}

const char* CIniFile::GetKeyName(const char* section, int index) const {
    IniSection* owner = FindSection(section);
    if (!owner || index < 0) {
        return nullptr;
    }
    IniKey* node = owner->firstKey;
    for (int i = 0; i < index && node; i++) {
        node = node->next;
    }
    return node ? node->name : nullptr;
}

const IniKey* CIniFile::FirstKey(const char* section) const {
    IniSection* owner = FindSection(section);
    return owner ? owner->firstKey : nullptr;
}

const char* CIniFile::GetString(const char* section, const char* key,
                                const char* defaultValue) const {
    IniKey* node = FindKey(section, key);
    if (!node || !node->value) {
        return defaultValue;
    }
    return node->value;
}

int CIniFile::GetInt(const char* section, const char* key, int defaultValue) const {
    IniKey* node = FindKey(section, key);
    if (!node || !node->value) {
        return defaultValue;
    }
    return ParseDecimal(node->value);
}

IniSection* CIniFile::AddSection(const char* section) {
    IniSection* existing = FindSection(section);
    if (existing || !section) {
        return existing;
    }
    IniSection* node = new (std::nothrow) IniSection{};
    if (!node) {
        return nullptr;
    }
    if (!CopyName(node->name, section)) {
        delete node;
        return nullptr;
    }
    (lastSection ? lastSection->next : firstSection) = node;
    lastSection = node;
    Insert(sections, firstSection, node);
    return node;
}

IniKey* CIniFile::AddKey(const char* section, const char* key) {
    IniKey* existing = FindKey(section, key);
    if (existing) {
        delete[] existing->value;
        existing->value = nullptr;
        return existing;
    }
    if (!key) {
        return nullptr;
    }
    IniKey* node = new (std::nothrow) IniKey{};
    if (!node) {
        return nullptr;
    }
    IniSection* owner = nullptr;
    if (CopyName(node->name, key)) {
        owner = AddSection(section);
    }
    if (!owner) {
        delete node;
        return nullptr;
    }
    (owner->lastKey ? owner->lastKey->next : owner->firstKey) = node;
    owner->lastKey = node;
    Insert(owner->keys, owner->firstKey, node);
    return node;
}

int CIniFile::SetString(const char* section, const char* key, const char* value) {
    // The copy comes first: the value may be the key's own text, which AddKey frees. Without a
    // copy the document stays as it was rather than losing the old value.
    CHeapText copy(CopyToHeap(value ? value : ""));
    if (copy.IsEmpty()) {
        return 0;
    }
    IniKey* node = AddKey(section, key);
    if (!node) {
        return 0;
    }
    node->value = copy.Release();
    return 1;
}

void CIniFile::SetInt(const char* section, const char* key, int value) {
    char text[kIntegerChars];
    snprintf(text, sizeof text, "%d", value);
    SetString(section, key, text);
}
