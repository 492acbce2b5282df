#include "ini/IniFile.h"
#include "tests/unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

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
    EXPECT_EQ(std::string(document.path, sizeof document.path),
              std::string(sizeof document.path, '\0'));
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

// ---- Lookups through the index ----------------------------------------------------------------

// Names alike but for their last characters, their case or a trailing blank, in enough sections
// and keys that every table grows several times.
TEST(IniFileIndexTest, ManyKeysAreFoundByTheirExactNames) {
    CIniFile document;
    std::vector<Section> expected(7);
    for (int i = 0; i < 3000; i++) {
        size_t section = static_cast<size_t>(i % 7);
        expected[section].name = "Section " + std::to_string(section);
        std::string key = "2024-03-01 09:" + std::to_string(i);
        expected[section].keys.emplace_back(key, std::to_string(i));
        document.SetString(expected[section].name.c_str(), key.c_str(), std::to_string(i).c_str());
    }
    EXPECT_EQ(Contents(document), expected);
    for (const Section& section : expected) {
        for (const auto& key : section.keys) {
            IniKey* found = document.FindKey(section.name.c_str(), key.first.c_str());
            ASSERT_NE(found, nullptr) << key.first;
            EXPECT_STREQ(found->name, key.first.c_str());
            EXPECT_EQ(document.FindKey(section.name.c_str(), (key.first + " ").c_str()), nullptr);
        }
        EXPECT_EQ(document.FindKey(section.name.c_str(), "2024-03-01 09:3000"), nullptr);
    }
    EXPECT_EQ(document.FindSection("section 1"), nullptr);
    EXPECT_EQ(document.FindKey("Section 1", ""), nullptr);
}

// A later value replaces the earlier one where the key first stood, however many keys came
// between; the number of keys does not change.
TEST(IniFileIndexTest, ReplacedValuesKeepTheirPlacesAmongManyKeys) {
    CIniFile document;
    Section expected{"Saves", {}};
    for (int i = 0; i < 1000; i++) {
        std::string key = "k" + std::to_string(i);
        document.SetString("Saves", key.c_str(), "first");
        expected.keys.emplace_back(key, "first");
    }
    for (int i = 999; i >= 0; i -= 3) {
        std::string key = "k" + std::to_string(i);
        document.SetString("Saves", key.c_str(), ("again " + key).c_str());
        expected.keys[static_cast<size_t>(i)].second = "again " + key;
    }
    EXPECT_EQ(Contents(document), std::vector<Section>{expected});
    EXPECT_EQ(document.GetKeyCount("Saves"), 1000);
    IniKey* key = document.AddKey("Saves", "k500");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key, document.FindKey("Saves", "k500"));
    EXPECT_EQ(document.GetKeyCount("Saves"), 1000);
}

// Every section is taken up again after the others: keys join their own section, at its end.
TEST(IniFileIndexTest, SectionsOpenedAgainCollectTheirKeys) {
    CIniFile document;
    std::string text;
    for (int round = 0; round < 3; round++) {
        for (int section = 0; section < 300; section++) {
            text += "[S" + std::to_string(section) + "]\n";
            text += "r" + std::to_string(round) + "=" + std::to_string(section) + "\n";
            text += "r0=" + std::to_string(round) + "\n";
        }
    }
    document.ReadText(text.data(), text.size());
    std::vector<Section> expected;
    for (int section = 0; section < 300; section++) {
        expected.push_back(
            {"S" + std::to_string(section),
             {{"r0", "2"}, {"r1", std::to_string(section)}, {"r2", std::to_string(section)}}});
    }
    EXPECT_EQ(Contents(document), expected);
    EXPECT_EQ(document.GetSectionCount(), 300);
}

TEST(IniFileIndexTest, FirstKeyWalksTheKeysInTheirOrder) {
    CIniFile document;
    EXPECT_EQ(document.FirstKey("A"), nullptr);
    document.SetString("A", "x", "1");
    document.SetString("B", "z", "3");
    document.SetString("A", "y", "2");
    document.SetString("A", "x", "4");
    std::vector<std::pair<std::string, std::string>> walked;
    for (const IniKey* key = document.FirstKey("A"); key; key = key->next) {
        walked.emplace_back(key->name, key->value);
    }
    EXPECT_EQ(walked, (std::vector<std::pair<std::string, std::string>>{{"x", "4"}, {"y", "2"}}));
    EXPECT_EQ(document.FirstKey("a"), nullptr);
    EXPECT_EQ(document.FirstKey(nullptr), nullptr);
}

// Clear frees the tables with the nodes; what is added afterwards is found, and nothing before.
TEST(IniFileIndexTest, ClearForgetsEveryName) {
    CIniFile document;
    for (int i = 0; i < 100; i++) {
        document.SetString(("S" + std::to_string(i % 20)).c_str(), std::to_string(i).c_str(), "v");
    }
    document.Clear();
    EXPECT_EQ(document.FindSection("S1"), nullptr);
    EXPECT_EQ(document.FindKey("S1", "1"), nullptr);
    for (int i = 0; i < 100; i++) {
        document.SetString("S1", std::to_string(i).c_str(), "w");
    }
    EXPECT_EQ(document.GetSectionCount(), 1);
    EXPECT_EQ(document.GetKeyCount("S1"), 100);
    EXPECT_STREQ(document.GetString("S1", "99", nullptr), "w");
    EXPECT_EQ(document.FindKey("S2", "2"), nullptr);
}

// Written to a file and read back: every one of 40,000 keys, in its order, with its value.
TEST(IniFileIndexTest, FortyThousandKeysSurviveASaveAndARead) {
    initest::ScratchDirectory scratch;
    std::string path = scratch.Path("Quillmarsh.ini").string();
    CIniFile document;
    document.SetInt("Settings", "AutoSave", 2);
    for (int i = 0; i < 40000; i++) {
        char name[64];
        snprintf(name, sizeof name, "2024-%02d-%02d %02d:%02d:%02d%s", 1 + i / 3000 % 12,
                 1 + i / 100 % 28, i / 60 % 24, i % 60, i % 7, i % 2 ? " (AutoSave)" : "");
        std::string layout = "A\\" + std::to_string(i) + "\t;" + std::to_string(i % 977) + ";10;";
        document.SetString(i % 2 ? "AutoSaves" : "Saves", name, layout.c_str());
    }
    ASSERT_EQ(document.GetKeyCount("Saves") + document.GetKeyCount("AutoSaves"), 40000);
    ASSERT_EQ(document.SaveAs(path.c_str()), 1);
    CIniFile reread(path.c_str());
    EXPECT_EQ(Contents(reread), Contents(document));
    EXPECT_STREQ(reread.GetString("AutoSaves", "2024-01-01 00:01:01 (AutoSave)", nullptr),
                 "A\\1\t;1;10;");
}

} // namespace
