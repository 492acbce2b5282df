// A restore fits its snapshot to the desktop as it stands: icons it does not name are never left
// under restored ones, and points on no monitor come into view. Undo puts back exactly what was.
#include "unit/SnapshotStoreFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const int kCell = 75;

std::map<std::string, POINT> Where() {
    std::map<std::string, POINT> where;
    for (const hostsim::Icon& icon : hostsim::Icons()) {
        where[icon.name] = POINT{icon.x, icon.y};
    }
    return where;
}

// No two icons share any of their cells' room.
void ExpectNoOverlap(const std::map<std::string, POINT>& where) {
    for (const auto& a : where) {
        for (const auto& b : where) {
            EXPECT_TRUE(a.first >= b.first || abs(a.second.x - b.second.x) >= kCell ||
                        abs(a.second.y - b.second.y) >= kCell)
                << a.first << " and " << b.first;
        }
    }
}

void ExpectAt(const std::map<std::string, POINT>& where, const std::string& name, int x, int y) {
    EXPECT_TRUE(where.at(name).x == x && where.at(name).y == y)
        << name << " at " << where.at(name).x << "," << where.at(name).y;
}

class RestoreFit : public storetest::SnapshotStore {};

TEST_F(RestoreFit, ANewIconWhereARestoredOneGoesMovesToAFreeCellAndUndoPutsBothBack) {
    hostsim::ResetDesktop({{"A", 10, 10}, {"B", 90, 10}, {"C", 170, 10}});
    hostsim::SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}}}, POINT{0, 0});
    layout->TakeSnapshot(kSnapshotManual);
    // D stands where A stood; E shares less than half a cell with that spot, F none.
    hostsim::ResetDesktop({{"A", 600, 400},
                           {"B", 90, 10},
                           {"C", 170, 10},
                           {"D", 10, 10},
                           {"E", 10, 60},
                           {"F", 10, 150}});
    hostsim::SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}}}, POINT{0, 0});
    const std::map<std::string, POINT> before = Where();

    layout->RestoreSnapshot(0);
    std::map<std::string, POINT> after = Where();
    ExpectAt(after, "A", 10, 10);
    ExpectAt(after, "E", 10, 60);
    ExpectAt(after, "F", 10, 150);
    const POINT d = after.at("D");
    EXPECT_TRUE(d.x >= 0 && d.x + kCell <= 1920 && d.y >= 0 && d.y + kCell <= 1040);
    // Every icon but E, which the user left half on A's cell, stands clear of every other.
    after.erase("E");
    ExpectNoOverlap(after);

    layout->Undo();
    for (const auto& icon : Where()) {
        ExpectAt(before, icon.first, icon.second.x, icon.second.y);
    }
}

// A snapshot of three screens restored on two, the secondary one left of the primary: the list
// view's points start at the virtual screen's corner, (-1280, 0) on the screen.
TEST_F(RestoreFit, PointsOnNoMonitorComeIntoTheNearestWorkAreaAndOthersStayExact) {
    hostsim::ResetDesktop({{"A", 0, 0}, {"B", 0, 0}, {"C", 0, 0}, {"D", 0, 0}, {"E", 3100, 0}});
    hostsim::SetMonitors(
        {{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}}, {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}}},
        POINT{-1280, 0});
    hostsim::SetIconCell(kCell, 80);
    layout->RestoreLayout("A;1300;10;B;5000;10;C;1300;3000;D;5;500;");

    const std::map<std::string, POINT> after = Where();
    ExpectAt(after, "A", 1300, 10);
    ExpectAt(after, "D", 5, 500);
    // E takes the top right cell of the primary work area, nearest to B's point: B takes the one
    // below it.
    ExpectAt(after, "B", 1280 + 24 * kCell, 80);
    ExpectAt(after, "C", 1280, 12 * 80);
    ExpectAt(after, "E", 3100, 0);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
}

} // namespace
