// Writing through real files; these run on the host and under Wine alike.
#include "ini/AtomicFile.h"
#include "ini/IniFile.h"
#include "tests/unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using initest::Contents;
using initest::ReadBytes;
using initest::Section;
using initest::WriteBytes;

struct IniWriterTest : ::testing::Test {
    initest::ScratchDirectory scratch;
    std::string target = scratch.Path("Quillmarsh.ini").string();

    std::string SaveAndReadBack(CIniFile& document) {
        EXPECT_EQ(document.SaveAs(target.c_str()), 1);
        return ReadBytes(target);
    }
};

TEST_F(IniWriterTest, WritesExactBytes) {
    CIniFile document;
    document.SetInt("Settings", "AutoSave", 2);
    EXPECT_EQ(SaveAndReadBack(document), "[Settings]\r\nAutoSave=2\r\n");

    document.SetString("Saves", "2024-03-01 09:15:00", "Readme.txt;20;5;Archive;20;80;");
    document.SetString("AutoSaves", "2024-03-01 09:25:00 (AutoSave)", "Readme.txt;20;5;");
    EXPECT_EQ(SaveAndReadBack(document), "[Settings]\r\n"
                                         "AutoSave=2\r\n"
                                         "[Saves]\r\n"
                                         "2024-03-01 09:15:00=Readme.txt;20;5;Archive;20;80;\r\n"
                                         "[AutoSaves]\r\n"
                                         "2024-03-01 09:25:00 (AutoSave)=Readme.txt;20;5;\r\n");
}

TEST_F(IniWriterTest, AnEmptyDocumentWritesAnEmptyFile) {
    WriteBytes(target, "[Old]\r\nk=v\r\n");
    CIniFile document;
    EXPECT_EQ(SaveAndReadBack(document), "");
}

TEST_F(IniWriterTest, KeysWithoutAValueWriteNoLine) {
    CIniFile document;
    document.AddKey("A", "bare");
    document.AddSection("Empty");
    EXPECT_EQ(SaveAndReadBack(document), "[A]\r\n[Empty]\r\n");
}

TEST_F(IniWriterTest, ValuesAreEscapedOnOneLineAndReadBackUnchanged) {
    CIniFile document;
    document.SetString("A", "slash", "\\");
    document.SetString("A", "controls", "1\r2\n3\t4");
    EXPECT_EQ(SaveAndReadBack(document), "[A]\r\nslash=\\\\\r\ncontrols=1\\r2\\n3\\t4\r\n");
    CIniFile reread(target.c_str());
    EXPECT_EQ(Contents(reread), Contents(document));
}

TEST_F(IniWriterTest, RoundTripKeepsSectionsKeysAndValues) {
    CIniFile document;
    document.SetInt("Settings", "AutoSave", 3);
    std::string layout;
    for (int i = 0; i < 200; i++) {
        layout += "Icon " + std::to_string(i) + ";" + std::to_string(i * 75) + ";" + "10;";
    }
    document.SetString("AutoSaves", "2024-03-01 09:25:00 (AutoSave)", layout.c_str());
    document.SetString("Saves", " odd [name] ", "a=b;\\path\\to;\xc3\xa9\xc3\xbf");
    document.SetString("Saves", "empty", "");
    std::string written = SaveAndReadBack(document);

    CIniFile reread(target.c_str());
    EXPECT_EQ(Contents(reread), Contents(document));
    EXPECT_EQ(reread.GetInt("Settings", "AutoSave", 2), 3);
    std::string second = scratch.Path("second.ini").string();
    EXPECT_EQ(reread.SaveAs(second.c_str()), 1);
    EXPECT_EQ(ReadBytes(second), written);
}

TEST_F(IniWriterTest, SaveReplacesALongerFileWholeAndLeavesNoTemporaryFile) {
    WriteBytes(target, "[Saves]\r\n" + std::string(20000, 'x') + "=1\r\n");
    CIniFile document;
    document.SetInt("Settings", "AutoSave", 0);
    EXPECT_EQ(SaveAndReadBack(document), "[Settings]\r\nAutoSave=0\r\n");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

TEST_F(IniWriterTest, SaveAsTakesTheNewPath) {
    CIniFile document;
    document.SetString("A", "k", "v");
    EXPECT_EQ(document.SaveAs(target.c_str()), 1);
    EXPECT_STREQ(document.path, target.c_str());
    document.SetString("A", "k", "changed");
    EXPECT_EQ(document.Save(), 1);
    EXPECT_EQ(ReadBytes(target), "[A]\r\nk=changed\r\n");
    EXPECT_EQ(document.SaveAs(document.path), 1);
}

TEST_F(IniWriterTest, SaveAsWithoutAPathDoesNothing) {
    CIniFile document;
    memcpy(document.path, "unchanged.ini", 14);
    document.SetString("A", "k", "v");
    EXPECT_EQ(document.SaveAs(""), 0);
    EXPECT_EQ(document.SaveAs(nullptr), 0);
    EXPECT_STREQ(document.path, "unchanged.ini");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{});
}

// A crash after the temporary file is written and before it replaces the target.
TEST_F(IniWriterTest, ACrashBeforeTheReplaceLeavesTheOldFile) {
    const std::string old = "[Settings]\r\nAutoSave=1\r\n";
    WriteBytes(target, old);
    CIniFile document;
    document.SetInt("Settings", "AutoSave", 3);
    {
        CAtomicFile file;
        ASSERT_EQ(file.Open(target.c_str()), 1);
        ASSERT_EQ(document.WriteStream(file.Stream()), 1);
        file.AbandonForTest();
    }
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(CIniFile(target.c_str()).GetInt("Settings", "AutoSave", 2), 1);

    // The next save is not disturbed by what the crash left behind.
    EXPECT_EQ(document.SaveAs(target.c_str()), 1);
    EXPECT_EQ(ReadBytes(target), "[Settings]\r\nAutoSave=3\r\n");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

TEST_F(IniWriterTest, AnUncommittedFileIsRemoved) {
    WriteBytes(target, "old");
    {
        CAtomicFile file;
        ASSERT_EQ(file.Open(target.c_str()), 1);
        fputs("new", file.Stream());
    }
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"Quillmarsh.ini"});
}

} // namespace
