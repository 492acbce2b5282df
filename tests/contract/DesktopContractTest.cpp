// Scenarios that hold for the simulated shell on the host and for the stand-in desktop's real
// list view under Wine alike.
#include "contract/TestDesktop.h"

#include "base/TextEncoding.h"
#include "desktop/DesktopLayout.h"
#include "desktop/ListViewRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using testdesktop::Icon;
using testdesktop::Request;

const unsigned kGetCount = LVM_GETITEMCOUNT;
const unsigned kGetText = LVM_GETITEMTEXTW;
const unsigned kGetPosition = LVM_GETITEMPOSITION;
const unsigned kSetPosition = LVM_SETITEMPOSITION;

std::string Triple(const std::string& name, int x, int y) {
    char coordinates[32];
    snprintf(coordinates, sizeof coordinates, ";%d;%d;", x, y);
    return name + coordinates;
}

std::string LayoutOf(const std::vector<Icon>& icons) {
    std::string text;
    for (const Icon& icon : icons) {
        text += Triple(icon.name, icon.x, icon.y);
    }
    return text;
}

// Icons named "Icon 001" and on, on a grid of 75 x 70 with ten to a column.
std::vector<Icon> NumberedIcons(int count) {
    std::vector<Icon> icons;
    for (int i = 0; i < count; i++) {
        char name[32];
        snprintf(name, sizeof name, "Icon %03d", i + 1);
        icons.push_back({name, 20 + 75 * (i / 10), 10 + 70 * (i % 10)});
    }
    return icons;
}

int CountOf(const std::vector<Request>& log, unsigned msg) {
    int count = 0;
    for (const Request& request : log) {
        count += request.msg == msg;
    }
    return count;
}

class DesktopContract : public ::testing::Test {
  protected:
    std::unique_ptr<CDesktopLayout> layout;

    // The core object exists even when the desktop did not start, so a failed start fails the test
    // without taking the process down with it.
    void StartWith(const std::vector<Icon>& icons) {
        bool started = testdesktop::Start(icons);
        layout.reset(new CDesktopLayout);
        testdesktop::TakeRequestLog();
        ASSERT_TRUE(started);
    }
    void TearDown() override { layout.reset(); }

    std::string Capture() { return layout->CaptureLayout(); }
    int Apply(const std::string& text) { return layout->ApplyLayout(text.c_str()); }
};

// ---- Capture --------------------------------------------------------------------------------

TEST_F(DesktopContract, EmptyDesktopCapturesAsEmptyText) {
    StartWith({});
    EXPECT_NE(layout->remoteBuffer, nullptr);
    EXPECT_EQ(Capture(), "");
}

TEST_F(DesktopContract, OneIconCapturesAsOneTriple) {
    StartWith({{"Recycle Bin", 20, 10}});
    EXPECT_EQ(Capture(), "Recycle Bin;20;10;");
}

TEST_F(DesktopContract, CaptureKeepsItemOrderAndSignedCoordinates) {
    std::vector<Icon> icons = {{"Zeta", 300, 5}, {"Alpha", -40, 200}, {"Mid", 0, -7}};
    StartWith(icons);
    EXPECT_EQ(Capture(), "Zeta;300;5;Alpha;-40;200;Mid;0;-7;");
}

TEST_F(DesktopContract, ThreeHundredIconsCaptureInItemOrder) {
    std::vector<Icon> icons = NumberedIcons(300);
    StartWith(icons);
    EXPECT_EQ(Capture(), LayoutOf(icons));
}

TEST_F(DesktopContract, NamesAreCutAt255Characters) {
    std::string longName(300, 'L');
    StartWith({{longName, 1, 2}, {std::string(255, 'e'), 3, 4}});
    EXPECT_EQ(Capture(), Triple(std::string(255, 'L'), 1, 2) + Triple(std::string(255, 'e'), 3, 4));
}

// ---- Names holding ";", "\" or what looks like a number ----------------------------------------

// Icons whose names, written unescaped, would shift every field after them.
std::vector<Icon> IconsWithSeparatorsInTheirNames() {
    return {{"Notes;old.txt", 20, 10}, {"10", 100, 10}, {"a;1;2", 180, 10},
            {"-5", 260, 10},           {"1", 340, 10},  {"dir\\", 20, 90},
            {"x\\;y", 100, 90},        {";", 180, 90},  {"C:\\temp", 260, 90},
            {"Recycle Bin", 20, 170}};
}

std::vector<Icon> Parsed(const std::string& text) {
    CPtrList list;
    CDesktopLayout::ParseLayout(text.c_str(), &list);
    std::vector<Icon> entries;
    for (PtrListNode* node = list.head; node; node = node->next) {
        const LayoutEntry* entry = static_cast<const LayoutEntry*>(node->data);
        entries.push_back({entry->name, entry->x, entry->y});
    }
    FreeLayoutEntries(&list);
    return entries;
}

TEST_F(DesktopContract, SemicolonsAndBackslashesInNamesAreEscapedAndParseBack) {
    std::vector<Icon> icons = IconsWithSeparatorsInTheirNames();
    StartWith(icons);
    std::string text = Capture();
    EXPECT_EQ(text, "Notes\\;old.txt;20;10;10;100;10;a\\;1\\;2;180;10;-5;260;10;1;340;10;"
                    "dir\\\\;20;90;x\\\\\\;y;100;90;\\;;180;90;C:\\\\temp;260;90;"
                    "Recycle Bin;20;170;");
    EXPECT_EQ(Parsed(text), icons);
}

// Names that need escaping twice their length: the capture grows for them and keeps every icon.
TEST_F(DesktopContract, LongEscapedNamesAreCapturedWhole) {
    std::vector<Icon> icons(20, Icon{std::string(255, ';'), 10, 10});
    icons.push_back({"after", 1, 1});
    StartWith(icons);
    std::string text = Capture();
    std::string triple = std::string(510, ';') + ";10;10;";
    for (size_t i = 0; i < triple.size() - 7; i += 2) {
        triple[i] = '\\';
    }
    std::string expected;
    for (int i = 0; i < 20; i++) {
        expected += triple;
    }
    EXPECT_EQ(text, expected + "after;1;1;");
    EXPECT_EQ(Parsed(text), icons);
}

// A capture used to end at 7,936 characters: past about the 140th icon with names of 45
// characters, icons were neither saved nor restored, and nobody was told.
TEST_F(DesktopContract, CaptureTakesEveryIcon) {
    std::vector<Icon> icons;
    for (int i = 0; i < 400; i++) {
        icons.push_back({std::string(40, 'a' + i % 26) + std::to_string(10000 + i),
                         20 + i % 20 * 60, 10 + i / 20 * 40});
    }
    StartWith(icons);
    int complete = 0;
    std::string text = layout->CaptureLayout(&complete);
    EXPECT_EQ(complete, 1);
    EXPECT_EQ(text, LayoutOf(icons));
    EXPECT_GT(text.size(), 16000u);
}

// Every text request carries the item in wParam, over a record written afresh: a position
// request before it has overwritten the record's first bytes.
TEST_F(DesktopContract, CaptureSendsCountThenTextAndPositionPerItem) {
    StartWith(NumberedIcons(3));
    Capture();
    std::vector<Request> log = testdesktop::TakeRequestLog();
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[0].msg, kGetCount);
    const char* block = static_cast<const char*>(layout->remoteBuffer);
    for (int item = 0; item < 3; item++) {
        const Request& text = log[1 + 2 * item];
        const Request& position = log[2 + 2 * item];
        EXPECT_EQ(text.msg, kGetText);
        EXPECT_EQ(text.wParam, static_cast<uint64_t>(item));
        EXPECT_EQ(text.lParam, reinterpret_cast<intptr_t>(block));
        ASSERT_TRUE(text.hasRecord);
        EXPECT_EQ(text.mask, static_cast<uint32_t>(LVIF_TEXT));
        EXPECT_EQ(text.iItem, 0);
        EXPECT_EQ(text.iSubItem, 0);
        EXPECT_EQ(text.cchTextMax, 256);
        // The shell is 64-bit: the text area lies past the 88-byte record.
        EXPECT_EQ(text.pszText, reinterpret_cast<uintptr_t>(block + kTextOffset64));
        EXPECT_EQ(position.msg, kGetPosition);
        EXPECT_EQ(position.wParam, static_cast<uint64_t>(item));
        EXPECT_EQ(position.lParam, reinterpret_cast<intptr_t>(block));
    }
}

// ---- Names outside the ANSI code page ----------------------------------------------------------

const std::string kLodz = "\xc5\x81\xc3\xb3\x64\xc5\xba.txt";             // Łódź.txt
const std::string kJapanese = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt"; // 日本語.txt
const std::string kChinese = "\xe4\xb8\xad\xe6\x96\x87\xe5\xad\x97.txt";  // 中文字.txt
const std::string kGreek =
    "\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac.docx"; // Ελληνικά.docx
const std::string kEmoji = "emoji \xf0\x9f\x98\x80.png";                     // U+1F600
const std::string kCafe = "Caf\xc3\xa9 \xe2\x82\xac.txt";                    // Café €.txt
const std::string kSmile = "\xf0\x9f\x98\x80";

std::vector<Icon> IconsWithWideNames() {
    return {{"Recycle Bin", 20, 10}, {kLodz, 100, 10},      {kJapanese, 180, 10},
            {kChinese, 260, 10},     {kGreek, 20, 90},      {kEmoji, 100, 90},
            {kCafe, 180, 90},        {"Notes.txt", 260, 90}};
}

std::string Repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; i++) {
        text += piece;
    }
    return text;
}

// The same icons in reverse item order, each somewhere else: a shell after a restart.
std::vector<Icon> ReversedElsewhere(const std::vector<Icon>& icons) {
    std::vector<Icon> moved(icons.rbegin(), icons.rend());
    for (size_t i = 0; i < moved.size(); i++) {
        moved[i] = {moved[i].name, 400 + 13 * static_cast<int>(i), 300 - 11 * static_cast<int>(i)};
    }
    return moved;
}

// Where each icon of now stands in from: the position the icon of that name had there.
std::vector<Icon> PositionsByName(const std::vector<Icon>& now, const std::vector<Icon>& from) {
    std::vector<Icon> expected = now;
    for (Icon& icon : expected) {
        for (const Icon& old : from) {
            if (old.name == icon.name) {
                icon.x = old.x;
                icon.y = old.y;
            }
        }
    }
    return expected;
}

// The layout a program stored while it read names with the ANSI request: each item's text as that
// request gives it (255 bytes at most), unescaped. Read from the shell's list view itself, so under
// Wine the best fit is the real list view's.
std::string AnsiCapture() {
    HWND listView = CDesktopLayout::FindDesktopListView();
    DWORD processId = 0;
    GetWindowThreadProcessId(listView, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) {
        return "";
    }
    LPVOID block = VirtualAllocEx(process, nullptr, kRemoteBlockBytes, MEM_COMMIT, PAGE_READWRITE);
    std::string text;
    DWORD_PTR count = 0;
    SendMessageTimeoutA(listView, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &count);
    for (DWORD_PTR item = 0; block && item < count; item++) {
        std::vector<char> zeros(kRemoteBlockBytes, '\0');
        ListViewItem64 record;
        memset(&record, 0, sizeof record);
        record.mask = LVIF_TEXT;
        record.pszText = reinterpret_cast<uintptr_t>(block) + kTextOffset64;
        record.cchTextMax = 260;
        DWORD_PTR ignored = 0;
        SIZE_T done = 0;
        char name[256] = {};
        int32_t xy[2] = {0, 0};
        WriteProcessMemory(process, block, zeros.data(), zeros.size(), &done);
        WriteProcessMemory(process, block, &record, sizeof record, &done);
        SendMessageTimeoutA(listView, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(block),
                            SMTO_NORMAL, 5000, &ignored);
        ReadProcessMemory(process, static_cast<char*>(block) + kTextOffset64, name, 255, &done);
        SendMessageTimeoutA(listView, LVM_GETITEMPOSITION, item, reinterpret_cast<LPARAM>(block),
                            SMTO_NORMAL, 5000, &ignored);
        ReadProcessMemory(process, block, xy, sizeof xy, &done);
        text += Triple(name, xy[0], xy[1]);
    }
    if (block) {
        VirtualFreeEx(process, block, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

std::string AnsiFormOf(const std::string& name) {
    char ansi[kIconNameBytes];
    size_t length = Utf8ToAnsi(name.data(), name.size(), ansi, sizeof ansi);
    return std::string(ansi, length);
}

TEST_F(DesktopContract, NamesOutsideTheCodePageCaptureAsTheirOwnUtf8) {
    std::vector<Icon> icons = IconsWithWideNames();
    StartWith(icons);
    std::string text = Capture();
    EXPECT_EQ(text, LayoutOf(icons));
    EXPECT_EQ(Parsed(text), icons);
    EXPECT_EQ(Apply(text), 0);
    EXPECT_EQ(testdesktop::Icons(), icons);
}

// The premise of reading older layouts: the ANSI request collapses names into "?" and into other,
// plausible names, and what it gives is the system's best fit that Utf8ToAnsi computes.
TEST_F(DesktopContract, AnsiRequestGivesTheBestFitThatOlderLayoutsHold) {
    StartWith(IconsWithWideNames());
    EXPECT_EQ(AnsiCapture(),
              "Recycle Bin;20;10;L\xf3\x64z.txt;100;10;???.txt;180;10;???.txt;260;10;" +
                  AnsiFormOf(kGreek) +
                  ";20;90;emoji ??.png;100;90;Caf\xe9 \x80.txt;180;90;"
                  "Notes.txt;260;90;");
}

// 255 units are kept whole, also when the last two are a surrogate pair; a pair the list view cuts
// in half is left out whole, and names stay well-formed UTF-8.
TEST_F(DesktopContract, NamesAreCutAt255UnitsBetweenCharacters) {
    std::vector<Icon> icons = {{std::string(253, 'a') + kSmile, 10, 10},
                               {std::string(254, 'b') + kSmile, 20, 20},
                               {Repeated(kJapanese.substr(0, 3), 255), 30, 30},
                               {Repeated(kChinese.substr(0, 3), 300), 40, 40},
                               {Repeated(kSmile, 200), 50, 50}};
    std::vector<Icon> expected = icons;
    expected[1].name = std::string(254, 'b');
    expected[3].name = Repeated(kChinese.substr(0, 3), 255);
    expected[4].name = Repeated(kSmile, 127);
    StartWith(icons);
    std::string text = Capture();
    EXPECT_EQ(text, LayoutOf(expected));
    EXPECT_TRUE(IsUtf8(text.data(), text.size()));
    EXPECT_EQ(Parsed(text), expected);

    for (int i = 0; i < static_cast<int>(icons.size()); i++) {
        testdesktop::MoveIcon(i, 300 + 10 * i, 200);
    }
    EXPECT_EQ(Apply(text), 1);
    EXPECT_EQ(testdesktop::Icons(), icons);
}

// After a restart the shell lists its items in another order; every icon goes back by its own name.
TEST_F(DesktopContract, ShellRestartedInReverseOrderGetsEveryIconBackByItsName) {
    std::vector<Icon> icons = IconsWithWideNames();
    StartWith(icons);
    std::string saved = Capture();
    std::vector<Icon> restarted = ReversedElsewhere(icons);
    testdesktop::RestartShellWith(restarted);
    ASSERT_EQ(testdesktop::Icons(), restarted);
    EXPECT_EQ(Apply(saved), 1);
    EXPECT_EQ(testdesktop::Icons(), PositionsByName(restarted, icons));
}

// A layout stored by an older version holds ANSI forms: "Łódź.txt" as "L\xf3dz.txt", both CJK names
// as "???.txt". An entry that names no icon goes to the icon whose ANSI form it holds; icons whose
// forms collapse into one take its entries in item order, as they did when that form was all
// there was, so the second CJK icon, with one entry for two, stays.
TEST_F(DesktopContract, StoredAnsiLayoutRestoresTheIconsItsFormsName) {
    std::vector<Icon> icons = IconsWithWideNames();
    StartWith(icons);
    EXPECT_EQ(Apply("L\xf3\x64z.txt;500;10;???.txt;500;80;Caf\xe9 \x80.txt;500;150;"
                    "emoji ??.png;500;220;Notes.txt;500;290;"),
              1);
    std::vector<Icon> expected = icons;
    expected[1] = {kLodz, 500, 10};
    expected[2] = {kJapanese, 500, 80};
    expected[5] = {kEmoji, 500, 220};
    expected[6] = {kCafe, 500, 150};
    expected[7] = {"Notes.txt", 500, 290};
    EXPECT_EQ(testdesktop::Icons(), expected);
}

std::string InUtf8(const std::string& ansi) {
    std::vector<char> text(3 * ansi.size() + 1);
    size_t length = AnsiToUtf8(ansi.data(), ansi.size(), text.data(), text.size());
    return std::string(text.data(), length);
}

// What an older version saved, restored after the shell restarted in reverse order, as the layout
// stands and as the settings file now reads it (in UTF-8, converted from the code page): every
// icon whose ANSI form is its own comes back; the two CJK icons take the two "???.txt" entries in
// the new item order.
TEST_F(DesktopContract, OlderCaptureRestoresAfterARestartInAnotherOrder) {
    std::vector<Icon> icons = IconsWithWideNames();
    StartWith(icons);
    const std::string stored = AnsiCapture();
    ASSERT_FALSE(IsUtf8(stored.data(), stored.size()));
    std::vector<Icon> expected = PositionsByName(ReversedElsewhere(icons), icons);
    auto at = [&](const std::string& name) {
        return std::find_if(expected.begin(), expected.end(),
                            [&](const Icon& icon) { return icon.name == name; });
    };
    // 中文字 now comes first and takes the first "???.txt", which 日本語 stood at.
    at(kChinese)->x = icons[2].x;
    at(kChinese)->y = icons[2].y;
    at(kJapanese)->x = icons[3].x;
    at(kJapanese)->y = icons[3].y;

    for (const std::string& text : {stored, InUtf8(stored)}) {
        SCOPED_TRACE(text);
        testdesktop::RestartShellWith(ReversedElsewhere(icons));
        EXPECT_EQ(Apply(text), 1);
        EXPECT_EQ(testdesktop::Icons(), expected);
    }
}

// An exact name always wins: an entry that names an icon is never taken by another icon's ANSI
// form, not even when it is left over, and an icon whose own name has an entry never takes one by
// its ANSI form.
TEST_F(DesktopContract, ExactNamesWinOverAnsiForms) {
    const std::string lodzWithStroke = "\xc5\x81odz.txt";   // Łodz.txt, ANSI form "Lodz.txt"
    const std::string lodzWithAcute = "L\xc3\xb3\x64z.txt"; // Lódz.txt, ANSI form "L\xf3dz.txt"
    std::vector<Icon> icons = {{lodzWithStroke, 10, 10},
                               {"Lodz.txt", 20, 20},
                               {kLodz, 30, 30},
                               {kLodz, 40, 40},
                               {lodzWithAcute, 50, 50}};
    StartWith(icons);
    EXPECT_EQ(
        Apply("Lodz.txt;300;10;Lodz.txt;300;80;" + kLodz + ";300;150;L\xf3\x64z.txt;300;220;"), 1);
    EXPECT_EQ(testdesktop::Icons(), (std::vector<Icon>{{lodzWithStroke, 10, 10},
                                                       {"Lodz.txt", 300, 10},
                                                       {kLodz, 300, 150},
                                                       {kLodz, 40, 40},
                                                       {lodzWithAcute, 300, 220}}));
}

// ---- Apply ----------------------------------------------------------------------------------

TEST_F(DesktopContract, CaptureScrambleApplyPutsThreeHundredIconsBack) {
    std::vector<Icon> icons = NumberedIcons(300);
    StartWith(icons);
    std::string saved = Capture();
    for (int i = 0; i < 300; i++) {
        testdesktop::MoveIcon(i, 900 - 3 * i, 700 - 2 * i);
    }
    ASSERT_NE(testdesktop::Icons(), icons);
    EXPECT_EQ(Apply(saved), 1);
    EXPECT_EQ(testdesktop::Icons(), icons);
}

// Written unescaped, the "10" of the second icon would follow "old.txt" into the x field and an
// entry "10" would move that icon, though nothing on the desktop has changed.
TEST_F(DesktopContract, IconsWithSeparatorsInTheirNamesStayPutAndGoBack) {
    std::vector<Icon> icons = IconsWithSeparatorsInTheirNames();
    StartWith(icons);
    std::string saved = Capture();
    EXPECT_EQ(Apply(saved), 0);
    EXPECT_EQ(CountOf(testdesktop::TakeRequestLog(), kSetPosition), 0);
    EXPECT_EQ(testdesktop::Icons(), icons);

    for (int i = 0; i < static_cast<int>(icons.size()); i++) {
        testdesktop::MoveIcon(i, 500 + 7 * i, 400 - 9 * i);
    }
    EXPECT_EQ(Apply(saved), 1);
    EXPECT_EQ(testdesktop::Icons(), icons);
}

TEST_F(DesktopContract, ArrangedDesktopTakesOnePassAndReportsNoMove) {
    std::vector<Icon> icons = NumberedIcons(5);
    StartWith(icons);
    EXPECT_EQ(Apply(LayoutOf(icons)), 0);
    std::vector<Request> log = testdesktop::TakeRequestLog();
    EXPECT_EQ(CountOf(log, kGetCount), 1);
    EXPECT_EQ(CountOf(log, kGetText), 5);
    EXPECT_EQ(CountOf(log, kGetPosition), 5);
    EXPECT_EQ(CountOf(log, kSetPosition), 0);
}

TEST_F(DesktopContract, MovedIconsTakeOnePassToMoveAndOneToConfirm) {
    StartWith({{"A", 10, 10}, {"B", 100, 10}, {"C", 200, 10}});
    EXPECT_EQ(Apply("B;150;60;C;200;10;"), 1);
    EXPECT_EQ(testdesktop::Icons(),
              (std::vector<Icon>{{"A", 10, 10}, {"B", 150, 60}, {"C", 200, 10}}));
    std::vector<Request> log = testdesktop::TakeRequestLog();
    EXPECT_EQ(CountOf(log, kGetCount), 2);
    EXPECT_EQ(CountOf(log, kSetPosition), 1);
}

// A restore's capture is its first pass's reading: each name is read once, the icons out of place
// are moved, and the pass that confirms them reads positions only. Undo takes the same road.
TEST_F(DesktopContract, ARestoreReadsEachNameOnceAndConfirmsWithPositionsOnly) {
    const int kIcons = 6;
    std::vector<Icon> home = NumberedIcons(kIcons);
    StartWith(home);
    std::string homeText = Capture();
    for (int i = 0; i < kIcons; i++) {
        testdesktop::MoveIcon(i, 400 + 10 * i, 300);
    }
    std::vector<Icon> away = testdesktop::Icons();
    for (const std::vector<Icon>* expected : {&home, &away}) {
        testdesktop::TakeRequestLog();
        if (expected == &home) {
            layout->RestoreLayout(homeText.c_str());
        } else {
            layout->Undo();
        }
        EXPECT_EQ(testdesktop::Icons(), *expected);
        std::vector<Request> log = testdesktop::TakeRequestLog();
        EXPECT_EQ(CountOf(log, kGetText), kIcons);
        EXPECT_EQ(CountOf(log, kGetPosition), 2 * kIcons);
        EXPECT_EQ(CountOf(log, kSetPosition), kIcons);
    }
}

// A snapshot from a larger screen, and an icon added where a snapshot's icon goes: after the
// restore the icon on the screen stands exactly at its point, every icon lies in the work area
// clear of every other, and Undo puts every icon back, the added one included.
TEST_F(DesktopContract, ARestoreKeepsEveryIconInViewAndClearOfTheOthers) {
    const std::vector<Icon> before = {
        {"A", 20, 20}, {"B", 200, 20}, {"C", 380, 20}, {"D", 600, 300}};
    StartWith(before);
    const testdesktop::Area area = testdesktop::WorkArea();
    int cx = 0;
    int cy = 0;
    testdesktop::IconCell(&cx, &cy);
    ASSERT_GT(area.right - area.left, 800);
    ASSERT_GT(cx, 0);
    layout->RestoreLayout((Triple("A", 600, 300) + Triple("B", area.right + 500, 20) +
                           Triple("C", 380, area.bottom + 400))
                              .c_str());
    const std::vector<Icon> after = testdesktop::Icons();
    EXPECT_EQ(after[0], (Icon{"A", 600, 300}));
    for (const Icon& icon : after) {
        EXPECT_TRUE(icon.x >= area.left && icon.x + cx <= area.right && icon.y >= area.top &&
                    icon.y + cy <= area.bottom)
            << icon;
        for (const Icon& other : after) {
            EXPECT_TRUE(&icon == &other || abs(icon.x - other.x) >= cx ||
                        abs(icon.y - other.y) >= cy)
                << icon << " and " << other;
        }
    }
    layout->Undo();
    EXPECT_EQ(testdesktop::Icons(), before);
}

// A desktop that aligns icons to its grid puts them in the cell nearest their points: the pass that
// finds them where the one before did ends the apply, where 21 passes moved them again and again.
TEST_F(DesktopContract, SnappingListViewEndsOnceAPassChangesNothing) {
    StartWith({{"A", 0, 0}, {"B", 50, 0}});
    testdesktop::SetSnapGrid(10);
    testdesktop::TakeRequestLog();
    EXPECT_EQ(Apply("A;15;25;B;37;41;"), 1);
    std::vector<Request> log = testdesktop::TakeRequestLog();
    EXPECT_EQ(CountOf(log, kGetCount), 3);
    EXPECT_EQ(CountOf(log, kSetPosition), 2 * 2);
    EXPECT_EQ(testdesktop::Icons(), (std::vector<Icon>{{"A", 10, 20}, {"B", 30, 40}}));
}

// A list view that arranges its icons itself says so in its style, and an apply moves none of
// them: a position it does not take is no move.
TEST_F(DesktopContract, AnAutoArrangingListViewTakesNoPosition) {
    StartWith({{"A", 0, 0}, {"B", 50, 0}});
    testdesktop::SetAutoArrange(true);
    EXPECT_TRUE(CDesktopLayout::IsAutoArranged());
    const std::vector<Icon> arranged = testdesktop::Icons();
    EXPECT_EQ(Apply("A;300;300;B;400;400;"), 0);
    EXPECT_EQ(testdesktop::Icons(), arranged);
    testdesktop::SetAutoArrange(false);
    EXPECT_FALSE(CDesktopLayout::IsAutoArranged());
}

TEST_F(DesktopContract, PassesRepeatUntilShiftedNeighboursSettle) {
    StartWith({{"A", 0, 0}, {"B", 0, 0}, {"C", 0, 0}});
    testdesktop::SetShiftOnMove(7);
    testdesktop::TakeRequestLog();
    EXPECT_EQ(Apply("A;10;10;B;20;20;C;30;30;"), 1);
    std::vector<Request> log = testdesktop::TakeRequestLog();
    EXPECT_EQ(CountOf(log, kGetCount), 4);
    EXPECT_EQ(CountOf(log, kSetPosition), 3 + 2 + 1);
    EXPECT_EQ(testdesktop::Icons(),
              (std::vector<Icon>{{"A", 10, 10}, {"B", 20, 20}, {"C", 30, 30}}));
}

TEST_F(DesktopContract, RenamedIconsAndOtherCaseAreLeftAlone) {
    std::vector<Icon> icons = {{"New Name", 10, 10}, {"Recycle Bin", 100, 10}};
    StartWith(icons);
    EXPECT_EQ(Apply("Old Name;300;300;recycle bin;300;400;RECYCLE BIN;1;1;"), 0);
    EXPECT_EQ(testdesktop::Icons(), icons);
    EXPECT_EQ(CountOf(testdesktop::TakeRequestLog(), kSetPosition), 0);
}

TEST_F(DesktopContract, IconsSharingANameTakeEntriesInOrder) {
    StartWith({{"Doc", 0, 0}, {"Other", 5, 5}, {"Doc", 0, 100}, {"Doc", 0, 200}});
    // Two entries for three icons: the third keeps its place.
    EXPECT_EQ(Apply("Doc;300;10;Doc;300;110;"), 1);
    EXPECT_EQ(
        testdesktop::Icons(),
        (std::vector<Icon>{{"Doc", 300, 10}, {"Other", 5, 5}, {"Doc", 300, 110}, {"Doc", 0, 200}}));
}

TEST_F(DesktopContract, SurplusEntriesOfANameAreUnused) {
    StartWith({{"Doc", 0, 0}});
    EXPECT_EQ(Apply("Doc;40;50;Doc;400;500;"), 1);
    EXPECT_EQ(testdesktop::Icons(), (std::vector<Icon>{{"Doc", 40, 50}}));
}

TEST_F(DesktopContract, NegativeCoordinatesTravelAsTheirLow16Bits) {
    StartWith({{"Edge", 10, 10}});
    EXPECT_EQ(Apply("Edge;-1;5;"), 1);
    std::vector<Request> log = testdesktop::TakeRequestLog();
    ASSERT_GE(CountOf(log, kSetPosition), 1);
    for (const Request& request : log) {
        if (request.msg == kSetPosition) {
            EXPECT_EQ(request.wParam, 0u);
            EXPECT_EQ(request.lParam, 0x0005FFFF);
        }
    }
    EXPECT_EQ(testdesktop::Icons(), (std::vector<Icon>{{"Edge", -1, 5}}));
}

TEST_F(DesktopContract, TextWithoutUsableTriplesReadsEveryNameOnce) {
    StartWith(NumberedIcons(4));
    EXPECT_EQ(Apply(";;;"), 0);
    std::vector<Request> log = testdesktop::TakeRequestLog();
    EXPECT_EQ(CountOf(log, kGetCount), 1);
    EXPECT_EQ(CountOf(log, kGetText), 4);
    EXPECT_EQ(CountOf(log, kGetPosition), 0);
}

TEST_F(DesktopContract, ApplyDoesNotTouchTheCapturedText) {
    StartWith({{"A", 1, 1}});
    const char* captured = layout->CaptureLayout();
    std::string before = captured;
    layout->ApplyLayout("A;70;80;");
    EXPECT_EQ(std::string(captured), before);
}

// ---- A shell that is missing, gone, moved, restarted or hung ------------------------------------

TEST_F(DesktopContract, NoShellAtStartUpLeavesEverythingNull) {
    ASSERT_TRUE(testdesktop::Start({{"A", 1, 1}}));
    testdesktop::Stop();
    layout.reset(new CDesktopLayout);
    EXPECT_EQ(layout->processHandle, nullptr);
    EXPECT_EQ(layout->remoteBuffer, nullptr);
    EXPECT_EQ(layout->processId, 0u);
    EXPECT_EQ(Capture(), "");
    EXPECT_EQ(Apply("A;5;5;"), 0);
}

TEST_F(DesktopContract, NoListViewAtStartUpSendsNothing) {
    ASSERT_TRUE(testdesktop::Start({{"A", 1, 1}}));
    testdesktop::RemoveListView();
    layout.reset(new CDesktopLayout);
    testdesktop::TakeRequestLog();
    EXPECT_EQ(layout->remoteBuffer, nullptr);
    EXPECT_EQ(layout->processId, 0u);
    EXPECT_EQ(Capture(), "");
    EXPECT_EQ(Apply("A;5;5;"), 0);
    EXPECT_TRUE(testdesktop::TakeRequestLog().empty());
}

TEST_F(DesktopContract, ListViewGoneLaterSendsNothing) {
    StartWith({{"A", 1, 1}});
    testdesktop::RemoveListView();
    EXPECT_EQ(Capture(), "");
    EXPECT_EQ(Apply("A;5;5;"), 0);
    EXPECT_TRUE(testdesktop::TakeRequestLog().empty());
}

TEST_F(DesktopContract, DefViewUnderWorkerWIsFound) {
    std::vector<Icon> icons = {{"A", 10, 10}, {"B", 90, 10}};
    ASSERT_TRUE(testdesktop::Start(icons));
    testdesktop::MoveDefViewToWorkerW();
    layout.reset(new CDesktopLayout);
    EXPECT_NE(layout->remoteBuffer, nullptr);
    EXPECT_EQ(Capture(), LayoutOf(icons));
    EXPECT_EQ(Apply("B;200;200;"), 1);
    EXPECT_EQ(testdesktop::Icons()[1], (Icon{"B", 200, 200}));
}

TEST_F(DesktopContract, RestartedShellIsReachedThroughANewBlock) {
    std::vector<Icon> icons = {{"A", 10, 10}, {"B", 90, 10}};
    StartWith(icons);
    unsigned long oldShell = layout->processId;
    testdesktop::RestartShell();
    unsigned long newShell = testdesktop::ShellProcessId();
    ASSERT_NE(newShell, oldShell);
    testdesktop::TakeRequestLog();

    EXPECT_EQ(Capture(), LayoutOf(icons));
    EXPECT_EQ(layout->processId, newShell);
    EXPECT_EQ(Apply("A;300;300;"), 1);
    EXPECT_EQ(testdesktop::Icons()[0], (Icon{"A", 300, 300}));
    // Every block address the new shell received is the block allocated in it.
    for (const Request& request : testdesktop::TakeRequestLog()) {
        if (request.msg == kGetText || request.msg == kGetPosition) {
            EXPECT_EQ(request.lParam, reinterpret_cast<intptr_t>(layout->remoteBuffer));
        }
    }
}

TEST_F(DesktopContract, HungShellYieldsAnEmptyCaptureAndNoMoves) {
    StartWith({{"A", 10, 10}});
    testdesktop::HangShell();
    EXPECT_EQ(Capture(), "");
    EXPECT_EQ(Apply("A;50;50;"), 0);
}

} // namespace
