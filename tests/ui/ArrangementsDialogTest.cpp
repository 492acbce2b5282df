// "Manage Arrangements" driven by keys as a user drives it: the keys posted to the focused control
// and handed on by the same loop the tray window runs while the dialog is open.
#include "desktop/DesktopLayout.h"
#include "store/LayoutSnapshot.h"
#include "ui/ArrangementsDialog.h"
#include "tests/ui/ModalDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <fstream>
#include <string>

namespace {

const int kListId = 1001;
const int kNameId = 1003;
const int kStatusId = 1004;
const int kKeepId = 1007;

// What a box's button takes from the keyboard: the key, and the character it types.
void PressIn(HWND focus, WPARAM key, wchar_t typed) {
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_CHAR, typed, 1);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

std::string ScratchPath() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "arrangements-test.ini";
}

class ArrangementsDialog : public ::testing::Test {
  protected:
    CDesktopLayout layout;
    CArrangementsDialog dialog{&layout};
    std::string path = ScratchPath();

    void SetUp() override {
        std::ofstream(path, std::ios::binary)
            << "[Settings]\r\nAutoSave=0\r\n[Saves]\r\n2024-03-01 09:25:00=A;4;4;\r\n"
               "2024-03-01 09:15:00=A;1;1;B;2;2;\r\n[AutoSaves]\r\n"
               "2024-03-01 09:20:00 (AutoSave)=A;3;3;\r\n";
        strcpy(layout.iniPath, path.c_str());
        layout.LoadSettings();
        dialog.Show(GetModuleHandleA(nullptr), nullptr);
        Pump();
    }
    void TearDown() override {
        dialog.Close();
        DeleteFileA(path.c_str());
    }

    void Pump() {
        MSG msg;
        for (int round = 0; round < 5; round++) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!dialog.hwnd || !IsDialogMessageW(dialog.hwnd, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
            Sleep(10);
        }
    }
    void Key(WPARAM key) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
        Pump();
    }
    void Enter() {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(GetFocus(), WM_CHAR, L'\r', 1);
        Pump();
    }
    // Alt and the letter, as the dialog manager sees a mnemonic.
    void Alt(wchar_t letter) {
        PostMessageW(GetFocus(), WM_SYSCHAR, letter, 0x20000001);
        Pump();
    }
    void Type(const wchar_t* text) {
        for (; *text; text++) {
            PostMessageW(GetFocus(), WM_CHAR, *text, 1);
        }
        Pump();
    }
    // The question asked while the key is handled gets its answer from the keyboard.
    void KeyAnswered(WPARAM key, WPARAM answer, wchar_t typed) {
        ModalDriver driver([=](HWND) { PressIn(GetFocus(), answer, typed); });
        Key(key);
    }
    std::wstring Cell(int row, int column) {
        wchar_t text[128] = L"";
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(GetDlgItem(dialog.hwnd, kListId), LVM_GETITEMTEXTW, row,
                     reinterpret_cast<LPARAM>(&item));
        return text;
    }
    std::string Text(int id) {
        char text[256] = "";
        GetWindowTextA(GetDlgItem(dialog.hwnd, id), text, sizeof text);
        return text;
    }
    int Rows() {
        return static_cast<int>(
            SendMessageW(GetDlgItem(dialog.hwnd, kListId), LVM_GETITEMCOUNT, 0, 0));
    }
};

TEST_F(ArrangementsDialog, RenameKeepAndDeleteByKeysAndTheListFollowsTheStore) {
    ASSERT_TRUE(dialog.IsOpen());
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, 0), L"2024-03-01 09:25:00");
    EXPECT_EQ(Cell(1, 1), L"AutoSave");
    EXPECT_EQ(Cell(2, 3), L"2");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog.hwnd, kListId));

    // F2 takes the name box with the name selected; a name in any script is taken whole.
    Key(VK_F2);
    Type(L"[bad");
    Enter();
    EXPECT_EQ(Text(kStatusId), "The name may not start with \"[\" or a space.");
    // Alt+N takes the name box too, its text selected as the dialog manager selects it.
    Alt(L'n');
    Type(L"Arbeit \u00fc\u4e2d");
    Enter();
    const LayoutSnapshot* renamed =
        FindSnapshot(*layout.snapshots, kSnapshotManual, "Arbeit \xc3\xbc\xe4\xb8\xad");
    ASSERT_NE(renamed, nullptr);
    EXPECT_TRUE(renamed->kept);
    EXPECT_EQ(Cell(0, 4), L"Yes");

    // Alt+S goes back to the list; Alt+K keeps the automatic snapshot.
    Alt(L's');
    Key(VK_DOWN);
    Alt(L'k');
    EXPECT_TRUE(
        FindSnapshot(*layout.snapshots, kSnapshotAutomatic, "2024-03-01 09:20:00 (AutoSave)")
            ->kept);
    EXPECT_EQ(Text(kKeepId), "Don't &keep");

    // Delete asks once; Enter answers No.
    Alt(L's');
    Key(VK_DOWN);
    KeyAnswered(VK_DELETE, VK_RETURN, L'\r');
    EXPECT_EQ(Rows(), 3);
    KeyAnswered(VK_DELETE, 'Y', L'y');
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(FindSnapshot(*layout.snapshots, kSnapshotManual, "2024-03-01 09:15:00"), nullptr);

    // A snapshot taken while it is open shows at once, and a name half typed stays.
    Alt(L'n');
    Type(L"Half");
    layout.snapshots->Append(NewSnapshot("2024-03-01 10:00:00", "A;9;9;", kSnapshotManual));
    layout.storeVersion++;
    dialog.Refresh();
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(Text(kNameId), "Half");

    // Nothing selected: nothing for the buttons to act on.
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageW(GetDlgItem(dialog.hwnd, kListId), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&none));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog.hwnd, kKeepId)));

    Key(VK_ESCAPE);
    EXPECT_FALSE(dialog.IsOpen());
}

} // namespace
