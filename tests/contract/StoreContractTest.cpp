// The store over a real settings file, a real registry and the test desktop: on the host, the
// stand-ins; under Wine, the file system, Wine's registry and the stand-in desktop.
#include "contract/TestDesktop.h"
#include "contract/TestSettings.h"

#include "desktop/DesktopLayout.h"
#include "store/LayoutSnapshot.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using testdesktop::Icon;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<int> Xs() {
    std::vector<int> xs;
    for (const Icon& icon : testdesktop::Icons()) {
        xs.push_back(icon.x);
    }
    return xs;
}

class StoreContract : public ::testing::Test {
  protected:
    std::string settingsFile;
    std::unique_ptr<CDesktopLayout> layout;

    void SetUp() override {
        ASSERT_TRUE(testdesktop::Start({{"A", 10, 10}, {"B", 90, 10}, {"C", 170, 10}}));
        settingsFile = testsettings::PrepareSettingsFile();
        NewRun();
    }
    void TearDown() override {
        layout.reset();
        testsettings::PrepareSettingsFile();
    }

    void NewRun() {
        layout.reset(new CDesktopLayout);
        layout->LoadSettings();
    }
};

TEST_F(StoreContract, SaveScrambleRestoreUndoAndReload) {
    layout->TakeSnapshot(kSnapshotManual);
    std::string file = ReadFile(settingsFile);
    EXPECT_NE(file.find("[Saves]\r\n"), std::string::npos);
    EXPECT_NE(file.find("=A;10;10;B;90;10;C;170;10;\r\n"), std::string::npos);

    testdesktop::MoveIcon(0, 400, 300);
    testdesktop::MoveIcon(2, 250, 200);
    layout->RestoreSnapshot(0);
    EXPECT_EQ(Xs(), (std::vector<int>{10, 90, 170}));
    ASSERT_EQ(layout->undoStack->count, 1);
    layout->Undo();
    EXPECT_EQ(Xs(), (std::vector<int>{400, 90, 250}));
    EXPECT_EQ(layout->undoStack->count, 0);
    EXPECT_EQ(ReadFile(settingsFile), file);

    NewRun();
    ASSERT_EQ(layout->snapshots->count, 1);
    const LayoutSnapshot* loaded =
        static_cast<const LayoutSnapshot*>(layout->snapshots->head->data);
    EXPECT_STREQ(loaded->layout.Get(), "A;10;10;B;90;10;C;170;10;");
    EXPECT_EQ(loaded->kind, kSnapshotManual);
    layout->RestoreSnapshot(0);
    EXPECT_EQ(Xs(), (std::vector<int>{10, 90, 170}));
}

TEST_F(StoreContract, StartWithWindowsSurvivesARestart) {
    layout->startWithWindows = 1;
    layout->SaveSettings();
    EXPECT_EQ(layout->startWithWindows, 1);
    NewRun();
    EXPECT_EQ(layout->startWithWindows, 1);
    layout->ChooseStartWithWindows(0);
    layout->SaveSettings();
    NewRun();
    EXPECT_EQ(layout->startWithWindows, 0);
}

std::string ThisProgramFile() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string InOtherCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(isupper(static_cast<unsigned char>(c)) ? tolower(c) : toupper(c));
    }
    return text;
}

// Read back through the wide calls: another copy's value stays, this copy's counts in any case,
// and one naming a file that is gone is taken over.
TEST_F(StoreContract, RunValueNamesThisCopyAnotherOrNone) {
    const std::string other = "\"" + testsettings::OtherProgramFile() + "\"";
    testsettings::SetRunValue(HKEY_CURRENT_USER, other);
    NewRun();
    EXPECT_EQ(layout->startWithWindows, 0);
    layout->startWithWindows = 1;
    layout->SaveSettings();
    EXPECT_EQ(testsettings::RunValue(HKEY_CURRENT_USER), other);
    EXPECT_EQ(testsettings::RunValue(HKEY_LOCAL_MACHINE), "");

    const std::string self = InOtherCase(ThisProgramFile());
    testsettings::SetRunValue(HKEY_CURRENT_USER, self);
    NewRun();
    EXPECT_EQ(layout->startWithWindows, 1);
    EXPECT_EQ(testsettings::RunValue(HKEY_CURRENT_USER), self);

    testsettings::SetRunValue(HKEY_CURRENT_USER, ThisProgramFile() + ".gone");
    NewRun();
    EXPECT_EQ(layout->startWithWindows, 1);
    EXPECT_EQ(testsettings::RunValue(HKEY_CURRENT_USER), "\"" + ThisProgramFile() + "\"");
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// "auto" is the default and is never written, so a user who never chose keeps today's file.
TEST_F(StoreContract, DesktopRouteIsWrittenOnlyWhenNotAuto) {
    EXPECT_EQ(layout->desktopRoute, kRouteAuto);
    layout->SaveSettings();
    EXPECT_EQ(ReadFile(settingsFile).find("DesktopRoute"), std::string::npos);

    layout->desktopRoute = kRouteListView;
    layout->SaveSettings();
    EXPECT_NE(ReadFile(settingsFile).find("[Settings]\r\nAutoSave=2\r\nDesktopRoute=listview\r\n"),
              std::string::npos);
    NewRun();
    EXPECT_EQ(layout->desktopRoute, kRouteListView);
    layout->desktopRoute = kRouteShell;
    layout->SaveSettings();
    NewRun();
    EXPECT_EQ(layout->desktopRoute, kRouteShell);
    layout->desktopRoute = kRouteAuto;
    layout->SaveSettings();
    EXPECT_EQ(ReadFile(settingsFile).find("DesktopRoute"), std::string::npos);
}

TEST_F(StoreContract, HandEditedDesktopRouteIsReadAsWritten) {
    const char* const values[] = {"shell", "listview", "auto", "Shell", "list view", ""};
    const int routes[] = {kRouteShell, kRouteListView, kRouteAuto,
                          kRouteAuto,  kRouteAuto,     kRouteAuto};
    for (size_t i = 0; i < sizeof values / sizeof values[0]; i++) {
        WriteFile(settingsFile, std::string("[Settings]\r\nDesktopRoute=") + values[i] + "\r\n");
        NewRun();
        EXPECT_EQ(layout->desktopRoute, routes[i]) << values[i];
    }
    // Another copy that chose a route: a save here takes the file's choice in.
    WriteFile(settingsFile, "[Settings]\r\nAutoSave=2\r\n");
    NewRun();
    WriteFile(settingsFile, "[Settings]\r\nAutoSave=2\r\nDesktopRoute=listview\r\n");
    layout->SaveSettings();
    EXPECT_EQ(layout->desktopRoute, kRouteListView);
    EXPECT_NE(ReadFile(settingsFile).find("DesktopRoute=listview"), std::string::npos);
}

TEST_F(StoreContract, UnwritableSettingsFileShowsTheMessageOncePerSaveAndLosesNothing) {
    layout->TakeSnapshot(kSnapshotManual);
    std::string before = ReadFile(settingsFile);
    ASSERT_FALSE(before.empty());
    // A folder where the file must go cannot be replaced by the new file.
    ASSERT_EQ(std::remove(settingsFile.c_str()), 0);
    std::string folder = settingsFile;
#ifdef _WIN32
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
#else
    ASSERT_TRUE(std::filesystem::create_directory(folder));
#endif
    testsettings::TakeErrorBoxes();

    testdesktop::MoveIcon(1, 300, 300);
    layout->TakeSnapshot(kSnapshotManual);
    layout->TakeSnapshot(kSnapshotAutomatic);
    EXPECT_EQ(testsettings::TakeErrorBoxes(),
              (std::vector<std::string>{"Could not create file for writting!",
                                        "Could not create file for writting!"}));
    EXPECT_EQ(layout->snapshots->count, 3);
}

} // namespace
