// An in-memory INI document: an ordered chain of named sections, each an ordered chain of named
// keys with text values. Names are compared byte by byte, case included.
#pragma once

#include "ini/FileAccess.h"

#include <cstddef>
#include <cstdio>

enum {
    kIniNameChars = 256,
    kIniPathChars = kFilePathChars,
};

// The longest line the reader keeps whole, its line end included; a longer line keeps this much
// of its start and loses the rest up to its line end. A layout of 16 MiB, escaped to at most twice
// that behind a name of at most 255 characters, fits with room to spare; no desktop comes near.
// The limit also bounds what a hostile file can make the reader allocate for one line. A value
// read from a file therefore has fewer than kIniMaxLineChars characters.
constexpr size_t kIniMaxLineChars = size_t(64) << 20;

enum IniReadResult {
    kIniReadWhole,
    // No file at the path: the document stays empty, as for a file that holds nothing.
    kIniNoFile,
    // A file is there, but it could not be opened or read to its end, or its content could not
    // all be held: what the document holds is not the file, and must never replace it.
    kIniReadFailed,
};

enum IniSaveResult {
    kIniSaved,
    kIniNoPath,
    kIniNotWritten,
};

// The nodes of one chain by name, so that a lookup does not walk a long chain: open addressing in
// a table of a power of two slots, at most half of them used, made once the chain passes a few
// nodes. It points at nodes it does not own. Once a table cannot be allocated the index is given
// up, and lookups walk the chain.
struct IniNameIndex {
    void** slots;
    size_t capacity;
    // Nodes in the chain.
    size_t count;
    bool givenUp;
};

struct IniKey {
    char name[kIniNameChars];
    // Heap text of exactly its length plus 1, owned by the key; null only while a value is being
    // replaced or when no copy could be allocated.
    char* value;
    IniKey* next;
};

struct IniSection {
    char name[kIniNameChars];
    IniKey* firstKey;
    IniSection* next;
    IniKey* lastKey;
    IniNameIndex keys;
};

class CIniFile {
  public:
    IniSection* firstSection;
    char path[kIniPathChars];

    CIniFile();
    // Reads the file when a path is given; a missing or unreadable file leaves the document empty.
    explicit CIniFile(const char* fileName);
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;
    ~CIniFile();

    // Frees every section and key; path stays.
    void Clear();

    IniSection* FindSection(const char* section) const;
    IniKey* FindKey(const char* section, const char* key) const;
    int HasSection(const char* section) const;
    int GetSectionCount() const;
    int GetKeyCount(const char* section) const;
    // Walks the section's keys to the index: to visit every key, follow FirstKey's next instead.
    const char* GetKeyName(const char* section, int index) const;
    // The section's first key, or null; the others follow through next, in their order.
    const IniKey* FirstKey(const char* section) const;
    // The key's own value, or defaultValue itself (the same pointer) when there is none.
    const char* GetString(const char* section, const char* key, const char* defaultValue) const;
    int GetInt(const char* section, const char* key, int defaultValue) const;

    // Names longer than 255 characters are refused (null), as is a node that cannot be allocated.
    IniSection* AddSection(const char* section);
    IniKey* AddKey(const char* section, const char* key);
    // 1 when the document holds the value afterwards.
    int SetString(const char* section, const char* key, const char* value);
    void SetInt(const char* section, const char* key, int value);

    // Adds what the file at path holds; 1 when it was read to its end.
    int Read();
    // Read, telling a file that is not there from one that could not be read.
    IniReadResult ReadChecked();
    // Adds what the text holds, by the same rules as Read; NUL bytes may stand anywhere in it.
    void ReadText(const char* text, size_t length);
    // The same without the reader's fast path for plain lines, for the fuzz target that holds the
    // two to one document.
    void ReadTextCarefully(const char* text, size_t length);
    // Replaces the file at path with the document; the old file survives every failure, which
    // shows its message in an "Error" box.
    int Save();
    int SaveAs(const char* fileName);
    // Save without the message, for callers that must finish what they hold before a box opens.
    IniSaveResult SaveQuietly();
    // The text that Save shows for a failure.
    static const char* SaveFailureText(IniSaveResult result);
    // Writes the text form of the document; 1 when every write succeeded.
    int WriteStream(FILE* file) const;

    static void EscapeValue(const char* source, char* output, size_t size);
    // The output may be the source itself: no text grows when it is unescaped.
    static void UnescapeValue(const char* source, char* output, size_t size);

  private:
    IniSection* lastSection;
    IniNameIndex sections;
};
