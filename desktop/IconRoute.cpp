// The one apply: icons are matched to the entries once, then each pass places the matched icons
// that stand elsewhere, and the next pass reads where they stand now. Moving one icon can make the
// shell shift others, so passes repeat while the last one moved something and some icon stands
// elsewhere than the pass before found it, up to kMaxApplyPasses.
#include "desktop/IconRoute.h"
#include "base/UniqueOwner.h"
#include "desktop/DesktopLayout.h"
#include "desktop/IconMatcher.h"

#include <cstring>
#include <new>

namespace {

// The matched icons of one apply and where they stand.
class CMatchedIcons {
  public:
    explicit CMatchedIcons(const CPtrList& matches) : count(matches.count) {
        icons.Reset(new (std::nothrow) MatchedIcon[count]);
        placing.Reset(new (std::nothrow) int[count]);
        points.Reset(new (std::nothrow) POINT[count]);
        if (!IsWhole()) {
            count = 0;
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
            if (icon.known && !Same(icon.standing, icon.target)) {
                placing.Get()[strays] = icon.item;
                points.Get()[strays] = icon.target;
                strays++;
            }
        }
        *moves = 0;
        return strays == 0 || route.Place(strays, placing.Get(), points.Get(), moves);
    }

  private:
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
    };

    static bool Same(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

    int count;
    CHeapArray<MatchedIcon> icons;
    // The icons one pass places and their points, which the route may change.
    CHeapArray<int> placing;
    CHeapArray<POINT> points;

    MatchedIcon* begin() { return icons.Get(); }
    MatchedIcon* end() { return icons.Get() + count; }
    const MatchedIcon* begin() const { return icons.Get(); }
    const MatchedIcon* end() const { return icons.Get() + count; }
    bool IsWhole() const { return count == 0 || (icons.Get() && placing.Get() && points.Get()); }
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

int CountStands(IIconRoute& route, int count) {
    int now = 0;
    return route.CountItems(&now) && now == count;
}

} // namespace

ApplyOutcome ApplyOverRoute(IIconRoute& route, const CPtrList& entries, const CPtrList* reading) {
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
    CMatchedIcons icons(matcher.Matches());
    bool standingRead = read && icons.TakeReading(*reading);
    for (int pass = 0; pass < kMaxApplyPasses; pass++) {
        bool standingKnown = standingRead && pass == 0;
        if (pass > 0 && !CountStands(route, count)) {
            return outcome;
        }
        if (!standingKnown && !icons.ReadStanding(route)) {
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
