#include "desktop/DesktopLayout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct Parsed {
    std::string name;
    int x;
    int y;
    bool operator==(const Parsed& other) const {
        return name == other.name && x == other.x && y == other.y;
    }
};

std::ostream& operator<<(std::ostream& out, const Parsed& entry) {
    return out << "{" << entry.name << ", " << entry.x << ", " << entry.y << "}";
}

std::vector<Parsed> Parse(const std::string& text) {
    CPtrList list;
    CDesktopLayout::ParseLayout(text.c_str(), &list);
    std::vector<Parsed> entries;
    for (PtrListNode* node = list.head; node; node = node->next) {
        const LayoutEntry* entry = static_cast<const LayoutEntry*>(node->data);
        entries.push_back({entry->name, entry->x, entry->y});
    }
    FreeLayoutEntries(&list);
    return entries;
}

TEST(LayoutParse, TriplesInTextOrder) {
    EXPECT_EQ(Parse("a;1;2;b;3;4;"), (std::vector<Parsed>{{"a", 1, 2}, {"b", 3, 4}}));
    EXPECT_EQ(Parse("Recycle Bin;20;10;My Computer;20;80;"),
              (std::vector<Parsed>{{"Recycle Bin", 20, 10}, {"My Computer", 20, 80}}));
}

TEST(LayoutParse, MissingFieldsAreEmptyOrZero) {
    EXPECT_EQ(Parse("abc"), (std::vector<Parsed>{{"abc", 0, 0}}));
    EXPECT_EQ(Parse("Recycle Bin;20"), (std::vector<Parsed>{{"Recycle Bin", 20, 0}}));
    EXPECT_EQ(Parse(";5;;"), (std::vector<Parsed>{{"", 5, 0}}));
}

TEST(LayoutParse, SeparatorsAloneMakeNoEntry) {
    EXPECT_TRUE(Parse("").empty());
    EXPECT_TRUE(Parse(";").empty());
    EXPECT_TRUE(Parse(";;;").empty());
    EXPECT_TRUE(Parse(";;;;;;;;;").empty());
}

// ---- Names with ";" and "\" ------------------------------------------------------------------

// As a capture writes them: "\;" and "\\" in a name stand for ";" and "\".
TEST(LayoutParse, EscapedSeparatorsAndBackslashesReadAsPartOfTheName) {
    EXPECT_EQ(Parse("a\\;b;1;2;c;3;4;"), (std::vector<Parsed>{{"a;b", 1, 2}, {"c", 3, 4}}));
    EXPECT_EQ(Parse("\\;;1;2;\\\\;3;4;"), (std::vector<Parsed>{{";", 1, 2}, {"\\", 3, 4}}));
    EXPECT_EQ(Parse("x\\\\\\;y;5;6;"), (std::vector<Parsed>{{"x\\;y", 5, 6}}));
    EXPECT_EQ(Parse("dir\\\\;1;2;"), (std::vector<Parsed>{{"dir\\", 1, 2}}));
    EXPECT_EQ(Parse("C:\\\\temp;-3;7;"), (std::vector<Parsed>{{"C:\\temp", -3, 7}}));
    EXPECT_EQ(Parse("\\;\\;\\;;0;0;"), (std::vector<Parsed>{{";;;", 0, 0}}));
}

TEST(LayoutParse, NamesThatLookLikeNumbersStayNames) {
    EXPECT_EQ(Parse("a\\;1;2;3;1;4;5;-5;6;7;"),
              (std::vector<Parsed>{{"a;1", 2, 3}, {"1", 4, 5}, {"-5", 6, 7}}));
    EXPECT_EQ(Parse("1\\;2;3;4;"), (std::vector<Parsed>{{"1;2", 3, 4}}));
}

// A backslash before anything other than ";" or "\" is part of the name.
TEST(LayoutParse, OtherBackslashesStayAsTheyStand) {
    EXPECT_EQ(Parse("C:\\x;1;2;a\\;b;3;4;"), (std::vector<Parsed>{{"C:\\x", 1, 2}, {"a;b", 3, 4}}));
    EXPECT_EQ(Parse("\\n\\t\\\\;1;2;"), (std::vector<Parsed>{{"\\n\\t\\", 1, 2}}));
}

// The limit of 255 counts the name's own characters: 255 semicolons take 510 in the text.
TEST(LayoutParse, EscapesDoNotCountTowardsTheNameLimit) {
    std::string escaped;
    for (int i = 0; i < 255; i++) {
        escaped += "\\;";
    }
    EXPECT_EQ(Parse(escaped + ";1;2;b;3;4;"),
              (std::vector<Parsed>{{std::string(255, ';'), 1, 2}, {"b", 3, 4}}));
    std::string name = std::string(250, 'n') + "\\\\";
    EXPECT_EQ(Parse(std::string(250, 'n') + "\\\\\\\\;5;6;"), (std::vector<Parsed>{{name, 5, 6}}));
}

// ---- Layouts stored before names were escaped ---------------------------------------------------

// Names were written as they stood, so a ";" in one split it; such a text reads as it always did.
TEST(LayoutParse, UnescapedSemicolonInAStoredLayoutSplitsTheNameAsBefore) {
    EXPECT_EQ(Parse("a;b;1;2;"), (std::vector<Parsed>{{"a", 0, 1}, {"2", 0, 0}}));
}

// A name ending in a backslash was written before its ";" as it stood. No capture writes these
// texts now, so they keep their old reading.
TEST(LayoutParse, StoredNamesEndingInABackslashReadAsBefore) {
    EXPECT_EQ(Parse("dir\\;1;2;"), (std::vector<Parsed>{{"dir\\", 1, 2}}));
    EXPECT_EQ(Parse("dir\\;1;2;Recycle Bin;20;10;"),
              (std::vector<Parsed>{{"dir\\", 1, 2}, {"Recycle Bin", 20, 10}}));
    EXPECT_EQ(Parse("a\\;1;2;b\\;3;4;c\\;5;6;"),
              (std::vector<Parsed>{{"a\\", 1, 2}, {"b\\", 3, 4}, {"c\\", 5, 6}}));
    EXPECT_EQ(Parse("a\\;1;2;3;4;5;"), (std::vector<Parsed>{{"a\\", 1, 2}, {"3", 4, 5}}));
    EXPECT_EQ(Parse("C:\\x\\;1;2;"), (std::vector<Parsed>{{"C:\\x\\", 1, 2}}));
}

// Whatever else a capture would not write keeps the old reading too: a cut or overlong triple, or
// a coordinate edited by hand.
TEST(LayoutParse, StoredTextsACaptureWouldNotWriteReadAsBefore) {
    EXPECT_EQ(Parse("C:\\\\x;1;2;n; 7;+7;"), (std::vector<Parsed>{{"C:\\\\x", 1, 2}, {"n", 7, 7}}));
    EXPECT_EQ(Parse("a\\\\b;1;2;c;3"), (std::vector<Parsed>{{"a\\\\b", 1, 2}, {"c", 3, 0}}));
    std::string longName = std::string(255, 'n') + "\\\\";
    EXPECT_EQ(Parse(longName + ";1;2;"),
              (std::vector<Parsed>{{std::string(255, 'n'), 0, 1}, {"2", 0, 0}}));
}

TEST(LayoutParse, CoordinatesFollowAtoi) {
    EXPECT_EQ(Parse("n; 7;+7;")[0], (Parsed{"n", 7, 7}));
    EXPECT_EQ(Parse("n;7px;-5;")[0], (Parsed{"n", 7, -5}));
    EXPECT_EQ(Parse("n;x;\t\n-12abc;")[0], (Parsed{"n", 0, -12}));
    EXPECT_EQ(Parse("n;- 3;+-3;")[0], (Parsed{"n", 0, 0}));
}

TEST(LayoutParse, CoordinatesBeyondIntAreHeldToItsRange) {
    EXPECT_EQ(Parse("n;2147483647;-2147483648;")[0], (Parsed{"n", INT_MAX, INT_MIN}));
    EXPECT_EQ(Parse("n;99999999999999999999;-99999999999999999999;")[0],
              (Parsed{"n", INT_MAX, INT_MIN}));
}

TEST(LayoutParse, OverlongNameIsCutAndItsRestStartsTheNextField) {
    // 300 characters: 255 of name, then 31 read as x, 14 as y; "1;2;" then makes an entry of its
    // own.
    std::vector<Parsed> entries = Parse(std::string(300, 'n') + ";1;2;");
    EXPECT_EQ(entries, (std::vector<Parsed>{{std::string(255, 'n'), 0, 0}, {"1", 2, 0}}));
    // 270 characters: the 15 left over are x, and the real x lands in y.
    entries = Parse(std::string(270, 'n') + ";1;2;");
    EXPECT_EQ(entries, (std::vector<Parsed>{{std::string(255, 'n'), 0, 1}, {"2", 0, 0}}));
}

TEST(LayoutParse, OverlongCoordinateIsCutAt31Characters) {
    std::string digits(40, '1');
    std::vector<Parsed> entries = Parse("n;" + digits + ";5;");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].x, INT_MAX);
    EXPECT_EQ(entries[0].y, 111111111);
    EXPECT_EQ(entries[1], (Parsed{"5", 0, 0}));
}

TEST(LayoutParse, NameOfExactly255CharactersIsKeptWhole) {
    std::string name(255, 'q');
    EXPECT_EQ(Parse(name + ";3;4;"), (std::vector<Parsed>{{name, 3, 4}}));
}

TEST(LayoutParse, BytesAboveAsciiAreCopiedUnchanged) {
    std::string name = "Caf\xe9 \xff\x01";
    EXPECT_EQ(Parse(name + ";1;1;"), (std::vector<Parsed>{{name, 1, 1}}));
}

// ---- UTF-8 names ------------------------------------------------------------------------------

std::string Repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; i++) {
        text += piece;
    }
    return text;
}

const std::string kJapanese = "\xe6\x97\xa5";  // one unit, three bytes
const std::string kEmoji = "\xf0\x9f\x98\x80"; // two units, four bytes

// The limit counts the UTF-16 units of the name, not its bytes: 255 characters of three bytes are
// one whole name.
TEST(LayoutParse, NameLimitCountsUnitsNotBytes) {
    std::string name = Repeated(kJapanese, 255);
    EXPECT_EQ(Parse(name + ";1;2;"), (std::vector<Parsed>{{name, 1, 2}}));
    std::string pairs = "a" + Repeated(kEmoji, 127);
    EXPECT_EQ(Parse(pairs + ";3;4;"), (std::vector<Parsed>{{pairs, 3, 4}}));
    std::string escaped = Repeated(kJapanese + "\\;", 127) + kJapanese;
    EXPECT_EQ(Parse(escaped + ";5;6;"),
              (std::vector<Parsed>{{Repeated(kJapanese + ";", 127) + kJapanese, 5, 6}}));
}

// Past 255 units the cut falls between characters; the rest begins the next field, as with any
// overlong name.
TEST(LayoutParse, OverlongNamesAreCutBetweenCharacters) {
    EXPECT_EQ(Parse(Repeated(kJapanese, 256) + ";1;2;"),
              (std::vector<Parsed>{{Repeated(kJapanese, 255), 0, 1}, {"2", 0, 0}}));
    // The 255th unit would be half of the pair: the pair goes whole to the next field.
    std::vector<Parsed> entries = Parse(std::string(254, 'a') + kEmoji + ";1;2;");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (Parsed{std::string(254, 'a'), 0, 1}));
    EXPECT_EQ(entries[1], (Parsed{"2", 0, 0}));
}

// Layouts stored in the ANSI code page: a byte that looks like the start of a sequence is one
// character of its own, so it neither swallows the ";" after it nor gets a name cut that fits.
TEST(LayoutParse, AnsiNamesOfStoredLayoutsReadAsBefore) {
    EXPECT_EQ(
        Parse("Caf\xe9;1;2;L\xf3\x64z.txt;3;4;???.txt;5;6;"),
        (std::vector<Parsed>{{"Caf\xe9", 1, 2}, {"L\xf3\x64z.txt", 3, 4}, {"???.txt", 5, 6}}));
    std::string high(255, '\xe9');
    EXPECT_EQ(Parse(high + ";7;8;"), (std::vector<Parsed>{{high, 7, 8}}));
    EXPECT_EQ(Parse("\xf0\x9f;9;9;"), (std::vector<Parsed>{{"\xf0\x9f", 9, 9}}));
}

} // namespace
