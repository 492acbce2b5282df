#include "res/ResourceIds.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

HINSTANCE Self() {
    return GetModuleHandleA(nullptr);
}

TEST(Resources, IconHoldsBothSizes) {
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(Self(), MAKEINTRESOURCEA(IDI_QUILLMARSH), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        GetObjectA(info.hbmColor, sizeof(bm), &bm);
        EXPECT_EQ(size, bm.bmWidth);
        EXPECT_EQ(size, bm.bmHeight);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    EXPECT_NE(nullptr, LoadIconA(Self(), MAKEINTRESOURCEA(IDI_QUILLMARSH)));
}

TEST(Resources, ImageStripIsFourImagesOnMagenta) {
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(IDB_MENUIMAGES), RT_BITMAP);
    ASSERT_NE(nullptr, found);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Self(), found)));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(64, header->biWidth);
    EXPECT_EQ(16, header->biHeight);
    EXPECT_EQ(24, header->biBitCount);
    // Bottom-up rows of 64 pixels, 3 bytes each: the top-left pixel is in the last row.
    const auto* pixels = reinterpret_cast<const BYTE*>(header) + header->biSize;
    const BYTE* topLeft = pixels + 15 * 64 * 3;
    EXPECT_EQ(255, topLeft[0]);
    EXPECT_EQ(0, topLeft[1]);
    EXPECT_EQ(255, topLeft[2]);
    // Every image has something drawn in it.
    for (int image = 0; image < 4; ++image) {
        int drawn = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const BYTE* p = pixels + (y * 64 + image * 16 + x) * 3;
                drawn += (p[0] == 255 && p[1] == 0 && p[2] == 255) ? 0 : 1;
            }
        }
        EXPECT_GT(drawn, 40) << "image " << image;
    }
}

struct Item {
    const char* text;
    UINT id;
};

std::string ItemText(HMENU menu, int position) {
    char text[96] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof(text), MF_BYPOSITION);
    return text;
}

UINT ItemId(HMENU menu, int position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE;
    GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    return (info.fType & MFT_SEPARATOR) ? 0xFFFFFFFFu : info.wID;
}

TEST(Resources, TrayMenuItemsStandWhereTheTrayWindowLooks) {
    HMENU menu = LoadMenuA(Self(), MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(1, GetMenuItemCount(menu));
    EXPECT_EQ("MainMenu", ItemText(menu, 0));
    HMENU main = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, main);
    ASSERT_EQ(13, GetMenuItemCount(main));
    const UINT kSeparator = 0xFFFFFFFFu;
    const Item items[] = {{"About...", ID_ABOUT},
                          {"", kSeparator},
                          {"Autosave", 0},
                          {"Save", ID_SAVE},
                          {"Restore", 0},
                          {"Undo", ID_UNDO},
                          {"Manage Arrangements...", ID_MANAGE_ARRANGEMENTS},
                          {"", kSeparator},
                          {"Start With Windows", ID_START_WITH_WINDOWS},
                          {"Restore When Displays Change", ID_RESTORE_ON_DISPLAY_CHANGE},
                          {"Restore At Start-up", ID_RESTORE_AT_STARTUP},
                          {"", kSeparator},
                          {"Exit", ID_EXIT}};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(items[i].text, ItemText(main, i)) << i;
        if (items[i].id != 0) {
            EXPECT_EQ(items[i].id, ItemId(main, i)) << i;
        } else {
            EXPECT_NE(nullptr, GetSubMenu(main, i)) << i;
        }
    }
    HMENU autosave = GetSubMenu(main, 2);
    const Item intervals[] = {{"Never", ID_AUTOSAVE_NEVER},
                              {"1 minute", ID_AUTOSAVE_1MIN},
                              {"10 minutes", ID_AUTOSAVE_10MIN},
                              {"1 hour", ID_AUTOSAVE_1HOUR}};
    ASSERT_EQ(4, GetMenuItemCount(autosave));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(intervals[i].text, ItemText(autosave, i));
        EXPECT_EQ(intervals[i].id, ItemId(autosave, i));
    }
    HMENU restore = GetSubMenu(main, 4);
    ASSERT_EQ(1, GetMenuItemCount(restore));
    EXPECT_EQ("<none>", ItemText(restore, 0));
    EXPECT_TRUE(GetMenuState(restore, 0, MF_BYPOSITION) & MF_DISABLED);
    DestroyMenu(menu);
}

TEST(Resources, ManifestAsksForCommonControlsSix) {
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(nullptr, found);
    const char* text = static_cast<const char*>(LockResource(LoadResource(Self(), found)));
    const std::string manifest(text, SizeofResource(Self(), found));
    EXPECT_NE(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("processorArchitecture=\"amd64\""));
}

// The icon is drawn for every size the system asks for at 100 to 200 %, the largest stored as PNG.
TEST(Resources, IconAtEachScaleIsDrawnForItsSize) {
    for (int size : {16, 20, 24, 32, 48}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(Self(), MAKEINTRESOURCEA(IDI_QUILLMARSH), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        GetObjectA(info.hbmColor, sizeof(bm), &bm);
        EXPECT_EQ(size, bm.bmWidth);
        EXPECT_EQ(size, bm.bmHeight);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // The directory of the icon group names each image by its size; the 48-pixel one is a PNG.
    HRSRC group = FindResourceA(Self(), MAKEINTRESOURCEA(IDI_QUILLMARSH), RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(Self(), group)));
    const int count = directory[4] | directory[5] << 8;
    EXPECT_EQ(5, count);
    bool foundPng = false;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = directory + 6 + 14 * i;
        const int id = entry[12] | entry[13] << 8;
        HRSRC image = FindResourceA(Self(), MAKEINTRESOURCEA(id), RT_ICON);
        ASSERT_NE(nullptr, image);
        const char* data = static_cast<const char*>(LockResource(LoadResource(Self(), image)));
        const bool png = std::memcmp(data, "\x89PNG", 4) == 0;
        EXPECT_EQ(entry[0] == 48, png) << "image of " << int{entry[0]} << " pixels";
        foundPng = foundPng || png;
    }
    EXPECT_TRUE(foundPng);
}

std::string ManifestText() {
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found == nullptr) {
        return std::string();
    }
    const char* text = static_cast<const char*>(LockResource(LoadResource(Self(), found)));
    return std::string(text, SizeofResource(Self(), found));
}

// The text between <name ...> and </name>, with the opening tag's attributes; empty if none.
std::string Element(const std::string& xml, const std::string& name, std::string* attributes) {
    size_t open = xml.find("<" + name + " ");
    if (open == std::string::npos) {
        open = xml.find("<" + name + ">");
    }
    const size_t close = xml.find("</" + name + ">");
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return std::string();
    }
    const size_t end = xml.find('>', open);
    if (attributes != nullptr) {
        *attributes = xml.substr(open, end - open);
    }
    return xml.substr(end + 1, close - end - 1);
}

// Windows reads these settings only where they stand: in the v3 application element's
// windowsSettings, each in its own namespace.
TEST(Resources, ManifestDeclaresPerMonitorAwarenessWithFallbacks) {
    const std::string manifest = ManifestText();
    ASSERT_FALSE(manifest.empty());
    std::string attributes;
    const std::string application = Element(manifest, "application", &attributes);
    EXPECT_NE(std::string::npos, attributes.find("xmlns=\"urn:schemas-microsoft-com:asm.v3\""));
    const std::string inside = Element(application, "windowsSettings", nullptr);
    ASSERT_FALSE(inside.empty());

    // Windows 10 from 1703 takes PerMonitorV2; 1607, which does not know it, the next form.
    EXPECT_EQ("PerMonitorV2, PerMonitor", Element(inside, "dpiAwareness", &attributes));
    EXPECT_NE(std::string::npos,
              attributes.find("xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\""));
    // Windows 8.1 reads per monitor from "true/pm", Vista to 8 system-aware from its "true".
    EXPECT_EQ("true/pm", Element(inside, "dpiAware", &attributes));
    EXPECT_NE(std::string::npos,
              attributes.find("xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\""));
    // Still one assembly, ended once.
    EXPECT_EQ(manifest.rfind("</assembly>"), manifest.find("</assembly>"));
    EXPECT_LT(manifest.find("</application>"), manifest.find("</assembly>"));
}

TEST(Resources, VersionRecord) {
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 1), static_cast<LONG>(fixed->dwFileVersionMS));
    EXPECT_EQ(MAKELONG(1, 0), static_cast<LONG>(fixed->dwFileVersionLS));
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    for (const char* key : {"FileDescription", "ProductName"}) {
        char* value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904E4\\") + key;
        ASSERT_TRUE(
            VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
            << key;
        EXPECT_STREQ("Quill Marsh", value);
    }
}

} // namespace
