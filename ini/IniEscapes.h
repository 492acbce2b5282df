#pragma once

// The characters a value writes as a backslash and a letter: the writer and the reader share
// this one table, so a text always reads back as it was written.
struct IniEscape {
    char character;
    char letter;
};

inline constexpr IniEscape kIniEscapes[] = {{'\\', '\\'}, {'\r', 'r'}, {'\n', 'n'}, {'\t', 't'}};

// The other side of the pair that holds c, as a character (fromCharacter) or as a letter; NUL
// when no pair does.
inline char IniEscapePartner(char c, bool fromCharacter) {
    for (const IniEscape& escape : kIniEscapes) {
        if ((fromCharacter ? escape.character : escape.letter) == c) {
            return fromCharacter ? escape.letter : escape.character;
        }
    }
    return '\0';
}

// The letter written after a backslash for c; NUL when c is written as itself.
inline char IniEscapeLetter(char c) {
    return IniEscapePartner(c, true);
}

// The character that a backslash and this letter stand for; NUL when they are no escape.
inline char IniUnescaped(char letter) {
    return IniEscapePartner(letter, false);
}
