#include "desktop/IconSpots.h"

#include <new>

namespace {

// More cells than an 8K screen holds at the smallest cell: a work area this large is no screen's.
const int kMaxAreaCells = 1 << 20;

// Rounds toward minus infinity, so cells left of or above an area's corner have negative indexes.
long long FloorDivide(long long value, long long divisor) {
    long long quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

long long Clamp(long long value, long long low, long long high) {
    return value < low ? low : value > high ? high : value;
}

double SquaredDistance(double dx, double dy) {
    return dx * dx + dy * dy;
}

bool RectHolds(const RECT& rect, POINT at) {
    return at.x >= rect.left && at.x < rect.right && at.y >= rect.top && at.y < rect.bottom;
}

} // namespace

CIconSpots::CIconSpots(const MonitorArea* monitors, int monitorCount, SIZE iconCell)
    : cell(iconCell), count(0), whole(false) {
    if (cell.cx < kMinIconCellPixels || cell.cy < kMinIconCellPixels) {
        return;
    }
    for (int i = 0; i < monitorCount && count < kMaxDisplayMonitors; i++) {
        Area& area = areas[count];
        area.rect = monitors[i].work;
        area.columns = (area.rect.right - area.rect.left) / cell.cx;
        area.rows = (area.rect.bottom - area.rect.top) / cell.cy;
        if (area.columns <= 0 || area.rows <= 0 || area.columns > kMaxAreaCells / area.rows) {
            continue;
        }
        area.taken.Reset(new (std::nothrow) int[area.columns * area.rows]());
        if (area.taken.IsEmpty()) {
            return;
        }
        count++;
    }
    whole = count > 0;
}

bool AnyMonitorHolds(const MonitorArea* monitors, int count, POINT at) {
    for (int i = 0; i < count; i++) {
        if (RectHolds(monitors[i].bounds, at)) {
            return true;
        }
    }
    return false;
}

int CIconSpots::AreaHolding(POINT at) const {
    for (int i = 0; i < count; i++) {
        if (RectHolds(areas[i].rect, at)) {
            return i;
        }
    }
    return -1;
}

int CIconSpots::NearestArea(POINT at) const {
    int nearest = 0;
    double best = -1;
    for (int i = 0; i < count; i++) {
        const RECT& rect = areas[i].rect;
        double dx = static_cast<double>(Clamp(at.x, rect.left, rect.right - 1)) - at.x;
        double dy = static_cast<double>(Clamp(at.y, rect.top, rect.bottom - 1)) - at.y;
        double distance = SquaredDistance(dx, dy);
        if (best < 0 || distance < best) {
            nearest = i;
            best = distance;
        }
    }
    return nearest;
}

bool CIconSpots::Covers(POINT a, POINT b) const {
    long long dx = static_cast<long long>(a.x) - b.x;
    long long dy = static_cast<long long>(a.y) - b.y;
    long long wide = cell.cx - (dx < 0 ? -dx : dx);
    long long high = cell.cy - (dy < 0 ? -dy : dy);
    return wide > 0 && high > 0 && 2 * wide * high > static_cast<long long>(cell.cx) * cell.cy;
}

void CIconSpots::Take(POINT at) {
    Count(at, 1);
}

void CIconSpots::Release(POINT at) {
    Count(at, -1);
}

// An icon's room spans at most two cells each way.
void CIconSpots::Count(POINT at, int step) {
    for (int i = 0; i < count; i++) {
        Area& area = areas[i];
        long long x = static_cast<long long>(at.x) - area.rect.left;
        long long y = static_cast<long long>(at.y) - area.rect.top;
        long long firstColumn = Clamp(FloorDivide(x, cell.cx), 0, area.columns);
        long long lastColumn = Clamp(FloorDivide(x + cell.cx - 1, cell.cx), -1, area.columns - 1);
        long long firstRow = Clamp(FloorDivide(y, cell.cy), 0, area.rows);
        long long lastRow = Clamp(FloorDivide(y + cell.cy - 1, cell.cy), -1, area.rows - 1);
        for (long long row = firstRow; row <= lastRow; row++) {
            for (long long column = firstColumn; column <= lastColumn; column++) {
                area.taken.Get()[row * area.columns + column] += step;
            }
        }
    }
}

bool CIconSpots::FindFreeSpot(int index, POINT from, POINT* spot) const {
    if (index < 0 || index >= count) {
        return false;
    }
    const Area& area = areas[index];
    double best = -1;
    for (int row = 0; row < area.rows; row++) {
        for (int column = 0; column < area.columns; column++) {
            if (area.taken.Get()[row * area.columns + column] > 0) {
                continue;
            }
            POINT corner = {area.rect.left + column * cell.cx, area.rect.top + row * cell.cy};
            double distance = SquaredDistance(static_cast<double>(corner.x) - from.x,
                                              static_cast<double>(corner.y) - from.y);
            if (best < 0 || distance < best) {
                *spot = corner;
                best = distance;
            }
        }
    }
    return best >= 0;
}
