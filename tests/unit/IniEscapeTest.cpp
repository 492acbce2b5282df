#include "ini/IniFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Runs a transformation into a buffer with guard bytes after size characters, which must stay.
std::string Transform(void (*transform)(const char*, char*, size_t), const std::string& source,
                      size_t size) {
    std::vector<char> buffer(size + 16, '#');
    transform(source.c_str(), buffer.data(), size);
    for (size_t i = size; i < buffer.size(); i++) {
        EXPECT_EQ(buffer[i], '#') << "written past the buffer at " << i;
    }
    if (size == 0) {
        return "(untouched)";
    }
    return std::string(buffer.data());
}

std::string Escape(const std::string& source, size_t size = 1024) {
    return Transform(CIniFile::EscapeValue, source, size);
}

std::string Unescape(const std::string& source, size_t size = 1024) {
    return Transform(CIniFile::UnescapeValue, source, size);
}

TEST(IniEscapeTest, EscapesTheFourCharacters) {
    EXPECT_EQ(Escape("\\"), "\\\\");
    EXPECT_EQ(Escape("a\rb\nc\td"), "a\\rb\\nc\\td");
    EXPECT_EQ(Escape("plain ;=[] text"), "plain ;=[] text");
    EXPECT_EQ(Escape(""), "");
}

TEST(IniEscapeTest, UnescapesTheFourEscapes) {
    EXPECT_EQ(Unescape("\\\\"), "\\");
    EXPECT_EQ(Unescape("a\\rb\\nc\\td"), "a\rb\nc\td");
    EXPECT_EQ(Unescape("\\\\\\\\"), "\\\\");
    EXPECT_EQ(Unescape(""), "");
}

TEST(IniEscapeTest, UnknownEscapesAndATrailingBackslashStay) {
    EXPECT_EQ(Unescape("\\q"), "\\q");
    EXPECT_EQ(Unescape("end\\"), "end\\");
    EXPECT_EQ(Unescape("\\\\\\"), "\\\\");
    EXPECT_EQ(Unescape("\\\\n"), "\\n");
    EXPECT_EQ(Unescape("\\R\\N\\T"), "\\R\\N\\T");
}

TEST(IniEscapeTest, EveryByteSurvivesEscapingAndUnescaping) {
    std::string all;
    for (int c = 1; c < 256; c++) {
        all += static_cast<char>(c);
    }
    std::string escaped = Escape(all, 2 * all.size() + 2);
    EXPECT_EQ(escaped.find_first_of("\r\n\t"), std::string::npos);
    EXPECT_EQ(Unescape(escaped, escaped.size() + 2), all);
}

TEST(IniEscapeTest, EscapingStopsAtSizeMinusTwoAndNeverSplitsAnEscape) {
    EXPECT_EQ(Escape("abcdef", 5), "abc");
    EXPECT_EQ(Escape("\\\\\\", 5), "\\\\\\\\");
    EXPECT_EQ(Escape("a\\b", 5), "a\\\\");
    EXPECT_EQ(Escape("\\\\", 6), "\\\\\\\\");
    EXPECT_EQ(Escape("\r\r\r", 8), "\\r\\r\\r");
}

TEST(IniEscapeTest, UnescapingKeepsAtMostSizeMinusTwoCharacters) {
    EXPECT_EQ(Unescape("abcdef", 5), "abc");
    EXPECT_EQ(Unescape("\\n\\n\\n\\n", 5), "\n\n\n");
    EXPECT_EQ(Unescape(std::string(8189, 'v'), 8192), std::string(8189, 'v'));
    EXPECT_EQ(Unescape(std::string(9000, 'v'), 8192), std::string(8190, 'v'));
}

TEST(IniEscapeTest, TinyBuffersAreNeverOverrun) {
    for (size_t size = 0; size < 4; size++) {
        Escape("\\\\\\\\", size);
        Unescape("\\\\\\\\", size);
    }
    EXPECT_EQ(Escape("abc", 1), "");
    EXPECT_EQ(Unescape("abc", 2), "");
    EXPECT_EQ(Escape("\\", 3), "\\\\");
}

} // namespace
