// A menu whose every item, separators included, is drawn here in a flat style: a light
// background, a shaded icon column, a framed highlight and images from a strip of 16 x 16 images.
#pragma once

#include "ui/MenuItemNode.h"

class COwnerDrawMenu {
  public:
    HINSTANCE hInstance;
    // A menu bar whose items open popups.
    HMENU menu;
    // 1 when the object loaded the menu and destroys it.
    int ownsMenu;
    MenuItemNode* root;
    // The system check mark, loaded only when there is no check image.
    HBITMAP hCheckBitmap;
    int checkImage;
    HIMAGELIST hImageList;

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
    static void MeasureItem(HWND owner, MEASUREITEMSTRUCT* request);
    void DrawItem(const DRAWITEMSTRUCT* request);
    // Shows the first popup of the menu at the cursor; returns when it has closed, with
    // TrackPopupMenu's result: with TPM_RETURNCMD, the chosen command or 0 when none was chosen.
    UINT ShowPopup(HWND owner, UINT flags);
    // Releases everything; the object is empty afterwards.
    void Destroy();

  private:
    void DrawImage(HDC hdc, int k, int x0, int y0, bool selected, bool disabled);
    void DrawMark(HDC hdc, const MenuItemNode* node, const RECT& r, UINT state);
};
