#include "ui/DialogClass.h"

#include "ui/WindowObject.h"

#include <cstring>

namespace {

// DLGTEMPLATE (18 bytes), then menu, class and title as empty 16-bit entries, the point size and
// the typeface: 52 bytes in all.
const size_t kTemplateBytes = 52;
const WORD kPointSize = 8;
const wchar_t kTypeface[] = L"MS Shell Dlg";
static_assert(sizeof(kTypeface) == 13 * 2, "typeface takes 13 UTF-16 units");

CDialogClass* DialogObject(HWND hwnd) {
    return AttachedObject<CDialogClass>(hwnd);
}

size_t Put16(BYTE* buffer, size_t at, WORD value) {
    std::memcpy(buffer + at, &value, sizeof(value));
    return at + sizeof(value);
}

size_t Put32(BYTE* buffer, size_t at, DWORD value) {
    std::memcpy(buffer + at, &value, sizeof(value));
    return at + sizeof(value);
}

void BuildTemplate(BYTE* buffer, int x, int y, int width, int height, DWORD style, DWORD exStyle) {
    size_t at = Put32(buffer, 0, style);
    at = Put32(buffer, at, exStyle);
    at = Put16(buffer, at, 0); // no controls
    at = Put16(buffer, at, static_cast<WORD>(x));
    at = Put16(buffer, at, static_cast<WORD>(y));
    at = Put16(buffer, at, static_cast<WORD>(width));
    at = Put16(buffer, at, static_cast<WORD>(height));
    at = Put16(buffer, at, 0); // menu
    at = Put16(buffer, at, 0); // predefined dialog class
    at = Put16(buffer, at, 0); // title
    at = Put16(buffer, at, kPointSize);
    for (wchar_t unit : kTypeface) {
        at = Put16(buffer, at, static_cast<WORD>(unit));
    }
}

} // namespace

INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        AttachObject(hwnd, reinterpret_cast<CDialogClass*>(lParam));
    }
    CDialogClass* object = DialogObject(hwnd);
    if (!object) {
        return FALSE;
    }
    const INT_PTR result = object->DialogProc(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachObject(hwnd, object);
    }
    return result;
}

CDialogClass::~CDialogClass() {
    if (hwnd && IsWindow(hwnd) && DialogObject(hwnd) == this) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    }
}

// The template the dialog is made from; the system reads it only while it makes the dialog.
struct DialogTemplate {
    alignas(4) BYTE bytes[kTemplateBytes];
    LPCDLGTEMPLATEA Get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(bytes); }
};

INT_PTR CDialogClass::DoModal(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                              DWORD style, DWORD exStyle) {
    DialogTemplate dialog;
    Prepare(instance, parent, x, y, width, height, style, exStyle, dialog.bytes);
    return DialogBoxIndirectParamA(instance, dialog.Get(), parent, StaticDlgProc,
                                   reinterpret_cast<LPARAM>(this));
}

int CDialogClass::CreateModeless(HINSTANCE instance, HWND parent, int x, int y, int width,
                                 int height, DWORD style, DWORD exStyle) {
    DialogTemplate dialog;
    Prepare(instance, parent, x, y, width, height, style, exStyle, dialog.bytes);
    return CreateDialogIndirectParamA(instance, dialog.Get(), parent, StaticDlgProc,
                                      reinterpret_cast<LPARAM>(this))
               ? 1
               : 0;
}

void CDialogClass::Prepare(HINSTANCE instance, HWND parent, int x, int y, int width, int height,
                           DWORD style, DWORD exStyle, BYTE* bytes) {
    hInstance = instance;
    hwndParent = parent;
    BuildTemplate(bytes, x, y, width, height, style, exStyle);
}
