// The text form, read: "[section]" headers and "key=value" lines; no comments, no trimming.
#include "ini/IniFile.h"

#include <cstdio>
#include <cstring>

namespace {

struct MemorySource {
    const char* cursor;
    const char* end;
    int Get() { return cursor < end ? static_cast<unsigned char>(*cursor++) : EOF; }
};

struct FileSource {
    FILE* file;
    int Get() { return getc(file); }
};

// Reads the bytes up to and including the next line feed, at most capacity - 1 of them, and
// terminates them. The rest of a longer line is dropped up to its line end, so its tail never
// reads as a line of its own. Returns the number of bytes stored; 0 only at the end of the input.
template <class Source> size_t ReadLine(Source& source, char* line, size_t capacity) {
    size_t length = 0;
    int c = EOF;
    while (length < capacity - 1 && (c = source.Get()) != EOF) {
        line[length++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    line[length] = '\0';
    if (length == capacity - 1 && c != '\n') {
        while ((c = source.Get()) != EOF && c != '\n') {
        }
    }
    return length;
}

// Applies the lines of one text to a document, one at a time, holding the current section.
class CIniLineParser {
  public:
    explicit CIniLineParser(CIniFile* target) : document(target) { section[0] = '\0'; }

    // The line is taken as text: a NUL byte ends what is seen of it.
    void Parse(char* line) {
        if (line[0] == '[')
            ParseHeader(line + 1);
        else if (section[0] != '\0')
            ParseKeyLine(line);
    }

  private:
    CIniFile* document;
    char section[kIniNameChars];
    char value[kIniLineChars];

    // A name that does not fit empties the section, so its keys are dropped rather than landing
    // in the section before it.
    void ParseHeader(const char* name) {
        size_t length = strcspn(name, "]\r\n");
        if (length >= sizeof section)
            length = 0;
        memcpy(section, name, length);
        section[length] = '\0';
    }

    void ParseKeyLine(char* line) {
        char* equals = strchr(line, '=');
        if (!equals || equals == line || equals - line >= kIniNameChars)
            return;
        *equals = '\0';
        char* raw = equals + 1;
        raw[strcspn(raw, "\r\n")] = '\0';
        CIniFile::UnescapeValue(raw, value, sizeof value);
        document->SetString(section, line, value);
    }
};

template <class Source> void ParseLines(CIniFile* document, Source& source) {
    CIniLineParser parser(document);
    char line[kIniLineChars];
    while (ReadLine(source, line, sizeof line) > 0)
        parser.Parse(line);
}

// The character that a backslash and this letter stand for; NUL when they are no escape.
char Unescaped(char letter) {
    switch (letter) {
    case '\\':
        return '\\';
    case 'r':
        return '\r';
    case 'n':
        return '\n';
    case 't':
        return '\t';
    default:
        return '\0';
    }
}

} // namespace

int CIniFile::Read() {
    if (!path[0])
        return 0;
    FILE* file = fopen(path, "rb");
    if (!file)
        return 0;
    FileSource source{file};
    ParseLines(this, source);
    // A read error ends reading like the end of the file, but is not reported as success.
    int complete = ferror(file) ? 0 : 1;
    fclose(file);
    return complete;
}

void CIniFile::ReadText(const char* text, size_t length) {
    if (!text)
        return;
    MemorySource source{text, text + length};
    ParseLines(this, source);
}

void CIniFile::UnescapeValue(const char* source, char* output, size_t size) {
    if (!output || size == 0)
        return;
    size_t length = 0;
    while (source && *source && length + 2 < size) {
        char c = *source++;
        char escaped = c == '\\' ? Unescaped(*source) : '\0';
        if (escaped) {
            c = escaped;
            source++;
        }
        output[length++] = c;
    }
    output[length] = '\0';
}
