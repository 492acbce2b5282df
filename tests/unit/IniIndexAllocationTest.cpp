// Index tables that cannot be allocated: the document walks its chains instead and loses nothing.
// Array allocations of this test program go through malloc, so a test can refuse the larger ones;
// the index's tables are arrays of pointers, and the values kept here are short.
#include "ini/IniFile.h"
#include "tests/unit/IniTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

// Nothrow array allocations of this many bytes or more fail while it is not 0.
size_t refusedFrom = 0;

void* Allocate(size_t size) {
    return std::malloc(size ? size : 1);
}

} // namespace

void* operator new[](size_t size) {
    void* memory = Allocate(size);
    if (!memory) {
        throw std::bad_alloc();
    }
    return memory;
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    if (refusedFrom && size >= refusedFrom) {
        return nullptr;
    }
    return Allocate(size);
}

void operator delete[](void* memory) noexcept {
    std::free(memory);
}

void operator delete[](void* memory, size_t) noexcept {
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

namespace {

using initest::Contents;
using initest::Section;

struct RefusedTables {
    explicit RefusedTables(size_t from) { refusedFrom = from; }
    ~RefusedTables() { refusedFrom = 0; }
};

// A chain has a table of 32 slots once it holds 9 names, and one of 64 slots from 17 names: 64
// bytes refuse the first table, 512 bytes refuse it when it would grow.
TEST(IniIndexAllocationTest, LookupsWalkTheChainsOnceATableCannotBeHad) {
    for (size_t from : {64, 512}) {
        CIniFile document;
        std::vector<Section> expected;
        {
            RefusedTables refused(from);
            for (int i = 0; i < 600; i++) {
                std::string section = "S" + std::to_string(i % 30);
                std::string key = "k" + std::to_string(i);
                if (i < 30) {
                    expected.push_back({section, {}});
                }
                expected[static_cast<size_t>(i % 30)].keys.emplace_back(key, "v");
                ASSERT_EQ(document.SetString(section.c_str(), key.c_str(), "v"), 1);
            }
            for (int i = 0; i < 600; i += 7) {
                std::string section = "S" + std::to_string(i % 30);
                std::string key = "k" + std::to_string(i);
                ASSERT_EQ(document.SetString(section.c_str(), key.c_str(), "w"), 1);
                expected[static_cast<size_t>(i % 30)].keys[static_cast<size_t>(i / 30)].second =
                    "w";
            }
            EXPECT_EQ(Contents(document), expected) << "refused from " << from;
            for (int i = 0; i < 600; i++) {
                std::string section = "S" + std::to_string(i % 30);
                std::string key = "k" + std::to_string(i);
                IniKey* found = document.FindKey(section.c_str(), key.c_str());
                ASSERT_NE(found, nullptr) << key;
                EXPECT_STREQ(found->name, key.c_str());
            }
            EXPECT_EQ(document.FindKey("S0", "k1"), nullptr);
            EXPECT_EQ(document.FindSection("S30"), nullptr);
        }
        // Tables can be had again: new sections get one, and the given-up ones keep walking.
        document.SetString("New", "k", "x");
        document.SetString("S0", "k600", "x");
        EXPECT_STREQ(document.GetString("New", "k", nullptr), "x");
        EXPECT_STREQ(document.GetString("S0", "k600", nullptr), "x");
        EXPECT_STREQ(document.GetString("S29", "k599", nullptr), "v");
    }
}

} // namespace
