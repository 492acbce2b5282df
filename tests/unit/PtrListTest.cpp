#include "base/PtrList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<void*> Contents(const CPtrList& list) {
    std::vector<void*> data;
    for (PtrListNode* node = list.head; node; node = node->next) {
        data.push_back(node->data);
    }
    return data;
}

// head, tail, count and both directions of the links agree.
void ExpectConsistent(const CPtrList& list) {
    if (list.count == 0) {
        EXPECT_EQ(list.head, nullptr);
        EXPECT_EQ(list.tail, nullptr);
        return;
    }
    ASSERT_NE(list.head, nullptr);
    EXPECT_EQ(list.head->prev, nullptr);
    EXPECT_EQ(list.tail->next, nullptr);
    int forward = 0;
    PtrListNode* last = nullptr;
    for (PtrListNode* node = list.head; node; node = node->next, forward++) {
        EXPECT_EQ(node->prev, last);
        last = node;
    }
    EXPECT_EQ(forward, list.count);
    EXPECT_EQ(last, list.tail);
}

int StringLess(const void* first, const void* second) {
    return strcmp(static_cast<const char*>(first), static_cast<const char*>(second)) < 0;
}

struct PtrListTest : ::testing::Test {
    int values[5] = {0, 1, 2, 3, 4};
    CPtrList list;
    void Fill(int n) {
        for (int i = 0; i < n; i++) {
            list.Append(&values[i]);
        }
    }
};

TEST_F(PtrListTest, AppendKeepsOrderAndLinks) {
    Fill(3);
    EXPECT_EQ(Contents(list), (std::vector<void*>{&values[0], &values[1], &values[2]}));
    ExpectConsistent(list);
}

TEST_F(PtrListTest, RemovalsFromEmptyListDoNothing) {
    list.RemoveFirst();
    list.RemoveLast();
    list.RemoveAt(0);
    ExpectConsistent(list);
    EXPECT_EQ(list.count, 0);
}

TEST_F(PtrListTest, RemovingTheOnlyNodeEmptiesTheList) {
    Fill(1);
    list.RemoveFirst();
    ExpectConsistent(list);
    Fill(1);
    list.RemoveLast();
    ExpectConsistent(list);
    Fill(1);
    list.RemoveAt(0);
    ExpectConsistent(list);
}

TEST_F(PtrListTest, RemoveAtIgnoresIndicesOutsideTheList) {
    Fill(3);
    list.RemoveAt(-1);
    list.RemoveAt(3);
    list.RemoveAt(100);
    EXPECT_EQ(list.count, 3);
    ExpectConsistent(list);
}

TEST_F(PtrListTest, RemoveAtUnlinksMiddleAndTail) {
    Fill(5);
    list.RemoveAt(2);
    EXPECT_EQ(Contents(list), (std::vector<void*>{&values[0], &values[1], &values[3], &values[4]}));
    ExpectConsistent(list);
    list.RemoveAt(list.count - 1);
    EXPECT_EQ(Contents(list), (std::vector<void*>{&values[0], &values[1], &values[3]}));
    ExpectConsistent(list);
    list.RemoveAt(0);
    EXPECT_EQ(Contents(list), (std::vector<void*>{&values[1], &values[3]}));
    ExpectConsistent(list);
}

TEST_F(PtrListTest, IndexOfComparesPointersNotContents) {
    int twin = values[1];
    Fill(3);
    list.Append(&values[1]);
    EXPECT_EQ(list.IndexOf(&values[1]), 1);
    EXPECT_EQ(list.IndexOf(&twin), -1);
    EXPECT_EQ(list.IndexOf(nullptr), -1);
}

TEST_F(PtrListTest, ClearFreesNodesButNotData) {
    char* owned = new char[4];
    strcpy(owned, "abc");
    list.Append(owned);
    Fill(2);
    list.Clear();
    ExpectConsistent(list);
    EXPECT_STREQ(owned, "abc");
    delete[] owned;
}

TEST(PtrListSort, LessComparatorGivesDescendingOrder) {
    char beta[] = "beta", alpha[] = "alpha", gamma[] = "gamma";
    CPtrList list;
    list.Append(beta);
    list.Append(alpha);
    list.Append(gamma);
    PtrListNode* nodes[3] = {list.head, list.head->next, list.tail};
    list.Sort(StringLess);
    EXPECT_EQ(Contents(list), (std::vector<void*>{gamma, beta, alpha}));
    // Data moves between nodes; the nodes themselves stay where they were.
    EXPECT_EQ(list.head, nodes[0]);
    EXPECT_EQ(list.head->next, nodes[1]);
    EXPECT_EQ(list.tail, nodes[2]);
}

TEST(PtrListSort, EmptyAndSingleListsAreUnchanged) {
    CPtrList list;
    list.Sort(StringLess);
    EXPECT_EQ(list.count, 0);
    char only[] = "only";
    list.Append(only);
    list.Sort(StringLess);
    EXPECT_EQ(Contents(list), (std::vector<void*>{only}));
}

TEST(PtrListSort, EqualElementsKeepTheirOrder) {
    char a1[] = "same", a2[] = "same", big[] = "zzz";
    CPtrList list;
    list.Append(a1);
    list.Append(a2);
    list.Append(big);
    list.Sort(StringLess);
    EXPECT_EQ(Contents(list), (std::vector<void*>{big, a1, a2}));
}

int IntLess(const void* first, const void* second) {
    return *static_cast<const int*>(first) < *static_cast<const int*>(second);
}

// The order a selection sort gives, each place taking the greatest of the rest; for distinct keys
// the only descending order.
std::vector<void*> SelectionSorted(std::vector<void*> data) {
    for (size_t place = 0; place < data.size(); place++) {
        size_t best = place;
        for (size_t i = place + 1; i < data.size(); i++) {
            if (IntLess(data[best], data[i])) {
                best = i;
            }
        }
        std::swap(data[place], data[best]);
    }
    return data;
}

// Sorts a list of these keys and checks it against the reference; the nodes must not move.
void ExpectSortedLike(std::vector<int>& keys, const std::vector<void*>& reference) {
    CPtrList list;
    std::vector<PtrListNode*> nodes;
    for (int& key : keys) {
        nodes.push_back(list.Append(&key));
    }
    list.Sort(IntLess);
    EXPECT_EQ(Contents(list), reference);
    ExpectConsistent(list);
    std::vector<PtrListNode*> after;
    for (PtrListNode* node = list.head; node; node = node->next) {
        after.push_back(node);
    }
    EXPECT_EQ(after, nodes);
}

std::vector<void*> Pointers(std::vector<int>& keys) {
    std::vector<void*> pointers;
    for (int& key : keys) {
        pointers.push_back(&key);
    }
    return pointers;
}

// Every length up to a few runs of the merge, and some that are not powers of two.
TEST(PtrListSort, DistinctKeysGiveTheSelectionSortsOrder) {
    std::mt19937 random(7);
    for (int length : {2, 3, 4, 5, 7, 8, 9, 16, 17, 31, 100, 255, 1000, 4097}) {
        std::vector<int> keys(static_cast<size_t>(length));
        for (int i = 0; i < length; i++) {
            keys[static_cast<size_t>(i)] = i;
        }
        std::shuffle(keys.begin(), keys.end(), random);
        ExpectSortedLike(keys, SelectionSorted(Pointers(keys)));
    }
}

TEST(PtrListSort, EqualKeysKeepTheirOrderOnRandomData) {
    std::mt19937 random(11);
    for (int length : {2, 3, 6, 33, 128, 1000, 5000}) {
        for (int range : {2, 5, length}) {
            std::vector<int> keys(static_cast<size_t>(length));
            for (int& key : keys) {
                key = static_cast<int>(random() % static_cast<unsigned>(range));
            }
            std::vector<void*> reference = Pointers(keys);
            std::stable_sort(reference.begin(), reference.end(),
                             [](void* first, void* second) { return IntLess(second, first); });
            ExpectSortedLike(keys, reference);
        }
    }
}

TEST(PtrListSort, SortedAndReversedInput) {
    std::vector<int> ascending(300), descending(300);
    for (int i = 0; i < 300; i++) {
        ascending[static_cast<size_t>(i)] = i;
        descending[static_cast<size_t>(i)] = 299 - i;
    }
    ExpectSortedLike(ascending, SelectionSorted(Pointers(ascending)));
    ExpectSortedLike(descending, Pointers(descending));
}

} // namespace
