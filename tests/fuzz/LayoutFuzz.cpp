// Parses arbitrary bytes as layout text and applies it to a simulated desktop whose icons carry
// names from that text, in UTF-8 and as the ANSI forms of older layouts would have named them.
//
// What must hold for any input: no overrun or leak (the sanitizers), every entry's name fits, at
// most 21 passes, icons the text does not name are never sent a move, and every named icon ends at
// the low 16 bits of the position of the entry it takes: the k-th icon of a name takes the k-th
// entry of that name, and an entry that names no icon goes to the first icon left whose ANSI form
// it holds (in the code page's bytes or read into UTF-8), unless that icon's own name has an entry.
//
// The same bytes, split at NUL, are also icon names (any bytes, UTF-8 or not): captured and parsed
// again, every name comes back as the list view holds it (each byte that is not UTF-8 read as
// U+FFFD, cut to 255 UTF-16 units between characters), well-formed UTF-8, at its position; applying
// that capture to the desktop it came from sends no move; and the layout an older version would
// have stored for that desktop, its names in their ANSI forms, restores by the same rules, as it
// stands and as the settings file reads it into UTF-8.
#include "base/TextEncoding.h"
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

// A name as the program reads it from the list view: the list view holds UTF-16 (a byte that is
// not UTF-8 becomes U+FFFD), gives at most 255 units, and a pair it cuts is left out whole.
std::string LiveName(const std::string& name) {
    std::vector<WCHAR> wide(name.size() + 1);
    size_t units = Utf8ToUtf16(name.data(), name.size(), wide.data(), wide.size());
    if (units > kIconNameUnits) {
        units = kIconNameUnits;
        if (wide[units - 1] >= 0xD800 && wide[units - 1] <= 0xDBFF) {
            units--;
        }
    }
    char text[kIconNameBytes];
    size_t length = Utf16ToUtf8(wide.data(), units, text, sizeof text);
    return std::string(text, length);
}

// What the list view's ANSI request gave for it: the form older layouts hold.
std::string AnsiForm(const std::string& liveName) {
    char ansi[kIconNameBytes];
    size_t length = Utf8ToAnsi(liveName.data(), liveName.size(), ansi, sizeof ansi);
    return std::string(ansi, length).substr(0, kIconNameUnits);
}

// Text of the ANSI code page as the settings file reads it now: in UTF-8.
std::string InUtf8(const std::string& ansi) {
    std::vector<char> text(3 * ansi.size() + 1);
    size_t length = AnsiToUtf8(ansi.data(), ansi.size(), text.data(), text.size());
    return length > 0 ? std::string(text.data(), length) : ansi;
}

// A name whose ANSI form is the given text: its "?" become a character the code page lacks, and
// its other bytes the characters they stand for in the code page.
std::string NamedByAnsiForm(const std::string& ansi) {
    std::string name;
    for (char byte : ansi) {
        if (byte == '?') {
            name += "\xe6\x97\xa5";
            continue;
        }
        char utf8[8];
        size_t length = AnsiToUtf8(&byte, 1, utf8, sizeof utf8);
        name.append(utf8, length);
    }
    return name;
}

// A few icons named after the first entries, one name twice, some named so that an entry holds
// their ANSI form, and one the text may not name.
std::vector<hostsim::Icon> DesktopFor(const std::vector<Entry>& entries) {
    std::vector<hostsim::Icon> icons;
    for (size_t i = 0; i < entries.size() && i < 6; i++) {
        icons.push_back({entries[i].name, static_cast<int>(10 * i), 5});
    }
    if (!entries.empty()) {
        icons.push_back({entries[0].name, 7, 7});
    }
    for (size_t i = 0; i < entries.size() && i < 3; i++) {
        icons.push_back({NamedByAnsiForm(entries[i].name), static_cast<int>(10 * i), 9});
    }
    icons.push_back({"Recycle Bin", 3, 4});
    return icons;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& each : names) {
        if (each == name) {
            return true;
        }
    }
    return false;
}

// Where each icon must stand after the apply, and whether any move had to be sent: exact names
// first, in item order, then the entries that name no icon by the ANSI forms of the icons left.
std::vector<hostsim::Icon> Expected(const std::vector<hostsim::Icon>& icons,
                                    const std::vector<Entry>& entries, bool* anyMove,
                                    std::vector<bool>* named) {
    std::vector<std::string> live;
    for (const hostsim::Icon& icon : icons) {
        live.push_back(LiveName(icon.name));
    }
    std::vector<bool> used(entries.size(), false);
    std::vector<int> taker(icons.size(), -1);
    std::vector<std::string> takenNames;
    for (size_t i = 0; i < icons.size(); i++) {
        for (size_t e = 0; e < entries.size(); e++) {
            if (!used[e] && entries[e].name == live[i]) {
                used[e] = true;
                taker[i] = static_cast<int>(e);
                takenNames.push_back(entries[e].name);
                break;
            }
        }
    }
    std::vector<bool> eligible(entries.size(), false);
    for (size_t e = 0; e < entries.size(); e++) {
        eligible[e] = !used[e] && !Contains(takenNames, entries[e].name);
    }
    for (size_t i = 0; i < icons.size(); i++) {
        if (taker[i] >= 0 || Contains(takenNames, live[i])) {
            continue;
        }
        std::string ansi = AnsiForm(live[i]);
        std::string ansiInUtf8 = InUtf8(ansi);
        for (size_t e = 0; e < entries.size() && !ansi.empty(); e++) {
            if (eligible[e] && (entries[e].name == ansi || entries[e].name == ansiInUtf8)) {
                eligible[e] = false;
                taker[i] = static_cast<int>(e);
                break;
            }
        }
    }

    std::vector<hostsim::Icon> expected = icons;
    *anyMove = false;
    named->assign(icons.size(), false);
    for (size_t i = 0; i < icons.size(); i++) {
        if (taker[i] < 0) {
            continue;
        }
        (*named)[i] = true;
        const Entry& entry = entries[static_cast<size_t>(taker[i])];
        *anyMove |= icons[i].x != entry.x || icons[i].y != entry.y;
        expected[i].x = static_cast<int16_t>(entry.x);
        expected[i].y = static_cast<int16_t>(entry.y);
    }
    return expected;
}

// Applies text to a desktop of these icons and holds the result to the rules.
void CheckApply(const std::string& text, const std::vector<hostsim::Icon>& icons) {
    std::vector<Entry> entries = Parsed(text.c_str());
    bool anyMove = false;
    std::vector<bool> named;
    std::vector<hostsim::Icon> expected = Expected(icons, entries, &anyMove, &named);
    hostsim::ResetDesktop(icons);
    int result;
    {
        CDesktopLayout layout;
        result = layout.ApplyLayout(text.c_str());
    }
    Require(result == (anyMove ? 1 : 0), "result does not tell whether a move was sent");

    int passes = 0;
    for (const hostsim::ListViewRequest& request : hostsim::RequestLog()) {
        passes += request.msg == LVM_GETITEMCOUNT;
        if (request.msg == LVM_SETITEMPOSITION) {
            Require(request.wParam < icons.size() && named[request.wParam],
                    "a move for an icon no entry names");
        }
    }
    Require(passes >= 1 && passes <= kMaxApplyPasses, "pass count");
    std::vector<hostsim::Icon> now = hostsim::Icons();
    Require(now.size() == expected.size(), "icon count changed");
    for (size_t i = 0; i < now.size(); i++) {
        Require(now[i].name == expected[i].name, "icon renamed");
        Require(now[i].x == expected[i].x && now[i].y == expected[i].y, "icon not where expected");
    }
}

// Up to eight names, so that the capture holds every one however long.
std::vector<hostsim::Icon> IconsNamedBy(const std::string& input) {
    std::vector<hostsim::Icon> icons;
    size_t start = 0;
    while (start <= input.size() && icons.size() < 8) {
        size_t end = input.find('\0', start);
        if (end == std::string::npos) {
            end = input.size();
        }
        int i = static_cast<int>(icons.size());
        icons.push_back({input.substr(start, end - start), 20 + 75 * i, 10 - 35 * i});
        start = end + 1;
    }
    return icons;
}

void CheckNamesRoundTrip(const std::vector<hostsim::Icon>& icons) {
    hostsim::ResetDesktop(icons);
    CDesktopLayout layout;
    std::string captured = layout.CaptureLayout();
    Require(IsUtf8(captured.data(), captured.size()), "a capture that is not UTF-8");
    std::vector<Entry> entries = Parsed(captured.c_str());
    Require(entries.size() == icons.size(), "a captured icon did not parse back");
    for (size_t i = 0; i < entries.size(); i++) {
        Require(entries[i].name == LiveName(icons[i].name), "a captured name did not parse back");
        Require(entries[i].x == icons[i].x && entries[i].y == icons[i].y,
                "a captured position did not parse back");
    }
    hostsim::ClearRequestLog();
    Require(layout.ApplyLayout(captured.c_str()) == 0, "the desktop's own capture moved an icon");
    for (const hostsim::ListViewRequest& request : hostsim::RequestLog()) {
        Require(request.msg != LVM_SETITEMPOSITION, "the desktop's own capture sent a move");
    }
}

// The layout an older version captured: ANSI forms, nothing escaped.
std::string AnsiLayoutOf(const std::vector<hostsim::Icon>& icons) {
    std::string text;
    for (const hostsim::Icon& icon : icons) {
        char coordinates[32];
        snprintf(coordinates, sizeof coordinates, ";%d;%d;", icon.x, icon.y);
        text += AnsiForm(LiveName(icon.name)) + coordinates;
    }
    return text;
}

std::vector<hostsim::Icon> Elsewhere(std::vector<hostsim::Icon> icons) {
    for (size_t i = 0; i < icons.size(); i++) {
        icons[i].x = 300 + static_cast<int>(i);
        icons[i].y = 200;
    }
    return icons;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    CheckApply(text, DesktopFor(Parsed(text.c_str())));

    std::vector<hostsim::Icon> icons =
        IconsNamedBy(std::string(reinterpret_cast<const char*>(data), size));
    CheckNamesRoundTrip(icons);
    std::string stored = AnsiLayoutOf(icons);
    CheckApply(stored, Elsewhere(icons));
    CheckApply(InUtf8(stored), Elsewhere(icons));
    Require(hostsim::OpenProcessHandles() == 0 && hostsim::RemoteBlocks() == 0,
            "shell access leaked");
    return 0;
}
