#include "ui/OwnerDrawMenu.h"

#include "ui/DpiQuery.h"
#include "ui/GradientFill.h"
#include "ui/Palette.h"
#include "ui/ScopedGdi.h"

#include <cstring>
#include <cwchar>
#include <new>

namespace {

const int kMeasureChars = 255;
// The strips for larger scales follow the 100 % strip's bitmap id in steps of this.
const int kStripIdStep = 100;
// Larger images are no menu images: the strip is refused.
const long long kLargestImage = 256;
// OBM_CHECK, which <windows.h> declares only under OEMRESOURCE.
const WORD kSystemCheckBitmap = 32760;

void FillSolid(HDC hdc, const RECT& r, COLORREF colour) {
    CScopedBrush brush(CreateSolidBrush(colour));
    FillRect(hdc, &r, brush.Get());
}

// Rectangle with a 1-pixel frame in one colour and a fill in another.
void FramedRect(HDC hdc, int left, int top, int right, int bottom, COLORREF frame, COLORREF fill) {
    CScopedPen pen(CreatePen(PS_SOLID, 1, frame));
    CScopedBrush brush(CreateSolidBrush(fill));
    CScopedSelection selectedPen(hdc, pen.Get());
    CScopedSelection selectedBrush(hdc, brush.Get());
    Rectangle(hdc, left, top, right, bottom);
}

void HorizontalLine(HDC hdc, int x0, int x1, int y, COLORREF colour) {
    CScopedPen pen(CreatePen(PS_SOLID, 1, colour));
    CScopedSelection selected(hdc, pen.Get());
    MoveToEx(hdc, x0, y, nullptr);
    LineTo(hdc, x1, y);
}

// How many of the first length units end between characters: a lead surrogate last in line has
// lost its partner to a cut, and half a character cannot be drawn.
int WholeCharacters(const WCHAR* text, int length) {
    const bool leadLast = length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF;
    return leadLast ? length - 1 : length;
}

// Copies the text after the first TAB into the shortcut and cuts the text there.
void SplitShortcut(MenuItemNode* node) {
    WCHAR* tab = std::wcschr(node->text, L'\t');
    if (tab) {
        *tab = L'\0';
        const WCHAR* from = tab + 1;
        int n = 0;
        while (n < kMenuShortcutKept && from[n] != L'\0') {
            ++n;
        }
        n = WholeCharacters(from, n);
        std::memcpy(node->shortcut, from, static_cast<size_t>(n) * sizeof(WCHAR));
        node->shortcut[n] = L'\0';
        node->shortcutLength = n;
    }
    node->textLength = static_cast<int>(std::wcslen(node->text));
}

void ReadItem(MenuItemNode* node, HMENU hmenu, int position, UINT* type) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    GetMenuItemInfoA(hmenu, static_cast<UINT>(position), TRUE, &info);
    node->id = info.wID;
    *type = info.fType;
    GetMenuStringW(hmenu, static_cast<UINT>(position), node->text, kMenuTextChars, MF_BYPOSITION);
    node->text[kMenuTextChars - 1] = L'\0';
    node->text[WholeCharacters(node->text, static_cast<int>(std::wcslen(node->text)))] = L'\0';
    SplitShortcut(node);
}

// Owner-drawn, pointing at the node; with no node, a plain item again, so no item keeps data
// that names a node of a freed tree.
void SetItemOwnerDrawn(HMENU hmenu, int position, MenuItemNode* node, UINT type) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    const UINT kept = type & (MFT_SEPARATOR | MFT_RADIOCHECK);
    info.fType = node ? (MFT_OWNERDRAW | kept) : kept;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(node);
    SetMenuItemInfoA(hmenu, static_cast<UINT>(position), TRUE, &info);
}

// The units of text without '&', appended to out (which holds at most kMeasureChars).
int AppendWithoutPrefix(WCHAR* out, int used, const WCHAR* text) {
    for (const WCHAR* p = text; *p != L'\0' && used < kMeasureChars; ++p) {
        if (*p != L'&') {
            out[used++] = *p;
        }
    }
    out[used] = L'\0';
    return used;
}

const MenuItemNode* NodeOf(ULONG_PTR itemData) {
    return reinterpret_cast<const MenuItemNode*>(itemData);
}

// A grayed item may come with ODS_GRAYED alone: either state is drawn as what cannot be chosen.
bool IsUnavailable(UINT state) {
    return (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
}

} // namespace

COwnerDrawMenu::COwnerDrawMenu()
    : hInstance(nullptr), menu(nullptr), ownsMenu(0), root(nullptr), checkImage(-1),
      metrics(MenuMetricsFor(kBaseDpi, 0, 0, 0)), drawWithMenuFont(0), bitmapId(0), loadedStrip(0) {
}

COwnerDrawMenu::COwnerDrawMenu(HINSTANCE instance, LPCSTR menuName, LPCSTR bitmapName,
                               int checkImageIndex)
    : COwnerDrawMenu() {
    Init(instance, LoadMenuA(instance, menuName), bitmapName, checkImageIndex);
    ownsMenu = 1;
}

COwnerDrawMenu::~COwnerDrawMenu() {
    Destroy();
}

void COwnerDrawMenu::Init(HINSTANCE instance, HMENU hmenu, LPCSTR bitmapName, int checkImageIndex) {
    // Whatever an earlier Init set up is released first.
    Destroy();
    root = nullptr;
    ownsMenu = 0;
    checkImage = -1;
    if (!instance || !hmenu) {
        return;
    }
    menu = hmenu;
    hInstance = instance;
    if (bitmapName) {
        hImageList.Reset(LoadImageStrip(instance, bitmapName));
        bitmapId = IS_INTRESOURCE(bitmapName) ? LOWORD(reinterpret_cast<ULONG_PTR>(bitmapName)) : 0;
        loadedStrip = 0;
        checkImage = checkImageIndex;
    }
    if (checkImage == -1) {
        hCheckBitmap.Reset(LoadBitmapA(nullptr, MAKEINTRESOURCEA(kSystemCheckBitmap)));
    }
    SetDpi(SystemDpi());
    Rebuild();
}

void COwnerDrawMenu::SetDpi(int dpi) {
    dpi = ChooseDpi({0, 0, dpi});
    LoadStrip(NearestStrip(dpi));
    hMenuFont.Reset(CreateMenuFontForDpi(dpi));
    // At the system's DPI the system selects its menu font itself, as it always has.
    drawWithMenuFont = !hMenuFont.IsEmpty() && dpi != SystemDpi();
    int textHeight = 0;
    if (!hMenuFont.IsEmpty()) {
        CWindowDc screen(nullptr);
        CScopedSelection selected(screen.Get(), hMenuFont.Get());
        TEXTMETRICA text = {};
        GetTextMetricsA(screen.Get(), &text);
        textHeight = static_cast<int>(text.tmHeight);
    }
    int imageSize = 0;
    int ignored = 0;
    if (!hImageList.IsEmpty()) {
        ImageList_GetIconSize(hImageList.Get(), &imageSize, &ignored);
    }
    metrics = MenuMetricsFor(dpi, imageSize, CheckMarkSizeForDpi(dpi), textHeight);
}

// The strip nearest the wanted one that the resources hold, going down toward 100 %; the images
// at their own size, never stretched. Kept as it is when nothing nearer loads.
void COwnerDrawMenu::LoadStrip(int strip) {
    if (bitmapId == 0 || hImageList.IsEmpty()) {
        return;
    }
    for (; strip > 0 && strip != loadedStrip; strip--) {
        const int id = bitmapId + kStripIdStep * strip;
        const LPCSTR name = MAKEINTRESOURCEA(id);
        if (id > 0xFFFF || !FindResourceA(hInstance, name, RT_BITMAP)) {
            continue;
        }
        HIMAGELIST list = LoadImageStrip(hInstance, name);
        if (!list) {
            continue;
        }
        hImageList.Reset(list);
        loadedStrip = strip;
        return;
    }
    if (strip == 0 && loadedStrip != 0) {
        HIMAGELIST list = LoadImageStrip(hInstance, MAKEINTRESOURCEA(bitmapId));
        if (list) {
            hImageList.Reset(list);
            loadedStrip = 0;
        }
    }
}

HIMAGELIST COwnerDrawMenu::LoadImageStrip(HINSTANCE instance, LPCSTR name) {
    if (!name) {
        return nullptr;
    }
    HRSRC found = FindResourceA(instance, name, RT_BITMAP);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* header =
        loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
    if (!header) {
        return nullptr;
    }
    // Square images side by side: as high as the strip (its height is negative when top-down).
    const long long width = header->biWidth;
    const long long height =
        header->biHeight < 0 ? -static_cast<long long>(header->biHeight) : header->biHeight;
    if (height <= 0 || height > kLargestImage || height > width) {
        return nullptr;
    }
    const int size = static_cast<int>(height);
    // The image list copies the images; the strip itself goes with this step.
    CScopedBitmap strip(static_cast<HBITMAP>(
        LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTSIZE)));
    if (!strip.Get()) {
        return nullptr;
    }
    HIMAGELIST list =
        ImageList_Create(size, size, ILC_MASK | ILC_COLOR24, static_cast<int>(width / size), 0);
    if (list) {
        // CLR_DEFAULT: the strip's top-left pixel is the transparent colour.
        ImageList_AddMasked(list, strip.Get(), CLR_DEFAULT);
    }
    return list;
}

void COwnerDrawMenu::Rebuild() {
    if (root) {
        FreeItems(root);
        root = nullptr;
    }
    if (!menu) {
        return;
    }
    root = new (std::nothrow) MenuItemNode();
    if (!root) {
        return;
    }
    root->image = -1;
    root->hSubMenu = menu;
    root->subItemCount = GetMenuItemCount(menu);
    root->child = BuildItems(menu, 1);
}

MenuItemNode* COwnerDrawMenu::BuildItems(HMENU hmenu, int topLevel) {
    if (!hmenu) {
        return nullptr;
    }
    const int count = GetMenuItemCount(hmenu);
    MenuItemNode* first = nullptr;
    MenuItemNode* last = nullptr;
    for (int position = 0; position < count; ++position) {
        MenuItemNode* node = new (std::nothrow) MenuItemNode();
        if (!node) {
            MENUITEMINFOA info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE;
            GetMenuItemInfoA(hmenu, static_cast<UINT>(position), TRUE, &info);
            SetItemOwnerDrawn(hmenu, position, nullptr, info.fType);
            continue;
        }
        node->hParentMenu = hmenu;
        node->position = position;
        node->hSubMenu = GetSubMenu(hmenu, position);
        if (node->hSubMenu) {
            node->subItemCount = GetMenuItemCount(node->hSubMenu);
            node->child = BuildItems(node->hSubMenu, 0);
        }
        UINT type = 0;
        ReadItem(node, hmenu, position, &type);
        node->topLevel = topLevel;
        node->image = -1;
        node->separator = type & MFT_SEPARATOR;
        node->radio = type & MFT_RADIOCHECK;
        if (!last) {
            first = node;
        } else {
            last->next = node;
        }
        last = node;
        SetItemOwnerDrawn(hmenu, position, node, type);
    }
    return first;
}

void COwnerDrawMenu::FreeItems(MenuItemNode* node) {
    while (node) {
        MenuItemNode* next = node->next;
        FreeItems(node->child);
        delete node;
        node = next;
    }
}

MenuItemNode* COwnerDrawMenu::FindItem(MenuItemNode* start, UINT id) {
    for (MenuItemNode* node = start; node; node = node->next) {
        if (node->id == id) {
            return node;
        }
        if (node->child) {
            MenuItemNode* found = FindItem(node->child, id);
            if (found) {
                return found;
            }
        }
    }
    return nullptr;
}

void COwnerDrawMenu::MeasureItem(HWND owner, MEASUREITEMSTRUCT* request) {
    const MenuItemNode* node = NodeOf(request->itemData);
    if (!node) {
        return;
    }
    WCHAR measured[kMeasureChars + 1];
    int used = AppendWithoutPrefix(measured, 0, node->text);
    used = AppendWithoutPrefix(measured, used, node->shortcut);
    // In the device context's own font, as items always were, and in the menu font at the
    // menu's DPI, which is what the text is drawn in: wide enough for either.
    SIZE extent = {0, 0};
    CWindowDc dc(owner);
    GetTextExtentPoint32W(dc.Get(), measured, used, &extent);
    if (!hMenuFont.IsEmpty()) {
        CScopedSelection selected(dc.Get(), hMenuFont.Get());
        SIZE inMenuFont = {0, 0};
        GetTextExtentPoint32W(dc.Get(), measured, used, &inMenuFont);
        extent.cx = extent.cx > inMenuFont.cx ? extent.cx : inMenuFont.cx;
        extent.cy = extent.cy > inMenuFont.cy ? extent.cy : inMenuFont.cy;
    }
    if (node->topLevel) {
        request->itemWidth = static_cast<UINT>(extent.cx);
        request->itemHeight = static_cast<UINT>(extent.cy);
    } else if (node->separator) {
        request->itemWidth = 0;
        request->itemHeight = static_cast<UINT>(metrics.separatorHeight);
    } else {
        request->itemWidth = static_cast<UINT>(extent.cx + metrics.itemExtraWidth);
        request->itemHeight = static_cast<UINT>(metrics.itemHeight);
    }
}

void COwnerDrawMenu::DrawItem(const DRAWITEMSTRUCT* request) {
    const MenuItemNode* node = NodeOf(request->itemData);
    if (!node) {
        return;
    }
    if (!drawWithMenuFont) {
        DrawContents(node, request);
        return;
    }
    CScopedSelection selected(request->hDC, hMenuFont.Get());
    DrawContents(node, request);
}

void COwnerDrawMenu::DrawContents(const MenuItemNode* node, const DRAWITEMSTRUCT* request) {
    const MenuMetrics& m = metrics;
    HDC hdc = request->hDC;
    const RECT r = request->rcItem;
    const UINT state = request->itemState;
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool disabled = IsUnavailable(state);
    const bool hot = (state & ODS_HOTLIGHT) != 0 && (state & ODS_INACTIVE) == 0;
    const bool highlighted = !node->separator && (selected || hot);

    if (node->topLevel && selected) {
        const int shadow = m.menuBarShadow;
        FramedRect(hdc, r.left, r.top, r.right - shadow, r.bottom, GetSysColor(COLOR_3DDKSHADOW),
                   MenuBarSelectedFill());
        FillSolid(hdc, RECT{r.right - shadow, r.top + shadow, r.right, r.bottom}, MenuBarShadow());
    } else if (highlighted) {
        FramedRect(hdc, r.left, r.top, node->topLevel ? r.right - m.menuBarShadow : r.right,
                   r.bottom, GetSysColor(COLOR_HIGHLIGHT),
                   disabled ? MenuBackground() : HighlightFill());
    } else if (node->topLevel) {
        FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
    } else {
        GradientFillHorizontal(hdc, RECT{r.left, r.top, m.iconColumnRight, r.bottom},
                               IconColumnStart(), MenuBackground());
        FillSolid(hdc, RECT{m.iconColumnRight, r.top, r.right, r.bottom}, MenuBackground());
    }

    if (node->separator) {
        HorizontalLine(hdc, r.left + m.textIndent, r.right - 1, (r.top + r.bottom) / 2,
                       SeparatorLine());
        return;
    }

    SetTextColor(hdc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    SetBkMode(hdc, TRANSPARENT);
    RECT text = r;
    text.top += m.textTop;
    if (node->topLevel) {
        DrawTextW(hdc, node->text, node->textLength, &text, DT_CENTER | DT_VCENTER);
        return;
    }
    text.left = r.left + m.textIndent;
    DrawTextW(hdc, node->text, node->textLength, &text, DT_VCENTER);
    if (node->shortcutLength > 0) {
        SIZE size = {0, 0};
        GetTextExtentPoint32W(hdc, node->shortcut, node->shortcutLength, &size);
        text.left = r.right - size.cx - m.shortcutMargin;
        DrawTextW(hdc, node->shortcut, node->shortcutLength, &text, DT_VCENTER);
    }
    DrawMark(hdc, node, r, state);
    if (node->hSubMenu && m.dpi != kBaseDpi) {
        DrawSubmenuArrow(hdc, r);
    }
}

void COwnerDrawMenu::DrawMark(HDC hdc, const MenuItemNode* node, const RECT& r, UINT state) {
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool disabled = IsUnavailable(state);
    const int x0 = r.left;
    const int y0 = r.top;
    if ((state & ODS_CHECKED) == 0) {
        if (node->image >= 0) {
            DrawImage(hdc, node->image, x0, y0, selected, disabled);
        }
        return;
    }
    if (checkImage >= 0) {
        DrawImage(hdc, checkImage, x0, y0, selected, disabled);
        return;
    }
    const LPARAM check = reinterpret_cast<LPARAM>(hCheckBitmap.Get());
    const MenuMetrics& m = metrics;
    const int markX = x0 + m.checkMarkLeft;
    const int markY = y0 + m.checkMarkTop;
    if (disabled) {
        CScopedBrush brush(CreateSolidBrush(ImageShadow()));
        CScopedSelection selectedBrush(hdc, brush.Get());
        DrawStateA(hdc, brush.Get(), nullptr, check, 0, markX, markY, m.imageSize, m.imageSize,
                   DST_BITMAP | DSS_MONO);
        return;
    }
    const int inset = m.checkBoxInset;
    FramedRect(hdc, x0 + inset, y0 + inset, x0 + m.checkBoxRight, r.bottom - inset,
               GetSysColor(COLOR_HIGHLIGHT), HighlightFill());
    SetBkColor(hdc, HighlightFill());
    DrawStateA(hdc, nullptr, nullptr, check, 0, markX, markY, m.imageSize, m.imageSize, DST_BITMAP);
}

// The system draws its arrow after the item, at the size it has for its own DPI; away from 96 DPI
// the arrow is drawn here at the menu's, and the item is then kept from the system's brush.
void COwnerDrawMenu::DrawSubmenuArrow(HDC hdc, const RECT& r) const {
    const MenuMetrics& m = metrics;
    const int middle = (r.top + r.bottom) / 2;
    const int tip = r.right - m.arrowRight;
    CScopedBrush ink(CreateSolidBrush(GetTextColor(hdc)));
    for (int column = 0; column <= m.arrowHalf; column++) {
        const int half = m.arrowHalf - column;
        const RECT line = {tip - m.arrowHalf + column, middle - half,
                           tip - m.arrowHalf + column + 1, middle + half + 1};
        FillRect(hdc, &line, ink.Get());
    }
    ExcludeClipRect(hdc, r.left, r.top, r.right, r.bottom);
}

void COwnerDrawMenu::DrawImage(HDC hdc, int k, int x0, int y0, bool selected, bool disabled) {
    if (hImageList.IsEmpty()) {
        return;
    }
    const MenuMetrics& m = metrics;
    const int rest = m.imageOffset;
    if (disabled || selected) {
        // A one-colour silhouette: the whole image when disabled, the drop shadow when selected.
        const int at = disabled ? rest : rest + m.imageLift;
        CScopedIcon icon(ImageList_GetIcon(hImageList.Get(), k, ILD_NORMAL));
        CScopedBrush brush(CreateSolidBrush(ImageShadow()));
        DrawStateA(hdc, brush.Get(), nullptr, reinterpret_cast<LPARAM>(icon.Get()), 0, x0 + at,
                   y0 + at, m.imageSize, m.imageSize, DST_ICON | DSS_MONO);
        if (disabled) {
            return;
        }
        const int lifted = rest - m.imageLift;
        ImageList_Draw(hImageList.Get(), k, hdc, x0 + lifted, y0 + lifted, ILD_TRANSPARENT);
        return;
    }
    ImageList_Draw(hImageList.Get(), k, hdc, x0 + rest, y0 + rest, ILD_TRANSPARENT);
}

UINT COwnerDrawMenu::ShowPopup(HWND owner, UINT flags, POINT at) {
    SetDpi(DpiAt(at, owner));
    SetForegroundWindow(owner);
    BOOL result = TrackPopupMenu(GetSubMenu(menu, 0), flags, at.x, at.y, 0, owner, nullptr);
    // Posted, not sent: a message waiting in the owner's queue is what lets the system switch
    // tasks properly, so that a click elsewhere closes this menu and the next one stays open.
    PostMessageA(owner, WM_NULL, 0, 0);
    return static_cast<UINT>(result);
}

void COwnerDrawMenu::Destroy() {
    FreeItems(root);
    root = nullptr;
    hCheckBitmap.Reset();
    hImageList.Reset();
    checkImage = -1;
    hMenuFont.Reset();
    drawWithMenuFont = 0;
    bitmapId = 0;
    loadedStrip = 0;
    if (ownsMenu && menu) {
        DestroyMenu(menu);
    }
    // Cleared so a second Destroy (or the destructor after one) does nothing.
    ownsMenu = 0;
    menu = nullptr;
}
