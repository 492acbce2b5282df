// Code page conversions of the host simulation: UTF-8, and code page 1252 as the simulated system's
// ANSI code page, with the best fit Windows applies to Latin letters that 1252 lacks. A test may
// make the ANSI code page 932 (Japanese), of which only ASCII, the half-width katakana and the few
// double-byte characters below are modelled.
#include "platform/host/HostTesting.h"
#include "platform/host/HostWin32.h"

#include <cstring>
#include <string>

namespace {

// 1252's bytes 0x80 to 0x9F; the rest of its bytes are the first 256 code points.
const char16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// U+0100 to U+017F to the letter without its mark; "?" where there is none, or where 1252 has the
// letter itself.
const char kLatinExtendedBestFit[] = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKk?LlLl"
                                     "LlLlLlNnNnNn???OoOoOo??RrRrRrSsSsSs??TtTtTtUuUuUuUuUuUuWwYy?"
                                     "ZzZz???";

UINT ansiCodePage = 1252;

// Characters of code page 932 whose second byte is the backslash's: the ones an escaping writer
// that worked byte by byte got wrong.
struct DoubleByte {
    unsigned char lead;
    unsigned char trail;
    char16_t unit;
};
const DoubleByte kShiftJis[] = {{0x83, 0x5C, 0x30BD}, {0x95, 0x5C, 0x8868}, {0x94, 0x5C, 0x80FD},
                                {0x8F, 0x5C, 0x5341}, {0x97, 0x5C, 0x4E88}, {0x90, 0x5C, 0x7533}};

bool IsShiftJisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// A pair the table does not hold, or a lead byte without its second byte, is U+FFFD here; the
// tests use only the characters modelled.
std::u16string DecodeShiftJis(const unsigned char* bytes, size_t length) {
    std::u16string wide;
    for (size_t i = 0; i < length; i++) {
        unsigned char byte = bytes[i];
        if (byte < 0x80) {
            wide += byte;
        } else if (byte >= 0xA1 && byte <= 0xDF) {
            wide += char16_t(0xFF61 + (byte - 0xA1));
        } else if (IsShiftJisLead(byte) && i + 1 < length) {
            char16_t unit = 0xFFFD;
            for (const DoubleByte& pair : kShiftJis) {
                if (pair.lead == byte && pair.trail == bytes[i + 1]) {
                    unit = pair.unit;
                }
            }
            wide += unit;
            i++;
        } else {
            wide += char16_t(0xFFFD);
        }
    }
    return wide;
}

std::string EncodeShiftJis(const char16_t* wide, size_t units) {
    std::string text;
    for (size_t i = 0; i < units; i++) {
        char16_t unit = wide[i];
        if (unit < 0x80) {
            text += char(unit);
        } else if (unit >= 0xFF61 && unit <= 0xFF9F) {
            text += char(0xA1 + (unit - 0xFF61));
        } else {
            std::string pairBytes = "?";
            for (const DoubleByte& pair : kShiftJis) {
                if (pair.unit == unit) {
                    pairBytes = {char(pair.lead), char(pair.trail)};
                }
            }
            text += pairBytes;
        }
    }
    return text;
}

UINT ActualCodePage(UINT codePage) {
    return codePage == CP_ACP ? ansiCodePage : codePage;
}

std::u16string DecodeAnsi(UINT codePage, const unsigned char* bytes, size_t length) {
    if (ActualCodePage(codePage) == 932) {
        return DecodeShiftJis(bytes, length);
    }
    std::u16string wide;
    for (size_t i = 0; i < length; i++) {
        wide += bytes[i] >= 0x80 && bytes[i] < 0xA0 ? kHighControls[bytes[i] - 0x80] : bytes[i];
    }
    return wide;
}

// Invalid sequences become U+FFFD, one for each byte that starts none, as Windows does; false
// when they are to be refused instead.
bool DecodeUtf8(const unsigned char* bytes, size_t length, bool refuseInvalid,
                std::u16string* wide) {
    for (size_t i = 0; i < length;) {
        unsigned char lead = bytes[i];
        int following = lead < 0x80                    ? 0
                        : lead >= 0xC2 && lead <= 0xDF ? 1
                        : lead >= 0xE0 && lead <= 0xEF ? 2
                        : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                       : -1;
        char32_t code = following == 0   ? lead
                        : following == 1 ? lead & 0x1F
                        : following == 2 ? lead & 0x0F
                                         : lead & 0x07;
        bool valid = following >= 0 && i + following < length;
        for (int k = 1; valid && k <= following; k++) {
            valid = (bytes[i + k] & 0xC0) == 0x80;
            code = (code << 6) | (bytes[i + k] & 0x3F);
        }
        char32_t least = following == 1 ? 0x80 : following == 2 ? 0x800 : 0x10000;
        valid = valid && (following == 0 || code >= least) && code <= 0x10FFFF &&
                !(code >= 0xD800 && code <= 0xDFFF);
        if (!valid) {
            if (refuseInvalid) {
                return false;
            }
            *wide += char16_t(0xFFFD);
            i++;
            continue;
        }
        if (code >= 0x10000) {
            *wide += char16_t(0xD800 + ((code - 0x10000) >> 10));
            *wide += char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            *wide += char16_t(code);
        }
        i += static_cast<size_t>(following) + 1;
    }
    return true;
}

void AppendUtf8(char32_t code, std::string* text) {
    if (code < 0x80) {
        *text += char(code);
    } else if (code < 0x800) {
        *text += char(0xC0 | (code >> 6));
        *text += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *text += char(0xE0 | (code >> 12));
        *text += char(0x80 | ((code >> 6) & 0x3F));
        *text += char(0x80 | (code & 0x3F));
    } else {
        *text += char(0xF0 | (code >> 18));
        *text += char(0x80 | ((code >> 12) & 0x3F));
        *text += char(0x80 | ((code >> 6) & 0x3F));
        *text += char(0x80 | (code & 0x3F));
    }
}

// A lone surrogate becomes U+FFFD.
std::string EncodeUtf8(const char16_t* wide, size_t units) {
    std::string text;
    for (size_t i = 0; i < units; i++) {
        char32_t code = wide[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            i++;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        AppendUtf8(code, &text);
    }
    return text;
}

char AnsiByte(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return char(unit);
    }
    for (int i = 0; i < 32; i++) {
        if (kHighControls[i] == unit) {
            return char(0x80 + i);
        }
    }
    if (unit >= 0x100 && unit < 0x180) {
        return kLatinExtendedBestFit[unit - 0x100];
    }
    return '?';
}

// Every unit on its own, so a character outside the basic plane becomes "??".
std::string EncodeAnsi(UINT codePage, const char16_t* wide, size_t units) {
    if (ActualCodePage(codePage) == 932) {
        return EncodeShiftJis(wide, units);
    }
    std::string text;
    for (size_t i = 0; i < units; i++) {
        text += AnsiByte(wide[i]);
    }
    return text;
}

template <class Unit> int CopyOut(const Unit* result, size_t length, Unit* output, int capacity) {
    if (length > 0x7FFFFFFF) {
        return 0;
    }
    if (capacity == 0) {
        return static_cast<int>(length);
    }
    if (static_cast<size_t>(capacity) < length) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(output, result, length * sizeof(Unit));
    return static_cast<int>(length);
}

} // namespace

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0) {
        return 0;
    }
    size_t length = cbMultiByte < 0 ? strlen(lpMultiByteStr) + 1 : size_t(cbMultiByte);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    std::u16string wide;
    if (CodePage == CP_UTF8) {
        if (!DecodeUtf8(bytes, length, (dwFlags & MB_ERR_INVALID_CHARS) != 0, &wide)) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
    } else {
        wide = DecodeAnsi(CodePage, bytes, length);
    }
    return CopyOut(wide.data(), wide.size(), lpWideCharStr, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR, BOOL*) {
    if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0) {
        return 0;
    }
    size_t units = 0;
    if (cchWideChar < 0) {
        while (lpWideCharStr[units]) {
            units++;
        }
        units++;
    } else {
        units = size_t(cchWideChar);
    }
    std::string text = CodePage == CP_UTF8 ? EncodeUtf8(lpWideCharStr, units)
                                           : EncodeAnsi(CodePage, lpWideCharStr, units);
    return CopyOut(text.data(), text.size(), lpMultiByteStr, cbMultiByte);
}

void hostsim::SetAnsiCodePage(UINT codePage) {
    ansiCodePage = codePage == 932 ? 932 : 1252;
}
