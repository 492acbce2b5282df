#include "ini/IniFile.h"
#include "tests/unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

using initest::Contents;
using initest::Section;

TEST(IniFileTest, EmptyDocumentFindsNothingAndHandsBackTheDefault) {
    CIniFile document;
    const char* fallback = "fallback";
    EXPECT_EQ(document.FindSection("Settings"), nullptr);
    EXPECT_EQ(document.FindKey("Settings", "AutoSave"), nullptr);
    EXPECT_EQ(document.HasSection("Settings"), 0);
    EXPECT_EQ(document.GetSectionCount(), 0);
    EXPECT_EQ(document.GetKeyCount("Settings"), 0);
    EXPECT_EQ(document.GetString("Settings", "AutoSave", fallback), fallback);
    EXPECT_EQ(document.GetString("Settings", "AutoSave", nullptr), nullptr);
    EXPECT_EQ(document.GetInt("Settings", "AutoSave", 7), 7);
    EXPECT_EQ(std::string(document.path, sizeof document.path), std::string(260, '\0'));
}

TEST(IniFileTest, GetKeyNameWalksToTheIndexAndRejectsOutOfRange) {
    CIniFile document;
    document.SetString("A", "first", "1");
    document.SetString("A", "second", "2");
    EXPECT_STREQ(document.GetKeyName("A", 0), "first");
    EXPECT_STREQ(document.GetKeyName("A", 1), "second");
    EXPECT_EQ(document.GetKeyName("A", 2), nullptr);
    EXPECT_EQ(document.GetKeyName("A", -1), nullptr);
    EXPECT_EQ(document.GetKeyName("B", 0), nullptr);
    EXPECT_EQ(document.GetKeyCount("A"), 2);
}

TEST(IniFileTest, ReplacedValueKeepsItsPlace) {
    CIniFile document;
    document.SetString("A", "k", "1");
    document.SetString("A", "between", "x");
    document.SetString("A", "k", "2");
    EXPECT_EQ(Contents(document), (std::vector<Section>{{"A", {{"k", "2"}, {"between", "x"}}}}));
}

TEST(IniFileTest, SectionsAndKeysStayInTheOrderFirstAdded) {
    CIniFile document;
    document.SetString("B", "x", "1");
    document.SetString("A", "x", "2");
    document.SetString("A", "y", "3");
    document.SetString("B", "y", "4");
    EXPECT_EQ(Contents(document), (std::vector<Section>{{"B", {{"x", "1"}, {"y", "4"}}},
                                                        {"A", {{"x", "2"}, {"y", "3"}}}}));
    EXPECT_EQ(document.GetSectionCount(), 2);
}

TEST(IniFileTest, NamesCompareExactly) {
    CIniFile document;
    document.SetString("Saves", "k", "upper");
    document.SetString("saves", "k", "lower");
    document.SetString("Saves ", "k", "blank");
    EXPECT_EQ(document.GetSectionCount(), 3);
    EXPECT_STREQ(document.GetString("Saves", "k", ""), "upper");
    EXPECT_STREQ(document.GetString("saves", "k", ""), "lower");
    EXPECT_EQ(document.FindKey("Saves", "K"), nullptr);
}

TEST(IniFileTest, GetIntFollowsAtoi) {
    CIniFile document;
    const std::pair<const char*, int> cases[] = {
        {"3", 3},
        {" 3x", 3},
        {"-12", -12},
        {"letters", 0},
        {"", 0},
        {"+7", 7},
        {"\t\n 42", 42},
        {"- 5", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& entry : cases) {
        document.SetString("S", "k", entry.first);
        EXPECT_EQ(document.GetInt("S", "k", 99), entry.second) << '"' << entry.first << '"';
    }
    EXPECT_EQ(document.GetInt("S", "missing", 99), 99);
    EXPECT_EQ(document.GetInt("Missing", "k", -3), -3);
}

TEST(IniFileTest, SetIntStoresDecimalText) {
    CIniFile document;
    document.SetInt("S", "negative", -5);
    document.SetInt("S", "zero", 0);
    document.SetInt("S", "lowest", INT_MIN);
    EXPECT_STREQ(document.GetString("S", "negative", nullptr), "-5");
    EXPECT_STREQ(document.GetString("S", "zero", nullptr), "0");
    EXPECT_STREQ(document.GetString("S", "lowest", nullptr), "-2147483648");
}

TEST(IniFileTest, ClearEmptiesTheDocumentButKeepsThePath) {
    CIniFile document;
    memcpy(document.path, "kept.ini", 9);
    document.SetString("A", "k", "v");
    document.SetString("B", "k", "v");
    document.Clear();
    EXPECT_EQ(document.GetSectionCount(), 0);
    EXPECT_EQ(document.firstSection, nullptr);
    EXPECT_STREQ(document.path, "kept.ini");
    document.SetString("C", "k", "again");
    EXPECT_STREQ(document.GetString("C", "k", nullptr), "again");
}

TEST(IniFileTest, AddKeyOfAnExistingKeyDropsItsValue) {
    CIniFile document;
    document.SetString("A", "k", "old");
    IniKey* key = document.AddKey("A", "k");
    ASSERT_EQ(key, document.FindKey("A", "k"));
    EXPECT_EQ(key->value, nullptr);
    EXPECT_STREQ(document.GetString("A", "k", "default"), "default");
    EXPECT_EQ(document.GetInt("A", "k", 5), 5);
}

TEST(IniFileTest, AddSectionReturnsTheExistingSection) {
    CIniFile document;
    IniSection* section = document.AddSection("A");
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(document.AddSection("A"), section);
    EXPECT_EQ(document.GetSectionCount(), 1);
    EXPECT_EQ(document.GetKeyCount("A"), 0);
}

TEST(IniFileTest, NamesUpTo255CharactersFitAndLongerOnesAreRefused) {
    CIniFile document;
    const std::string longest(255, 'n');
    const std::string tooLong(256, 'n');
    document.SetString(longest.c_str(), longest.c_str(), "fits");
    EXPECT_STREQ(document.GetString(longest.c_str(), longest.c_str(), nullptr), "fits");

    document.SetString(tooLong.c_str(), "k", "v");
    document.SetString("A", tooLong.c_str(), "v");
    EXPECT_EQ(document.AddSection(tooLong.c_str()), nullptr);
    EXPECT_EQ(document.GetSectionCount(), 1) << "no section is left behind without its key";
}

// The key's own value passed back in used to be read after AddKey had freed it.
TEST(IniFileTest, SetStringWithTheKeysOwnValue) {
    CIniFile document;
    document.SetString("A", "k", "layout;1;2;");
    document.SetString("A", "k", document.GetString("A", "k", ""));
    EXPECT_STREQ(document.GetString("A", "k", nullptr), "layout;1;2;");
}

TEST(IniFileTest, NullArgumentsAreHarmless) {
    CIniFile document;
    document.SetString("A", "k", nullptr);
    EXPECT_STREQ(document.GetString("A", "k", nullptr), "");
    document.SetString(nullptr, "k", "v");
    document.SetString("A", nullptr, "v");
    EXPECT_EQ(document.FindSection(nullptr), nullptr);
    EXPECT_EQ(document.GetKeyCount(nullptr), 0);
    EXPECT_EQ(Contents(document), (std::vector<Section>{{"A", {{"k", ""}}}}));
}

TEST(IniFileTest, OpeningFromAnOverlongPathReadsNothing) {
    const std::string longPath(300, 'p');
    CIniFile document(longPath.c_str());
    EXPECT_EQ(document.path[0], '\0');
    EXPECT_EQ(document.GetSectionCount(), 0);
    CIniFile unnamed("");
    EXPECT_EQ(unnamed.path[0], '\0');
}

} // namespace
