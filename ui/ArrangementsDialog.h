// "Manage Arrangements": every snapshot in a list, newest first, and what a user does with one:
// restore, rename, keep or let go, delete. Modeless: the tray window's loop hands it its keys, and
// the store may change while it is open (an autosave, another copy's save): it shows that at once.
#pragma once

#include "base/UniqueOwner.h"
#include "store/LayoutSnapshot.h"
#include "ui/DialogClass.h"
#include "ui/ScopedGdi.h"

class CDesktopLayout;
struct SnapshotEdit;

class CArrangementsDialog final : public CDialogClass {
  public:
    explicit CArrangementsDialog(CDesktopLayout* layout);
    ~CArrangementsDialog();

    // Opens the dialog, or brings the open one to the front.
    void Show(HINSTANCE instance, HWND owner);
    void Close();
    bool IsOpen() const { return hwnd != nullptr; }
    // Shows the store again when it changed since the dialog last showed it.
    void Refresh();

    INT_PTR DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    // A listed snapshot, by what finds it again: its kind and its name.
    struct Row {
        SnapshotKind kind;
        char name[kSnapshotNameChars];
    };

    CDesktopLayout* desktopLayout;
    CScopedFont font;
    CHeapArray<Row> rows;
    int rowCount;
    // The snapshot whose name the name box was given: a refresh for another reason leaves what
    // the user is typing there alone.
    Row shown;
    unsigned shownVersion;
    int dpi;

    INT_PTR OnInitDialog(HWND dialog);
    INT_PTR OnCommand(WORD id, WORD code);
    INT_PTR OnNotify(const NMHDR* header);
    INT_PTR OnDpiChanged(int newDpi, const RECT* suggested);
    void CreateChildren();
    void LayOut();
    void FillList();
    void FillRow(int row, const LayoutSnapshot& snapshot);
    void ShowSelection();
    void Say(const char* text);
    // The snapshot of the selected row, or null (with a word to the user when it is gone).
    LayoutSnapshot* Selected();
    void OnRestore();
    void OnRename();
    void OnKeep();
    void OnDelete();
    // Carries the edit out and shows the store as it left it.
    void CarryOut(const SnapshotEdit& edit);
    void Select(SnapshotKind kind, const char* name);
};
