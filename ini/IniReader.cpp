// The text form, read: "[section]" headers and "key=value" lines; no comments, no trimming. A text
// is UTF-8 or the ANSI code page, told apart line by line, or UTF-16 behind its byte-order mark;
// it comes out in UTF-8.
#include "ini/IniEscapes.h"
#include "ini/IniFile.h"
#include "base/GrowingBuffer.h"
#include "base/TextEncoding.h"

#include <cstdint>
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

// A text in UTF-16 (after its byte-order mark), handed out in UTF-8 a chunk at a time. A unit
// pair split between two chunks is kept whole. It ends early, failed, at anything that is not
// UTF-16: an odd last byte, or a surrogate outside a pair.
template <class Source> class CUtf16Source {
  public:
    CUtf16Source(Source& bytes, bool bigEndianUnits)
        : input(bytes), bigEndian(bigEndianUnits), failed(false), carried(0), pendingByte(-1),
          at(0), end(0) {}
    CUtf16Source(const CUtf16Source&) = delete;
    CUtf16Source& operator=(const CUtf16Source&) = delete;

    size_t Span(const char** bytes) {
        if (at == end && !failed) {
            Refill();
        }
        *bytes = text + at;
        return end - at;
    }
    void Consume(size_t count) { at += count; }
    bool Failed() const { return failed; }

  private:
    static const size_t kUnits = 4096;
    Source& input;
    bool bigEndian;
    bool failed;
    // Units at the start of units that the last chunk held back: a high surrogate whose partner
    // was still to come.
    size_t carried;
    // The first byte of a unit whose second is still to come, or -1.
    int pendingByte;
    WCHAR units[kUnits];
    // Each unit takes at most three bytes in UTF-8, a pair four.
    char text[3 * kUnits + 1];
    size_t at;
    size_t end;

    // Units from the input after the carried ones; true when the input has ended.
    bool ReadUnits(size_t* count) {
        *count = carried;
        const char* bytes = nullptr;
        size_t available = 0;
        while (*count < kUnits) {
            if ((available = input.Span(&bytes)) == 0) {
                return true;
            }
            size_t used = 0;
            while (used < available && *count < kUnits) {
                int byte = static_cast<unsigned char>(bytes[used++]);
                if (pendingByte < 0) {
                    pendingByte = byte;
                    continue;
                }
                units[(*count)++] = static_cast<WCHAR>(bigEndian ? pendingByte << 8 | byte
                                                                 : byte << 8 | pendingByte);
                pendingByte = -1;
            }
            input.Consume(used);
        }
        return false;
    }

    void Refill() {
        at = end = 0;
        size_t count = 0;
        bool inputEnded = ReadUnits(&count);
        carried = !inputEnded && IsHighSurrogate(units[count - 1]) ? 1 : 0;
        count -= carried;
        if ((inputEnded && pendingByte >= 0) || !IsUtf16(units, count)) {
            failed = true;
            return;
        }
        end = Utf16ToUtf8(units, count, text, sizeof text);
        failed = count > 0 && end == 0;
        if (carried) {
            units[0] = units[count];
        }
    }
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

// The bytes of a line up to its first NUL byte, or all of them: a NUL ends what is seen of a line.
size_t SeenBytes(const char* line, size_t length) {
    const char* nul = static_cast<const char*>(memchr(line, '\0', length));
    return nul ? static_cast<size_t>(nul - line) : length;
}

// The first CR of a value, or where its line ends. The line holds at most one line feed, as its
// last byte.
char* LineEnd(char* text, size_t length) {
    char* end = text + length;
    if (length > 0 && end[-1] == '\n') {
        end--;
    }
    char* carriageReturn = static_cast<char*>(memchr(text, '\r', static_cast<size_t>(end - text)));
    return carriageReturn ? carriageReturn : end;
}

// The bytes of the key before a line's first "=", or 0 when the line holds none or one longer
// than a name.
size_t KeyBytes(const char* line, size_t seen) {
    const char* equals = static_cast<const char*>(memchr(line, '=', seen));
    size_t bytes = equals ? static_cast<size_t>(equals - line) : 0;
    return bytes < kIniNameChars ? bytes : 0;
}

// Unescapes the value that follows a key's "=" where it stands, up to its line end, and returns
// it. The fast way starts at the first backslash, found a word or more at a time: the run before
// it stays where it stands either way, and most values hold none.
char* UnescapeValueOf(char* line, size_t seen, size_t keyBytes, bool fast) {
    char* raw = line + keyBytes + 1;
    char* end = LineEnd(raw, seen - keyBytes - 1);
    *end = '\0';
    char* from = fast ? static_cast<char*>(memchr(raw, '\\', static_cast<size_t>(end - raw))) : raw;
    if (from) {
        // With room for the whole raw text the unescaper keeps all of it.
        CIniFile::UnescapeValue(from, from, static_cast<size_t>(end - from) + 2);
    }
    return raw;
}

// Converts length bytes of the ANSI code page into output, which has room for three bytes each
// and a terminator (no ANSI character takes more in UTF-8); the length of the result, 0 for an
// empty text. False when it could not be converted.
bool ConvertAnsi(const char* text, size_t length, char* output, size_t* converted) {
    output[0] = '\0';
    *converted = length > 0 ? AnsiToUtf8(text, length, output, 3 * length + 1) : 0;
    return length == 0 || *converted > 0;
}

// Applies the lines of one text to a document, one at a time, holding the current section.
class CIniLineParser {
  public:
    // fast: the fast way of unescaping for lines of UTF-8.
    CIniLineParser(CIniFile* target, CGrowingBuffer* conversions, bool fastWay)
        : document(target), converted(conversions), fast(fastWay), lost(false) {
        section[0] = '\0';
    }

    // True when a line could not be held or stored for want of memory.
    bool Lost() const { return lost; }
    void SetLost() { lost = true; }

    // A line of UTF-8, of which seen bytes come before its first NUL byte (all of them, its line
    // feed included, when it holds none). Its value is unescaped where it stands.
    void Parse(char* line, size_t seen) {
        if (line[0] == '[') {
            ParseHeader(line + 1);
            return;
        }
        size_t keyBytes = section[0] != '\0' ? KeyBytes(line, seen) : 0;
        if (keyBytes == 0) {
            return;
        }
        line[keyBytes] = '\0';
        Store(line, keyBytes, UnescapeValueOf(line, seen, keyBytes, fast));
    }

    // A line in the system's ANSI code page, as the program's earlier versions wrote it (or a
    // hand-edited one). Those escaped a value byte by byte, and in a double-byte code page the
    // second byte of a character can be a backslash: the value is unescaped in the code page, as
    // it was written, and converted after. Key names were written as they stand.
    void ParseAnsi(char* line, size_t seen) {
        if (!converted->Reserve(3 * seen + 2, 0)) {
            lost = true;
            return;
        }
        char* output = converted->Text();
        size_t outputLength = 0;
        if (line[0] == '[') {
            if (!ConvertAnsi(line, seen, output, &outputLength)) {
                lost = true;
                return;
            }
            ParseHeader(output + 1);
            return;
        }
        size_t keyBytes = section[0] != '\0' ? KeyBytes(line, seen) : 0;
        if (keyBytes == 0) {
            return;
        }
        size_t keyLength = 0;
        char* value = UnescapeValueOf(line, seen, keyBytes, false);
        char* valueOutput = output + 3 * keyBytes + 1;
        size_t valueLength = 0;
        if (!ConvertAnsi(line, keyBytes, output, &keyLength) ||
            !ConvertAnsi(value, strlen(value), valueOutput, &valueLength)) {
            lost = true;
            return;
        }
        Store(output, keyLength, valueOutput);
    }

  private:
    CIniFile* document;
    CGrowingBuffer* converted;
    bool fast;
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

    // A key that fitted a name in the code page may have grown past it in UTF-8: it is cut
    // between characters rather than dropped.
    void Store(char* key, size_t keyLength, const char* value) {
        if (keyLength >= kIniNameChars) {
            key[Utf8PrefixWithinBytes(key, keyLength, keyLength, kIniNameChars - 1)] = '\0';
        }
        if (!document->SetString(section, key, value)) {
            lost = true;
        }
    }
};

// Editors put one before a UTF-8 text; it is no part of the first line.
bool StartsWithByteOrderMark(const char* text, size_t length) {
    return length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0;
}

// What the parser needs to know of a line before it reads it.
struct LineShape {
    // The bytes before its first NUL byte, or all of them.
    size_t seen;
    bool utf8;
};

LineShape CarefulShapeOf(const char* line, size_t length) {
    return {SeenBytes(line, length), IsUtf8(line, length)};
}

// The high bit of each of the eight bytes that is NUL or above 0x7F, and maybe of bytes after
// such a one (the first test holds for a NUL byte, and for no byte of 0x01 to 0x7F).
uint64_t NulOrHighBytes(const char* bytes) {
    const uint64_t kOnes = 0x0101010101010101, kHighBits = 0x8080808080808080;
    uint64_t word = 0;
    memcpy(&word, bytes, sizeof word);
    return (((word - kOnes) & ~word) | word) & kHighBits;
}

// The first byte at or after at that is NUL or above 0x7F, or length: 32 bytes at a time, then 8,
// then one.
size_t PlainAsciiEnd(const char* line, size_t at, size_t length) {
    for (; at + 32 <= length; at += 32) {
        if (NulOrHighBytes(line + at) | NulOrHighBytes(line + at + 8) |
            NulOrHighBytes(line + at + 16) | NulOrHighBytes(line + at + 24)) {
            break;
        }
    }
    for (; at + 8 <= length; at += 8) {
        if (NulOrHighBytes(line + at)) {
            break;
        }
    }
    while (at < length && line[at] != '\0' && static_cast<unsigned char>(line[at]) < 0x80) {
        at++;
    }
    return at;
}

// The same as CarefulShapeOf, but plain ASCII goes by 32 and 8 bytes at a time, and only a byte
// above 0x7F is checked as the start of a UTF-8 character; where one is none, the careful
// checks take over.
LineShape FastShapeOf(const char* line, size_t length) {
    LineShape shape = {length, true};
    size_t at = 0;
    while ((at = PlainAsciiEnd(line, at, length)) < length) {
        if (line[at] == '\0') {
            shape.seen = shape.seen < at ? shape.seen : at;
            at++;
            continue;
        }
        size_t units = 0;
        size_t width = Utf8CharacterAt(line + at, length - at, &units);
        if (width == 1) {
            if (shape.seen == length) {
                shape.seen = at + SeenBytes(line + at, length - at);
            }
            shape.utf8 = false;
            return shape;
        }
        at += width;
    }
    return shape;
}

// A line that is not UTF-8 was written in the system's ANSI code page; lines are told apart one
// by one, since an edited file may mix both. False when a line could not be held or stored.
// Without fast, every line takes the careful checks, which the fast ones must match.
template <class Source> bool ParseLines(CIniFile* document, Source& source, bool fast) {
    // A line read, with its terminator; and the parts of an ANSI line in UTF-8, each byte of them
    // up to three.
    CGrowingBuffer line(kIniMaxLineChars + 1);
    CGrowingBuffer converted(3 * kIniMaxLineChars + 2);
    CIniLineParser parser(document, &converted, fast);
    size_t length = 0;
    bool first = true;
    LineResult result;
    while ((result = ReadLine(source, line, &length)) != kNoMoreLines) {
        if (result == kLineLost) {
            parser.SetLost();
            first = false;
            continue;
        }
        char* text = line.Text();
        if (first && StartsWithByteOrderMark(text, length)) {
            text += 3;
            length -= 3;
        }
        first = false;
        LineShape shape = fast ? FastShapeOf(text, length) : CarefulShapeOf(text, length);
        if (shape.utf8) {
            parser.Parse(text, shape.seen);
        } else {
            parser.ParseAnsi(text, shape.seen);
        }
    }
    return !parser.Lost();
}

// Notepad's "Unicode" forms are UTF-16 behind a byte-order mark, little-endian (FF FE) or
// big-endian (FE FF); every other text is read as bytes. The mark is consumed.
enum TextForm {
    kTextBytes,
    kTextUtf16LittleEndian,
    kTextUtf16BigEndian,
};

template <class Source> TextForm TakeTextForm(Source& source) {
    const char* bytes = nullptr;
    if (source.Span(&bytes) < 2) {
        return kTextBytes;
    }
    TextForm form = memcmp(bytes, "\xFF\xFE", 2) == 0   ? kTextUtf16LittleEndian
                    : memcmp(bytes, "\xFE\xFF", 2) == 0 ? kTextUtf16BigEndian
                                                        : kTextBytes;
    if (form != kTextBytes) {
        source.Consume(2);
    }
    return form;
}

// False when the text could not all be held, stored or converted.
template <class Source> bool ParseText(CIniFile* document, Source& source, bool fast) {
    TextForm form = TakeTextForm(source);
    if (form == kTextBytes) {
        return ParseLines(document, source, fast);
    }
    CUtf16Source<Source> utf16(source, form == kTextUtf16BigEndian);
    bool kept = ParseLines(document, utf16, fast);
    return kept && !utf16.Failed();
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
    bool kept = ParseText(this, source, true);
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
    ParseText(this, source, true);
}

void CIniFile::ReadTextCarefully(const char* text, size_t length) {
    if (!text) {
        return;
    }
    MemorySource source{text, text + length};
    ParseText(this, source, false);
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
