#include "ini/IniFile.h"
#include "tests/unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using initest::ParseText;
using initest::Section;
using Keys = std::vector<std::pair<std::string, std::string>>;

// The keys that one line yields after a valid header.
Keys KeysOfLine(const std::string& line) {
    std::vector<Section> sections = ParseText("[S]\r\n" + line + "\r\n");
    return sections.empty() ? Keys{} : sections[0].keys;
}

TEST(IniReaderTest, KeyLines) {
    EXPECT_EQ(KeysOfLine("k=a=b"), (Keys{{"k", "a=b"}}));
    EXPECT_EQ(KeysOfLine("k="), (Keys{{"k", ""}}));
    EXPECT_EQ(KeysOfLine("=v"), Keys{});
    EXPECT_EQ(KeysOfLine("k"), Keys{});
    EXPECT_EQ(KeysOfLine(""), Keys{});
    EXPECT_EQ(KeysOfLine("k =v"), (Keys{{"k ", "v"}}));
    EXPECT_EQ(KeysOfLine("k= v"), (Keys{{"k", " v"}}));
    EXPECT_EQ(KeysOfLine(" [Saves]"), Keys{});
    EXPECT_EQ(KeysOfLine(";comment=kept"), (Keys{{";comment", "kept"}}));
    EXPECT_EQ(KeysOfLine("k=a\\tb\\\\"), (Keys{{"k", "a\tb\\"}}));
}

TEST(IniReaderTest, Headers) {
    EXPECT_EQ(ParseText("[Saves\nk=v\n"), (std::vector<Section>{{"Saves", {{"k", "v"}}}}));
    EXPECT_EQ(ParseText("[Saves] xyz\nk=v\n"), (std::vector<Section>{{"Saves", {{"k", "v"}}}}));
    EXPECT_EQ(ParseText("[Saves\r\nk=v\r\n"), (std::vector<Section>{{"Saves", {{"k", "v"}}}}));
    EXPECT_EQ(ParseText("[A]\nk=v\n[]\nlost=1\n[B]\nk=w\n"),
              (std::vector<Section>{{"A", {{"k", "v"}}}, {"B", {{"k", "w"}}}}));
    EXPECT_EQ(ParseText("[A]\nk=v\n[\nlost=1\n"), (std::vector<Section>{{"A", {{"k", "v"}}}}));
}

TEST(IniReaderTest, KeyLinesBeforeTheFirstHeaderAreIgnored) {
    EXPECT_EQ(ParseText("early=1\n[A]\nk=v\n"), (std::vector<Section>{{"A", {{"k", "v"}}}}));
}

TEST(IniReaderTest, AHeaderWithoutKeysCreatesNoSection) {
    EXPECT_EQ(ParseText("[Empty]\n[A]\nk=v\n[Trailing]\n"),
              (std::vector<Section>{{"A", {{"k", "v"}}}}));
}

TEST(IniReaderTest, RepeatedHeadersAndKeysMerge) {
    EXPECT_EQ(
        ParseText("[A]\nx=1\ny=2\n[B]\nz=3\n[A]\nw=4\nx=5\n"),
        (std::vector<Section>{{"A", {{"x", "5"}, {"y", "2"}, {"w", "4"}}}, {"B", {{"z", "3"}}}}));
}

TEST(IniReaderTest, ReadingAddsToTheDocument) {
    CIniFile document;
    document.SetString("A", "kept", "1");
    std::string text = "[A]\nnew=2\n";
    document.ReadText(text.data(), text.size());
    EXPECT_EQ(initest::Contents(document),
              (std::vector<Section>{{"A", {{"kept", "1"}, {"new", "2"}}}}));
}

// A line of this length, line end included: "k=", the value escaped, CR LF.
std::string KeyLine(const std::string& escaped) {
    return "k=" + escaped + "\r\n";
}

TEST(IniReaderTest, AFullLayoutEscapedBehindTheLongestNameIsReadWhole) {
    // A value of 8191 characters, every one escaped, behind the longest name.
    std::string name(255, 'k');
    std::string value(8191, '\t');
    std::string escaped;
    for (size_t i = 0; i < value.size(); i++) {
        escaped += "\\t";
    }
    std::string line = name + "=" + escaped + "\r\n";
    EXPECT_EQ(ParseText("[A]\n" + line), (std::vector<Section>{{"A", {{name, value}}}}));
    std::string last(8191, 'w');
    EXPECT_EQ(ParseText("[A]\nk=" + last), (std::vector<Section>{{"A", {{"k", last}}}}));
}

TEST(IniReaderTest, LongValuesAreKeptWhole) {
    EXPECT_EQ(ParseText("[A]\nk=" + std::string(9000, 'v') + "\nnext=2\n"),
              (std::vector<Section>{{"A", {{"k", std::string(9000, 'v')}, {"next", "2"}}}}));
    std::string layout;
    for (int i = 0; layout.size() < 100000; i++) {
        layout += "Icon " + std::to_string(i) + ";" + std::to_string(i % 977) + ";10;";
    }
    EXPECT_EQ(ParseText("[A]\nk=" + layout + "\r\nnext=2\r\n"),
              (std::vector<Section>{{"A", {{"k", layout}, {"next", "2"}}}}));
}

// The line fills the limit exactly with its line end: every escape is undone, nothing is cut.
TEST(IniReaderTest, ALineOfTheLimitWithManyEscapesIsReadWhole) {
    std::string unit = "ab\\t\\\\;";
    std::string escaped;
    escaped.reserve(kIniMaxLineChars);
    while (escaped.size() + unit.size() <= kIniMaxLineChars - 4) {
        escaped += unit;
    }
    escaped.append(kIniMaxLineChars - 4 - escaped.size(), 'z');
    std::string line = KeyLine(escaped);
    ASSERT_EQ(line.size(), kIniMaxLineChars);
    std::vector<Section> read = ParseText("[A]\n" + line + "next=2\n");
    escaped.clear();
    escaped.shrink_to_fit();
    ASSERT_EQ(read.size(), 1u);
    ASSERT_EQ(read[0].keys.size(), 2u);
    const std::string& value = read[0].keys[0].second;
    size_t units = (kIniMaxLineChars - 4) / unit.size();
    ASSERT_EQ(value.size(), units * 5 + (kIniMaxLineChars - 4 - units * unit.size()));
    EXPECT_EQ(value.compare(0, 10, "ab\t\\;ab\t\\;"), 0);
    EXPECT_EQ(value.find_first_not_of('z', units * 5), std::string::npos);
    EXPECT_EQ(read[0].keys[1], (std::pair<std::string, std::string>{"next", "2"}));
}

// Past the limit the line keeps its first kIniMaxLineChars characters; the next line is read.
TEST(IniReaderTest, TheTailOfAnOverlongLineIsDropped) {
    std::string text = "[A]\nk=" + std::string(kIniMaxLineChars - 2, 'v') + "tail=1\r\nnext=2\r\n";
    std::vector<Section> read = ParseText(text);
    text.clear();
    text.shrink_to_fit();
    ASSERT_EQ(read.size(), 1u);
    ASSERT_EQ(read[0].keys.size(), 2u);
    EXPECT_EQ(read[0].keys[0].second.size(), kIniMaxLineChars - 2);
    EXPECT_EQ(read[0].keys[0].second.find_first_not_of('v'), std::string::npos);
    EXPECT_EQ(read[0].keys[1], (std::pair<std::string, std::string>{"next", "2"}));

    std::string header = "[" + std::string(20000, 'h') + "]\nlost=1\n";
    EXPECT_EQ(ParseText("[A]\nk=v\n" + header), (std::vector<Section>{{"A", {{"k", "v"}}}}));
}

TEST(IniReaderTest, OverlongKeyNamesDropTheirLine) {
    std::string longest(255, 'k');
    std::string tooLong(256, 'k');
    EXPECT_EQ(ParseText("[A]\n" + tooLong + "=v\n" + longest + "=w\n"),
              (std::vector<Section>{{"A", {{longest, "w"}}}}));
}

TEST(IniReaderTest, OverlongSectionNamesDropTheirKeys) {
    std::string longest(255, 's');
    std::string tooLong(256, 's');
    EXPECT_EQ(ParseText("[A]\nk=v\n[" + tooLong + "]\nlost=1\n[" + longest + "]\nk=w\n"),
              (std::vector<Section>{{"A", {{"k", "v"}}}, {longest, {{"k", "w"}}}}));
}

TEST(IniReaderTest, AnyBytes) {
    using namespace std::string_literals;
    EXPECT_EQ(ParseText("["), std::vector<Section>{});
    EXPECT_EQ(ParseText("="), std::vector<Section>{});
    EXPECT_EQ(ParseText(""), std::vector<Section>{});
    EXPECT_EQ(ParseText("\n\n\r\r\n"), std::vector<Section>{});
    // A NUL byte ends what is seen of its line; the next line is read as usual.
    EXPECT_EQ(ParseText("[A]\nk=a\0b\nj=2\n"s),
              (std::vector<Section>{{"A", {{"k", "a"}, {"j", "2"}}}}));
    EXPECT_EQ(ParseText("[A\0B]\nk=v\n"s), (std::vector<Section>{{"A", {{"k", "v"}}}}));
    EXPECT_EQ(ParseText("[A]\n\0k=v\nj=w"s), (std::vector<Section>{{"A", {{"j", "w"}}}}));
    // A lone CR does not end a line.
    EXPECT_EQ(ParseText("[A]\rk=v\n"), std::vector<Section>{});
    EXPECT_EQ(ParseText("[A]\nk=v\rj=w\n"), (std::vector<Section>{{"A", {{"k", "v"}}}}));
    EXPECT_EQ(ParseText("[A]\nk\r=v\n"), (std::vector<Section>{{"A", {{"k\r", "v"}}}}));
    // Bytes that are not UTF-8 are the ANSI code page's, and come out in UTF-8.
    EXPECT_EQ(ParseText("[A]\nk=\xff\x80\n"),
              (std::vector<Section>{{"A", {{"k", "\xc3\xbf\xe2\x82\xac"}}}}));
}

// Files of the program's earlier versions hold the ANSI code page (1252 here), hand-edited ones may
// hold UTF-8, with or without a byte-order mark, or both in one file: every line comes out in
// UTF-8, and a UTF-8 line keeps its bytes.
TEST(IniReaderTest, EachLineIsUtf8OrTheAnsiCodePage) {
    const std::string utf8Cafe = "Caf\xc3\xa9";
    EXPECT_EQ(ParseText("[Saves]\r\nCaf\xe9=Caf\xe9;1;2;\r\n"),
              (std::vector<Section>{{"Saves", {{utf8Cafe, utf8Cafe + ";1;2;"}}}}));
    EXPECT_EQ(ParseText("\xef\xbb\xbf[Saves]\r\n" + utf8Cafe +
                        "=L\xc3\xb3"
                        "dz;1;2;\r\n"
                        "B\xfcro=x;3;4;\r\n"),
              (std::vector<Section>{{"Saves",
                                     {{utf8Cafe, "L\xc3\xb3"
                                                 "dz;1;2;"},
                                      {"B\xc3\xbcro", "x;3;4;"}}}}));
    // A key that fitted in the code page and grew in UTF-8 is cut between characters, not dropped.
    std::vector<Section> grown = ParseText("[A]\n" + std::string(200, '\xe9') + "=v\n");
    ASSERT_EQ(grown.size(), 1u);
    EXPECT_EQ(grown[0].keys[0].first.size(), 254u);
    EXPECT_EQ(grown[0].keys[0].second, "v");
    // Only the start of the text carries the mark.
    EXPECT_EQ(ParseText("[A]\n\xef\xbb\xbfk=v\n"),
              (std::vector<Section>{{"A", {{"\xef\xbb\xbfk", "v"}}}}));
}

#ifndef _WIN32
// Earlier versions escaped a value byte by byte in the code page, and in code page 932 the second
// byte of "ソ" (83 5C), "表" (95 5C) and "能" (94 5C) is a backslash, which they doubled. The value
// comes out without a stray backslash; key and header names were never escaped.
TEST(IniReaderTest, AValueInADoubleByteCodePageIsUnescapedAsItWasWritten) {
    initest::AnsiCodePage japanese(932);
    const std::string so = "\xe3\x82\xbd", hyou = "\xe8\xa1\xa8", nou = "\xe8\x83\xbd";
    EXPECT_EQ(
        ParseText("[Saves]\r\n\x83\x5c=\x83\x5c\x5c;1;2;\x95\x5c\x5c\\t\x94\x5c\x5c\\\\;3;4;\r\n"
                  "[\x95\x5c]\r\n\x94\x5c=\x94\x5c\x5c\r\n"),
        (std::vector<Section>{{"Saves", {{so, so + ";1;2;" + hyou + "\t" + nou + "\\;3;4;"}}},
                              {hyou, {{nou, nou}}}}));
    // A key of 254 bytes grows to 381 in UTF-8: it is cut after 85 characters, not dropped.
    std::string key;
    for (int i = 0; i < 127; i++) {
        key += "\x83\x5c";
    }
    std::vector<Section> grown = ParseText("[A]\n" + key + "=v\n");
    ASSERT_EQ(grown.size(), 1u);
    ASSERT_EQ(grown[0].keys.size(), 1u);
    EXPECT_EQ(grown[0].keys[0].first.size(), 255u);
    EXPECT_EQ(grown[0].keys[0].first.substr(0, 6), so + so);
}
#endif

// Notepad's "Unicode" forms: UTF-16 behind a byte-order mark, in either byte order.
std::string Utf16File(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xfe\xff" : "\xff\xfe";
    for (char16_t unit : text) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

IniReadResult ReadFile(const std::string& bytes, std::vector<Section>* read = nullptr) {
    initest::ScratchDirectory scratch;
    initest::WriteBytes(scratch.Path("in.ini"), bytes);
    CIniFile document;
    std::string path = scratch.Path("in.ini").string();
    memcpy(document.path, path.c_str(), path.size() + 1);
    IniReadResult result = document.ReadChecked();
    if (read) {
        *read = initest::Contents(document);
    }
    return result;
}

// It used to read whole with nothing in it, and the next save replaced every snapshot. A pair of
// units may fall across the reader's chunks (the value starts at an odd unit); a NUL unit is a
// NUL byte, which ends what is seen of its line.
TEST(IniReaderTest, AUtf16TextReadsAsTheTextItHolds) {
    using namespace std::string_literals;
    std::u16string smiles;
    for (int i = 0; i < 3000; i++) {
        smiles += u"\U0001F600";
    }
    std::u16string text = u"[A]\r\nk=" + smiles +
                          u"\r\n[Saves]\r\nCaf\u00e9=Caf\u00e9;1;2;a\\tb\\\\;3;4;\r\n" +
                          u"n=a\0b\r\nlast=1"s;
    std::string smilesUtf8;
    for (int i = 0; i < 3000; i++) {
        smilesUtf8 += "\xf0\x9f\x98\x80";
    }
    std::vector<Section> expected = {
        {"A", {{"k", smilesUtf8}}},
        {"Saves", {{"Caf\xc3\xa9", "Caf\xc3\xa9;1;2;a\tb\\;3;4;"}, {"n", "a"}, {"last", "1"}}}};
    for (bool bigEndian : {false, true}) {
        std::vector<Section> read;
        EXPECT_EQ(ReadFile(Utf16File(text, bigEndian), &read), kIniReadWhole);
        EXPECT_EQ(read, expected);
        EXPECT_EQ(ParseText(Utf16File(text, bigEndian)), expected);
    }
}

// What cannot be converted is no text the reader could give back whole: such a file must never be
// replaced by one that lost the rest of it.
TEST(IniReaderTest, AUtf16TextThatCannotBeConvertedIsNotReadWhole) {
    for (bool bigEndian : {false, true}) {
        std::string valid = Utf16File(u"[A]\r\nk=v\r\n", bigEndian);
        EXPECT_EQ(ReadFile(valid + "x"), kIniReadFailed);
        EXPECT_EQ(ReadFile(Utf16File(u"[A]\r\nk=\xd800v\r\n", bigEndian)), kIniReadFailed);
        EXPECT_EQ(ReadFile(Utf16File(u"[A]\r\nk=\xdc00\r\n", bigEndian)), kIniReadFailed);
        EXPECT_EQ(ReadFile(Utf16File(u"[A]\r\nk=v\xd83d", bigEndian)), kIniReadFailed);
        EXPECT_EQ(ReadFile(Utf16File(u"", bigEndian)), kIniReadWhole);
    }
}

// The fast path looks at plain ASCII eight and 32 bytes at a time: a NUL byte, a UTF-8 character
// or a byte that starts none at any place of a word gives what the careful checks give.
TEST(IniReaderTest, TheFastPathReadsEveryLineAsTheCarefulOneDoes) {
    using namespace std::string_literals;
    for (const std::string& odd :
         {"\0"s, "\xc3\xa9"s, "\xe8\xa1\xa8"s, "\xe9"s, "\xc3"s, "\x83\x5c\x5c"s}) {
        std::string text = "[A]\r\n";
        for (size_t at = 0; at < 40; at++) {
            std::string value(40, 'v');
            value.insert(at, odd);
            text += "k" + std::to_string(at) + "=" + value + "\\\\\r\n";
            text += std::string(at, 'n') + odd + "=x\n";
        }
        CIniFile fast;
        fast.ReadText(text.data(), text.size());
        CIniFile careful;
        careful.ReadTextCarefully(text.data(), text.size());
        ASSERT_EQ(initest::Contents(fast), initest::Contents(careful));
        EXPECT_EQ(initest::Contents(fast).at(0).keys.size(), odd == "\0"s ? 40u : 80u);
    }
}

TEST(IniReaderTest, FileReadsLikeText) {
    initest::ScratchDirectory scratch;
    std::string text = "[A]\r\nk=a\\nb\r\n" + std::string(9000, 'x') + "=1\r\n[B]\r\nj=2";
    initest::WriteBytes(scratch.Path("in.ini"), text);
    CIniFile fromFile(scratch.Path("in.ini").string().c_str());
    EXPECT_EQ(initest::Contents(fromFile), ParseText(text));
    EXPECT_EQ(initest::Contents(fromFile),
              (std::vector<Section>{{"A", {{"k", "a\nb"}}}, {"B", {{"j", "2"}}}}));
}

// The file is read a chunk at a time: long lines cross many chunks, and a line end can fall at
// any place in one.
TEST(IniReaderTest, LongLinesOfAFileAreReadWhole) {
    initest::ScratchDirectory scratch;
    std::string text = "[A]\r\n";
    std::vector<std::pair<std::string, std::string>> keys;
    for (size_t length : {100000, 16383, 16384, 16385, 1, 40000, 250000}) {
        std::string value;
        for (size_t i = 0; value.size() < length; i++) {
            value += static_cast<char>(i % 3 == 0 ? '\t' : 'a' + i % 26);
        }
        value.resize(length);
        std::string escaped;
        for (char c : value) {
            escaped += c == '\t' ? std::string("\\t") : std::string(1, c);
        }
        keys.emplace_back("k" + std::to_string(keys.size()), value);
        text += keys.back().first + "=" + escaped + "\r\n";
    }
    initest::WriteBytes(scratch.Path("long.ini"), text);
    CIniFile fromFile(scratch.Path("long.ini").string().c_str());
    EXPECT_EQ(initest::Contents(fromFile), (std::vector<Section>{{"A", keys}}));
    EXPECT_EQ(ParseText(text), (std::vector<Section>{{"A", keys}}));
}

TEST(IniReaderTest, MissingFileOrPathReadsNothing) {
    initest::ScratchDirectory scratch;
    CIniFile document;
    EXPECT_EQ(document.Read(), 0);
    std::string missing = scratch.Path("missing.ini").string();
    memcpy(document.path, missing.c_str(), missing.size() + 1);
    EXPECT_EQ(document.Read(), 0);
    EXPECT_EQ(document.GetSectionCount(), 0);

    initest::WriteBytes(scratch.Path("empty.ini"), "");
    CIniFile empty(scratch.Path("empty.ini").string().c_str());
    EXPECT_EQ(empty.Read(), 1);
    EXPECT_EQ(empty.GetSectionCount(), 0);
}

} // namespace
