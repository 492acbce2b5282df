// An in-memory INI document: an ordered chain of named sections, each an ordered chain of named
// keys with text values. Names are compared byte by byte, case included.
#pragma once

#include "ini/FileAccess.h"

#include <cstddef>
#include <cstdio>

enum {
    kIniNameChars = 256,
    kIniPathChars = kFilePathChars,
    kIniLineChars = 8192,
    // A value as read back: every text of kIniLineChars - 1 characters (a whole layout) fits.
    kIniValueChars = kIniLineChars + 1,
    // The longest line Save writes: a name, "=", a value of kIniLineChars - 1 characters each
    // escaped to two, CR LF; the reader takes lines this long so it gives back what was written.
    kIniReadLineChars = (kIniNameChars - 1) + 1 + 2 * (kIniLineChars - 1) + 2 + 1,
};

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
    const char* GetKeyName(const char* section, int index) const;
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
    static void UnescapeValue(const char* source, char* output, size_t size);
};
