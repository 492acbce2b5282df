#include "ui/Palette.h"
#include "ui/OwnerDrawMenu.h"
#include "ui/WindowClass.h"
#include "res/ResourceIds.h"
#include "tests/ui/GdiCount.h"
#include "tests/ui/MemoryCanvas.h"
#include "tests/ui/ModalDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

namespace {

const COLORREF kPaper = RGB(1, 2, 3);
// The dark rim of the About image and the red of the check cross, as the strip draws them.
const COLORREF kAboutRim = RGB(0, 45, 130);
const COLORREF kCrossRed = RGB(230, 30, 30);
// Where the icon column ends and the plain background of an item at rest begins.
const int kIconColumnWidth = 22;

HINSTANCE Self() {
    return GetModuleHandleA(nullptr);
}

COLORREF Sys(int index) {
    return GetSysColor(index);
}

std::string BesideExe(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/") + 1) + name;
}

// A menu bar with one popup holding the cases the resource menu lacks.
struct TestMenu {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();

    TestMenu() {
        const std::string longText(120, 'a');
        const std::string longShortcut = "Name\t" + std::string(40, 'k');
        AppendMenuA(popup, MF_STRING, 201, "&Save\tCtrl+S");
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(popup, MF_STRING, 202, longText.c_str());
        AppendMenuA(popup, MF_STRING, 203, longShortcut.c_str());
        AppendMenuA(sub, MF_STRING, 205, "Inner");
        AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub");
        AppendMenuA(popup, MF_STRING, 205, "Outer");
        AppendMenuA(popup, MF_STRING, 206, "Plain");
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&File");
    }
    ~TestMenu() { DestroyMenu(bar); }
};

void Draw(COwnerDrawMenu& menu, const MenuItemNode* node, UINT state, MemoryCanvas& canvas,
          const RECT& rect) {
    DRAWITEMSTRUCT request = {};
    request.CtlType = ODT_MENU;
    request.itemID = node->id;
    request.itemAction = ODA_DRAWENTIRE;
    request.itemState = state;
    request.hDC = canvas.Dc();
    request.rcItem = rect;
    request.itemData = reinterpret_cast<ULONG_PTR>(node);
    menu.DrawItem(&request);
}

// Leftmost column holding the colour inside the area, or -1.
int LeftmostOf(const MemoryCanvas& canvas, const RECT& area, COLORREF colour) {
    for (int x = area.left; x < area.right; ++x) {
        for (int y = area.top; y < area.bottom; ++y) {
            if (canvas.At(x, y) == colour) {
                return x;
            }
        }
    }
    return -1;
}

int RightmostOf(const MemoryCanvas& canvas, const RECT& area, COLORREF colour) {
    for (int x = area.right - 1; x >= area.left; --x) {
        for (int y = area.top; y < area.bottom; ++y) {
            if (canvas.At(x, y) == colour) {
                return x;
            }
        }
    }
    return -1;
}

TEST(OwnerDrawMenu, TreeMirrorsTheTrayMenu) {
    COwnerDrawMenu menu(Self(), MAKEINTRESOURCEA(IDR_MAINMENU), MAKEINTRESOURCEA(IDB_MENUIMAGES),
                        MENU_IMAGE_CHECK);
    ASSERT_NE(nullptr, menu.menu);
    EXPECT_EQ(1, menu.ownsMenu);
    ASSERT_NE(nullptr, menu.hImageList.Get());
    EXPECT_EQ(4, ImageList_GetImageCount(menu.hImageList.Get()));
    EXPECT_EQ(MENU_IMAGE_CHECK, menu.checkImage);
    EXPECT_EQ(nullptr, menu.hCheckBitmap.Get());

    ASSERT_NE(nullptr, menu.root);
    EXPECT_EQ(menu.menu, menu.root->hSubMenu);
    EXPECT_EQ(1, menu.root->subItemCount);
    const MenuItemNode* main = menu.root->child;
    ASSERT_NE(nullptr, main);
    EXPECT_STREQ(L"MainMenu", main->text);
    EXPECT_EQ(1, main->topLevel);
    EXPECT_EQ(nullptr, main->next);
    EXPECT_EQ(13, main->subItemCount);

    const UINT ids[] = {ID_ABOUT,
                        0,
                        0,
                        ID_SAVE,
                        0,
                        ID_UNDO,
                        ID_MANAGE_ARRANGEMENTS,
                        0,
                        ID_START_WITH_WINDOWS,
                        ID_RESTORE_ON_DISPLAY_CHANGE,
                        ID_RESTORE_AT_STARTUP,
                        0,
                        ID_EXIT};
    const bool separators[] = {false, true,  false, false, false, false, false,
                               true,  false, false, false, true,  false};
    int position = 0;
    for (const MenuItemNode* node = main->child; node != nullptr; node = node->next) {
        ASSERT_LT(position, 13);
        EXPECT_EQ(position, node->position);
        EXPECT_EQ(main->hSubMenu, node->hParentMenu);
        EXPECT_EQ(0, node->topLevel);
        EXPECT_EQ(-1, node->image);
        EXPECT_EQ(separators[position], node->separator != 0) << position;
        if (ids[position] != 0) {
            EXPECT_EQ(ids[position], node->id) << position;
        }
        // Every item, separators included, is owner-drawn and carries its node.
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        GetMenuItemInfoA(node->hParentMenu, static_cast<UINT>(position), TRUE, &info);
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW) << position;
        EXPECT_EQ(separators[position], (info.fType & MFT_SEPARATOR) != 0) << position;
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(node), info.dwItemData) << position;
        ++position;
    }
    EXPECT_EQ(13, position);

    const MenuItemNode* autosave = menu.FindItem(menu.root, ID_AUTOSAVE_1HOUR);
    ASSERT_NE(nullptr, autosave);
    EXPECT_STREQ(L"1 hour", autosave->text);
    EXPECT_EQ(3, autosave->position);
    EXPECT_EQ(nullptr, menu.FindItem(menu.root, 999));
    EXPECT_EQ(nullptr, menu.FindItem(nullptr, ID_ABOUT));

    HMENU loaded = menu.menu;
    menu.Destroy();
    EXPECT_EQ(nullptr, menu.root);
    EXPECT_EQ(nullptr, menu.hImageList.Get());
    EXPECT_EQ(-1, menu.checkImage);
    EXPECT_FALSE(IsMenu(loaded));
    // A second Destroy, here through the destructor, finds nothing left to release.
}

TEST(OwnerDrawMenu, TextsShortcutsAndDepthFirstSearch) {
    TestMenu source;
    COwnerDrawMenu menu;
    menu.Init(Self(), source.bar, MAKEINTRESOURCEA(IDB_MENUIMAGES), MENU_IMAGE_CHECK);
    EXPECT_EQ(0, menu.ownsMenu);

    const MenuItemNode* save = menu.FindItem(menu.root, 201);
    ASSERT_NE(nullptr, save);
    EXPECT_STREQ(L"&Save", save->text);
    EXPECT_EQ(5, save->textLength);
    EXPECT_STREQ(L"Ctrl+S", save->shortcut);
    EXPECT_EQ(6, save->shortcutLength);

    const MenuItemNode* longText = menu.FindItem(menu.root, 202);
    ASSERT_NE(nullptr, longText);
    EXPECT_EQ(95, longText->textLength);
    EXPECT_EQ(std::wstring(95, L'a'), longText->text);
    EXPECT_EQ(0, longText->shortcutLength);

    const MenuItemNode* longShortcut = menu.FindItem(menu.root, 203);
    ASSERT_NE(nullptr, longShortcut);
    EXPECT_STREQ(L"Name", longShortcut->text);
    EXPECT_EQ(30, longShortcut->shortcutLength);
    EXPECT_EQ(std::wstring(30, L'k'), longShortcut->shortcut);

    // Two items with id 205: the submenu's comes first, depth-first.
    const MenuItemNode* found = menu.FindItem(menu.root, 205);
    ASSERT_NE(nullptr, found);
    EXPECT_STREQ(L"Inner", found->text);
    EXPECT_EQ(source.sub, found->hParentMenu);

    menu.Destroy();
    // Not owned: the menu outlives the object.
    EXPECT_TRUE(IsMenu(source.bar));
}

TEST(OwnerDrawMenu, RebuildReadsTheMenuAfreshAndResetsImages) {
    TestMenu source;
    COwnerDrawMenu menu;
    menu.Init(Self(), source.bar, MAKEINTRESOURCEA(IDB_MENUIMAGES), MENU_IMAGE_CHECK);
    menu.FindItem(menu.root, 206)->image = MENU_IMAGE_UNDO;
    DeleteMenu(source.popup, 201, MF_BYCOMMAND);
    ModifyMenuA(source.popup, 206, MF_BYCOMMAND | MF_STRING, 206, "Renamed");
    menu.Rebuild();
    EXPECT_EQ(nullptr, menu.FindItem(menu.root, 201));
    const MenuItemNode* renamed = menu.FindItem(menu.root, 206);
    ASSERT_NE(nullptr, renamed);
    EXPECT_STREQ(L"Renamed", renamed->text);
    EXPECT_EQ(-1, renamed->image);
    // Texts survive being owner-drawn: a rebuild without changes reads the same texts.
    menu.Rebuild();
    const MenuItemNode* sub = menu.root->child->child;
    while (sub != nullptr && sub->hSubMenu != source.sub) {
        sub = sub->next;
    }
    ASSERT_NE(nullptr, sub);
    EXPECT_STREQ(L"Sub", sub->text);
    EXPECT_EQ(1, sub->subItemCount);
    EXPECT_STREQ(L"Inner", menu.FindItem(menu.root, 205)->text);
}

TEST(OwnerDrawMenu, EmptyWithoutInstanceOrMenu) {
    COwnerDrawMenu noMenu(Self(), MAKEINTRESOURCEA(999), nullptr, 0);
    EXPECT_EQ(nullptr, noMenu.menu);
    EXPECT_EQ(nullptr, noMenu.root);
    TestMenu source;
    COwnerDrawMenu noInstance;
    noInstance.Init(nullptr, source.bar, nullptr, 0);
    EXPECT_EQ(nullptr, noInstance.root);
    EXPECT_EQ(nullptr, noInstance.hCheckBitmap.Get());
}

TEST(OwnerDrawMenu, MeasureItem) {
    TestMenu source;
    COwnerDrawMenu menu;
    menu.Init(Self(), source.bar, nullptr, 0);
    HWND owner =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Self(), nullptr);
    ASSERT_NE(nullptr, owner);
    auto measure = [&](const MenuItemNode* node) {
        MEASUREITEMSTRUCT request = {};
        request.CtlType = ODT_MENU;
        request.itemData = reinterpret_cast<ULONG_PTR>(node);
        menu.MeasureItem(owner, &request);
        return SIZE{static_cast<LONG>(request.itemWidth), static_cast<LONG>(request.itemHeight)};
    };
    auto extent = [&](const char* text) {
        SIZE size = {0, 0};
        HDC hdc = GetDC(owner);
        GetTextExtentPoint32A(hdc, text, lstrlenA(text), &size);
        ReleaseDC(owner, hdc);
        return size;
    };

    // Text and shortcut run together without the '&': "Save" "Ctrl+S".
    const SIZE save = measure(menu.FindItem(menu.root, 201));
    EXPECT_EQ(extent("SaveCtrl+S").cx + 34, save.cx);
    EXPECT_EQ(20, save.cy);
    const SIZE plain = measure(menu.FindItem(menu.root, 206));
    EXPECT_EQ(extent("Plain").cx + 34, plain.cx);

    const MenuItemNode* separator = menu.FindItem(menu.root, 201)->next;
    ASSERT_NE(nullptr, separator);
    ASSERT_TRUE(separator->separator);
    const SIZE line = measure(separator);
    EXPECT_EQ(0, line.cx);
    EXPECT_EQ(6, line.cy);

    // A menu-bar item measures exactly its text.
    const SIZE bar = measure(menu.root->child);
    EXPECT_EQ(extent("File").cx, bar.cx);
    EXPECT_EQ(extent("File").cy, bar.cy);
    DestroyWindow(owner);
}

class MenuDrawing : public ::testing::Test {
  protected:
    TestMenu source;
    COwnerDrawMenu menu;
    MemoryCanvas canvas{160, 20, kPaper};
    const RECT item = {0, 0, 160, 20};
    const RECT markArea = {0, 0, 24, 20};

    void SetUp() override {
        menu.Init(Self(), source.bar, MAKEINTRESOURCEA(IDB_MENUIMAGES), MENU_IMAGE_CHECK);
    }
    MenuItemNode* Node(UINT id) { return menu.FindItem(menu.root, id); }
    void Paint(const MenuItemNode* node, UINT state, const RECT& rect) {
        canvas.Fill(kPaper);
        Draw(menu, node, state, canvas, rect);
    }
};

TEST_F(MenuDrawing, ItemAtRestHasIconColumnBackgroundAndText) {
    Paint(Node(206), 0, item);
    EXPECT_EQ(IconColumnStart(), canvas.At(0, 1));
    EXPECT_EQ(BlendColor(IconColumnStart(), MenuBackground(), 22, 11), canvas.At(11, 1));
    EXPECT_EQ(BlendColor(IconColumnStart(), MenuBackground(), 22, 21), canvas.At(21, 19));
    EXPECT_EQ(MenuBackground(), canvas.At(22, 0));
    EXPECT_EQ(MenuBackground(), canvas.At(159, 19));
    EXPECT_EQ(0, canvas.Count(item, kPaper));
    // Text in the menu text colour, from x = 30, nothing of it left of that.
    const int textLeft = LeftmostOf(canvas, item, Sys(COLOR_MENUTEXT));
    EXPECT_GE(textLeft, 30);
    EXPECT_LE(textLeft, 32);
}

TEST_F(MenuDrawing, HighlightedItemIsFramedOverTheIconColumn) {
    Paint(Node(206), ODS_SELECTED, item);
    for (POINT p : {POINT{0, 0}, POINT{159, 0}, POINT{0, 19}, POINT{159, 19}, POINT{80, 0}}) {
        EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.At(p.x, p.y)) << p.x << "," << p.y;
    }
    EXPECT_EQ(HighlightFill(), canvas.At(1, 1));
    EXPECT_EQ(HighlightFill(), canvas.At(158, 18));
    EXPECT_GT(canvas.Count(item, Sys(COLOR_MENUTEXT)), 10);

    // Hot-tracked counts as highlighted unless the menu is inactive.
    Paint(Node(206), ODS_HOTLIGHT, item);
    EXPECT_EQ(HighlightFill(), canvas.At(1, 1));
    Paint(Node(206), ODS_HOTLIGHT | ODS_INACTIVE, item);
    EXPECT_EQ(IconColumnStart(), canvas.At(0, 1));
}

TEST_F(MenuDrawing, DisabledItemsHaveGreyText) {
    Paint(Node(206), ODS_DISABLED, item);
    EXPECT_GT(canvas.Count(item, Sys(COLOR_GRAYTEXT)), 10);
    EXPECT_EQ(0, canvas.Count(item, Sys(COLOR_MENUTEXT)));
    // Highlighted and disabled: the highlight frame over the plain background.
    Paint(Node(206), ODS_SELECTED | ODS_DISABLED, item);
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.At(0, 0));
    EXPECT_EQ(MenuBackground(), canvas.At(1, 1));
    EXPECT_GT(canvas.Count(item, Sys(COLOR_GRAYTEXT)), 10);
}

// A menu reports a grayed item with ODS_GRAYED, which may come without ODS_DISABLED: the row is
// drawn as a disabled one, its text and its image alike.
TEST_F(MenuDrawing, GrayedItemsAreDrawnAsDisabledOnes) {
    MenuItemNode* node = Node(206);
    node->image = MENU_IMAGE_ABOUT;
    Paint(node, ODS_GRAYED, item);
    EXPECT_GT(canvas.Count(item, Sys(COLOR_GRAYTEXT)), 10);
    EXPECT_EQ(0, canvas.Count(item, Sys(COLOR_MENUTEXT)));
    EXPECT_EQ(0, canvas.Count(markArea, kAboutRim));
    EXPECT_GT(canvas.Count(markArea, ImageShadow()), 10);
    Paint(node, ODS_SELECTED | ODS_GRAYED, item);
    EXPECT_EQ(MenuBackground(), canvas.At(1, 1));
}

TEST_F(MenuDrawing, SeparatorLineStartsThirtyPixelsIn) {
    const MenuItemNode* separator = Node(201)->next;
    const RECT line = {0, 0, 160, 6};
    Paint(separator, 0, line);
    EXPECT_EQ(IconColumnStart(), canvas.At(0, 3));
    EXPECT_EQ(SeparatorLine(), canvas.At(30, 3));
    // The end point, right - 1, is not painted: the last pixel is right - 2.
    EXPECT_EQ(SeparatorLine(), canvas.At(158, 3));
    EXPECT_EQ(MenuBackground(), canvas.At(29, 3));
    EXPECT_EQ(MenuBackground(), canvas.At(159, 3));
    EXPECT_EQ(MenuBackground(), canvas.At(100, 2));
    EXPECT_EQ(MenuBackground(), canvas.At(100, 4));
    // A separator is never highlighted.
    Paint(separator, ODS_SELECTED, line);
    EXPECT_EQ(IconColumnStart(), canvas.At(0, 3));
}

TEST_F(MenuDrawing, ShortcutEndsEightPixelsFromTheRight) {
    Paint(Node(201), 0, item);
    const int right = RightmostOf(canvas, item, Sys(COLOR_MENUTEXT));
    EXPECT_LE(right, 160 - 8 - 1);
    EXPECT_GE(right, 160 - 8 - 3);
}

TEST_F(MenuDrawing, ImagesAndCheckMarks) {
    MenuItemNode* node = Node(206);
    node->image = MENU_IMAGE_ABOUT;
    Paint(node, 0, item);
    EXPECT_GT(canvas.Count(markArea, kAboutRim), 10);
    // The disc's leftmost column is column 1 of the image, drawn from x0 + 3.
    EXPECT_EQ(4, LeftmostOf(canvas, markArea, kAboutRim));

    // Selected: lifted one pixel up and left, over its own silhouette.
    Paint(node, ODS_SELECTED, item);
    EXPECT_EQ(3, LeftmostOf(canvas, markArea, kAboutRim));
    EXPECT_GT(canvas.Count(markArea, ImageShadow()), 0);

    // Disabled: only the silhouette.
    Paint(node, ODS_DISABLED, item);
    EXPECT_EQ(0, canvas.Count(markArea, kAboutRim));
    EXPECT_GT(canvas.Count(markArea, ImageShadow()), 10);

    // Checked: the check image replaces the item's own image.
    Paint(node, ODS_CHECKED, item);
    EXPECT_GT(canvas.Count(markArea, kCrossRed), 10);
    EXPECT_EQ(0, canvas.Count(markArea, kAboutRim));
    Paint(node, ODS_CHECKED | ODS_DISABLED, item);
    EXPECT_EQ(0, canvas.Count(markArea, kCrossRed));
    EXPECT_EQ(3 + 2, LeftmostOf(canvas, markArea, ImageShadow()));
}

TEST_F(MenuDrawing, SystemCheckMarkWithoutAnImageStrip) {
    COwnerDrawMenu plain;
    TestMenu other;
    plain.Init(Self(), other.bar, nullptr, MENU_IMAGE_CHECK);
    ASSERT_EQ(-1, plain.checkImage);
    ASSERT_NE(nullptr, plain.hCheckBitmap.Get());
    const MenuItemNode* node = plain.FindItem(plain.root, 206);
    canvas.Fill(kPaper);
    Draw(plain, node, ODS_CHECKED, canvas, item);
    // A framed box from (1, 1) to (20, bottom - 1), the mark inside it in the text colour.
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.At(1, 1));
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.At(19, 1));
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.At(1, 18));
    EXPECT_EQ(HighlightFill(), canvas.At(2, 2));
    EXPECT_GT(canvas.Count(RECT{5, 3, 19, 18}, Sys(COLOR_MENUTEXT)), 3);

    canvas.Fill(kPaper);
    Draw(plain, node, ODS_CHECKED | ODS_DISABLED, canvas, item);
    EXPECT_NE(Sys(COLOR_HIGHLIGHT), canvas.At(1, 1));
    EXPECT_GT(canvas.Count(RECT{5, 3, 21, 19}, ImageShadow()), 3);
}

TEST_F(MenuDrawing, MenuBarItems) {
    MenuItemNode* bar = menu.root->child;
    ASSERT_EQ(1, bar->topLevel);
    bar->image = MENU_IMAGE_ABOUT;
    Paint(bar, 0, item);
    EXPECT_EQ(Sys(COLOR_BTNFACE), canvas.At(0, 0));
    EXPECT_EQ(Sys(COLOR_BTNFACE), canvas.At(159, 19));
    EXPECT_EQ(0, canvas.Count(item, kAboutRim));

    Paint(bar, ODS_SELECTED | ODS_CHECKED, item);
    EXPECT_EQ(Sys(COLOR_3DDKSHADOW), canvas.At(0, 0));
    EXPECT_EQ(Sys(COLOR_3DDKSHADOW), canvas.At(155, 19));
    EXPECT_EQ(MenuBarSelectedFill(), canvas.At(1, 1));
    EXPECT_EQ(MenuBarShadow(), canvas.At(158, 10));
    EXPECT_EQ(kPaper, canvas.At(158, 2));
    EXPECT_EQ(0, canvas.Count(item, kAboutRim));
    EXPECT_EQ(0, canvas.Count(item, kCrossRed));
}

TEST_F(MenuDrawing, DrawingLeavesNoGdiObjectsBehind) {
    MenuItemNode* node = Node(206);
    node->image = MENU_IMAGE_UNDO;
    const UINT states[] = {0,
                           ODS_SELECTED,
                           ODS_DISABLED,
                           ODS_CHECKED,
                           ODS_SELECTED | ODS_CHECKED,
                           ODS_CHECKED | ODS_DISABLED};
    long before = 0;
    // Round 0 lets the system create the brushes it caches on first use.
    for (int round = 0; round < 5; ++round) {
        if (round == 1) {
            before = GdiObjectCount();
        }
        for (UINT state : states) {
            Paint(node, state, item);
            Paint(Node(201)->next, state, RECT{0, 0, 160, 6});
            Paint(menu.root->child, state, item);
        }
    }
    EXPECT_EQ(before, GdiObjectCount());
}

// "Büro 😀 Ελληνικά": Latin, a character beyond the BMP (a surrogate pair) and Greek.
const wchar_t kWideName[] =
    L"B\u00fcro \U0001F600 \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac";
const wchar_t kGrinning[] = L"\U0001F600";

// A popup of wide items under a menu bar, as the tray's Restore entries are added.
struct WideTestMenu {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();

    explicit WideTestMenu(std::initializer_list<std::wstring> texts) {
        UINT id = 300;
        for (const std::wstring& text : texts) {
            AppendMenuW(popup, MF_STRING, id++, text.c_str());
        }
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "Restore");
    }
    ~WideTestMenu() { DestroyMenu(bar); }
};

HFONT CreateMenuFont() {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    return CreateFontIndirectA(&metrics.lfMenuFont);
}

// Pixels inside the area where the two canvases differ.
int Differences(const MemoryCanvas& a, const MemoryCanvas& b, const RECT& area) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            n += a.At(x, y) != b.At(x, y) ? 1 : 0;
        }
    }
    return n;
}

TEST(OwnerDrawMenuText, NameInAnyScriptIsDrawnAndMeasuredAsItsCharacters) {
    WideTestMenu source({kWideName});
    COwnerDrawMenu menu;
    menu.Init(Self(), source.bar, MAKEINTRESOURCEA(IDB_MENUIMAGES), MENU_IMAGE_CHECK);
    const MenuItemNode* node = menu.FindItem(menu.root, 300);
    ASSERT_NE(nullptr, node);
    EXPECT_STREQ(kWideName, node->text);
    EXPECT_EQ(static_cast<int>(wcslen(kWideName)), node->textLength);

    // The item as the menu draws it, and the name as DrawTextW draws it over the item's
    // background, both with the menu font: the text area matches pixel for pixel.
    const int width = 320;
    const RECT item = {0, 0, width, 20};
    MemoryCanvas drawn(width, 20, kPaper);
    MemoryCanvas expected(width, 20, MenuBackground());
    HFONT font = CreateMenuFont();
    HGDIOBJ drawnFont = SelectObject(drawn.Dc(), font);
    HGDIOBJ expectedFont = SelectObject(expected.Dc(), font);
    Draw(menu, node, 0, drawn, item);
    SetTextColor(expected.Dc(), Sys(COLOR_MENUTEXT));
    SetBkMode(expected.Dc(), TRANSPARENT);
    RECT text = {30, 2, width, 20};
    DrawTextW(expected.Dc(), kWideName, -1, &text, DT_VCENTER);
    RECT inked = {30, 2, width, 20};
    DrawTextW(expected.Dc(), kWideName, -1, &inked, DT_CALCRECT);
    SelectObject(drawn.Dc(), drawnFont);
    SelectObject(expected.Dc(), expectedFont);
    DeleteObject(font);

    const RECT textArea = {kIconColumnWidth, 0, width, 20};
    EXPECT_GT(expected.Count(textArea, Sys(COLOR_MENUTEXT)), 20);
    EXPECT_EQ(0, Differences(drawn, expected, textArea));
    if (HasFailure()) {
        drawn.SavePng(BesideExe("wide-name-drawn.png").c_str());
        expected.SavePng(BesideExe("wide-name-expected.png").c_str());
    }

    // Measured as the characters, on the owner's device context as every item is; wide enough
    // for the name as the menu font draws it.
    HWND owner =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Self(), nullptr);
    ASSERT_NE(nullptr, owner);
    MEASUREITEMSTRUCT request = {};
    request.CtlType = ODT_MENU;
    request.itemData = reinterpret_cast<ULONG_PTR>(node);
    menu.MeasureItem(owner, &request);
    SIZE extent = {0, 0};
    HDC hdc = GetDC(owner);
    GetTextExtentPoint32W(hdc, kWideName, static_cast<int>(wcslen(kWideName)), &extent);
    ReleaseDC(owner, hdc);
    DestroyWindow(owner);
    EXPECT_EQ(static_cast<UINT>(extent.cx + 34), request.itemWidth);
    EXPECT_GE(static_cast<LONG>(request.itemWidth), inked.right);
}

// The node of the id holds exactly this text and shortcut, with their lengths.
void ExpectTexts(const COwnerDrawMenu& menu, UINT id, const std::wstring& text,
                 const std::wstring& shortcut) {
    const MenuItemNode* node = COwnerDrawMenu::FindItem(menu.root, id);
    ASSERT_NE(nullptr, node) << id;
    EXPECT_EQ(text, node->text) << id;
    EXPECT_EQ(static_cast<int>(text.size()), node->textLength) << id;
    EXPECT_EQ(shortcut, node->shortcut) << id;
    EXPECT_EQ(static_cast<int>(shortcut.size()), node->shortcutLength) << id;
}

// Whatever cuts a text to its capacity cuts between characters: a surrogate pair is kept whole
// or left out whole.
TEST(OwnerDrawMenuText, LongTextsAreCutBetweenCharacters) {
    const std::wstring straddling = std::wstring(94, L'a') + kGrinning + L"tail";
    const std::wstring fitting = std::wstring(93, L'a') + kGrinning + L"tail";
    const std::wstring shortcutStraddling = L"Name\t" + std::wstring(29, L'k') + kGrinning;
    const std::wstring shortcutFitting = L"Name\t" + std::wstring(28, L'k') + kGrinning + L"k";
    WideTestMenu source({straddling, fitting, shortcutStraddling, shortcutFitting});
    COwnerDrawMenu menu;
    menu.Init(Self(), source.bar, nullptr, 0);

    ExpectTexts(menu, 300, std::wstring(94, L'a'), L"");
    ExpectTexts(menu, 301, std::wstring(93, L'a') + kGrinning, L"");
    ExpectTexts(menu, 302, L"Name", std::wstring(29, L'k'));
    ExpectTexts(menu, 303, L"Name", std::wstring(28, L'k') + kGrinning);
}

// Forwards the measure and draw requests to the menu, as the tray window does.
class MenuOwner : public CWindowClass {
  public:
    COwnerDrawMenu* menu = nullptr;
    int measured = 0;
    int drawn = 0;

    LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_MEASUREITEM && menu != nullptr) {
            ++measured;
            menu->MeasureItem(window, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        } else if (msg == WM_DRAWITEM && menu != nullptr) {
            ++drawn;
            menu->DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        }
        return DefWindowProcA(window, msg, wParam, lParam);
    }
};

struct MenuShot {
    MemoryCanvas* canvas = nullptr;
    RECT rect = {};
    bool taken = false;
};
MenuShot* pendingShot = nullptr;

void CALLBACK TakeMenuShot(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    const HWND popup = ModalDriver::FindDialog("#32768");
    if (pendingShot != nullptr && popup != nullptr) {
        GetWindowRect(popup, &pendingShot->rect);
        pendingShot->canvas->CaptureScreen(pendingShot->rect);
        pendingShot->taken = true;
    }
    EndMenu();
}

TEST(OwnerDrawMenuPopup, ShowsTheTrayMenuDrawnByItsOwner) {
    COwnerDrawMenu menu(Self(), MAKEINTRESOURCEA(IDR_MAINMENU), MAKEINTRESOURCEA(IDB_MENUIMAGES),
                        MENU_IMAGE_CHECK);
    CheckMenuItem(menu.menu, ID_START_WITH_WINDOWS, MF_BYCOMMAND | MF_CHECKED);
    menu.Rebuild();
    menu.FindItem(menu.root, ID_ABOUT)->image = MENU_IMAGE_ABOUT;
    menu.FindItem(menu.root, ID_UNDO)->image = MENU_IMAGE_UNDO;

    MenuOwner owner;
    owner.menu = &menu;
    ASSERT_EQ(1, owner.Create(Self(), nullptr, 100, 100, 200, 100, "Menu owner"));
    SetCursorPos(700, 600);

    MemoryCanvas shot(400, 400, kPaper);
    MenuShot pending;
    pending.canvas = &shot;
    pendingShot = &pending;
    // Once the menu shows: highlight its first item with the arrow key, then photograph it.
    ModalDriver driver(
        [](HWND popup) {
            PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 1);
            SetTimer(nullptr, 0, 400, TakeMenuShot);
        },
        15000, 4, "#32768");
    // The menu opens at the point it is given, not at the cursor.
    menu.ShowPopup(owner.hwnd, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, POINT{650, 550});
    pendingShot = nullptr;
    // The message that ends the menu's task switch waits in the owner's queue.
    MSG ending;
    EXPECT_TRUE(PeekMessageA(&ending, owner.hwnd, WM_NULL, WM_NULL, PM_REMOVE));
    EXPECT_FALSE(driver.timedOut());
    ASSERT_TRUE(driver.acted());
    ASSERT_TRUE(pending.taken);

    EXPECT_GE(owner.measured, 10);
    EXPECT_GE(owner.drawn, 10);
    // Lower right corner at the point.
    EXPECT_NEAR(650, pending.rect.right, 2);
    EXPECT_NEAR(550, pending.rect.bottom, 2);

    const RECT all = {0, 0, pending.rect.right - pending.rect.left,
                      pending.rect.bottom - pending.rect.top};
    EXPECT_GT(shot.Count(all, MenuBackground()), 100);
    EXPECT_GT(shot.Count(all, IconColumnStart()), 10);
    EXPECT_GT(shot.Count(all, HighlightFill()), 100);
    EXPECT_GT(shot.Count(all, kAboutRim), 10);
    EXPECT_GT(shot.Count(all, kCrossRed), 10);

    MemoryCanvas image(all.right, all.bottom, kPaper);
    BitBlt(image.Dc(), 0, 0, all.right, all.bottom, shot.Dc(), 0, 0, SRCCOPY);
    EXPECT_TRUE(image.SavePng(BesideExe("menu-open.png").c_str()));
}

// The bounding box of the colour inside the area; right and bottom exclusive, empty when none.
RECT BoxOf(const MemoryCanvas& canvas, const RECT& area, COLORREF colour) {
    RECT box = {area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (canvas.At(x, y) == colour) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        }
    }
    return box;
}

const COLORREF kMagenta = RGB(255, 0, 255);

// A menu drawn at another DPI than the process's, as on a second monitor at another scale:
// every size follows the scale, and the text is drawn in the menu font of that DPI.
class ScaledMenu : public ::testing::TestWithParam<int> {
  protected:
    TestMenu source;
    COwnerDrawMenu menu;

    void SetUp() override {
        menu.Init(Self(), source.bar, MAKEINTRESOURCEA(IDB_MENUIMAGES), MENU_IMAGE_CHECK);
        menu.SetDpi(GetParam());
    }
    MenuItemNode* Node(UINT id) { return menu.FindItem(menu.root, id); }
    const MenuMetrics& M() const { return menu.metrics; }
};

TEST_P(ScaledMenu, ImagesComeFromTheStripOfTheirOwnSize) {
    const int expected = GetParam() == 120 ? 20 : GetParam() == 144 ? 24 : 32;
    EXPECT_EQ(GetParam(), M().dpi);
    EXPECT_EQ(expected, M().imageSize);
    int cx = 0;
    int cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(menu.hImageList.Get(), &cx, &cy));
    EXPECT_EQ(expected, cx);
    EXPECT_EQ(expected, cy);
    EXPECT_EQ(4, ImageList_GetImageCount(menu.hImageList.Get()));
    EXPECT_EQ(ScaleToDpi(3, GetParam()), M().imageOffset);
    // Back at 96, the 16-pixel strip again.
    menu.SetDpi(96);
    ASSERT_TRUE(ImageList_GetIconSize(menu.hImageList.Get(), &cx, &cy));
    EXPECT_EQ(16, cx);
    EXPECT_EQ(22, menu.metrics.iconColumnRight);
}

TEST_P(ScaledMenu, ItemAtRestWithItsImage) {
    const MenuMetrics& m = M();
    const int width = 400;
    const RECT item = {0, 0, width, m.itemHeight};
    MemoryCanvas canvas(width, m.itemHeight, kPaper);
    MenuItemNode* node = Node(206);
    node->image = MENU_IMAGE_ABOUT;
    Draw(menu, node, 0, canvas, item);
    EXPECT_EQ(0, canvas.Count(item, kPaper));
    EXPECT_EQ(0, canvas.Count(item, kMagenta));
    // The shaded column ends where the scaled metrics put it, as wide as the image and more.
    EXPECT_EQ(IconColumnStart(), canvas.At(0, 1));
    EXPECT_NE(MenuBackground(), canvas.At(m.iconColumnRight - 1, 1));
    EXPECT_EQ(MenuBackground(), canvas.At(m.iconColumnRight, 1));
    EXPECT_GE(m.iconColumnRight, m.imageSize + 2 * m.imageOffset);
    EXPECT_GE(m.iconColumnRight, GetSystemMetrics(SM_CXMENUCHECK) * GetParam() / 96);
    // The image's rim at its scaled size, inside its place.
    const RECT rim = BoxOf(canvas, RECT{0, 0, m.iconColumnRight, m.itemHeight}, kAboutRim);
    EXPECT_GE(rim.left, m.imageOffset);
    EXPECT_GE(rim.top, m.imageOffset);
    EXPECT_LE(rim.right, m.imageOffset + m.imageSize);
    EXPECT_LE(rim.bottom, m.imageOffset + m.imageSize);
    // The disc is 14 sixteenths of the image wide.
    EXPECT_GE((rim.right - rim.left) * 16, m.imageSize * 14 - 16);
    // The text in the menu font of this DPI, from the scaled indent, inside the row.
    const RECT ink = BoxOf(canvas, item, Sys(COLOR_MENUTEXT));
    EXPECT_GE(ink.left, m.textIndent);
    EXPECT_LE(ink.left, m.textIndent + ScaleToDpi(2, GetParam()));
    EXPECT_GT(ink.top, m.textTop);
    EXPECT_LT(ink.bottom, m.itemHeight);
    HFONT font = CreateMenuFont();
    LOGFONTA asked = {};
    GetObjectA(font, sizeof asked, &asked);
    DeleteObject(font);
    // "Plain" stands as tall as the menu font scaled to this DPI makes it, taller than at 96.
    EXPECT_GE((ink.bottom - ink.top) * 10, ScaleToDpi(-asked.lfHeight, GetParam()) * 6)
        << ink.bottom - ink.top;

    // Selected: lifted by the scaled lift over its shadow.
    canvas.Fill(kPaper);
    Draw(menu, node, ODS_SELECTED, canvas, item);
    const RECT lifted = BoxOf(canvas, RECT{0, 0, m.iconColumnRight, m.itemHeight}, kAboutRim);
    EXPECT_EQ(rim.left - m.imageLift, lifted.left);
    EXPECT_EQ(rim.top - m.imageLift, lifted.top);
    EXPECT_GT(canvas.Count(RECT{0, 0, m.iconColumnRight, m.itemHeight}, ImageShadow()), 0);
}

TEST_P(ScaledMenu, SeparatorAndShortcutWhereTheScaledMetricsPutThem) {
    const MenuMetrics& m = M();
    const int width = 400;
    MemoryCanvas canvas(width, m.itemHeight, kPaper);
    const MenuItemNode* separator = Node(201)->next;
    const RECT line = {0, 0, width, m.separatorHeight};
    Draw(menu, separator, 0, canvas, line);
    const int mid = m.separatorHeight / 2;
    EXPECT_EQ(SeparatorLine(), canvas.At(m.textIndent, mid));
    EXPECT_EQ(MenuBackground(), canvas.At(m.textIndent - 1, mid));
    EXPECT_EQ(SeparatorLine(), canvas.At(width - 2, mid));
    EXPECT_EQ(MenuBackground(), canvas.At(m.textIndent + 10, mid - 1));

    canvas.Fill(kPaper);
    const RECT item = {0, 0, width, m.itemHeight};
    Draw(menu, Node(201), 0, canvas, item);
    const int right = RightmostOf(canvas, item, Sys(COLOR_MENUTEXT));
    EXPECT_LE(right, width - m.shortcutMargin - 1);
    EXPECT_GE(right, width - m.shortcutMargin - ScaleToDpi(3, GetParam()));
}

TEST_P(ScaledMenu, ItemsMeasureForTheirTextInTheMenuFontOfTheirDpi) {
    HWND owner =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Self(), nullptr);
    ASSERT_NE(nullptr, owner);
    MEASUREITEMSTRUCT request = {};
    request.CtlType = ODT_MENU;
    request.itemData = reinterpret_cast<ULONG_PTR>(Node(206));
    menu.MeasureItem(owner, &request);

    // The text as the menu draws it at this DPI.
    const int width = 600;
    MemoryCanvas canvas(width, M().itemHeight, kPaper);
    Draw(menu, Node(206), 0, canvas, RECT{0, 0, width, M().itemHeight});
    const RECT ink = BoxOf(canvas, RECT{0, 0, width, M().itemHeight}, Sys(COLOR_MENUTEXT));
    DestroyWindow(owner);
    EXPECT_GE(static_cast<LONG>(request.itemWidth), ink.right + ScaleToDpi(4, GetParam()));
    EXPECT_EQ(static_cast<UINT>(M().itemHeight), request.itemHeight);
    EXPECT_GE(M().itemHeight, ScaleToDpi(20, GetParam()));

    request.itemData = reinterpret_cast<ULONG_PTR>(Node(201)->next);
    menu.MeasureItem(owner, &request);
    EXPECT_EQ(static_cast<UINT>(ScaleToDpi(6, GetParam())), request.itemHeight);
}

TEST_P(ScaledMenu, SystemCheckMarkBoxFollowsTheScale) {
    COwnerDrawMenu plain;
    TestMenu other;
    plain.Init(Self(), other.bar, nullptr, MENU_IMAGE_CHECK);
    plain.SetDpi(GetParam());
    const MenuMetrics& m = plain.metrics;
    EXPECT_EQ(ScaleToDpi(16, GetParam()), m.imageSize);
    MemoryCanvas canvas(200, m.itemHeight, kPaper);
    Draw(plain, plain.FindItem(plain.root, 206), ODS_CHECKED, canvas,
         RECT{0, 0, 200, m.itemHeight});
    const int in = m.checkBoxInset;
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.At(in, in));
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.At(m.checkBoxRight - 1, in));
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), canvas.At(in, m.itemHeight - in - 1));
    EXPECT_NE(Sys(COLOR_HIGHLIGHT), canvas.At(m.checkBoxRight, in + 2));
    EXPECT_EQ(HighlightFill(), canvas.At(in + 1, in + 1));
}

TEST_P(ScaledMenu, DrawingInTheMenuFontLeavesNoGdiObjectsBehind) {
    ASSERT_TRUE(menu.drawWithMenuFont);
    MenuItemNode* node = Node(206);
    node->image = MENU_IMAGE_UNDO;
    MemoryCanvas canvas(200, M().itemHeight, kPaper);
    const HGDIOBJ font = GetCurrentObject(canvas.Dc(), OBJ_FONT);
    long before = 0;
    for (int round = 0; round < 3; ++round) {
        if (round == 1) {
            before = GdiObjectCount();
        }
        for (UINT state : {0u, unsigned{ODS_SELECTED}, unsigned{ODS_DISABLED}}) {
            Draw(menu, node, state, canvas, RECT{0, 0, 200, M().itemHeight});
        }
    }
    EXPECT_EQ(before, GdiObjectCount());
    // The caller's font is selected again afterwards.
    EXPECT_EQ(font, GetCurrentObject(canvas.Dc(), OBJ_FONT));
}

// The item that opens a submenu, drawn as it is before and after the system's own part.
const MenuItemNode* SubmenuItem(const COwnerDrawMenu& menu) {
    const MenuItemNode* node = menu.root->child->child;
    while (node != nullptr && node->hSubMenu == nullptr) {
        node = node->next;
    }
    return node;
}

TEST_P(ScaledMenu, SubmenuArrowAtTheScaleAndTheSystemsKeptOff) {
    const MenuMetrics& m = M();
    const int width = 300;
    const RECT item = {0, 0, width, m.itemHeight};
    MemoryCanvas canvas(width, m.itemHeight, kPaper);
    const MenuItemNode* sub = SubmenuItem(menu);
    ASSERT_NE(nullptr, sub);
    Draw(menu, sub, 0, canvas, item);
    const RECT arrow = BoxOf(canvas, RECT{width / 2, 0, width, m.itemHeight}, Sys(COLOR_MENUTEXT));
    EXPECT_EQ(width - m.arrowRight + 1, arrow.right);
    EXPECT_EQ(m.arrowHalf + 1, arrow.right - arrow.left);
    EXPECT_EQ(2 * m.arrowHalf + 1, arrow.bottom - arrow.top);
    EXPECT_EQ(m.itemHeight / 2, (arrow.top + arrow.bottom) / 2);
    // Seven rows at 96 DPI, about as many more at the scale.
    EXPECT_GE(arrow.bottom - arrow.top, ScaleToDpi(7, GetParam()) - 1);
    // Whatever the system draws over the item afterwards is clipped away.
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(canvas.Dc(), &item, red);
    DeleteObject(red);
    EXPECT_EQ(0, canvas.Count(item, RGB(255, 0, 0)));
}

INSTANTIATE_TEST_SUITE_P(AtDpi, ScaledMenu, ::testing::Values(120, 144, 192));

TEST(ScaledMenuAtItsOwnDpi, At96TheSystemDrawsTheSubmenuArrow) {
    TestMenu source;
    COwnerDrawMenu menu;
    menu.Init(Self(), source.bar, MAKEINTRESOURCEA(IDB_MENUIMAGES), MENU_IMAGE_CHECK);
    menu.SetDpi(96);
    MemoryCanvas canvas(160, 20, kPaper);
    const RECT item = {0, 0, 160, 20};
    Draw(menu, SubmenuItem(menu), 0, canvas, item);
    EXPECT_EQ(0, canvas.Count(RECT{80, 0, 160, 20}, Sys(COLOR_MENUTEXT)));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(canvas.Dc(), &item, red);
    DeleteObject(red);
    EXPECT_EQ(160 * 20, canvas.Count(item, RGB(255, 0, 0)));
}

TEST(ScaledMenuAtItsOwnDpi, DrawsWithTheFontTheSystemSelects) {
    TestMenu source;
    COwnerDrawMenu menu;
    menu.Init(Self(), source.bar, MAKEINTRESOURCEA(IDB_MENUIMAGES), MENU_IMAGE_CHECK);
    // This process runs at its system DPI: the system's own menu font is the right one.
    EXPECT_FALSE(menu.drawWithMenuFont);
    EXPECT_NE(nullptr, menu.hMenuFont.Get());
    // A DPI no display has draws at 96.
    menu.SetDpi(0);
    EXPECT_EQ(96, menu.metrics.dpi);
    menu.Destroy();
    EXPECT_EQ(nullptr, menu.hMenuFont.Get());
}

} // namespace
