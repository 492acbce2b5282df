#include "ui/ArrangementsDialog.h"

#include "base/BoundedText.h"
#include "base/TextEncoding.h"
#include "desktop/DesktopLayout.h"
#include "desktop/DisplayConfiguration.h"
#include "desktop/LayoutEntries.h"
#include "store/SnapshotEdit.h"
#include "store/SnapshotName.h"
#include "ui/DisplayScale.h"
#include "ui/DpiQuery.h"

#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

const char kCaption[] = "Manage Arrangements";
const WCHAR kWideCaption[] = L"Manage Arrangements";
const char kGone[] = "That snapshot is no longer there.";
// Room for a name or a line about one, in UTF-8 or UTF-16.
const int kTextChars = 256;

enum ControlId {
    kListLabelId = 1000,
    kListId,
    kNameLabelId,
    kNameId,
    kStatusId,
    kRestoreId,
    kRenameId,
    kKeepId,
    kDeleteId,
};

// Sizes at 96 DPI, scaled to the dialog's.
const int kClientWidth = 600;
const int kClientHeight = 320;
const int kMargin = 10;
const int kButtonWidth = 100;
const int kButtonHeight = 26;
const int kButtonStep = 32;
const int kLineHeight = 23;
const int kLabelWidth = 70;
const int kLabelHeight = 18;
const int kFontHeight = 11;

struct Column {
    const char* title;
    int width;
    int format;
};
const Column kColumns[] = {{"Name", 170, LVCFMT_LEFT},
                           {"Kind", 70, LVCFMT_LEFT},
                           {"Displays", 130, LVCFMT_LEFT},
                           {"Icons", 45, LVCFMT_RIGHT},
                           {"Kept", 45, LVCFMT_LEFT}};

struct ButtonSpec {
    int id;
    const char* text;
};
const ButtonSpec kButtons[] = {{kRestoreId, "&Restore"},
                               {kRenameId, "R&ename"},
                               {kKeepId, "&Keep"},
                               {kDeleteId, "&Delete"},
                               {IDCANCEL, "Close"}};

const DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT | DS_FIXEDSYS;
const DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT |
                         LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;

// Names are UTF-8 in any script; the controls take them in UTF-16.
struct WideText {
    WCHAR units[kTextChars];
    explicit WideText(const char* text) { Utf8ToUtf16(text, strlen(text), units, kTextChars); }
};

void SetCell(HWND list, int row, int column, const char* text) {
    WideText wide(text);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = wide.units;
    if (column == 0) {
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    } else {
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
}

// An edit of the snapshot, found again by its kind and name.
SnapshotEdit EditOf(SnapshotEditAction action, const LayoutSnapshot& snapshot) {
    SnapshotEdit edit = {action, snapshot.kind, {}, {}, !snapshot.kept};
    CopyBounded(edit.name, sizeof edit.name, snapshot.name);
    return edit;
}

HWND CreateChild(HWND dialog, const WCHAR* windowClass, int id, DWORD style, DWORD exStyle) {
    return CreateWindowExW(exStyle, windowClass, L"", style, 0, 0, 0, 0, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)),
                           nullptr);
}

void Place(HWND dialog, int id, int x, int y, int width, int height) {
    MoveWindow(GetDlgItem(dialog, id), x, y, width, height, TRUE);
}

// Newest first, as the tray menu lists them.
void SortNewestFirst(const CPtrList& snapshots, CPtrList* sorted) {
    for (PtrListNode* node = snapshots.head; node; node = node->next) {
        sorted->Append(node->data);
    }
    sorted->Sort(SnapshotOlder);
}

} // namespace

CArrangementsDialog::CArrangementsDialog(CDesktopLayout* layout)
    : desktopLayout(layout), rowCount(0), shown(), shownVersion(0), dpi(kBaseDpi) {}

CArrangementsDialog::~CArrangementsDialog() {
    Close();
}

void CArrangementsDialog::Show(HINSTANCE instance, HWND owner) {
    if (!hwnd && !CreateModeless(instance, owner, 0, 0, 300, 160, kDialogStyle, WS_EX_APPWINDOW)) {
        return;
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
}

void CArrangementsDialog::Close() {
    if (hwnd) {
        DestroyWindow(hwnd);
    }
}

void CArrangementsDialog::Refresh() {
    if (hwnd && shownVersion != desktopLayout->storeVersion) {
        FillList();
    }
}

INT_PTR CArrangementsDialog::DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case kDpiChangedMessage:
        return OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
    case WM_DESTROY:
        font.Reset();
        rows.Reset();
        rowCount = 0;
        shown = Row();
        return 0;
    default:
        return 0;
    }
}

// The list takes the focus, so a user who opened the dialog from the keyboard can go on with it.
INT_PTR CArrangementsDialog::OnInitDialog(HWND dialog) {
    SetWindowTextA(dialog, kCaption);
    dpi = DpiOfWindow(dialog);
    CreateChildren();
    LayOut();
    RECT window = {};
    GetWindowRect(dialog, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    FillList();
    SetFocus(GetDlgItem(dialog, kListId));
    return 0;
}

// The labels come before what they name, so their mnemonics take the keyboard there.
void CArrangementsDialog::CreateChildren() {
    SetWindowTextA(CreateChild(hwnd, L"Static", kListLabelId, WS_CHILD | WS_VISIBLE, 0),
                   "&Snapshots:");
    HWND list = CreateChild(hwnd, WC_LISTVIEWW, kListId, kListStyle, 0);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); i++) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.fmt = kColumns[i].format;
        column.pszText = const_cast<char*>(kColumns[i].title);
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    SetWindowTextA(CreateChild(hwnd, L"Static", kNameLabelId, WS_CHILD | WS_VISIBLE, 0),
                   "New &name:");
    HWND name = CreateChild(hwnd, L"Edit", kNameId,
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    SendMessageW(name, EM_SETLIMITTEXT, kSnapshotNameChars - 1, 0);
    CreateChild(hwnd, L"Static", kStatusId, WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0);
    for (const ButtonSpec& button : kButtons) {
        SetWindowTextA(CreateChild(hwnd, L"Button", button.id,
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0),
                       button.text);
    }
}

// Every child where the DPI puts it, the dialog's client sized to hold them, in the font for it.
void CArrangementsDialog::LayOut() {
    auto at = [this](int pixels) { return ScaleToDpi(pixels, dpi); };
    font.Reset(CreateFontA(-at(kFontHeight), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0,
                           "MS Shell Dlg"));
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    }
    RECT client = {0, 0, at(kClientWidth), at(kClientHeight)};
    AdjustWindowRectEx(&client, GetWindowLongA(hwnd, GWL_STYLE), FALSE,
                       GetWindowLongA(hwnd, GWL_EXSTYLE));
    SetWindowPos(hwnd, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    const int buttonsLeft = at(kClientWidth - kMargin - kButtonWidth);
    const int listWidth = buttonsLeft - at(2 * kMargin);
    const int nameTop = at(kClientHeight - 2 * kMargin - 2 * kLineHeight);
    const int listTop = at(kMargin + kLabelHeight);
    Place(hwnd, kListLabelId, at(kMargin), at(kMargin), listWidth, at(kLabelHeight));
    Place(hwnd, kListId, at(kMargin), listTop, listWidth, nameTop - at(kMargin) - listTop);
    Place(hwnd, kNameLabelId, at(kMargin), nameTop + at(4), at(kLabelWidth), at(kLineHeight));
    Place(hwnd, kNameId, at(kMargin + kLabelWidth), nameTop, listWidth - at(kLabelWidth),
          at(kLineHeight));
    Place(hwnd, kStatusId, at(kMargin), nameTop + at(kLineHeight + kMargin),
          at(kClientWidth - 2 * kMargin), at(kLineHeight));
    int top = listTop;
    for (const ButtonSpec& button : kButtons) {
        Place(hwnd, button.id, buttonsLeft, top, at(kButtonWidth), at(kButtonHeight));
        top += at(kButtonStep);
    }
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); i++) {
        SendMessageA(GetDlgItem(hwnd, kListId), LVM_SETCOLUMNWIDTH, i, at(kColumns[i].width));
    }
}

INT_PTR CArrangementsDialog::OnDpiChanged(int newDpi, const RECT* suggested) {
    dpi = newDpi;
    if (suggested) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayOut();
    return 1;
}

// The selection stays on the snapshot it was on, wherever the store moved it.
void CArrangementsDialog::FillList() {
    HWND list = GetDlgItem(hwnd, kListId);
    Row selected = {kSnapshotManual, {}};
    LayoutSnapshot* was = Selected();
    if (was) {
        selected.kind = was->kind;
        CopyBounded(selected.name, sizeof selected.name, was->name);
    }
    CPtrList sorted;
    SortNewestFirst(*desktopLayout->snapshots, &sorted);
    rows.Reset(new (std::nothrow) Row[sorted.count > 0 ? sorted.count : 1]);
    rowCount = 0;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (PtrListNode* node = sorted.head; node && !rows.IsEmpty(); node = node->next) {
        const LayoutSnapshot* snapshot = static_cast<const LayoutSnapshot*>(node->data);
        rows.Get()[rowCount] = Row{snapshot->kind, {}};
        CopyBounded(rows.Get()[rowCount].name, kSnapshotNameChars, snapshot->name);
        FillRow(rowCount++, *snapshot);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    shownVersion = desktopLayout->storeVersion;
    Select(selected.kind, was ? selected.name : nullptr);
}

void CArrangementsDialog::FillRow(int row, const LayoutSnapshot& snapshot) {
    HWND list = GetDlgItem(hwnd, kListId);
    char displays[kDisplayNameChars];
    DescribeDisplayKey(snapshot.Displays(), displays);
    char icons[16];
    snprintf(icons, sizeof icons, "%d", CLayoutEntries(snapshot.layout.Get()).List().count);
    SetCell(list, row, 0, snapshot.name);
    SetCell(list, row, 1, snapshot.kind == kSnapshotAutomatic ? "AutoSave" : "Save");
    SetCell(list, row, 2, displays);
    SetCell(list, row, 3, icons);
    SetCell(list, row, 4, snapshot.kept ? "Yes" : "");
}

// The first row when name is null or no row holds it any more.
void CArrangementsDialog::Select(SnapshotKind kind, const char* name) {
    int row = 0;
    for (int i = 0; name && i < rowCount; i++) {
        if (rows.Get()[i].kind == kind && strcmp(rows.Get()[i].name, name) == 0) {
            row = i;
        }
    }
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    HWND list = GetDlgItem(hwnd, kListId);
    if (rowCount > 0) {
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
    }
    ShowSelection();
}

// The name box holds the selected snapshot's name, ready to be changed, and the keep button says
// what it would do.
void CArrangementsDialog::ShowSelection() {
    const LayoutSnapshot* snapshot = Selected();
    const char* name = snapshot ? snapshot->name : "";
    const SnapshotKind kind = snapshot ? snapshot->kind : kSnapshotManual;
    if (kind != shown.kind || strcmp(name, shown.name) != 0) {
        SetWindowTextW(GetDlgItem(hwnd, kNameId), WideText(name).units);
        shown.kind = kind;
        CopyBounded(shown.name, sizeof shown.name, name);
    }
    SetWindowTextA(GetDlgItem(hwnd, kKeepId), snapshot && snapshot->kept ? "Don't &keep" : "&Keep");
    for (const ButtonSpec& button : kButtons) {
        EnableWindow(GetDlgItem(hwnd, button.id), button.id == IDCANCEL || snapshot != nullptr);
    }
}

void CArrangementsDialog::Say(const char* text) {
    SetWindowTextA(GetDlgItem(hwnd, kStatusId), text);
}

LayoutSnapshot* CArrangementsDialog::Selected() {
    const int row = static_cast<int>(SendMessageW(GetDlgItem(hwnd, kListId), LVM_GETNEXTITEM,
                                                  static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0 || row >= rowCount) {
        return nullptr;
    }
    return FindSnapshot(*desktopLayout->snapshots, rows.Get()[row].kind, rows.Get()[row].name);
}

// Enter restores in the list and renames in the name box; Escape closes.
INT_PTR CArrangementsDialog::OnCommand(WORD id, WORD code) {
    if (code != BN_CLICKED) {
        return 0;
    }
    if (id == IDOK) {
        id = GetFocus() == GetDlgItem(hwnd, kNameId) ? kRenameId : kRestoreId;
    }
    switch (id) {
    case kRestoreId:
        OnRestore();
        break;
    case kRenameId:
        OnRename();
        break;
    case kKeepId:
        OnKeep();
        break;
    case kDeleteId:
        OnDelete();
        break;
    case IDCANCEL:
        Close();
        break;
    }
    return 1;
}

INT_PTR CArrangementsDialog::OnNotify(const NMHDR* header) {
    if (!header || header->idFrom != kListId) {
        return 0;
    }
    if (header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
        // Also when the selection goes: the buttons then have nothing to act on.
        if ((change->uChanged & LVIF_STATE) &&
            ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
            ShowSelection();
        }
    } else if (header->code == LVN_KEYDOWN) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey;
        if (key == VK_DELETE) {
            OnDelete();
        } else if (key == VK_F2) {
            SetFocus(GetDlgItem(hwnd, kNameId));
            SendMessageW(GetDlgItem(hwnd, kNameId), EM_SETSEL, 0, -1);
        }
    }
    return 0;
}

// As the menu's Restore: Undo takes it back. The layout is copied first: the restore's boxes run
// a loop in which an autosave may change the record.
void CArrangementsDialog::OnRestore() {
    const LayoutSnapshot* snapshot = Selected();
    if (!snapshot) {
        return Say(kGone);
    }
    CHeapText layout(CopyToHeap(snapshot->layout.Get()));
    Say("");
    if (!layout.IsEmpty()) {
        desktopLayout->RestoreLayout(layout.Get());
    }
}

void CArrangementsDialog::OnRename() {
    LayoutSnapshot* snapshot = Selected();
    if (!snapshot) {
        return Say(kGone);
    }
    WCHAR wide[2 * kSnapshotNameChars];
    const int units = GetWindowTextW(GetDlgItem(hwnd, kNameId), wide, 2 * kSnapshotNameChars);
    char name[kTextChars];
    name[0] = '\0';
    if (units > 0 && Utf16ToUtf8(wide, static_cast<size_t>(units), name, sizeof name) == 0) {
        CopyBounded(name, sizeof name, "\x80");
    }
    SnapshotNameProblem problem =
        CheckNewSnapshotName(*desktopLayout->snapshots, snapshot->kind, name, snapshot);
    if (problem != kNameFits) {
        return Say(SnapshotNameProblemText(problem));
    }
    SnapshotEdit edit = EditOf(kEditRename, *snapshot);
    CopyBounded(edit.newName, sizeof edit.newName, name);
    CarryOut(edit);
    Select(edit.kind, edit.newName);
}

void CArrangementsDialog::OnKeep() {
    LayoutSnapshot* snapshot = Selected();
    if (!snapshot) {
        return Say(kGone);
    }
    CarryOut(EditOf(kEditKeep, *snapshot));
}

// Asked once, with No as the answer Enter gives.
void CArrangementsDialog::OnDelete() {
    LayoutSnapshot* snapshot = Selected();
    if (!snapshot) {
        return Say(kGone);
    }
    const SnapshotEdit edit = EditOf(kEditDelete, *snapshot);
    char question[kTextChars];
    snprintf(question, sizeof question, "Delete \"%s\"? It cannot be undone.", edit.name);
    if (MessageBoxW(hwnd, WideText(question).units, kWideCaption,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
        CarryOut(edit);
    }
}

void CArrangementsDialog::CarryOut(const SnapshotEdit& edit) {
    Say(desktopLayout->EditSnapshot(edit) ? "" : kGone);
    FillList();
}
