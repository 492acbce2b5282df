// How a few icons read through both routes decide the conversion between their points.
#include "desktop/ShellCoordinates.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

ProbedIcon Probed(int item, const char* name, int x, int y) {
    ProbedIcon icon;
    icon.item = item;
    strcpy(icon.name, name);
    icon.point.x = x;
    icon.point.y = y;
    return icon;
}

ShellCoordinateEvidence Compare(const std::vector<ProbedIcon>& listView,
                                const std::vector<ProbedIcon>& shell,
                                ShellCoordinates* conversion) {
    return CompareProbedIcons(listView.data(), static_cast<int>(listView.size()), shell.data(),
                              static_cast<int>(shell.size()), conversion);
}

// A scale taken for an offset would place every icon but one elsewhere; an icon that two bear the
// name of may be paired with the other.
TEST(ShellCoordinatesTest, OnlyOneOffsetForIconsAtTwoPointsOrMoreConverts) {
    ShellCoordinates conversion = {7, 7};
    std::vector<ProbedIcon> listView = {Probed(0, "A", 20, 10), Probed(1, "B", 20, 80),
                                        Probed(2, "C", 95, 10)};
    std::vector<ProbedIcon> shifted = {Probed(0, "A", 1940, 1090), Probed(1, "B", 1940, 1160),
                                       Probed(2, "C", 2015, 1090)};
    EXPECT_EQ(Compare(listView, shifted, &conversion), kCoordinatesAgree);
    EXPECT_EQ(conversion.dx, -1920);
    EXPECT_EQ(conversion.dy, -1080);

    std::vector<ProbedIcon> scaled = {Probed(0, "A", 30, 15), Probed(1, "B", 30, 120)};
    EXPECT_EQ(Compare(listView, scaled, &conversion), kCoordinatesDisagree);
    EXPECT_EQ(Compare(listView, {Probed(0, "A", 30, 15)}, &conversion), kCoordinatesDisagree);
    EXPECT_EQ(Compare(listView, {Probed(0, "A", 20, 10)}, &conversion), kCoordinatesAgree);
    EXPECT_EQ(Compare(listView,
                      {Probed(0, "A", 20 + kMaxShellOffset + 1, 10),
                       Probed(1, "B", 20 + kMaxShellOffset + 1, 80)},
                      &conversion),
              kCoordinatesDisagree);

    std::vector<ProbedIcon> twins = {Probed(0, "T", 20, 10), Probed(1, "T", 20, 80)};
    EXPECT_EQ(Compare(twins, {Probed(0, "T", 50, 80), Probed(1, "T", 50, 10)}, &conversion),
              kNoCoordinateEvidence);
    EXPECT_EQ(Compare({}, {}, &conversion), kNoCoordinateEvidence);
}

// A hand-edited layout may place an icon at the ends of int.
TEST(ShellCoordinatesTest, ConversionsHoldToTheRangeOfInt) {
    ShellCoordinates conversion = {-kMaxShellOffset, kMaxShellOffset};
    POINT shellPoint = ShellPointOfListViewPoint(INT_MAX, INT_MAX, conversion);
    EXPECT_EQ(shellPoint.x, INT_MAX);
    EXPECT_EQ(shellPoint.y, INT_MAX - kMaxShellOffset);
    POINT farOut = {INT_MIN, INT_MIN};
    POINT listViewPoint = ListViewPointOfShellPoint(farOut, conversion);
    EXPECT_EQ(listViewPoint.x, INT_MIN);
    EXPECT_EQ(listViewPoint.y, INT_MIN + kMaxShellOffset);
}

} // namespace
