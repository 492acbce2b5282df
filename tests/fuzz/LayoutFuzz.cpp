// Parses arbitrary bytes as layout text and applies it to a simulated desktop whose icons carry
// names from that text.
//
// What must hold for any input: no overrun or leak (the sanitizers), every entry's name fits, at
// most 21 passes, icons the text does not name are never sent a move, and every named icon ends at
// the low 16 bits of the position of the entry it takes (the k-th icon of a name takes the k-th
// entry of that name).
//
// The same bytes, split at NUL, are also icon names: captured and parsed again, every name comes
// back whole (cut to 255 characters) at its position, and applying that capture to the desktop it
// came from sends no move.
#include "desktop/DesktopLayout.h"
#include "platform/host/HostTesting.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "LayoutFuzz: %s\n", what);
        abort();
    }
}

struct Entry {
    std::string name;
    int x;
    int y;
};

std::vector<Entry> Parsed(const char* text) {
    CPtrList list;
    CDesktopLayout::ParseLayout(text, &list);
    std::vector<Entry> entries;
    for (PtrListNode* node = list.head; node; node = node->next) {
        const LayoutEntry* entry = static_cast<const LayoutEntry*>(node->data);
        Require(memchr(entry->name, '\0', sizeof entry->name) != nullptr,
                "entry name unterminated");
        entries.push_back({entry->name, entry->x, entry->y});
    }
    Require(static_cast<size_t>(list.count) <= strlen(text), "more entries than characters");
    FreeLayoutEntries(&list);
    return entries;
}

// A few icons named after the first entries, one name twice, and one the text may not name.
std::vector<hostsim::Icon> DesktopFor(const std::vector<Entry>& entries) {
    std::vector<hostsim::Icon> icons;
    for (size_t i = 0; i < entries.size() && i < 6; i++)
        icons.push_back({entries[i].name, static_cast<int>(10 * i), 5});
    if (!entries.empty())
        icons.push_back({entries[0].name, 7, 7});
    icons.push_back({"Recycle Bin", 3, 4});
    return icons;
}

// Where each icon must stand after the apply, and whether any move had to be sent.
std::vector<hostsim::Icon> Expected(const std::vector<hostsim::Icon>& icons,
                                    std::vector<Entry> entries, bool* anyMove) {
    std::vector<hostsim::Icon> expected = icons;
    *anyMove = false;
    for (hostsim::Icon& icon : expected) {
        for (size_t i = 0; i < entries.size(); i++) {
            if (entries[i].name != icon.name)
                continue;
            *anyMove |= icon.x != entries[i].x || icon.y != entries[i].y;
            icon.x = static_cast<int16_t>(entries[i].x);
            icon.y = static_cast<int16_t>(entries[i].y);
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    return expected;
}

// Up to eight names, so that the capture holds every one however long.
std::vector<hostsim::Icon> IconsNamedBy(const std::string& input) {
    std::vector<hostsim::Icon> icons;
    size_t start = 0;
    while (start <= input.size() && icons.size() < 8) {
        size_t end = input.find('\0', start);
        if (end == std::string::npos)
            end = input.size();
        int i = static_cast<int>(icons.size());
        icons.push_back({input.substr(start, end - start), 20 + 75 * i, 10 - 35 * i});
        start = end + 1;
    }
    return icons;
}

void CheckNamesRoundTrip(const std::string& input) {
    std::vector<hostsim::Icon> icons = IconsNamedBy(input);
    hostsim::ResetDesktop(icons);
    CDesktopLayout layout;
    std::string captured = layout.CaptureLayout();
    std::vector<Entry> entries = Parsed(captured.c_str());
    Require(entries.size() == icons.size(), "a captured icon did not parse back");
    for (size_t i = 0; i < entries.size(); i++) {
        Require(entries[i].name == icons[i].name.substr(0, kIconNameBytes - 1),
                "a captured name did not parse back");
        Require(entries[i].x == icons[i].x && entries[i].y == icons[i].y,
                "a captured position did not parse back");
    }
    hostsim::ClearRequestLog();
    Require(layout.ApplyLayout(captured.c_str()) == 0, "the desktop's own capture moved an icon");
    for (const hostsim::ListViewRequest& request : hostsim::RequestLog())
        Require(request.msg != LVM_SETITEMPOSITION, "the desktop's own capture sent a move");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<Entry> entries = Parsed(text.c_str());

    std::vector<hostsim::Icon> icons = DesktopFor(entries);
    bool anyMove = false;
    std::vector<hostsim::Icon> expected = Expected(icons, entries, &anyMove);
    hostsim::ResetDesktop(icons);
    int result;
    {
        CDesktopLayout layout;
        result = layout.ApplyLayout(text.c_str());
    }
    Require(result == (anyMove ? 1 : 0), "result does not tell whether a move was sent");

    bool lastNamed = false;
    for (const Entry& entry : entries)
        lastNamed |= entry.name == icons.back().name;
    int passes = 0;
    for (const hostsim::ListViewRequest& request : hostsim::RequestLog()) {
        passes += request.msg == LVM_GETITEMCOUNT;
        if (request.msg == LVM_SETITEMPOSITION && !lastNamed)
            Require(request.wParam < icons.size() - 1, "a move for an icon the text never names");
    }
    Require(passes >= 1 && passes <= kMaxApplyPasses, "pass count");
    std::vector<hostsim::Icon> now = hostsim::Icons();
    Require(now.size() == expected.size(), "icon count changed");
    for (size_t i = 0; i < now.size(); i++) {
        Require(now[i].name == expected[i].name, "icon renamed");
        Require(now[i].x == expected[i].x && now[i].y == expected[i].y, "icon not where expected");
    }

    CheckNamesRoundTrip(text);
    Require(hostsim::OpenProcessHandles() == 0 && hostsim::RemoteBlocks() == 0,
            "shell access leaked");
    return 0;
}
