// The text form, written: a header line per section and a line per key, each ended by CR LF.
#include "base/ErrorBox.h"
#include "base/UniqueOwner.h"
#include "ini/AtomicFile.h"
#include "ini/IniEscapes.h"
#include "ini/IniFile.h"

#include "platform/win32.h"

#include <cstring>
#include <new>

namespace {

const char kNoNameMessage[] = "No name specified for saving ini!";
const char kCreateFailedMessage[] = "Could not create file for writting!";

bool WriteText(FILE* file, const char* text) {
    return fputs(text, file) >= 0;
}

bool WriteSection(FILE* file, const IniSection* section) {
    return WriteText(file, "[") && WriteText(file, section->name) && WriteText(file, "]\r\n");
}

// Each value gets a buffer of twice its length plus 2, which always holds it escaped.
bool WriteKey(FILE* file, const IniKey* key) {
    if (!key->value) {
        return true;
    }
    size_t size = 2 * strlen(key->value) + 2;
    CHeapText escaped(new (std::nothrow) char[size]);
    if (escaped.IsEmpty()) {
        return false;
    }
    CIniFile::EscapeValue(key->value, escaped.Get(), size);
    return WriteText(file, key->name) && WriteText(file, "=") && WriteText(file, escaped.Get()) &&
           WriteText(file, "\r\n");
}

} // namespace

int CIniFile::WriteStream(FILE* file) const {
    for (const IniSection* section = firstSection; section; section = section->next) {
        if (!WriteSection(file, section)) {
            return 0;
        }
        for (const IniKey* key = section->firstKey; key; key = key->next) {
            if (!WriteKey(file, key)) {
                return 0;
            }
        }
    }
    return 1;
}

int CIniFile::Save() {
    IniSaveResult result = SaveQuietly();
    if (result != kIniSaved) {
        ShowErrorBox(SaveFailureText(result));
    }
    return result == kIniSaved ? 1 : 0;
}

// A half-written file must never take the place of the old one: every failure, from the first
// write to the final replace, leaves the target as it was, and the temporary file is gone.
IniSaveResult CIniFile::SaveQuietly() {
    if (!path[0]) {
        return kIniNoPath;
    }
    CAtomicFile file;
    if (!file.Open(path) || !WriteStream(file.Stream()) || !file.Commit()) {
        return kIniNotWritten;
    }
    return kIniSaved;
}

const char* CIniFile::SaveFailureText(IniSaveResult result) {
    return result == kIniNoPath ? kNoNameMessage : kCreateFailedMessage;
}

int CIniFile::SaveAs(const char* fileName) {
    if (!fileName || !fileName[0]) {
        return 0;
    }
    // A path that does not fit cannot be created under its own name; the document keeps its old
    // path rather than a cut one that names another file.
    if (!FitsFilePath(fileName)) {
        ShowErrorBox(kCreateFailedMessage);
        return 0;
    }
    memmove(path, fileName, strlen(fileName) + 1);
    return Save();
}

// Runs that need no escape are copied whole; the bound is the one a character-by-character copy
// would stop at.
void CIniFile::EscapeValue(const char* source, char* output, size_t size) {
    if (!output || size == 0) {
        return;
    }
    size_t length = 0;
    // Checked before each character, which a two-character escape always leaves room for.
    while (source && *source && length + 2 < size) {
        size_t run = strcspn(source, "\\\r\n\t");
        if (run > size - 2 - length) {
            run = size - 2 - length;
        }
        memcpy(output + length, source, run);
        length += run;
        source += run;
        if (*source == '\0' || length + 2 >= size) {
            break;
        }
        output[length++] = '\\';
        output[length++] = IniEscapeLetter(*source++);
    }
    output[length] = '\0';
}
