// The real quillmarsh.exe at 100, 125, 150 and 200 %: Wine's scale is set before the program
// starts, and its open menu and About box are read back as pixels. Sizes are checked against the
// 96-DPI ones scaled, and texts by their ink: each inside its row or band, none cut.
#include "contract/TestDesktop.h"
#include "program/DisplayScaleSetting.h"
#include "program/PopupMenuReader.h"
#include "program/ProgramFolder.h"
#include "program/ProgramTestSupport.h"
#include "program/RunningProgram.h"
#include "tests/ui/MemoryCanvas.h"
#include "ui/Palette.h"
#include "ui/DisplayScale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using programtest::commands::kAbout;
// The About image's dark rim and the check cross's red, as the strips draw them at every size.
const COLORREF kAboutRim = RGB(0, 45, 130);
const COLORREF kCrossRed = RGB(230, 30, 30);
const DWORD kBoundMs = 10000;

// A capture of a screen area, kept as plain colours.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const {
        return x < 0 || y < 0 || x >= width || y >= height ? CLR_INVALID : pixels[y * width + x];
    }
    // Right and bottom exclusive; empty (right <= left) when the colour is not inside.
    RECT Box(const RECT& area, COLORREF colour) const {
        RECT box = {area.right, area.bottom, area.left, area.top};
        for (int y = area.top; y < area.bottom; y++) {
            for (int x = area.left; x < area.right; x++) {
                if (At(x, y) == colour) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
            }
        }
        return box;
    }
};

Shot Capture(const RECT& area, const std::string& savedAs) {
    Shot shot;
    shot.width = area.right - area.left;
    shot.height = area.bottom - area.top;
    if (shot.width <= 0 || shot.height <= 0) {
        return shot;
    }
    MemoryCanvas canvas(shot.width, shot.height, RGB(0, 0, 0));
    canvas.CaptureScreen(area);
    for (int y = 0; y < shot.height; y++) {
        for (int x = 0; x < shot.width; x++) {
            shot.pixels.push_back(canvas.At(x, y));
        }
    }
    canvas.SavePng((ExeDirectory() + savedAs).c_str());
    return shot;
}

Shot CaptureWindow(HWND window, const std::string& savedAs) {
    RECT area = {};
    GetWindowRect(window, &area);
    return Capture(area, savedAs);
}

// A popup, once it shows the colour (bounded): it may still be painting when it first shows.
Shot CaptureOnceDrawn(HWND popup, COLORREF colour, const std::string& savedAs) {
    Shot shot;
    const DWORD started = GetTickCount();
    do {
        Sleep(100);
        shot = CaptureWindow(popup, savedAs);
        const RECT box = shot.Box(RECT{0, 0, shot.width, shot.height}, colour);
        if (box.right > box.left) {
            break;
        }
    } while (GetTickCount() - started < kBoundMs);
    return shot;
}

// The rows of the tray menu from its top.
enum Row { kItem, kSeparator, kSubmenu };
const Row kTrayRows[] = {kItem,      kSeparator, kSubmenu, kItem, kSubmenu,   kItem, kItem,
                         kSeparator, kItem,      kItem,    kItem, kSeparator, kItem};

class ProgramAtScale : public ::testing::TestWithParam<int> {
  protected:
    // First, so the program starts at the scale and it is put back after the program has gone.
    CDisplayScale scale{static_cast<DWORD>(GetParam())};
    CProgramFolder folder;
    CRunningProgram program;

    int Dpi() const { return GetParam(); }
    int Scaled(int pixels) const { return ScaleToDpi(pixels, Dpi()); }
    std::string Name(const char* what) const {
        return std::string(what) + "-at-" + std::to_string(Dpi()) + ".png";
    }

    void SetUp() override {
        ASSERT_TRUE(scale.Set());
        ASSERT_TRUE(folder.Ready());
        ASSERT_TRUE(testdesktop::Start({{"Recycle Bin", 20, 10}, {"Notes.txt", 100, 10}}));
        ASSERT_TRUE(program.Start(folder.Exe()));
        ASSERT_NE(program.WaitForWindow(), nullptr);
    }
    void TearDown() override {
        CloseMenus(program.ProcessId());
        program.Kill();
        testdesktop::Stop();
    }
};

// Ink of the menu text inside the row, across the whole width; rightEdge 0 for a row whose
// submenu arrow, drawn by the system in the text colour, stands at the right.
void ExpectTextInsideItsRow(const Shot& shot, const RECT& row, int rightEdge, int margin,
                            const char* what) {
    const RECT ink = shot.Box(row, GetSysColor(COLOR_MENUTEXT));
    const RECT grey = shot.Box(row, GetSysColor(COLOR_GRAYTEXT));
    const RECT text = ink.right > ink.left ? ink : grey;
    ASSERT_GT(text.right, text.left) << what;
    // A clear line above and below the text: rows too low cut it or crowd it into the next.
    EXPECT_GT(text.top, row.top) << what;
    EXPECT_LT(text.bottom, row.bottom) << what;
    // Nothing cut at the right: the item is as wide as its text and a margin.
    if (rightEdge > 0) {
        EXPECT_LE(text.right, rightEdge - margin) << what;
    }
}

TEST_P(ProgramAtScale, MenuRowsHoldTheirTextAndImagesStandAtTheirScaledSize) {
    std::vector<HWND> popups;
    ASSERT_TRUE(program.PostTrayClick(WM_RBUTTONUP));
    ASSERT_TRUE(WaitForPopups(program.ProcessId(), 1, &popups));
    const Shot shot = CaptureOnceDrawn(popups[0], kAboutRim, Name("menu"));
    const RECT all = {0, 0, shot.width, shot.height};

    // The items start where the shaded column starts; the column and the text indent follow the
    // larger of the image and the check mark, and are never less than at 96 DPI scaled.
    const RECT column = shot.Box(all, IconColumnStart());
    ASSERT_GT(column.right, column.left);
    const int left = column.left;
    const int top = column.top;
    const int imageSize = kStripImageSizes[NearestStrip(Dpi())];
    std::vector<int> lines;
    const int lineX = left + Scaled(30) + Scaled(20);
    for (int y = top; y < shot.height; y++) {
        if (shot.At(lineX, y) == SeparatorLine()) {
            lines.push_back(y);
        }
    }
    ASSERT_EQ(3u, lines.size());
    // Five items lie between the first two separators, three between the last two.
    const int itemHeight = ((lines[1] - lines[0]) - (lines[2] - lines[1])) / 2;
    const int separatorHeight = lines[2] - lines[1] - 3 * itemHeight;
    EXPECT_EQ(Scaled(6), separatorHeight);
    EXPECT_GE(itemHeight, Scaled(20));
    EXPECT_EQ(top + itemHeight + separatorHeight / 2, lines[0]);

    const int y = lines[0];
    int columnRight = left;
    while (shot.At(columnRight, y) != MenuBackground() && columnRight < shot.width) {
        columnRight++;
    }
    int lineLeft = columnRight;
    while (shot.At(lineLeft, y) != SeparatorLine() && lineLeft < shot.width) {
        lineLeft++;
    }
    // The column's right edge is a coordinate of the menu window, not an offset from the item.
    EXPECT_GE(columnRight, Scaled(3) + imageSize + Scaled(3));
    EXPECT_EQ(columnRight + Scaled(8), lineLeft - left);
    int right = shot.width - 1;
    while (right > 0 && shot.At(right - 1, y) != MenuBackground()) {
        right--;
    }

    // Every row at least as high as its text, no text cut at the right.
    int rowTop = top;
    for (Row row : kTrayRows) {
        const int height = row == kSeparator ? separatorHeight : itemHeight;
        if (row != kSeparator) {
            ExpectTextInsideItsRow(shot, RECT{lineLeft, rowTop, right, rowTop + height},
                                   row == kItem ? right : 0, Scaled(2),
                                   ("row at " + std::to_string(rowTop)).c_str());
        }
        rowTop += height;
    }
    // Away from 96 DPI the submenu arrows are the menu's own, at the scale.
    if (Dpi() != 96) {
        const int autosaveTop = top + itemHeight + separatorHeight;
        const RECT arrow =
            shot.Box(RECT{right - Scaled(20), autosaveTop, right, autosaveTop + itemHeight},
                     GetSysColor(COLOR_MENUTEXT));
        EXPECT_EQ(2 * Scaled(3) + 1, arrow.bottom - arrow.top);
        EXPECT_EQ(Scaled(3) + 1, arrow.right - arrow.left);
    }
    // The text is drawn at the scale, not at 96 DPI: "About..." rises a font's height.
    const RECT about =
        shot.Box(RECT{lineLeft, top, right, top + itemHeight}, GetSysColor(COLOR_MENUTEXT));
    EXPECT_GE(about.bottom - about.top, Scaled(8));

    // The About image: the 14-pixel disc of the 16-pixel image at the strip's size, at its place.
    const RECT rim = shot.Box(RECT{left, top, columnRight, top + itemHeight}, kAboutRim);
    EXPECT_GE(rim.left, left + Scaled(3));
    EXPECT_LE(rim.left, left + Scaled(3) + imageSize / 8);
    EXPECT_GE((rim.right - rim.left) * 16, imageSize * 14 - 16);
    EXPECT_LE(rim.right - rim.left, imageSize);

    // The check mark of the chosen interval, in the Autosave submenu.
    PressKey(popups[0], VK_DOWN);
    PressKey(popups[0], VK_DOWN);
    PressKey(popups[0], VK_RIGHT);
    ASSERT_TRUE(WaitForPopups(program.ProcessId(), 2, &popups));
    HWND submenu = popups[0];
    RECT mainRect = {};
    GetWindowRect(popups[1], &mainRect);
    RECT subRect = {};
    GetWindowRect(popups[0], &subRect);
    if (EqualRect(&subRect, &mainRect) || subRect.top < mainRect.top - 1000) {
        submenu = popups[1];
    }
    const Shot sub = CaptureOnceDrawn(submenu, kCrossRed, Name("autosave-menu"));
    const RECT subAll = {0, 0, sub.width, sub.height};
    const RECT subColumn = sub.Box(subAll, IconColumnStart());
    const RECT cross = sub.Box(subAll, kCrossRed);
    ASSERT_GT(cross.right, cross.left);
    // The cross spans pixels 2 to 13 of the 16-pixel image, whichever row it marks (the column
    // shows from the first row at rest).
    EXPECT_GE(cross.left, subColumn.left + Scaled(3) + imageSize / 8 - 1);
    EXPECT_GE((cross.top - subColumn.top) % itemHeight, Scaled(3) + imageSize / 8 - 1);
    EXPECT_NEAR((cross.right - cross.left) * 16, imageSize * 12, 32);
    EXPECT_TRUE(CloseMenus(program.ProcessId()));
}

// Black ink in horizontal bands: each run of rows with some ink, top and bottom (exclusive).
std::vector<std::pair<int, int>> InkBands(const Shot& shot, const RECT& area, COLORREF ink) {
    std::vector<std::pair<int, int>> bands;
    for (int y = area.top; y < area.bottom; y++) {
        bool inked = false;
        for (int x = area.left; x < area.right && !inked; x++) {
            inked = shot.At(x, y) == ink;
        }
        if (inked && !bands.empty() && bands.back().second == y) {
            bands.back().second = y + 1;
        } else if (inked) {
            bands.push_back({y, y + 1});
        }
    }
    return bands;
}

// How far down and right the shadow lies: the heading covers part of it, so the shift is the one
// that takes the most visible shadow pixels back onto heading ink.
int ShadowOffset(const Shot& shot, const RECT& area) {
    int best = -1;
    int bestCount = -1;
    for (int d = 1; d <= 12; d++) {
        int count = 0;
        for (int y = area.top; y < area.bottom; y++) {
            for (int x = area.left; x < area.right; x++) {
                count += shot.At(x, y) == kHeadingShadow && shot.At(x - d, y - d) == kHeadingInk;
            }
        }
        if (count > bestCount) {
            bestCount = count;
            best = d;
        }
    }
    return best;
}

TEST_P(ProgramAtScale, AboutBoxPlacesItsTextsAndButtonsAtTheScale) {
    ASSERT_TRUE(program.PostCommand(kAbout));
    HWND dialog = program.WaitForDialog("About Quill Marsh");
    ASSERT_NE(nullptr, dialog);
    Sleep(500);
    RECT client = {};
    GetClientRect(dialog, &client);
    const AboutLayout least = AboutLayoutFor(Dpi());
    EXPECT_GE(client.right, least.minClientWidth);
    EXPECT_GE(client.bottom, least.minClientHeight);
    POINT origin = {0, 0};
    ClientToScreen(dialog, &origin);
    const Shot shot = Capture(
        RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom}, Name("about"));
    const AboutLayout a = AboutLayoutFor(Dpi());

    HWND ok = GetDlgItem(dialog, IDOK);
    ASSERT_NE(nullptr, ok);
    RECT okRect = {};
    GetWindowRect(ok, &okRect);
    EXPECT_EQ(Scaled(75), okRect.right - okRect.left);
    EXPECT_EQ(Scaled(20), okRect.bottom - okRect.top);
    EXPECT_EQ(origin.x + client.right / 2 - Scaled(32), okRect.left);
    EXPECT_EQ(origin.y + client.bottom - Scaled(30), okRect.top);

    const RECT frame = {a.margin, a.margin, client.right - a.margin, client.bottom - a.frameBottom};
    const RECT inside = {frame.left + 2, frame.top + 2, frame.right - 2, frame.bottom - 2};
    // The heading in its band, its shadow where the scaled shifts put it.
    const int headingBottom = frame.bottom - a.headingBottom;
    const RECT headingArea = {inside.left, inside.top, inside.right, headingBottom};
    const RECT heading = shot.Box(headingArea, kHeadingInk);
    const RECT shadow = shot.Box(headingArea, kHeadingShadow);
    ASSERT_GT(heading.right, heading.left);
    ASSERT_GT(shadow.right, shadow.left);
    EXPECT_EQ(-a.headingShift, ShadowOffset(shot, headingArea));
    EXPECT_GE(heading.bottom - heading.top, Scaled(28) / 2);
    // Clear of the frame on every side and of the small lines below (the shadow may touch its
    // band's bottom, as at 96 DPI).
    EXPECT_GT(heading.left, inside.left);
    EXPECT_LT(shadow.right, inside.right);
    EXPECT_GT(heading.top, inside.top);
    EXPECT_LT(heading.bottom, headingBottom);

    // Below it the three small lines, each inside its band with a clear row between them.
    const std::vector<std::pair<int, int>> lines =
        InkBands(shot, RECT{inside.left, headingBottom, inside.right, inside.bottom}, kHeadingInk);
    ASSERT_EQ(3u, lines.size());
    const int b = frame.bottom;
    const int* bands[] = {a.versionBand, a.buildBand, a.copyrightBand};
    for (size_t i = 0; i < 3; i++) {
        EXPECT_GE(lines[i].first, b - bands[i][0]) << i;
        EXPECT_LE(lines[i].second, b - bands[i][1]) << i;
        // As tall as the font at the scale makes the digits and capitals.
        EXPECT_GE(lines[i].second - lines[i].first, Scaled(11) / 2) << i;
    }
    EXPECT_GT(lines[1].first, lines[0].second);
    const RECT small =
        shot.Box(RECT{inside.left, headingBottom, inside.right, inside.bottom}, kHeadingInk);
    EXPECT_GT(small.left, inside.left);
    EXPECT_LT(small.right, inside.right);

    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    const DWORD started = GetTickCount();
    while (IsWindow(dialog) && GetTickCount() - started < kBoundMs) {
        Sleep(20);
    }
    EXPECT_FALSE(IsWindow(dialog));
}

INSTANTIATE_TEST_SUITE_P(Wine, ProgramAtScale, ::testing::Values(96, 120, 144, 192),
                         [](const ::testing::TestParamInfo<int>& scale) {
                             return std::to_string(scale.param) + "dpi";
                         });

// The scale is put back even when the test that set it ended without its destructor.
TEST(DisplayScaleSetting, ValueLeftBehindIsPutBack) {
    HKEY desktop = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &desktop, nullptr));
    auto read = [&](DWORD* value) {
        DWORD size = sizeof *value;
        return RegQueryValueExA(desktop, "LogPixels", nullptr, nullptr,
                                reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
    };
    DWORD before = 0;
    const bool had = read(&before);
    {
        // Set twice, as by a test whose process died, then by the next one.
        CDisplayScale* abandoned = new CDisplayScale(144);
        ASSERT_TRUE(abandoned->Set());
        DWORD now = 0;
        ASSERT_TRUE(read(&now));
        EXPECT_EQ(144u, now);
        CDisplayScale next(192);
        ASSERT_TRUE(read(&now));
        EXPECT_EQ(192u, now);
        // The abandoned object's memory only; its destructor never runs.
        ::operator delete(abandoned);
    }
    DWORD after = 0;
    EXPECT_EQ(had, read(&after));
    if (had) {
        EXPECT_EQ(before, after);
    }
    RestoreDisplayScaleLeftBehind();
    EXPECT_EQ(had, read(&after));
    RegCloseKey(desktop);
}

// Small enough to pass around: the program and every image it carries.
TEST(ProgramFile, StaysWithin256Kilobytes) {
    const std::string exe = ExeDirectory() + "quillmarsh.exe";
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(0u, data.nFileSizeHigh);
    EXPECT_LE(data.nFileSizeLow, 256u * 1024u);
}

} // namespace
