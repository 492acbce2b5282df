#include "desktop/ShellCoordinates.h"

#include <climits>
#include <cstring>

namespace {

// The only probed icon of this name, or null when none or several bear it.
const ProbedIcon* OnlyOneNamed(const ProbedIcon* icons, int count, const char* name) {
    const ProbedIcon* found = nullptr;
    for (int i = 0; i < count; i++) {
        if (strcmp(icons[i].name, name) != 0) {
            continue;
        }
        if (found) {
            return nullptr;
        }
        found = &icons[i];
    }
    return found;
}

bool SamePoint(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

int Shifted(long long value, long long by) {
    long long shifted = value + by;
    if (shifted > INT_MAX) {
        return INT_MAX;
    }
    return shifted < INT_MIN ? INT_MIN : static_cast<int>(shifted);
}

} // namespace

// With a single icon, or icons that all stand on one point, an offset looks the same as a scale
// about another point: only the same point counts then.
ShellCoordinateEvidence CompareProbedIcons(const ProbedIcon* listView, int listViewCount,
                                           const ProbedIcon* shell, int shellCount,
                                           ShellCoordinates* conversion) {
    int pairs = 0;
    bool apart = false;
    POINT first = {0, 0};
    long long dx = 0;
    long long dy = 0;
    for (int i = 0; i < shellCount; i++) {
        const ProbedIcon* seen = OnlyOneNamed(listView, listViewCount, shell[i].name);
        if (!seen || !OnlyOneNamed(shell, shellCount, shell[i].name)) {
            continue;
        }
        long long x = static_cast<long long>(seen->point.x) - shell[i].point.x;
        long long y = static_cast<long long>(seen->point.y) - shell[i].point.y;
        if (pairs > 0 && (x != dx || y != dy)) {
            return kCoordinatesDisagree;
        }
        if (pairs == 0) {
            first = seen->point;
        }
        apart = apart || !SamePoint(first, seen->point);
        dx = x;
        dy = y;
        pairs++;
    }
    if (pairs == 0) {
        return kNoCoordinateEvidence;
    }
    bool identity = dx == 0 && dy == 0;
    if ((!identity && !apart) || dx > kMaxShellOffset || dx < -kMaxShellOffset ||
        dy > kMaxShellOffset || dy < -kMaxShellOffset) {
        return kCoordinatesDisagree;
    }
    conversion->dx = static_cast<int>(dx);
    conversion->dy = static_cast<int>(dy);
    return kCoordinatesAgree;
}

POINT ListViewPointOfShellPoint(POINT shellPoint, const ShellCoordinates& conversion) {
    POINT point;
    point.x = Shifted(shellPoint.x, conversion.dx);
    point.y = Shifted(shellPoint.y, conversion.dy);
    return point;
}

POINT ShellPointOfListViewPoint(int x, int y, const ShellCoordinates& conversion) {
    POINT point;
    point.x = Shifted(x, -static_cast<long long>(conversion.dx));
    point.y = Shifted(y, -static_cast<long long>(conversion.dy));
    return point;
}
