// Reads arbitrary bytes as a settings file, writes the document and reads the text back.
//
// What must hold for any input: no overrun or leak (the sanitizers), every name fits its node,
// every key and value is UTF-8, no section is empty, and a written text whose lines all fit the
// reader reads back as the same document, byte for byte when written again.
#include "base/TextEncoding.h"
#include "ini/IniFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "IniFuzz: %s\n", what);
        abort();
    }
}

std::string Written(const CIniFile& document) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    Require(stream != nullptr, "open_memstream failed");
    Require(document.WriteStream(stream) == 1, "writing to memory failed");
    fclose(stream);
    std::string text(buffer, size);
    free(buffer);
    return text;
}

void CheckDocument(const CIniFile& document) {
    for (IniSection* section = document.firstSection; section; section = section->next) {
        Require(memchr(section->name, '\0', sizeof section->name) != nullptr, "section name");
        Require(section->name[0] != '\0', "empty section name");
        Require(section->firstKey != nullptr, "section without keys");
        Require(document.FindSection(section->name) == section, "duplicate section");
        int index = 0;
        for (IniKey* key = section->firstKey; key; key = key->next, index++) {
            Require(memchr(key->name, '\0', sizeof key->name) != nullptr, "key name");
            Require(key->value != nullptr, "key without value");
            // Lines that are not UTF-8 are read in the ANSI code page: what is read is UTF-8.
            Require(IsUtf8(key->name, strlen(key->name)), "key name not UTF-8");
            Require(IsUtf8(key->value, strlen(key->value)), "value not UTF-8");
            Require(strlen(key->value) < kIniMaxLineChars, "value too long");
            Require(document.FindKey(section->name, key->name) == key, "duplicate key");
            Require(document.GetKeyName(section->name, index) == key->name, "key index");
            document.GetInt(section->name, key->name, 0);
        }
        Require(document.GetKeyCount(section->name) == index, "key count");
    }
}

bool LinesFitTheReader(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end - start + 1 > kIniMaxLineChars) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

// Escaping and unescaping give back any value, and unescaping in place gives the same.
void CheckEscapes(const uint8_t* data, size_t size) {
    std::string value(reinterpret_cast<const char*>(data),
                      strnlen(reinterpret_cast<const char*>(data), size));
    std::string escaped(2 * value.size() + 2, '\0');
    CIniFile::EscapeValue(value.c_str(), &escaped[0], escaped.size());
    std::string unescaped(value.size() + 2, '\0');
    CIniFile::UnescapeValue(escaped.c_str(), &unescaped[0], unescaped.size());
    Require(value == unescaped.c_str(), "escape round trip");
    std::string inPlace = value + '\0';
    CIniFile::UnescapeValue(&inPlace[0], &inPlace[0], inPlace.size() + 1);
    std::string copied(value.size() + 2, '\0');
    CIniFile::UnescapeValue(value.c_str(), &copied[0], copied.size());
    Require(strcmp(inPlace.c_str(), copied.c_str()) == 0, "unescaping in place");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CIniFile document;
    document.ReadText(reinterpret_cast<const char*>(data), size);
    CheckDocument(document);
    CheckEscapes(data, size);

    std::string text = Written(document);
    CIniFile reread;
    reread.ReadText(text.data(), text.size());
    CheckDocument(reread);
    if (LinesFitTheReader(text)) {
        Require(Written(reread) == text, "written text does not read back the same");
    }
    return 0;
}
