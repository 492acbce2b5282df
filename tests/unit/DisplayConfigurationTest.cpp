// The display configuration key from made-up monitor lists, its short form, and the watch that
// waits for the displays to stand still.
#include "desktop/DesktopReadiness.h"
#include "desktop/DisplayConfiguration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string KeyOf(const std::vector<DisplayMonitor>& monitors) {
    char key[kDisplayKeyChars];
    FormatDisplayKey(monitors.data(), static_cast<int>(monitors.size()), key);
    return key;
}

std::string Described(const std::string& key) {
    char text[kDisplayNameChars];
    DescribeDisplayKey(key.c_str(), text);
    return text;
}

const DisplayMonitor kLaptop = {0, 0, 1920, 1080, 144};
const DisplayMonitor kLeftScreen = {-2560, -360, 0, 1080, 96};
const DisplayMonitor kRightScreen = {1920, 0, 3840, 1080, 96};

TEST(DisplayKey, OneMonitorIsTheVirtualScreenAndItself) {
    EXPECT_EQ(KeyOf({kLaptop}), "0,0,1920,1080|0,0,1920,1080@144");
    EXPECT_EQ(Described(KeyOf({kLaptop})), "1920\xC3\x97"
                                           "1080");
}

TEST(DisplayKey, MonitorsInAnyOrderGiveOneKeySortedByPosition) {
    std::string key = KeyOf({kRightScreen, kLaptop, kLeftScreen});
    EXPECT_EQ(key, "-2560,-360,3840,1080|-2560,-360,0,1080@96|0,0,1920,1080@144|"
                   "1920,0,3840,1080@96");
    EXPECT_EQ(KeyOf({kLeftScreen, kRightScreen, kLaptop}), key);
    EXPECT_EQ(KeyOf({kLaptop, kLeftScreen, kRightScreen}), key);
    EXPECT_EQ(Described(key), "3 displays, 6400\xC3\x97"
                              "1440");
}

TEST(DisplayKey, StackedMonitorsSortByTopWhenTheyShareTheirLeft) {
    DisplayMonitor upper = {0, -1080, 1920, 0, 96};
    DisplayMonitor lower = {0, 0, 1920, 1080, 96};
    EXPECT_EQ(KeyOf({lower, upper}), "0,-1080,1920,1080|0,-1080,1920,0@96|0,0,1920,1080@96");
}

// Each of these is a different arrangement of the same displays for the desktop's icons.
TEST(DisplayKey, SizePositionAndDpiEachMakeAnotherConfiguration) {
    std::string docked = KeyOf({kLaptop, kRightScreen});
    DisplayMonitor scaled = kLaptop;
    scaled.dpi = 96;
    DisplayMonitor smaller = kRightScreen;
    smaller.right = 3200;
    DisplayMonitor otherSide = {-1920, 0, 0, 1080, 96};
    EXPECT_NE(KeyOf({scaled, kRightScreen}), docked);
    EXPECT_NE(KeyOf({kLaptop, smaller}), docked);
    EXPECT_NE(KeyOf({kLaptop, otherSide}), docked);
    EXPECT_NE(KeyOf({kLaptop}), docked);
    // Two monitors showing the same picture are still two monitors.
    EXPECT_NE(KeyOf({kLaptop, kLaptop}), KeyOf({kLaptop}));
}

TEST(DisplayKey, NoMonitorGivesTheEmptyKeyAndNoDescription) {
    EXPECT_EQ(KeyOf({}), "");
    EXPECT_EQ(Described(""), "");
    EXPECT_EQ(Described("garbage|1,2"), "");
    EXPECT_EQ(Described("1,2,3"), "");
    EXPECT_EQ(Described("-9223372036854775808,0,9223372036854775807,1|x"), "");
}

TEST(DisplayKey, TheMostMonitorsWithTheWidestNumbersFit) {
    std::vector<DisplayMonitor> monitors;
    for (int i = 0; i < kMaxDisplayMonitors + 5; i++) {
        monitors.push_back(
            {-2147483647 - 1 + i, -2147483647 - 1, 2147483647, 2147483647 - i, -2147483647 - 1});
    }
    std::string key = KeyOf(monitors);
    ASSERT_LT(key.size(), static_cast<size_t>(kDisplayKeyChars));
    // Every monitor the key keeps is there whole.
    size_t bars = 0;
    for (char c : key) {
        bars += c == '|';
    }
    EXPECT_EQ(bars, static_cast<size_t>(kMaxDisplayMonitors));
    EXPECT_EQ(key.substr(key.size() - 12), "@-2147483648");
    EXPECT_EQ(Described(key).substr(0, 13), "32 displays, ");
}

// ---- The watch --------------------------------------------------------------------------------

const char kDocked[] = "0,0,3840,1080|0,0,1920,1080@96|1920,0,3840,1080@96";
const char kUndocked[] = "0,0,1920,1080|0,0,1920,1080@96";
const char kGame[] = "0,0,1024,768|0,0,1024,768@96";

TEST(DisplayWatch, AChangeCountsOnlyOnceItHasStoodStill) {
    CDisplayWatch watch;
    watch.Start(kDocked);
    EXPECT_FALSE(watch.Look(kDocked));
    EXPECT_FALSE(watch.Pending());
    EXPECT_EQ(watch.Settle(kDocked), CDisplayWatch::kNothing);

    EXPECT_TRUE(watch.Look(kUndocked));
    EXPECT_TRUE(watch.Pending());
    // A second look at the same displays does not start the wait again.
    EXPECT_FALSE(watch.Look(kUndocked));
    EXPECT_EQ(watch.Settle(kGame), CDisplayWatch::kStillMoving);
    EXPECT_TRUE(watch.Pending());
    EXPECT_TRUE(watch.Look(kUndocked));
    EXPECT_EQ(watch.Settle(kUndocked), CDisplayWatch::kChanged);
    EXPECT_FALSE(watch.Pending());
    EXPECT_STREQ(watch.Current(), kUndocked);
    EXPECT_EQ(watch.Settle(kUndocked), CDisplayWatch::kNothing);
}

TEST(DisplayWatch, AMessageStartsTheWaitEvenWhenTheDisplaysLookTheSame) {
    CDisplayWatch watch;
    watch.Start(kDocked);
    watch.Disturbed(kDocked);
    EXPECT_TRUE(watch.Pending());
    // A game's mode that came and went while waiting leaves the configuration as it was.
    EXPECT_TRUE(watch.Look(kGame));
    EXPECT_EQ(watch.Settle(kDocked), CDisplayWatch::kStillMoving);
    EXPECT_EQ(watch.Settle(kDocked), CDisplayWatch::kSameAsBefore);
    EXPECT_STREQ(watch.Current(), kDocked);
}

// A failing read must neither start a change nor keep one waiting for ever, which would hold every
// autosave back.
TEST(DisplayWatch, DisplaysThatCannotBeReadChangeNothing) {
    CDisplayWatch watch;
    watch.Start(kDocked);
    EXPECT_FALSE(watch.Look(""));
    EXPECT_FALSE(watch.Pending());
    watch.Disturbed(kUndocked);
    EXPECT_EQ(watch.Settle(""), CDisplayWatch::kNothing);
    EXPECT_FALSE(watch.Pending());
    EXPECT_STREQ(watch.Current(), kDocked);
}

// At logon the list view is there before the shell has filled it: a read fails, finds no icon, or
// finds some while more arrive. A restore that waited only one look was dropped, and the next
// autosave recorded the shell's arrangement instead.
TEST(DesktopReadiness, WaitsForTheSameIconsAtTwoLooksAndGivesUpAfterTwoMinutes) {
    CDesktopReadiness readiness;
    EXPECT_EQ(readiness.Look(5, 0), CDesktopReadiness::kIdle);
    readiness.Begin(1000);
    const int looks[] = {-1, 0, 0, 3, 7};
    DWORD now = 1000;
    for (int count : looks) {
        EXPECT_EQ(readiness.Look(count, now += 5000), CDesktopReadiness::kWaiting) << count;
    }
    EXPECT_EQ(readiness.Look(7, now += 5000), CDesktopReadiness::kReady);
    readiness.Distrust();
    EXPECT_EQ(readiness.Look(7, now += 5000), CDesktopReadiness::kWaiting);
    EXPECT_EQ(readiness.Look(-1, 1000 + kDesktopReadyWaitMs), CDesktopReadiness::kGaveUp);
    readiness.End();
    EXPECT_FALSE(readiness.Waiting());

    // The tick count wraps after 49.7 days.
    readiness.Begin(0xFFFFF000u);
    EXPECT_EQ(readiness.Look(-1, 0x1000u), CDesktopReadiness::kWaiting);
    EXPECT_EQ(readiness.Look(-1, 0xFFFFF000u + kDesktopReadyWaitMs), CDesktopReadiness::kGaveUp);
}

} // namespace
