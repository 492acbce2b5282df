// The conversions between the desktop's UTF-16, the program's UTF-8 and the system's ANSI code page
// (1252 on the host and in the Wine prefix the tests run in). Run in both configurations, so the
// host's conversions are held to the system's.
#include "base/TextEncoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string ToUtf8(const std::vector<WCHAR>& units) {
    char output[64];
    size_t length = Utf16ToUtf8(units.data(), units.size(), output, sizeof output);
    return std::string(output, length);
}

std::string ToAnsi(const std::string& text) {
    char output[64];
    size_t length = Utf8ToAnsi(text.data(), text.size(), output, sizeof output);
    return std::string(output, length);
}

std::string FromAnsi(const std::string& text) {
    char output[64];
    size_t length = AnsiToUtf8(text.data(), text.size(), output, sizeof output);
    return std::string(output, length);
}

bool Valid(const std::string& text) {
    return IsUtf8(text.data(), text.size());
}

TEST(TextEncoding, TellsWellFormedUtf8FromEverythingElse) {
    EXPECT_TRUE(Valid(""));
    EXPECT_TRUE(Valid("Recycle Bin"));
    EXPECT_TRUE(Valid("\xc5\x81\xc3\xb3\x64\xc5\xba.txt")); // Łódź.txt
    EXPECT_TRUE(Valid("emoji \xf0\x9f\x98\x80.png"));       // U+1F600
    EXPECT_FALSE(Valid("Caf\xe9"));                         // 1252's é
    EXPECT_FALSE(Valid("\xc0\xaf"));                        // overlong "/"
    EXPECT_FALSE(Valid("\xed\xa0\x80"));                    // a surrogate
    EXPECT_FALSE(Valid("\xf4\x90\x80\x80"));                // past U+10FFFF
    EXPECT_FALSE(Valid("\xe6\x97"));                        // cut short
    EXPECT_FALSE(Valid("\x80 stray"));
}

TEST(TextEncoding, DesktopNamesBecomeUtf8AndBack) {
    std::vector<WCHAR> lodz = {0x141, 0xF3, 'd', 0x17A, '.', 't', 'x', 't'};
    EXPECT_EQ(ToUtf8(lodz), "\xc5\x81\xc3\xb3\x64\xc5\xba.txt");
    std::vector<WCHAR> emoji = {'e', 0xD83D, 0xDE00};
    EXPECT_EQ(ToUtf8(emoji), "e\xf0\x9f\x98\x80");

    const std::string japanese = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt";
    WCHAR wide[16];
    ASSERT_EQ(Utf8ToUtf16(japanese.data(), japanese.size(), wide, 16), 7u);
    EXPECT_EQ(wide[0], 0x65E5);
    EXPECT_EQ(wide[7], 0);
}

// What a list view's ANSI request gives for a name: the forms older layouts hold.
TEST(TextEncoding, AnsiFormsAreTheSystemsBestFit) {
    EXPECT_EQ(ToAnsi("\xc5\x81\xc3\xb3\x64\xc5\xba.txt"), "L\xf3"
                                                          "dz.txt");
    EXPECT_EQ(ToAnsi("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt"), "???.txt");
    EXPECT_EQ(ToAnsi("emoji \xf0\x9f\x98\x80.png"), "emoji ??.png");
    EXPECT_EQ(ToAnsi("Caf\xc3\xa9 \xe2\x82\xac.txt"), "Caf\xe9 \x80.txt");
    EXPECT_EQ(FromAnsi("Caf\xe9 \x80.txt"), "Caf\xc3\xa9 \xe2\x82\xac.txt");
}

// The characters of code page 932 that the host simulation models, as the system converts them.
TEST(TextEncoding, TheModelledCharactersOfCodePage932) {
    const char bytes[] = "\x83\x5c\x95\x5c\x94\x5c\x8f\x5c\x97\x5c\x90\x5c\xb1"
                         "A\\";
    WCHAR wide[16] = {};
    int units = MultiByteToWideChar(932, 0, bytes, sizeof bytes - 1, wide, 16);
    EXPECT_EQ(
        std::vector<unsigned>(wide, wide + (units > 0 ? units : 0)),
        (std::vector<unsigned>{0x30BD, 0x8868, 0x80FD, 0x5341, 0x4E88, 0x7533, 0xFF71, 'A', '\\'}));
    char back[32] = {};
    int length = WideCharToMultiByte(932, 0, wide, units, back, sizeof back, nullptr, nullptr);
    EXPECT_EQ(std::string(back, length > 0 ? length : 0), std::string(bytes, sizeof bytes - 1));
}

TEST(TextEncoding, AResultThatDoesNotFitIsEmpty) {
    char small[4] = "xyz";
    EXPECT_EQ(AnsiToUtf8("Caf\xe9", 4, small, sizeof small), 0u);
    EXPECT_STREQ(small, "");
    std::vector<WCHAR> name = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(Utf16ToUtf8(name.data(), name.size(), small, sizeof small), 0u);
    EXPECT_STREQ(small, "");
}

TEST(TextEncoding, CutsFallBetweenCharacters) {
    const std::string text = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z"; // a é € U+1F600 z
    EXPECT_EQ(Utf8PrefixWithin(text.data(), text.size(), 1), 1u);
    EXPECT_EQ(Utf8PrefixWithin(text.data(), text.size(), 2), 3u);
    EXPECT_EQ(Utf8PrefixWithin(text.data(), text.size(), 3), 6u);
    // Two units are left, and the pair takes both; one is not enough for half of it.
    EXPECT_EQ(Utf8PrefixWithin(text.data(), text.size(), 4), 6u);
    EXPECT_EQ(Utf8PrefixWithin(text.data(), text.size(), 5), 10u);
    EXPECT_EQ(Utf8PrefixWithin(text.data(), text.size(), 99), text.size());
}

// Layouts and files written before names were UTF-8 hold the ANSI code page: "Caf\xe9" looks like
// the start of a three-byte sequence that never comes. Such bytes count one unit each, so a name
// that fits is never cut, and one that does not is cut between two bytes.
TEST(TextEncoding, BytesThatAreNotUtf8CountOneCharacterEach) {
    EXPECT_EQ(Utf8PrefixWithin("Caf\xe9", 4, 255), 4u);
    EXPECT_EQ(Utf8PrefixWithin("L\xf3\x64z.txt", 8, 8), 8u);
    EXPECT_EQ(Utf8PrefixWithin("\xe9\xe9\xe9", 3, 2), 2u);
    // A lead byte followed by too few continuation bytes is no sequence either.
    EXPECT_EQ(Utf8PrefixWithin("\xf0\x9f\x98", 3, 3), 3u);
    EXPECT_EQ(Utf8PrefixWithin("\xf0\x9f\x98", 3, 1), 1u);

    size_t units = 0;
    EXPECT_EQ(Utf8CharacterAt("\xe6\x97\xa5;", 4, &units), 3u);
    EXPECT_EQ(units, 1u);
    EXPECT_EQ(Utf8CharacterAt("\xf0\x9f\x98\x80", 4, &units), 4u);
    EXPECT_EQ(units, 2u);
    EXPECT_EQ(Utf8CharacterAt("\xe6;", 2, &units), 1u);
    EXPECT_EQ(units, 1u);
}

// A buffer of 64 bytes holds 63 of a name: a character that would pass them is left out whole.
TEST(TextEncoding, ByteBoundedCutsLeaveOutACharacterThatDoesNotFit) {
    const std::string name = std::string(61, 'a') + "\xe2\x82\xac" + "b"; // ... € b
    EXPECT_EQ(Utf8PrefixWithinBytes(name.data(), name.size(), 63, 63), 61u);
    EXPECT_EQ(Utf8PrefixWithinBytes(name.data(), name.size(), 63, 64), 64u);
    EXPECT_EQ(Utf8PrefixWithinBytes(name.data(), name.size(), 61, 99), 61u);
    const std::string ansi = std::string(62, 'a') + "\xe9\xe9";
    EXPECT_EQ(Utf8PrefixWithinBytes(ansi.data(), ansi.size(), 63, 63), 63u);
}

} // namespace
