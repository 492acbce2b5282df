// The program's first step at start: from then on the system looks for libraries named without a
// path in its own folder only, not beside the program.
#include "base/DllSearch.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

namespace {

// Built beside this test program (PlantedLibrary.cpp), where nothing of the system's is.
const char kBesideTheProgram[] = "PlantedLibrary.dll";
const char kInTheSystemFolder[] = "version.dll";

TEST(DllSearch, OnceLimitedALibraryBesideTheProgramIsNotLoadedButTheSystemsAre) {
    HMODULE planted = LoadLibraryA(kBesideTheProgram);
    ASSERT_NE(planted, nullptr) << "without the limit the library beside the program loads";
    FreeLibrary(planted);
    ASSERT_EQ(GetModuleHandleA(kBesideTheProgram), nullptr);

    EXPECT_TRUE(LimitDllSearchToSystemFolder());
    planted = LoadLibraryA(kBesideTheProgram);
    EXPECT_EQ(planted, nullptr);
    if (planted) {
        FreeLibrary(planted);
    }
    HMODULE system = LoadLibraryA(kInTheSystemFolder);
    EXPECT_NE(system, nullptr);
    if (system) {
        FreeLibrary(system);
    }
    system = LoadLibraryExA(kInTheSystemFolder, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    EXPECT_NE(system, nullptr);
    if (system) {
        FreeLibrary(system);
    }
}

} // namespace
