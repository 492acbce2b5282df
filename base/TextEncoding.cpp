#include "base/TextEncoding.h"
#include "base/UniqueOwner.h"

#include <new>

namespace {

// The bytes that follow a lead byte, or -1 for a byte no character starts with.
int FollowingBytes(unsigned char lead) {
    if (lead < 0x80) {
        return 0;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 2;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 3;
    }
    return -1;
}

// The second byte carries the limits that rule out overlong forms, surrogates and values past
// U+10FFFF.
bool SecondByteFits(unsigned char lead, unsigned char second) {
    unsigned char low = 0x80, high = 0xBF;
    if (lead == 0xE0) {
        low = 0xA0;
    } else if (lead == 0xED) {
        high = 0x9F;
    } else if (lead == 0xF0) {
        low = 0x90;
    } else if (lead == 0xF4) {
        high = 0x8F;
    }
    return second >= low && second <= high;
}

// The bytes of the well-formed sequence that starts the length bytes at hand, or 0 when none does.
size_t SequenceBytes(const unsigned char* bytes, size_t length) {
    int following = FollowingBytes(bytes[0]);
    if (following < 0 || length <= static_cast<size_t>(following)) {
        return 0;
    }
    if (following > 0 && !SecondByteFits(bytes[0], bytes[1])) {
        return 0;
    }
    for (int i = 2; i <= following; i++) {
        if ((bytes[i] & 0xC0) != 0x80) {
            return 0;
        }
    }
    return static_cast<size_t>(following) + 1;
}

size_t Terminate(char* output, size_t size, int written) {
    if (written <= 0 || static_cast<size_t>(written) >= size) {
        output[0] = '\0';
        return 0;
    }
    output[written] = '\0';
    return static_cast<size_t>(written);
}

// From one code page to another through UTF-16, which is the only road the system offers.
size_t Recode(UINT from, const char* text, size_t length, UINT to, char* output, size_t size) {
    if (!output || size == 0) {
        return 0;
    }
    output[0] = '\0';
    if (!text || length == 0 || length > 0x7FFFFFFF) {
        return 0;
    }
    int units = MultiByteToWideChar(from, 0, text, static_cast<int>(length), nullptr, 0);
    CHeapArray<WCHAR> wide(units > 0 ? new (std::nothrow) WCHAR[units] : nullptr);
    if (wide.IsEmpty()) {
        return 0;
    }
    MultiByteToWideChar(from, 0, text, static_cast<int>(length), wide.Get(), units);
    int written = WideCharToMultiByte(to, 0, wide.Get(), units, output, static_cast<int>(size - 1),
                                      nullptr, nullptr);
    return Terminate(output, size, written);
}

} // namespace

bool IsUtf8(const char* text, size_t length) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t at = 0; at < length;) {
        size_t width = SequenceBytes(bytes + at, length - at);
        if (width == 0) {
            return false;
        }
        at += width;
    }
    return true;
}

bool IsHighSurrogate(WCHAR unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsUtf16(const WCHAR* text, size_t units) {
    for (size_t at = 0; at < units; at++) {
        if (IsHighSurrogate(text[at]) && at + 1 < units && text[at + 1] >= 0xDC00 &&
            text[at + 1] <= 0xDFFF) {
            at++;
        } else if (text[at] >= 0xD800 && text[at] <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

size_t Utf16ToUtf8(const WCHAR* text, size_t units, char* output, size_t size) {
    if (!output || size == 0) {
        return 0;
    }
    output[0] = '\0';
    if (!text || units == 0 || units > 0x7FFFFFFF || size > 0x7FFFFFFF) {
        return 0;
    }
    int written = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), output,
                                      static_cast<int>(size - 1), nullptr, nullptr);
    return Terminate(output, size, written);
}

size_t Utf8ToUtf16(const char* text, size_t length, WCHAR* output, size_t units) {
    if (!output || units == 0) {
        return 0;
    }
    output[0] = 0;
    if (!text || length == 0 || length > 0x7FFFFFFF || units > 0x7FFFFFFF) {
        return 0;
    }
    int written = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), output,
                                      static_cast<int>(units - 1));
    if (written <= 0 || static_cast<size_t>(written) >= units) {
        output[0] = 0;
        return 0;
    }
    output[written] = 0;
    return static_cast<size_t>(written);
}

size_t AnsiToUtf8(const char* text, size_t length, char* output, size_t size) {
    return Recode(CP_ACP, text, length, CP_UTF8, output, size);
}

size_t Utf8ToAnsi(const char* text, size_t length, char* output, size_t size) {
    return Recode(CP_UTF8, text, length, CP_ACP, output, size);
}

size_t Utf8CharacterAt(const char* text, size_t length, size_t* units) {
    size_t width = SequenceBytes(reinterpret_cast<const unsigned char*>(text), length);
    if (width == 0) {
        width = 1;
    }
    *units = width == 4 ? 2 : 1;
    return width;
}

size_t Utf8PrefixWithin(const char* text, size_t length, size_t maxUnits) {
    return Utf8PrefixWithinBytes(text, length, maxUnits, length);
}

size_t Utf8PrefixWithinBytes(const char* text, size_t length, size_t maxUnits, size_t maxBytes) {
    size_t at = 0;
    size_t units = 0;
    while (at < length) {
        size_t characterUnits = 0;
        size_t width = Utf8CharacterAt(text + at, length - at, &characterUnits);
        if (at + width > maxBytes || units + characterUnits > maxUnits) {
            break;
        }
        at += width;
        units += characterUnits;
    }
    return at;
}

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool EqualIgnoringAsciiCase(const char* first, const char* second) {
    for (; *first && AsciiLower(*first) == AsciiLower(*second); first++, second++) {
    }
    return AsciiLower(*first) == AsciiLower(*second);
}
