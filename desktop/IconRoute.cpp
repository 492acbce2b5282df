// The one apply: icons are matched to the entries once, then each pass places the matched icons
// that stand elsewhere, and the next pass reads where they stand now. Moving one icon can make the
// shell shift others, so passes repeat while the last one moved something and some icon stands
// elsewhere than the pass before found it, up to kMaxApplyPasses.
#include "desktop/IconRoute.h"
#include "base/UniqueOwner.h"
#include "desktop/DesktopLayout.h"
#include "desktop/IconMatcher.h"
#include "desktop/IconSpots.h"

#include <cstring>
#include <new>

namespace {

// The matched icons of one apply and where they stand.
class CMatchedIcons {
  public:
    // capacity: the icons of the desktop, so that any of them can be added.
    CMatchedIcons(const CPtrList& matches, int capacity)
        : count(matches.count), room(capacity > count ? capacity : count) {
        icons.Reset(new (std::nothrow) MatchedIcon[room]);
        placing.Reset(new (std::nothrow) int[room]);
        points.Reset(new (std::nothrow) POINT[room]);
        if (!IsWhole()) {
            count = 0;
            room = 0;
            return;
        }
        MatchedIcon* icon = icons.Get();
        for (PtrListNode* node = matches.head; node; node = node->next, icon++) {
            const ItemMatch* match = static_cast<const ItemMatch*>(node->data);
            *icon = MatchedIcon{match->item, POINT{match->entry->x, match->entry->y}};
        }
    }

    // Where the reading found each icon; false when memory ran out.
    bool TakeReading(const CPtrList& reading) {
        CHeapArray<const LayoutEntry*> byItem(new (std::nothrow) const LayoutEntry*[reading.count]);
        if (!byItem.Get()) {
            return false;
        }
        int item = 0;
        for (PtrListNode* node = reading.head; node; node = node->next, item++) {
            byItem.Get()[item] = static_cast<const LayoutEntry*>(node->data);
        }
        for (MatchedIcon& icon : *this) {
            const LayoutEntry* read = byItem.Get()[icon.item];
            icon.TakePosition(POINT{read->x, read->y}, true);
        }
        return true;
    }

    // 0 when the route failed.
    int ReadStanding(IIconRoute& route) {
        for (MatchedIcon& icon : *this) {
            POINT at = {0, 0};
            IconAnswer answer = route.ReadPosition(icon.item, &at);
            if (answer == kRouteLost) {
                return 0;
            }
            icon.TakePosition(at, answer == kIconRead);
        }
        return 1;
    }

    // Whether the last reading found any icon elsewhere than the one before it.
    bool AnyMoved() const {
        for (const MatchedIcon& icon : *this) {
            if (icon.known && (!icon.knownBefore || !Same(icon.standing, icon.before))) {
                return true;
            }
        }
        return false;
    }

    // Sends every icon known to stand elsewhere to its point, in match order. 0 when the route
    // failed; moves tells how many went.
    int PlaceStrays(IIconRoute& route, int* moves) {
        int strays = 0;
        for (const MatchedIcon& icon : *this) {
            if (icon.known && icon.Moves()) {
                placing.Get()[strays] = icon.item;
                points.Get()[strays] = icon.target;
                strays++;
            }
        }
        *moves = 0;
        return strays == 0 || route.Place(strays, placing.Get(), points.Get(), moves);
    }

    // An icon no entry named, sent from where it stands to target.
    void Add(int item, POINT standing, POINT target) {
        if (count < room) {
            MatchedIcon& icon = icons.Get()[count++];
            icon = MatchedIcon{item, target};
            icon.TakePosition(standing, true);
        }
    }

    struct MatchedIcon {
        int item;
        POINT target;
        // Where the last reading found the icon, and the reading before it.
        POINT standing = {0, 0};
        POINT before = {0, 0};
        bool known = false;
        bool knownBefore = false;

        void TakePosition(POINT at, bool read) {
            before = standing;
            knownBefore = known;
            standing = at;
            known = read;
        }
        bool Moves() const { return !known || !Same(standing, target); }
    };

    int Count() const { return count; }
    MatchedIcon* begin() { return icons.Get(); }
    MatchedIcon* end() { return icons.Get() + count; }
    const MatchedIcon* begin() const { return icons.Get(); }
    const MatchedIcon* end() const { return icons.Get() + count; }

  private:
    static bool Same(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

    int count;
    int room;
    CHeapArray<MatchedIcon> icons;
    // The icons one pass places and their points, which the route may change.
    CHeapArray<int> placing;
    CHeapArray<POINT> points;

    bool IsWhole() const { return room == 0 || (icons.Get() && placing.Get() && points.Get()); }
};

void OfferReading(const CPtrList& reading, CIconMatcher* matcher) {
    int item = 0;
    for (PtrListNode* node = reading.head; node; node = node->next, item++) {
        matcher->Offer(item, static_cast<const LayoutEntry*>(node->data)->name);
    }
}

// 0 when the route failed.
int OfferNames(IIconRoute& route, int count, CIconMatcher* matcher) {
    char name[kIconNameBytes];
    memset(name, 0, sizeof name);
    for (int item = 0; item < count; item++) {
        IconAnswer answer = route.ReadName(item, name);
        if (answer == kRouteLost) {
            return 0;
        }
        if (answer == kIconRead) {
            matcher->Offer(item, name);
        }
    }
    return 1;
}

// Where each icon that no entry named stands, by item; unknown where it could not be read.
class CUnnamedIcons {
  public:
    CUnnamedIcons(const CMatchedIcons& icons, int itemCount)
        : count(itemCount), at(new(std::nothrow) Standing[itemCount]()) {
        if (at.IsEmpty()) {
            count = 0;
            return;
        }
        for (const auto& icon : icons) {
            at.Get()[icon.item].named = true;
        }
    }

    bool IsWhole() const { return !at.IsEmpty(); }

    // 0 when the route failed.
    int Read(IIconRoute& route, const CPtrList* reading) {
        int item = 0;
        for (PtrListNode* node = reading ? reading->head : nullptr; node && item < count;
             node = node->next, item++) {
            const LayoutEntry* read = static_cast<const LayoutEntry*>(node->data);
            at.Get()[item].point = POINT{read->x, read->y};
            at.Get()[item].known = true;
        }
        for (item = 0; !reading && item < count; item++) {
            Standing& icon = at.Get()[item];
            IconAnswer answer = icon.named ? kIconUnread : route.ReadPosition(item, &icon.point);
            if (answer == kRouteLost) {
                return 0;
            }
            icon.known = answer == kIconRead;
        }
        return 1;
    }

    template <typename Visit> void ForEach(Visit visit) const {
        for (int item = 0; item < count; item++) {
            if (!at.Get()[item].named && at.Get()[item].known) {
                visit(item, at.Get()[item].point);
            }
        }
    }

  private:
    struct Standing {
        POINT point;
        bool named;
        bool known;
    };
    int count;
    CHeapArray<Standing> at;
};

bool NeedsFitting(const CMatchedIcons& icons, int itemCount, const MonitorArea* monitors,
                  int count) {
    if (icons.Count() < itemCount) {
        return true;
    }
    for (const auto& icon : icons) {
        if (!AnyMonitorHolds(monitors, count, icon.target)) {
            return true;
        }
    }
    return false;
}

// Targets on no monitor go to the nearest free cell of the nearest work area, each taking its cell
// before the next one looks.
void BringTargetsIntoView(CIconSpots& spots, const MonitorArea* monitors, int count,
                          CMatchedIcons& icons) {
    for (auto& icon : icons) {
        if (!AnyMonitorHolds(monitors, count, icon.target)) {
            spots.FindFreeSpot(spots.NearestArea(icon.target), icon.target, &icon.target);
            spots.Take(icon.target);
        }
    }
}

bool StandsUnderAPlacedIcon(const CIconSpots& spots, const CMatchedIcons& icons, POINT at) {
    for (const auto& icon : icons) {
        if (icon.Moves() && spots.Covers(icon.target, at)) {
            return true;
        }
    }
    return false;
}

// An icon no entry named moves only when an icon placed now would stand on it.
void MoveIconsFromUnderPlacedOnes(CIconSpots& spots, const CUnnamedIcons& unnamed,
                                  CMatchedIcons& icons) {
    unnamed.ForEach([&](int item, POINT at) {
        if (!StandsUnderAPlacedIcon(spots, icons, at)) {
            return;
        }
        spots.Release(at);
        int area = spots.AreaHolding(at);
        POINT spot = at;
        if (spots.FindFreeSpot(area >= 0 ? area : spots.NearestArea(at), at, &spot)) {
            icons.Add(item, at, spot);
        }
        spots.Take(spot);
    });
}

// 0 when the route failed. Fits nothing where the desktop does not tell its monitors or cell.
int FitToDesktop(IIconRoute& route, IDesktopArea& area, int itemCount, const CPtrList* reading,
                 CMatchedIcons* icons) {
    MonitorArea monitors[kMaxDisplayMonitors];
    int count = area.ReadMonitors(monitors);
    SIZE cell = {0, 0};
    if (count <= 0 || !NeedsFitting(*icons, itemCount, monitors, count) ||
        !area.ReadIconCell(&cell)) {
        return 1;
    }
    CIconSpots spots(monitors, count, cell);
    CUnnamedIcons unnamed(*icons, itemCount);
    if (!spots.IsWhole() || !unnamed.IsWhole()) {
        return 1;
    }
    if (!unnamed.Read(route, reading)) {
        return 0;
    }
    for (const auto& icon : *icons) {
        if (AnyMonitorHolds(monitors, count, icon.target)) {
            spots.Take(icon.target);
        }
    }
    unnamed.ForEach([&](int, POINT at) { spots.Take(at); });
    BringTargetsIntoView(spots, monitors, count, *icons);
    MoveIconsFromUnderPlacedOnes(spots, unnamed, *icons);
    return 1;
}

int CountStands(IIconRoute& route, int count) {
    int now = 0;
    return route.CountItems(&now) && now == count;
}

} // namespace

ApplyOutcome ApplyOverRoute(IIconRoute& route, const CPtrList& entries, const CPtrList* reading,
                            IDesktopArea* area) {
    ApplyOutcome outcome = {0, true};
    int count = 0;
    if (!route.CountItems(&count)) {
        return outcome;
    }
    bool read = reading && reading->count == count;
    CIconMatcher matcher(entries);
    if (read) {
        OfferReading(*reading, &matcher);
    } else if (!OfferNames(route, count, &matcher)) {
        return outcome;
    }
    matcher.MatchAnsiForms();
    CMatchedIcons icons(matcher.Matches(), area ? count : 0);
    bool standingRead = read && icons.TakeReading(*reading);
    for (int pass = 0; pass < kMaxApplyPasses; pass++) {
        bool standingKnown = standingRead && pass == 0;
        if (pass > 0 && !CountStands(route, count)) {
            return outcome;
        }
        if (!standingKnown && !icons.ReadStanding(route)) {
            return outcome;
        }
        if (pass == 0 && area &&
            !FitToDesktop(route, *area, count, read ? reading : nullptr, &icons)) {
            return outcome;
        }
        // The last pass changed nothing: the shell keeps the icons where they stand. A desktop that
        // aligns icons to its grid puts an icon sent between cells into the nearest one, and would
        // otherwise take it back there at every pass.
        if (pass > 0 && !icons.AnyMoved()) {
            break;
        }
        int moves = 0;
        int placed = icons.PlaceStrays(route, &moves);
        outcome.moves += moves;
        if (!placed) {
            return outcome;
        }
        if (moves == 0) {
            break;
        }
    }
    outcome.lost = false;
    return outcome;
}
