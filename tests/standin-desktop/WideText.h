// Names travel as UTF-8 between a test and the stand-in, and live in the list view as UTF-16.
#pragma once

#include <windows.h>

#include <string>

// Each byte that is not UTF-8 becomes U+FFFD, as the system converts it.
inline std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    int units =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(units > 0 ? static_cast<size_t>(units) : 0, L'\0');
    if (units > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                            units);
    }
    return wide;
}

inline std::string WideToUtf8(const wchar_t* text, size_t units) {
    if (units == 0) {
        return std::string();
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), nullptr, 0, nullptr,
                                    nullptr);
    std::string narrow(bytes > 0 ? static_cast<size_t>(bytes) : 0, '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), &narrow[0], bytes, nullptr,
                            nullptr);
    }
    return narrow;
}
