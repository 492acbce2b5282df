#include "base/UniqueOwner.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<int> closed;

// Handles as small numbers, -1 holding nothing, as INVALID_HANDLE_VALUE does for files.
struct CountedTraits {
    typedef int Type;
    static int Empty() { return -1; }
    static void Close(int value) { closed.push_back(value); }
};
typedef CUniqueOwner<CountedTraits> COwner;

// Each resource is given back exactly once, whoever holds it last; an empty value never is.
TEST(UniqueOwner, GivesBackEachResourceOnceWhoeverHoldsItLast) {
    closed.clear();
    {
        COwner first(0);
        COwner second(std::move(first));
        EXPECT_TRUE(first.IsEmpty());
        second.Reset(1);
        EXPECT_EQ(closed, std::vector<int>{0});
        COwner third;
        third = std::move(second);
        *third.Put() = 2;
        EXPECT_EQ(closed, (std::vector<int>{0, 1}));
        COwner handed(3);
        EXPECT_EQ(handed.Release(), 3);
        COwner empty(-1);
    }
    EXPECT_EQ(closed, (std::vector<int>{0, 1, 2}));
}

} // namespace
