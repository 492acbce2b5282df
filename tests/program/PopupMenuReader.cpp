#include "program/PopupMenuReader.h"

#include "base/TextEncoding.h"
#include "ui/MemoryCanvas.h"

#include <algorithm>
#include <map>

namespace {

const DWORD kPopupBoundMs = 15000;
const DWORD kPollMs = 10;
// Where an item's text may start, from the popup's left edge: its indent plus any frame.
const int kTextLeftMax = 48;
// Channel difference still counted as the same colour.
const int kTolerance = 24;

// A capture as plain colours, read once.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture Copy(const MemoryCanvas& canvas, int width, int height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.reserve(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            picture.pixels.push_back(canvas.At(x, y));
        }
    }
    return picture;
}

Picture CaptureWindow(HWND window) {
    RECT area;
    GetWindowRect(window, &area);
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return Picture();
    }
    MemoryCanvas canvas(width, height, RGB(0, 0, 0));
    canvas.CaptureScreen(area);
    return Copy(canvas, width, height);
}

bool Near(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) <= kTolerance &&
           abs(GetGValue(a) - GetGValue(b)) <= kTolerance &&
           abs(GetBValue(a) - GetBValue(b)) <= kTolerance;
}

// A name as the menu draws it over one background: the pixels of its ink's bounding box.
struct Glyphs {
    Picture ink;
    bool empty = true;
};

HFONT MenuFont() {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return CreateFontIndirectA(&metrics.lfMenuFont);
}

// A UTF-8 name in UTF-16, as the program adds it to its menu.
std::wstring Wide(const std::string& text) {
    std::vector<WCHAR> units(text.size() + 1);
    size_t length = Utf8ToUtf16(text.data(), text.size(), units.data(), units.size());
    return std::wstring(units.data(), length);
}

Glyphs Render(const std::string& text, COLORREF ink, COLORREF background) {
    const int width = 400;
    const int height = 40;
    MemoryCanvas canvas(width, height, background);
    HFONT font = MenuFont();
    HGDIOBJ previous = SelectObject(canvas.Dc(), font);
    SetTextColor(canvas.Dc(), ink);
    SetBkMode(canvas.Dc(), TRANSPARENT);
    RECT where = {4, 4, width, height};
    const std::wstring wide = Wide(text);
    DrawTextW(canvas.Dc(), wide.c_str(), static_cast<int>(wide.size()), &where, DT_NOPREFIX);
    SelectObject(canvas.Dc(), previous);
    DeleteObject(font);

    Picture all = Copy(canvas, width, height);
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            if (all.At(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    Glyphs glyphs;
    if (right < 0) {
        return glyphs;
    }
    glyphs.empty = false;
    glyphs.ink.width = right - left + 1;
    glyphs.ink.height = bottom - top + 1;
    for (int y = top; y <= bottom; y++) {
        for (int x = left; x <= right; x++) {
            glyphs.ink.pixels.push_back(all.At(x, y));
        }
    }
    return glyphs;
}

bool DrawnAt(const Picture& shot, const Picture& ink, int x0, int y0) {
    if (x0 + ink.width > shot.width || y0 + ink.height > shot.height) {
        return false;
    }
    for (int y = 0; y < ink.height; y++) {
        for (int x = 0; x < ink.width; x++) {
            if (!Near(shot.At(x0 + x, y0 + y), ink.At(x, y))) {
                return false;
            }
        }
    }
    return true;
}

// Rendered names, one set per background met in the capture.
class CGlyphCache {
  public:
    const Glyphs& Get(const std::string& text, bool grey, COLORREF background) {
        auto key = std::make_tuple(text, grey, background);
        auto found = cache.find(key);
        if (found != cache.end()) {
            return found->second;
        }
        COLORREF ink = GetSysColor(grey ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
        return cache.emplace(key, Render(text, ink, background)).first->second;
    }

  private:
    std::map<std::tuple<std::string, bool, COLORREF>, Glyphs> cache;
};

// The longest candidate drawn with its ink's top-left corner at this point, in either colour.
bool MatchAt(const Picture& shot, int x, int y, const std::vector<std::string>& candidates,
             CGlyphCache& glyphs, MenuRow* row) {
    // The item's background shows just left of its text.
    if (x < 3) {
        return false;
    }
    COLORREF background = shot.At(x - 3, y);
    bool found = false;
    for (const std::string& text : candidates) {
        for (bool grey : {false, true}) {
            const Glyphs& drawn = glyphs.Get(text, grey, background);
            if (drawn.empty || !DrawnAt(shot, drawn.ink, x, y)) {
                continue;
            }
            if (!found || text.size() > row->text.size()) {
                *row = MenuRow{text, grey, y};
                found = true;
            }
        }
    }
    return found;
}

DWORD OwnerOf(HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner;
}

} // namespace

std::vector<HWND> OpenPopups(DWORD processId) {
    std::vector<HWND> popups;
    HWND popup = nullptr;
    while ((popup = FindWindowExA(nullptr, popup, "#32768", nullptr)) != nullptr) {
        if (OwnerOf(popup) == processId && IsWindowVisible(popup)) {
            popups.push_back(popup);
        }
    }
    return popups;
}

bool WaitForPopups(DWORD processId, size_t count, std::vector<HWND>* popups) {
    DWORD started = GetTickCount();
    while ((*popups = OpenPopups(processId)).size() != count) {
        if (GetTickCount() - started > kPopupBoundMs) {
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

void PressKey(HWND popup, WPARAM key) {
    PostMessageA(popup, WM_KEYDOWN, key, 1);
    PostMessageA(popup, WM_KEYUP, key, 0xC0000001);
}

bool CloseMenus(DWORD processId) {
    DWORD started = GetTickCount();
    std::vector<HWND> popups;
    while (!(popups = OpenPopups(processId)).empty()) {
        if (GetTickCount() - started > kPopupBoundMs) {
            return false;
        }
        PressKey(popups.front(), VK_ESCAPE);
        Sleep(50);
    }
    return true;
}

std::vector<MenuRow> ReadMenuRows(HWND popup, const std::vector<std::string>& candidates) {
    Picture shot = CaptureWindow(popup);
    CGlyphCache glyphs;
    std::vector<MenuRow> rows;
    for (int y = 0; y < shot.height; y++) {
        MenuRow row;
        bool found = false;
        for (int x = 0; x < std::min(kTextLeftMax, shot.width) && !found; x++) {
            found = MatchAt(shot, x, y, candidates, glyphs, &row);
        }
        if (found && (rows.empty() || y > rows.back().top + 4)) {
            rows.push_back(row);
        }
    }
    return rows;
}
