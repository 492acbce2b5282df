// The tray menu as PrepareMenu leaves it, read in this process where the menu lives; and a tray
// click without a menu object. The program end to end is in tests/program.
#include "base/TextEncoding.h"
#include "desktop/DesktopLayout.h"
#include "res/ResourceIds.h"
#include "store/LayoutSnapshot.h"
#include "ui/DisplayMonitors.h"
#include "ui/OwnerDrawMenu.h"
#include "ui/TrayWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

const int kAutosavePosition = 2;
const int kRestorePosition = 4;
const int kUndoPosition = 5;

const char kNoItem[] = "(no item)";

// The node's text in UTF-8, as the program keeps names.
std::string Utf8Of(const MenuItemNode* node) {
    if (!node) {
        return kNoItem;
    }
    char text[4 * kMenuTextChars];
    size_t length = Utf16ToUtf8(node->text, wcslen(node->text), text, sizeof text);
    return std::string(text, length);
}

// Disabled and grayed both: an item only disabled is drawn like one that can be chosen.
bool Unavailable(HMENU menu, UINT position) {
    const UINT state = GetMenuState(menu, position, MF_BYPOSITION);
    return (state & MF_DISABLED) && (state & MF_GRAYED);
}

class TrayMenu : public ::testing::Test {
  protected:
    CDesktopLayout layout;
    CTrayWindow tray{&layout};
    std::unique_ptr<COwnerDrawMenu> menu;

    void SetUp() override {
        menu.reset(new COwnerDrawMenu(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU),
                                      MAKEINTRESOURCEA(IDB_MENUIMAGES), MENU_IMAGE_CHECK));
        tray.popupMenu = menu.get();
    }
    void TearDown() override { tray.popupMenu = nullptr; }

    HMENU Main() const { return GetSubMenu(menu->menu, 0); }
    HMENU Restore() const { return GetSubMenu(Main(), kRestorePosition); }

    void AddSnapshot(const char* name) {
        layout.snapshots->Append(NewSnapshot(name, "A;1;1;", kSnapshotManual));
    }

    // The first entry of Restore, reached by position: "<none>" shares id 0 with the separators.
    std::string FirstRestoreText() const {
        const MenuItemNode* node =
            menu->root && menu->root->child ? menu->root->child->child : nullptr;
        for (int position = 0; node && position < kRestorePosition; position++) {
            node = node->next;
        }
        return Utf8Of(node ? node->child : nullptr);
    }

    // The owner-drawn items keep their texts in the item tree, not in the menu.
    std::string TextOf(UINT id) const { return Utf8Of(COwnerDrawMenu::FindItem(menu->root, id)); }
};

TEST_F(TrayMenu, EmptyStoreShowsOneDisabledNoneAndDisablesUndo) {
    layout.autoSaveMode = kAutoSaveEveryHour;
    layout.startWithWindows = 1;
    tray.PrepareMenu();

    ASSERT_EQ(GetMenuItemCount(Restore()), 1);
    EXPECT_EQ(GetMenuItemID(Restore(), 0), 0u);
    EXPECT_TRUE(Unavailable(Restore(), 0));
    EXPECT_EQ(FirstRestoreText(), "<none>");
    EXPECT_TRUE(Unavailable(Main(), kUndoPosition));

    EXPECT_TRUE(GetMenuState(menu->menu, ID_START_WITH_WINDOWS, MF_BYCOMMAND) & MF_CHECKED);
    HMENU autosave = GetSubMenu(Main(), kAutosavePosition);
    for (UINT position = 0; position < 4; position++) {
        EXPECT_EQ((GetMenuState(autosave, position, MF_BYPOSITION) & MF_CHECKED) != 0,
                  position == 3)
            << position;
    }
    EXPECT_EQ(COwnerDrawMenu::FindItem(menu->root, ID_ABOUT)->image, MENU_IMAGE_ABOUT);
    EXPECT_EQ(COwnerDrawMenu::FindItem(menu->root, ID_UNDO)->image, MENU_IMAGE_UNDO);
}

// A hand-edited file may hold any number: none of the entries stands for it.
TEST_F(TrayMenu, AnAutosaveModeOutsideTheEntriesMarksNone) {
    HMENU autosave = GetSubMenu(Main(), kAutosavePosition);
    for (int mode : {-7, 4, -2147483647 - 1}) {
        layout.autoSaveMode = kAutoSaveEveryHour;
        tray.PrepareMenu();
        layout.autoSaveMode = static_cast<AutoSaveMode>(mode);
        tray.PrepareMenu();
        for (UINT position = 0; position < 4; position++) {
            EXPECT_FALSE(GetMenuState(autosave, position, MF_BYPOSITION) & MF_CHECKED) << mode;
        }
    }
}

TEST_F(TrayMenu, SnapshotsReplaceNoneInListOrderAndUndoFollowsItsStack) {
    tray.PrepareMenu();
    AddSnapshot("2024-03-01 09:15:00");
    AddSnapshot("2024-03-01 09:10:00 (AutoSave)");
    char* undo = new char[16];
    strcpy(undo, "A;2;2;");
    layout.undoStack->Append(undo);
    layout.autoSaveMode = kAutoSaveNever;
    layout.startWithWindows = 0;
    tray.PrepareMenu();

    ASSERT_EQ(GetMenuItemCount(Restore()), 2);
    EXPECT_EQ(GetMenuItemID(Restore(), 0), static_cast<UINT>(ID_RESTORE_FIRST));
    EXPECT_EQ(GetMenuItemID(Restore(), 1), static_cast<UINT>(ID_RESTORE_FIRST + 1));
    EXPECT_EQ(TextOf(ID_RESTORE_FIRST), "2024-03-01 09:15:00");
    EXPECT_EQ(TextOf(ID_RESTORE_FIRST + 1), "2024-03-01 09:10:00 (AutoSave)");
    EXPECT_FALSE(GetMenuState(Restore(), 0, MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED));
    EXPECT_FALSE(GetMenuState(Main(), kUndoPosition, MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED));
    EXPECT_FALSE(GetMenuState(menu->menu, ID_START_WITH_WINDOWS, MF_BYCOMMAND) & MF_CHECKED);
    HMENU autosave = GetSubMenu(Main(), kAutosavePosition);
    EXPECT_TRUE(GetMenuState(autosave, 0, MF_BYPOSITION) & MF_CHECKED);

    // An undo stack emptied again disables the entry on the next showing.
    layout.undoStack->RemoveLast();
    delete[] undo;
    tray.PrepareMenu();
    EXPECT_TRUE(Unavailable(Main(), kUndoPosition));
}

// A settings file can bring more snapshots than there are Restore ids: the newest are listed, up
// to the last id, and no entry runs past it into ids of other commands.
TEST_F(TrayMenu, RestoreListsNoMoreSnapshotsThanThereAreRestoreIds) {
    char name[32];
    for (int i = 25; i >= 1; i--) {
        snprintf(name, sizeof name, "2024-03-01 09:%02d:00", i);
        AddSnapshot(name);
    }
    tray.PrepareMenu();

    ASSERT_EQ(GetMenuItemCount(Restore()), ID_RESTORE_LAST - ID_RESTORE_FIRST + 1);
    EXPECT_EQ(GetMenuItemID(Restore(), 0), static_cast<UINT>(ID_RESTORE_FIRST));
    EXPECT_EQ(GetMenuItemID(Restore(), 20), static_cast<UINT>(ID_RESTORE_LAST));
    EXPECT_EQ(TextOf(ID_RESTORE_FIRST), "2024-03-01 09:25:00");
    EXPECT_EQ(TextOf(ID_RESTORE_LAST), "2024-03-01 09:05:00");
    EXPECT_EQ(COwnerDrawMenu::FindItem(menu->root, ID_RESTORE_LAST + 1), nullptr);

    // Fewer snapshots on the next showing: the list shrinks with them.
    for (int i = 0; i < 24; i++) {
        delete static_cast<LayoutSnapshot*>(layout.snapshots->tail->data);
        layout.snapshots->RemoveLast();
    }
    tray.PrepareMenu();
    ASSERT_EQ(GetMenuItemCount(Restore()), 1);
    EXPECT_EQ(TextOf(ID_RESTORE_FIRST), "2024-03-01 09:25:00");
}

// Names are UTF-8 and may be in any script: each entry holds the name's characters, not its bytes
// read in the ANSI code page. A byte that is not UTF-8 shows as U+FFFD and the rest of the name
// stays; a name as long as a name can be is listed whole.
TEST_F(TrayMenu, RestoreEntriesShowNamesInAnyScript) {
    const std::string japanese = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e set"; // 日本語 set
    const std::string mixed =
        "B\xc3\xbcro \xf0\x9f\x98\x80 "                                     // Büro 😀
        "\xce\x95\xce\xbb\xce\xbb\xce\xb7\xce\xbd\xce\xb9\xce\xba\xce\xac"; // Ελληνικά
    AddSnapshot(japanese.c_str());
    AddSnapshot(mixed.c_str());
    AddSnapshot("Caf\xe9 \x80 list");
    const std::string longest(kSnapshotNameChars - 1, 'n');
    AddSnapshot(longest.c_str());
    tray.PrepareMenu();

    ASSERT_EQ(GetMenuItemCount(Restore()), 4);
    EXPECT_EQ(TextOf(ID_RESTORE_FIRST), japanese);
    EXPECT_EQ(TextOf(ID_RESTORE_FIRST + 1), mixed);
    EXPECT_EQ(TextOf(ID_RESTORE_FIRST + 2), "Caf\xef\xbf\xbd \xef\xbf\xbd list");
    EXPECT_EQ(TextOf(ID_RESTORE_FIRST + 3), longest);
}

// The check marks the arrangements of the displays as they stand; names, order and ids stay.
TEST_F(TrayMenu, RestoreChecksTheEntriesOfTheCurrentDisplays) {
    char displays[kDisplayKeyChars];
    ReadDisplayConfiguration(displays);
    ASSERT_STRNE(displays, "");
    const char* under[] = {displays, "0,0,800,600|0,0,800,600@96", "", displays};
    for (int i = 0; i < 4; i++) {
        char name[32];
        snprintf(name, sizeof name, "2024-03-01 09:0%d:00", 4 - i);
        layout.snapshots->Append(NewSnapshot(name, "A;1;1;", kSnapshotManual, under[i]));
    }
    layout.restoreOnDisplayChange = 1;
    tray.PrepareMenu();

    ASSERT_EQ(GetMenuItemCount(Restore()), 4);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(GetMenuItemID(Restore(), i), static_cast<UINT>(ID_RESTORE_FIRST + i));
        EXPECT_EQ((GetMenuState(Restore(), i, MF_BYPOSITION) & MF_CHECKED) != 0,
                  under[i] == displays)
            << i;
    }
    EXPECT_EQ(TextOf(ID_RESTORE_FIRST + 1), "2024-03-01 09:03:00");
    EXPECT_TRUE(GetMenuState(menu->menu, ID_RESTORE_ON_DISPLAY_CHANGE, MF_BYCOMMAND) & MF_CHECKED);

    layout.restoreOnDisplayChange = 0;
    tray.PrepareMenu();
    EXPECT_FALSE(GetMenuState(menu->menu, ID_RESTORE_ON_DISPLAY_CHANGE, MF_BYCOMMAND) & MF_CHECKED);
}

TEST(TrayClick, WithoutAMenuObjectDoesNothing) {
    CDesktopLayout layout;
    CTrayWindow tray(&layout);
    ASSERT_EQ(tray.popupMenu, nullptr);
    for (LPARAM mouse : {WM_LBUTTONUP, WM_RBUTTONUP, WM_RBUTTONDOWN}) {
        EXPECT_EQ(tray.WindowProc(nullptr, WM_TRAYICON, 1, mouse), 1);
    }
}

} // namespace
