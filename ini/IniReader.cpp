// The text form, read: "[section]" headers and "key=value" lines; no comments, no trimming. Text
// comes out in UTF-8.
#include "ini/IniEscapes.h"
#include "ini/IniFile.h"
#include "base/GrowingBuffer.h"
#include "base/TextEncoding.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

// A source hands out what it holds in spans: the bytes ready now (0 only at the end of the input),
// of which the reader consumes as many as it uses.
struct MemorySource {
    const char* cursor;
    const char* end;
    size_t Span(const char** bytes) {
        *bytes = cursor;
        return static_cast<size_t>(end - cursor);
    }
    void Consume(size_t count) { cursor += count; }
};

// Reads the file a chunk at a time: a byte at a time through getc costs more than the parsing.
class CFileSource {
  public:
    explicit CFileSource(FILE* stream) : file(stream), at(0), end(0) {}
    CFileSource(const CFileSource&) = delete;
    CFileSource& operator=(const CFileSource&) = delete;

    size_t Span(const char** bytes) {
        if (at == end) {
            at = 0;
            end = fread(chunk, 1, sizeof chunk, file);
        }
        *bytes = chunk + at;
        return end - at;
    }
    void Consume(size_t count) { at += count; }

  private:
    FILE* file;
    size_t at;
    size_t end;
    char chunk[16384];
};

template <class Source> void SkipRestOfLine(Source& source) {
    const char* bytes = nullptr;
    size_t available = 0;
    while ((available = source.Span(&bytes)) > 0) {
        const char* lineFeed = static_cast<const char*>(memchr(bytes, '\n', available));
        if (lineFeed) {
            source.Consume(static_cast<size_t>(lineFeed - bytes) + 1);
            return;
        }
        source.Consume(available);
    }
}

enum LineResult {
    kLineRead,
    kNoMoreLines,
    // The line could not be held for want of memory; it has been skipped.
    kLineLost,
};

// Reads the bytes up to and including the next line feed into line, at most kIniMaxLineChars of
// them, and terminates them. The rest of a longer line is dropped up to its line end, so its tail
// never reads as a line of its own. length becomes the number of bytes stored.
template <class Source> LineResult ReadLine(Source& source, CGrowingBuffer& line, size_t* length) {
    *length = 0;
    bool complete = false;
    const char* bytes = nullptr;
    size_t available = 0;
    while (!complete && *length < kIniMaxLineChars && (available = source.Span(&bytes)) > 0) {
        size_t room = kIniMaxLineChars - *length;
        size_t take = available < room ? available : room;
        const char* lineFeed = static_cast<const char*>(memchr(bytes, '\n', take));
        if (lineFeed) {
            take = static_cast<size_t>(lineFeed - bytes) + 1;
            complete = true;
        }
        if (!line.Reserve(*length + take + 1, *length)) {
            if (!complete) {
                SkipRestOfLine(source);
            } else {
                source.Consume(take);
            }
            return kLineLost;
        }
        memcpy(line.Text() + *length, bytes, take);
        *length += take;
        source.Consume(take);
    }
    if (*length == 0) {
        return kNoMoreLines;
    }
    line.Text()[*length] = '\0';
    if (!complete && *length == kIniMaxLineChars) {
        SkipRestOfLine(source);
    }
    return kLineRead;
}

// The first CR of a value, or where its line ends. The line holds at most one line feed, as its
// last byte; a NUL byte before either is left for the unescaper, which stops there.
char* LineEnd(char* text, size_t length) {
    char* end = text + length;
    if (length > 0 && end[-1] == '\n') {
        end--;
    }
    char* carriageReturn = static_cast<char*>(memchr(text, '\r', static_cast<size_t>(end - text)));
    return carriageReturn ? carriageReturn : end;
}

// Applies the lines of one text to a document, one at a time, holding the current section.
class CIniLineParser {
  public:
    explicit CIniLineParser(CIniFile* target) : document(target), lost(false) { section[0] = '\0'; }

    // True when a line could not be held or stored for want of memory.
    bool Lost() const { return lost; }
    void SetLost() { lost = true; }

    // The line is taken as text: a NUL byte ends what is seen of it. length counts its bytes,
    // line feed included. Its value is unescaped where it stands.
    // keyMayGrow: the line was converted to UTF-8, and a key name that fitted before it may have
    // grown past the name's length; it is cut between characters rather than dropped.
    void Parse(char* line, size_t length, bool keyMayGrow) {
        if (line[0] == '[') {
            ParseHeader(line + 1);
        } else if (section[0] != '\0') {
            ParseKeyLine(line, length, keyMayGrow);
        }
    }

  private:
    CIniFile* document;
    bool lost;
    char section[kIniNameChars];

    // A name that does not fit empties the section, so its keys are dropped rather than landing
    // in the section before it.
    void ParseHeader(const char* name) {
        size_t length = strcspn(name, "]\r\n");
        if (length >= sizeof section) {
            length = 0;
        }
        memcpy(section, name, length);
        section[length] = '\0';
    }

    void ParseKeyLine(char* line, size_t length, bool keyMayGrow) {
        char* equals = strchr(line, '=');
        if (!equals || equals == line) {
            return;
        }
        if (equals - line >= kIniNameChars && !keyMayGrow) {
            return;
        }
        *equals = '\0';
        size_t keyLength = static_cast<size_t>(equals - line);
        if (keyLength >= kIniNameChars) {
            line[Utf8PrefixWithinBytes(line, keyLength, keyLength, kIniNameChars - 1)] = '\0';
        }
        char* raw = equals + 1;
        char* end = LineEnd(raw, length - static_cast<size_t>(raw - line));
        *end = '\0';
        // With room for the whole raw text the unescaper keeps all of it.
        CIniFile::UnescapeValue(raw, raw, static_cast<size_t>(end - raw) + 2);
        if (!document->SetString(section, line, raw)) {
            lost = true;
        }
    }
};

// Editors put one before a UTF-8 text; it is no part of the first line.
bool StartsWithByteOrderMark(const char* text, size_t length) {
    return length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0;
}

// A line that is not UTF-8 was written in the system's ANSI code page (files of the program's
// earlier versions, or a hand-edited one): the line in UTF-8, converted line by line since an
// edited file may mix both. Null when memory ran out.
char* InUtf8(char* text, size_t* length, CGrowingBuffer& converted) {
    // An ANSI character takes at most three bytes in UTF-8.
    size_t size = 3 * *length + 1;
    if (!converted.Reserve(size, 0)) {
        return nullptr;
    }
    *length = AnsiToUtf8(text, *length, converted.Text(), size);
    return *length > 0 ? converted.Text() : nullptr;
}

// False when a line could not be held or stored.
template <class Source> bool ParseLines(CIniFile* document, Source& source) {
    CIniLineParser parser(document);
    // A line read, with its terminator; and the same line in UTF-8, each byte of it up to three.
    CGrowingBuffer line(kIniMaxLineChars + 1);
    CGrowingBuffer converted(3 * kIniMaxLineChars + 1);
    size_t length = 0;
    bool first = true;
    LineResult result;
    while ((result = ReadLine(source, line, &length)) != kNoMoreLines) {
        char* text = line.Text();
        if (result == kLineRead && first && StartsWithByteOrderMark(text, length)) {
            text += 3;
            length -= 3;
        }
        first = false;
        bool keyMayGrow = false;
        if (result == kLineRead && !IsUtf8(text, length)) {
            const char* equals = static_cast<const char*>(memchr(text, '=', length));
            keyMayGrow = equals && equals - text < kIniNameChars;
            text = InUtf8(text, &length, converted);
        }
        if (result == kLineLost || !text) {
            parser.SetLost();
        } else {
            parser.Parse(text, length, keyMayGrow);
        }
    }
    return !parser.Lost();
}

} // namespace

int CIniFile::Read() {
    return ReadChecked() == kIniReadWhole ? 1 : 0;
}

IniReadResult CIniFile::ReadChecked() {
    if (!path[0]) {
        return kIniNoFile;
    }
    FILE* file = nullptr;
    FileOpenResult opened = OpenForReading(path, &file);
    if (opened != kFileOpened) {
        return opened == kFileMissing ? kIniNoFile : kIniReadFailed;
    }
    CFileSource source(file);
    bool kept = ParseLines(this, source);
    // A read error ends reading like the end of the file, but is not reported as success.
    bool whole = kept && !ferror(file);
    fclose(file);
    return whole ? kIniReadWhole : kIniReadFailed;
}

void CIniFile::ReadText(const char* text, size_t length) {
    if (!text) {
        return;
    }
    MemorySource source{text, text + length};
    ParseLines(this, source);
}

// Runs without a backslash are copied whole; the bound is the one a character-by-character copy
// would stop at.
void CIniFile::UnescapeValue(const char* source, char* output, size_t size) {
    if (!output || size == 0) {
        return;
    }
    size_t length = 0;
    while (source && *source && length + 2 < size) {
        const char* backslash = strchr(source, '\\');
        size_t run = backslash ? static_cast<size_t>(backslash - source) : strlen(source);
        if (run > size - 2 - length) {
            run = size - 2 - length;
        }
        // Unescaping in place copies a run onto itself or to the left of where it stands.
        memmove(output + length, source, run);
        length += run;
        source += run;
        if (*source != '\\' || length + 2 >= size) {
            break;
        }
        char c = *source++;
        char escaped = IniUnescaped(*source);
        if (escaped) {
            c = escaped;
            source++;
        }
        output[length++] = c;
    }
    output[length] = '\0';
}
