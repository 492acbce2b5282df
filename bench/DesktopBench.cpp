// Cross-process cost of capture and apply against the stand-in desktop under Wine, next to two
// floors replayed in the same run from the request log of the operation itself:
//   floor 1: the same list-view messages (kinds, order, arguments), sent by a bare loop;
//   floor 2: floor 1 plus the memory calls each request needs (record write and text read per text
//            request, point read per position request).
// Whatever the operation costs above floor 2 is our own work.
#include "BenchStats.h"
#include "contract/TestDesktop.h"
#include "contract/TestShellView.h"

#include "desktop/DesktopLayout.h"
#include "desktop/ListViewRecord.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using testdesktop::Icon;
using testdesktop::LayoutText;
using testdesktop::Request;

const UINT kRequestFlags = SMTO_BLOCK | SMTO_ABORTIFHUNG;
const UINT kRequestTimeoutMs = 2000;

enum NameStyle {
    // "Icon 0001" and on.
    kShortNames,
    // 40 characters: 35 of text, a space and the number.
    kAsciiNames,
    // The same 40 characters with letters outside the code page, Greek and Japanese: 77 bytes in
    // UTF-8.
    kWideNames,
};

const char* StyleName(NameStyle style) {
    return style == kShortNames ? "short" : style == kAsciiNames ? "ASCII 40" : "non-ASCII 40";
}

std::string IconName(int number, NameStyle style) {
    char digits[16];
    snprintf(digits, sizeof digits, "%04d", number);
    if (style == kShortNames) {
        return std::string("Icon ") + digits;
    }
    const char* text =
        style == kAsciiNames
            ? "Quarterly figures for the board, v2"
            : "\xc5\x81\xc3\xb3\x64\xc5\xba "
              "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe5\x9b\x9b"
              "\xe5\x8d\x8a\xe6\x9c\x9f\xe5\xa0\xb1\xe5\x91\x8a \xce\x95\xce\xbb\xce\xbb\xce\xb7"
              "\xce\xbd\xce\xb9\xce\xba\xce\xac \xce\xb1\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1 "
              "\xe2\x82\xac v2";
    return std::string(text) + " " + digits;
}

// Icons numbered from 1, ten to a column; shifted by (dx, dy) for a second arrangement.
std::vector<Icon> NumberedIcons(int count, int dx, int dy, NameStyle style = kShortNames) {
    std::vector<Icon> icons;
    for (int i = 0; i < count; i++) {
        icons.push_back({IconName(i + 1, style), 20 + 75 * (i / 10) + dx, 10 + 70 * (i % 10) + dy});
    }
    return icons;
}

struct Counts {
    int count = 0;
    int text = 0;
    int position = 0;
    int move = 0;
    int Messages() const { return count + text + position + move; }
    int MemoryCalls() const { return 2 * text + position; }
};

Counts CountsOf(const std::vector<Request>& log) {
    Counts counts;
    for (const Request& request : log) {
        counts.count += request.msg == LVM_GETITEMCOUNT;
        counts.text += request.msg == LVM_GETITEMTEXTW;
        counts.position += request.msg == LVM_GETITEMPOSITION;
        counts.move += request.msg == LVM_SETITEMPOSITION;
    }
    return counts;
}

// Sends the logged requests again, in order, with their own arguments; with memory, also the
// cross-process calls the core makes around each of them.
class CReplay {
  public:
    explicit CReplay(const CDesktopLayout& layout)
        : listView(CDesktopLayout::FindDesktopListView()), process(layout.processHandle),
          block(layout.remoteBuffer) {
        memset(&record, 0, sizeof record);
        record.mask = LVIF_TEXT;
        record.pszText = reinterpret_cast<uintptr_t>(block) + kTextOffset64;
        record.cchTextMax = kRemoteTextUnits;
    }

    void Run(const std::vector<Request>& log, bool withMemory) {
        for (const Request& request : log) {
            if (withMemory && request.msg == LVM_GETITEMTEXTW) {
                WriteProcessMemory(process, block, &record, sizeof record, &done);
            }
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(listView, request.msg, static_cast<WPARAM>(request.wParam),
                                static_cast<LPARAM>(request.lParam), kRequestFlags,
                                kRequestTimeoutMs, &answer);
            if (withMemory && request.msg == LVM_GETITEMTEXTW) {
                ReadProcessMemory(process, static_cast<const char*>(block) + kTextOffset64, text,
                                  sizeof text, &done);
            }
            if (withMemory && request.msg == LVM_GETITEMPOSITION) {
                ReadProcessMemory(process, block, point, sizeof point, &done);
            }
        }
    }

  private:
    HWND listView;
    HANDLE process;
    LPVOID block;
    ListViewItem64 record;
    WCHAR text[kRemoteTextUnits];
    int32_t point[2];
    SIZE_T done = 0;
};

struct Measured {
    Spread operation;
    Spread floor1;
    Spread floor2;
    Counts counts;
};

// Runs the operations and both floors once per round, interleaved, so a slow moment of the machine
// weighs on all three alike. The operations of one round leave the desktop as they found it, so
// each log is replayed from the state its operation started in: a replayed move moves an icon as
// the operation's did.
Measured Measure(CDesktopLayout& layout, int rounds,
                 const std::vector<std::function<void()>>& operations) {
    std::vector<double> op, f1, f2;
    Counts counts;
    CReplay replay(layout);
    testdesktop::TakeRequestLog();
    for (int round = 0; round < rounds; round++) {
        std::vector<std::vector<Request>> logs;
        for (const std::function<void()>& operation : operations) {
            op.push_back(Seconds(operation));
            logs.push_back(testdesktop::TakeRequestLog());
        }
        counts = CountsOf(logs.front());
        for (bool withMemory : {false, true}) {
            for (const std::vector<Request>& log : logs) {
                double seconds = Seconds([&] { replay.Run(log, withMemory); });
                (withMemory ? f2 : f1).push_back(seconds);
                int replayed = CountsOf(testdesktop::TakeRequestLog()).Messages();
                if (replayed != CountsOf(log).Messages()) {
                    fprintf(stderr, "desktop_bench: a floor sent %d requests instead of %d\n",
                            replayed, CountsOf(log).Messages());
                    exit(1);
                }
            }
        }
    }
    return {SpreadOf(op), SpreadOf(f1), SpreadOf(f2), counts};
}

void PrintRow(const char* what, int icons, const Measured& m) {
    double total = m.operation.median;
    double messages = m.floor1.median;
    double memory = m.floor2.median - m.floor1.median;
    double own = total - m.floor2.median;
    printf("%-26s %5d | %8.1f ms (%7.1f..%7.1f) | floor1 %8.1f ms  x%.2f | floor2 %8.1f ms  "
           "x%.2f | msgs %5d  mem %5d | messages %4.1f%%  memory %4.1f%%  own %5.1f%%\n",
           what, icons, 1e3 * total, 1e3 * m.operation.low, 1e3 * m.operation.high, 1e3 * messages,
           total / messages, 1e3 * m.floor2.median, total / m.floor2.median, m.counts.Messages(),
           m.counts.MemoryCalls(), 100 * messages / total, 100 * memory / total, 100 * own / total);
    // Minima are the least disturbed by other load on the machine.
    printf("%33s fastest runs: %8.1f ms, floor1 %8.1f ms  x%.2f, floor2 %8.1f ms  x%.2f\n", "",
           1e3 * m.operation.low, 1e3 * m.floor1.low, m.operation.low / m.floor1.low,
           1e3 * m.floor2.low, m.operation.low / m.floor2.low);
    fflush(stdout);
}

// The two arrangements every measurement moves between, with the stand-in desktop started at
// the first.
bool StartAtHome(int iconCount, std::vector<Icon>* home, std::vector<Icon>* away) {
    *home = NumberedIcons(iconCount, 0, 0);
    *away = NumberedIcons(iconCount, 7, 3);
    if (!testdesktop::Start(*home)) {
        fprintf(stderr, "desktop_bench: the stand-in desktop did not start\n");
        return false;
    }
    return true;
}

bool MeasureDesktop(int iconCount, int rounds) {
    std::vector<Icon> home, away;
    if (!StartAtHome(iconCount, &home, &away)) {
        return false;
    }
    std::unique_ptr<CDesktopLayout> layout(new CDesktopLayout);
    if (!layout->remoteBuffer) {
        fprintf(stderr, "desktop_bench: no remote block in the stand-in desktop\n");
        return false;
    }
    std::string captured = layout->CaptureLayout();
    int capturedIcons = static_cast<int>(std::count(captured.begin(), captured.end(), ';') / 3);
    std::string homeText = LayoutText(home);
    std::string awayText = LayoutText(away);

    Measured capture = Measure(*layout, rounds, {[&] { layout->CaptureLayout(); }});
    PrintRow("capture", iconCount, capture);
    // Away and back: each apply moves every icon.
    Measured moveAll = Measure(*layout, rounds,
                               {[&] { layout->ApplyLayout(awayText.c_str()); },
                                [&] { layout->ApplyLayout(homeText.c_str()); }});
    PrintRow("apply, all move", iconCount, moveAll);
    Measured moveNone = Measure(*layout, rounds, {[&] { layout->ApplyLayout(homeText.c_str()); }});
    PrintRow("apply, none", iconCount, moveNone);
    printf("               (capture read %d of %d icons: %zu characters)\n", capturedIcons,
           iconCount, captured.size());
    return true;
}

// Capture and the user's Restore (a capture, then an apply) of icons with long names: one that
// moves every icon, and one over a desktop already as the layout has it.
bool MeasureNamedDesktop(int iconCount, int rounds, NameStyle style) {
    std::vector<Icon> home = NumberedIcons(iconCount, 0, 0, style);
    std::vector<Icon> away = NumberedIcons(iconCount, 7, 3, style);
    if (!testdesktop::Start(home)) {
        fprintf(stderr, "desktop_bench: the stand-in desktop did not start\n");
        return false;
    }
    std::unique_ptr<CDesktopLayout> layout(new CDesktopLayout);
    int complete = 0;
    std::string captured = layout->CaptureLayout(&complete);
    std::string homeText = LayoutText(home);
    // A capture that fails would make Restore show its box, and the bench would wait on it.
    if (!complete || captured != homeText) {
        fprintf(stderr, "desktop_bench: the capture of %d icons did not read them all\n",
                iconCount);
        return false;
    }
    std::string awayText = LayoutText(away);
    char what[64];
    snprintf(what, sizeof what, "capture, %s", StyleName(style));
    PrintRow(what, iconCount, Measure(*layout, rounds, {[&] { layout->CaptureLayout(); }}));
    snprintf(what, sizeof what, "restore, %s", StyleName(style));
    PrintRow(what, iconCount,
             Measure(*layout, rounds,
                     {[&] { layout->RestoreLayout(awayText.c_str()); },
                      [&] { layout->RestoreLayout(homeText.c_str()); }}));
    snprintf(what, sizeof what, "restore, none, %s", StyleName(style));
    PrintRow(what, iconCount,
             Measure(*layout, rounds, {[&] { layout->RestoreLayout(homeText.c_str()); }}));
    printf("%33s (layout of %zu bytes)\n", "", homeText.size());
    return true;
}

// A list view that pushes the previous item aside on every move: each pass settles one more icon,
// so the passes run out before a large desktop settles.
bool MeasureShiftingRestore(int iconCount) {
    std::vector<Icon> home = NumberedIcons(iconCount, 0, 0);
    std::vector<Icon> away = NumberedIcons(iconCount, 7, 3);
    if (!testdesktop::Start(away)) {
        return false;
    }
    std::unique_ptr<CDesktopLayout> layout(new CDesktopLayout);
    testdesktop::SetShiftOnMove(5);
    testdesktop::TakeRequestLog();
    std::string homeText = LayoutText(home);
    int result = 0;
    double seconds = Seconds([&] { result = layout->ApplyLayout(homeText.c_str()); });
    std::vector<Request> log = testdesktop::TakeRequestLog();
    Counts counts = CountsOf(log);
    std::vector<Icon> now = testdesktop::Icons();
    int misplaced = 0;
    for (size_t i = 0; i < now.size() && i < home.size(); i++) {
        misplaced += now[i].x != home[i].x || now[i].y != home[i].y;
    }
    printf("shifting restore %d icons: result %d, %d passes, %d requests (%d text, %d position, "
           "%d moves), %.2f s; %d icons still out of place\n",
           iconCount, result, counts.count, counts.Messages(), counts.text, counts.position,
           counts.move, seconds, misplaced);
    return true;
}

// The shell route against its double over the stand-in desktop's list view, beside the list-view
// route on the same desktop. The double's own cross-process work (one read of every icon per count,
// one move per placed icon) replayed bare is the shell route's floor; the calls a real shell would
// take across the process boundary are the double's COM calls, counted per icon.
struct RouteRun {
    Spread operation;
    Spread floor;
    double comCallsPerIcon = 0;
    double desktopCallsPerIcon = 0;
};

// Replays what the double asked of the desktop for one operation: counts read every icon, and
// each placed item moves to where targets places it.
void ReplayDoubleWork(int counts, const std::vector<std::vector<int>>& placements,
                      const std::vector<Icon>& targets) {
    for (int i = 0; i < counts; i++) {
        testdesktop::Icons();
    }
    for (const std::vector<int>& items : placements) {
        for (int item : items) {
            testdesktop::MoveIcon(item, targets[item].x, targets[item].y);
        }
    }
}

// operation(i) runs the i-th operation of a round; targets(i) is where it places icons.
RouteRun MeasureShellOperations(CDesktopLayout& layout, testshell::CTestShell& shell, int rounds,
                                int operations, int iconCount,
                                const std::function<void(int)>& operation,
                                const std::function<const std::vector<Icon>&(int)>& targets) {
    std::vector<double> op, floor;
    RouteRun run;
    for (int round = 0; round < rounds; round++) {
        for (int i = 0; i < operations; i++) {
            int comBefore = shell.TotalCalls();
            int countsBefore = shell.Calls(testshell::kItemCount);
            size_t placementsBefore = shell.Placements().size();
            op.push_back(Seconds([&] { operation(i); }));
            if (layout.LastRoute() != kRouteShell) {
                fprintf(stderr, "desktop_bench: the shell route did not serve\n");
                exit(1);
            }
            int counts = shell.Calls(testshell::kItemCount) - countsBefore;
            std::vector<std::vector<int>> placements(shell.Placements().begin() +
                                                         static_cast<long>(placementsBefore),
                                                     shell.Placements().end());
            int moved = 0;
            for (const std::vector<int>& items : placements) {
                moved += static_cast<int>(items.size());
            }
            run.comCallsPerIcon = static_cast<double>(shell.TotalCalls() - comBefore) / iconCount;
            run.desktopCallsPerIcon = static_cast<double>(counts + moved) / iconCount;
            // The floor starts from where the operation started: undo its moves first.
            if (moved > 0) {
                ReplayDoubleWork(0, placements, targets(operations - 1 - i));
            }
            floor.push_back(Seconds([&] { ReplayDoubleWork(counts, placements, targets(i)); }));
        }
    }
    run.operation = SpreadOf(op);
    run.floor = SpreadOf(floor);
    return run;
}

void PrintRouteRow(const char* route, const char* what, int icons, const RouteRun& run) {
    printf("%-10s %-16s %5d | %8.1f ms (%7.1f..%7.1f) | floor %8.1f ms  x%.2f | "
           "COM calls/icon %.2f  desktop calls/icon %.2f\n",
           route, what, icons, 1e3 * run.operation.median, 1e3 * run.operation.low,
           1e3 * run.operation.high, 1e3 * run.floor.median,
           run.operation.median / run.floor.median, run.comCallsPerIcon, run.desktopCallsPerIcon);
    fflush(stdout);
}

void PrintListViewRow(const char* what, int icons, const Measured& m) {
    printf("%-10s %-16s %5d | %8.1f ms (%7.1f..%7.1f) | floor %8.1f ms  x%.2f | "
           "list-view requests/icon %.2f  memory calls/icon %.2f\n",
           "list view", what, icons, 1e3 * m.operation.median, 1e3 * m.operation.low,
           1e3 * m.operation.high, 1e3 * m.floor2.median, m.operation.median / m.floor2.median,
           static_cast<double>(m.counts.Messages()) / icons,
           static_cast<double>(m.counts.MemoryCalls()) / icons);
    fflush(stdout);
}

bool MeasureRoutes(int iconCount, int rounds) {
    std::vector<Icon> home, away;
    if (!StartAtHome(iconCount, &home, &away)) {
        return false;
    }
    std::unique_ptr<CDesktopLayout> layout(new CDesktopLayout);
    std::string homeText = LayoutText(home);
    std::string awayText = LayoutText(away);

    layout->desktopRoute = kRouteListView;
    PrintListViewRow("capture", iconCount,
                     Measure(*layout, rounds, {[&] { layout->CaptureLayout(); }}));
    PrintListViewRow("apply, all move", iconCount,
                     Measure(*layout, rounds,
                             {[&] { layout->ApplyLayout(awayText.c_str()); },
                              [&] { layout->ApplyLayout(homeText.c_str()); }}));

    layout->desktopRoute = kRouteAuto;
    testshell::CTestShell* shell = testshell::CTestShell::Create();
    shell->Attach(layout.get(), kShellCallBoundMs);
    if (std::string(layout->CaptureLayout()) != homeText) {
        fprintf(stderr, "desktop_bench: the shell route did not read every icon\n");
        return false;
    }
    auto none = [&](int) -> const std::vector<Icon>& { return home; };
    PrintRouteRow(
        "shell", "capture", iconCount,
        MeasureShellOperations(
            *layout, *shell, rounds, 1, iconCount, [&](int) { layout->CaptureLayout(); }, none));
    const std::string* texts[] = {&awayText, &homeText};
    const std::vector<Icon>* places[] = {&away, &home};
    PrintRouteRow("shell", "apply, all move", iconCount,
                  MeasureShellOperations(
                      *layout, *shell, rounds, 2, iconCount,
                      [&](int i) { layout->ApplyLayout(texts[i]->c_str()); },
                      [&](int i) -> const std::vector<Icon>& { return *places[i]; }));
    return true;
}

} // namespace

// desktop_bench [rounds [part]]: part "short" (short names, 100 to 1,000 icons), "names" (40
// characters, 1,000 and 2,000 icons), "shift" (the restore that never settles) or "routes" (the
// shell route against its double beside the list-view route); all by default.
int main(int argc, char** argv) {
    int rounds = argc > 1 ? atoi(argv[1]) : 5;
    if (rounds < 1) {
        rounds = 1;
    }
    std::string part = argc > 2 ? argv[2] : "";
    printf("desktop_bench: %d rounds; medians with (min..max); floor1 = the same messages alone, "
           "floor2 = messages + memory calls\n",
           rounds);
    if (part.empty() || part == "short") {
        for (int icons : {100, 500, 1000}) {
            if (!MeasureDesktop(icons, rounds)) {
                return 1;
            }
        }
    }
    if (part.empty() || part == "names") {
        for (int icons : {1000, 2000}) {
            for (NameStyle style : {kAsciiNames, kWideNames}) {
                if (!MeasureNamedDesktop(icons, rounds, style)) {
                    return 1;
                }
            }
        }
    }
    if ((part.empty() || part == "shift") && !MeasureShiftingRestore(1000)) {
        return 1;
    }
    if (part.empty() || part == "routes") {
        for (int icons : {100, 500}) {
            if (!MeasureRoutes(icons, rounds)) {
                return 1;
            }
        }
    }
    testdesktop::Stop();
    return 0;
}
