// A menu whose every item, separators included, is drawn here in a flat style: a light
// background, a shaded icon column, a framed highlight and images from a strip of square images.
// Every size comes from the DPI the menu is shown at (ui/DisplayScale.h); the strip for 100 % is
// the named bitmap, those for 125, 150 and 200 % the bitmaps 100, 200 and 300 ids above it.
#pragma once

#include "ui/DisplayScale.h"
#include "ui/MenuItemNode.h"
#include "ui/ScopedGdi.h"

class COwnerDrawMenu {
  public:
    HINSTANCE hInstance;
    // A menu bar whose items open popups.
    HMENU menu;
    // 1 when the object loaded the menu and destroys it.
    int ownsMenu;
    MenuItemNode* root;
    // The system check mark, loaded only when there is no check image.
    CScopedBitmap hCheckBitmap;
    int checkImage;
    CScopedImageList hImageList;
    // The sizes at the DPI the menu is measured and drawn at.
    MenuMetrics metrics;
    // The menu font at that DPI: items are measured with it, and drawn with it where the system's
    // own menu font is for another DPI (a menu on a monitor of another scale). Null if none.
    CScopedFont hMenuFont;
    int drawWithMenuFont;
    // The 100 % strip's bitmap id (0 for a strip named by text, which has no other sizes), and
    // the strip hImageList holds, by index into kStripImageSizes.
    WORD bitmapId;
    int loadedStrip;

    // An empty object, for Init.
    COwnerDrawMenu();
    // Loads the menu resource, sets the object up on it and owns it. bitmapName may be null.
    COwnerDrawMenu(HINSTANCE instance, LPCSTR menuName, LPCSTR bitmapName, int checkImageIndex);
    ~COwnerDrawMenu();
    COwnerDrawMenu(const COwnerDrawMenu&) = delete;
    COwnerDrawMenu& operator=(const COwnerDrawMenu&) = delete;

    // Sets the object up on a menu it does not own and builds the tree.
    void Init(HINSTANCE instance, HMENU hmenu, LPCSTR bitmapName, int checkImageIndex);
    static HIMAGELIST LoadImageStrip(HINSTANCE instance, LPCSTR name);
    // Builds the tree afresh from the menu; every image is reset to -1.
    void Rebuild();
    MenuItemNode* BuildItems(HMENU hmenu, int topLevel);
    static void FreeItems(MenuItemNode* node);
    // First node with the id, depth-first, a node before its submenu; null when none.
    static MenuItemNode* FindItem(MenuItemNode* start, UINT id);
    // Sizes, images and the font for a DPI; the next measure and draw requests use them.
    void SetDpi(int dpi);
    void MeasureItem(HWND owner, MEASUREITEMSTRUCT* request);
    void DrawItem(const DRAWITEMSTRUCT* request);
    // Shows the first popup of the menu at the point (screen coordinates), at the DPI of the
    // monitor there; returns when it has closed, with TrackPopupMenu's result: with
    // TPM_RETURNCMD, the chosen command or 0 when none was chosen.
    UINT ShowPopup(HWND owner, UINT flags, POINT at);
    // Releases everything; the object is empty afterwards.
    void Destroy();

  private:
    void LoadStrip(int strip);
    void DrawContents(const MenuItemNode* node, const DRAWITEMSTRUCT* request);
    void DrawSubmenuArrow(HDC hdc, const RECT& r) const;
    void DrawImage(HDC hdc, int k, int x0, int y0, bool selected, bool disabled);
    void DrawMark(HDC hdc, const MenuItemNode* node, const RECT& r, UINT state);
};
