// The About box: a template without controls whose children are made at WM_INITDIALOG and whose
// texts are painted, with the gradient, when the background is erased.
#pragma once

#include "ui/Button.h"
#include "ui/DialogClass.h"
#include "ui/DisplayScale.h"
#include "ui/ScopedGdi.h"

class CAboutDialog : public CDialogClass {
  public:
    CScopedFont hHeadingFont;
    CScopedFont hTextFont;
    CButton* groupBox;
    CButton* okButton;
    // The group box in client coordinates; every text is placed relative to it.
    RECT frameRect;
    // Sizes at the dialog's DPI, from WM_INITDIALOG on.
    AboutLayout layout;

    CAboutDialog();
    // Releases whatever a dialog that never reached WM_DESTROY left behind.
    ~CAboutDialog();

    INT_PTR DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    INT_PTR OnInitDialog(HWND dialog);
    INT_PTR OnDpiChanged(HWND dialog, int dpi, const RECT* suggested);
    INT_PTR OnEraseBkgnd(HWND dialog, HDC hdc);
    INT_PTR OnCtlColorStatic(HDC hdc);
    INT_PTR OnCommand(HWND dialog, WPARAM wParam);
    INT_PTR OnDestroy();

    RECT LayOut(HWND dialog, int dpi);
    void GrowAndCentre(HWND dialog, const RECT& client);
    void CreateChildren(HWND dialog, const RECT& client);
    void PaintAboutBackground(HWND dialog, HDC hdc);
    void PaintTexts(HDC hdc);
};
