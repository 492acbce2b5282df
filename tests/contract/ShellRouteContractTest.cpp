// The shell route against doubles of the shell's folder view whose items are the test desktop's
// icons: the same scenarios as the list-view route's, and the ways the shell can fail.
#include "contract/TestDesktop.h"
#include "contract/TestShellView.h"

#include "base/TextEncoding.h"
#include "desktop/DesktopLayout.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using testdesktop::Icon;
using testdesktop::LayoutText;
using testdesktop::Request;
using testshell::CTestShell;

std::vector<Icon> NumberedIcons(int count, int dx = 0) {
    std::vector<Icon> icons;
    for (int i = 0; i < count; i++) {
        char name[32];
        snprintf(name, sizeof name, "Icon %03d", i + 1);
        icons.push_back({name, 20 + 75 * (i / 10) + dx, 10 + 70 * (i % 10)});
    }
    return icons;
}

int MovesSentToTheListView() {
    int moves = 0;
    for (const Request& request : testdesktop::TakeRequestLog()) {
        moves += request.msg == LVM_SETITEMPOSITION;
    }
    return moves;
}

class ShellRoute : public ::testing::Test {
  protected:
    std::unique_ptr<CDesktopLayout> layout;
    CTestShell* shell = nullptr;

    void StartWith(const std::vector<Icon>& icons) {
        bool started = testdesktop::Start(icons);
        layout.reset(new CDesktopLayout);
        shell = CTestShell::Create();
        shell->Attach(layout.get());
        testdesktop::TakeRequestLog();
        ASSERT_TRUE(started);
    }
    void TearDown() override { layout.reset(); }

    std::string Capture(int* complete = nullptr) { return layout->CaptureLayout(complete); }
    int Apply(const std::string& text) { return layout->ApplyLayout(text.c_str()); }
    // The same desktop read through the list view.
    std::string CaptureThroughListView() {
        layout->desktopRoute = kRouteListView;
        std::string text = Capture();
        layout->desktopRoute = kRouteAuto;
        return text;
    }
};

// ---- Capture ----------------------------------------------------------------------------------

TEST_F(ShellRoute, CaptureReadsTheViewsItemsInOrderWithTheirPositions) {
    std::vector<Icon> icons = {{"Zeta", 300, 5}, {"Alpha", -40, 200}, {"Mid", 0, -7}};
    StartWith(icons);
    int complete = 0;
    EXPECT_EQ(Capture(&complete), "Zeta;300;5;Alpha;-40;200;Mid;0;-7;");
    EXPECT_EQ(complete, 1);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(shell->Calls(testshell::kItemCount), 1);
    // The list view is read only to check, once per connection, the shell's points against it.
    testdesktop::TakeRequestLog();
    EXPECT_EQ(Capture(), "Zeta;300;5;Alpha;-40;200;Mid;0;-7;");
    EXPECT_EQ(testdesktop::TakeRequestLog().size(), 0u);
}

TEST_F(ShellRoute, EmptyDesktopCapturesAsEmptyText) {
    StartWith({});
    int complete = 0;
    EXPECT_EQ(Capture(&complete), "");
    EXPECT_EQ(complete, 1);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
}

// A switch of route must never read as a change of the desktop: it would store a duplicate.
TEST_F(ShellRoute, BothRoutesWriteTheSameTextForTheSameDesktop) {
    const std::string lodz = "\xc5\x81\xc3\xb3\x64\xc5\xba.txt";
    const std::string smile = "\xf0\x9f\x98\x80";
    std::vector<Icon> icons = {{"Notes;old.txt", 20, 10},
                               {"dir\\", 100, 10},
                               {"x\\;y", 180, 10},
                               {";", 260, 10},
                               {lodz, 20, 90},
                               {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt", 100, 90},
                               {std::string(300, 'L'), 180, 90},
                               // A pair of units that the cut at 255 would split.
                               {std::string(254, 'e') + smile, 260, 90},
                               {"", 20, 170},
                               {"Recycle Bin", 100, 170}};
    StartWith(icons);
    std::string throughShell = Capture();
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(throughShell, CaptureThroughListView());
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_NE(throughShell.find(std::string(255, 'L') + ";180;90;"), std::string::npos);
    EXPECT_NE(throughShell.find(std::string(254, 'e') + ";260;90;"), std::string::npos);
}

// ---- Apply ------------------------------------------------------------------------------------

TEST_F(ShellRoute, ApplyPlacesEveryIconOutOfPlaceInOneCallPerPass) {
    std::vector<Icon> saved = NumberedIcons(30);
    StartWith(NumberedIcons(30, 400));
    testdesktop::MoveIcon(4, 20, 290); // already where the text wants it
    EXPECT_EQ(Apply(LayoutText(saved)), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(testdesktop::Icons(), saved);
    ASSERT_EQ(shell->Placements().size(), 1u);
    EXPECT_EQ(shell->Placements()[0].size(), 29u);
    // The second pass found everything in place.
    EXPECT_EQ(shell->Calls(testshell::kItemCount), 2);
    EXPECT_EQ(MovesSentToTheListView(), 0);
}

TEST_F(ShellRoute, ApplyMatchesNamesExactlyAndSharedNamesInOrder) {
    StartWith({{"Twin", 0, 0},
               {"Solo", 0, 0},
               {"Twin", 0, 0},
               {"Trio", 0, 0},
               {"Trio", 0, 0},
               {"Trio", 0, 0},
               {"case", 0, 0},
               {"Lone", 0, 0}});
    EXPECT_EQ(Apply("Twin;10;11;Twin;20;21;Trio;30;31;CASE;40;41;Lone;50;51;Lone;60;61;"
                    "Gone;70;71;"),
              1);
    std::vector<Icon> expected = {{"Twin", 10, 11}, {"Solo", 0, 0},  {"Twin", 20, 21},
                                  {"Trio", 30, 31}, {"Trio", 0, 0},  {"Trio", 0, 0},
                                  {"case", 0, 0},   {"Lone", 50, 51}};
    EXPECT_EQ(testdesktop::Icons(), expected);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
}

TEST_F(ShellRoute, TextThatNamesNoIconRunsOnePassAndPlacesNothing) {
    StartWith(NumberedIcons(5));
    EXPECT_EQ(Apply("Elsewhere;1;2;"), 0);
    EXPECT_EQ(Apply(LayoutText(NumberedIcons(5))), 0);
    EXPECT_EQ(shell->Calls(testshell::kItemCount), 2);
    EXPECT_EQ(shell->Placements().size(), 0u);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
}

// Placements that never land where asked: every pass places again, 21 in all.
TEST_F(ShellRoute, SnappingViewEndsOnceAPassChangesNothing) {
    StartWith({{"A", 0, 0}, {"B", 0, 0}});
    shell->SetSnapGrid(10);
    EXPECT_EQ(Apply("A;15;15;B;25;25;"), 1);
    EXPECT_EQ(shell->Placements().size(), 2u);
    EXPECT_EQ(testdesktop::Icons(), (std::vector<Icon>{{"A", 10, 10}, {"B", 20, 20}}));
}

// A layout stored while names were read in the code page names an icon by its ANSI form.
TEST_F(ShellRoute, OlderLayoutsNameIconsByTheirAnsiForms) {
    const std::string lodz = "\xc5\x81\xc3\xb3\x64\xc5\xba.txt";
    StartWith({{lodz, 0, 0}, {"Plain", 0, 0}});
    char ansi[64] = {};
    char ansiInUtf8[64] = {};
    ASSERT_GT(Utf8ToAnsi(lodz.c_str(), lodz.size(), ansi, sizeof ansi), 0u);
    ASSERT_GT(AnsiToUtf8(ansi, strlen(ansi), ansiInUtf8, sizeof ansiInUtf8), 0u);
    EXPECT_EQ(Apply(std::string(ansiInUtf8) + ";33;44;Plain;5;6;"), 1);
    EXPECT_EQ(testdesktop::Icons(), (std::vector<Icon>{{lodz, 33, 44}, {"Plain", 5, 6}}));
}

// ---- Coordinates ------------------------------------------------------------------------------

// The shell route took the folder view's points for the list view's: where they stand apart (a
// monitor left of or above the primary one) every capture stored shifted points and every apply
// placed the icons off by as much.
TEST_F(ShellRoute, ShellPointsApartByOneOffsetConvertBothWays) {
    std::vector<Icon> saved = NumberedIcons(12);
    StartWith(NumberedIcons(12, 300));
    shell->SetViewPoints(1920, 1080);
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(12, 300)));
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(Apply(LayoutText(saved)), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(testdesktop::Icons(), saved);
    EXPECT_EQ(MovesSentToTheListView(), 0);
    // Another arrangement of the displays, another offset: learnt once the change has settled.
    shell->SetViewPoints(-1280, 0);
    layout->ForgetShellCoordinates();
    EXPECT_EQ(Capture(), LayoutText(saved));
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
}

// Points that no one offset explains (a scale one route sees and the other does not) placed every
// icon elsewhere. The list view serves, and the shell is not asked until the displays change.
TEST_F(ShellRoute, ShellPointsThatDoNotAgreeLeaveTheListViewToServeUntilTheDisplaysChange) {
    std::vector<Icon> saved = NumberedIcons(6);
    StartWith(NumberedIcons(6, 300));
    shell->SetViewPoints(0, 0, 150);
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(6, 300)));
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    int calls = shell->TotalCalls();
    EXPECT_EQ(Apply(LayoutText(saved)), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(testdesktop::Icons(), saved);
    EXPECT_EQ(shell->Placements().size(), 0u);
    EXPECT_EQ(shell->TotalCalls(), calls);

    shell->SetViewPoints(0, 0);
    layout->ForgetShellCoordinates();
    EXPECT_EQ(Capture(), LayoutText(saved));
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
}

// ---- Failures ---------------------------------------------------------------------------------

struct Step {
    testshell::Method method;
    HRESULT result;
    const char* name;
};

class ShellRouteFailure : public ShellRoute, public ::testing::WithParamInterface<Step> {};

// Whatever fails before the shell placed anything, the list view serves the whole operation.
TEST_P(ShellRouteFailure, BeforeAnythingMovedTheListViewServes) {
    std::vector<Icon> saved = NumberedIcons(12);
    StartWith(NumberedIcons(12, 300));
    shell->FailFrom(GetParam().method, 1, GetParam().result);
    int complete = 0;
    EXPECT_EQ(Capture(&complete), LayoutText(NumberedIcons(12, 300)));
    EXPECT_EQ(complete, 1);
    // A capture does not place.
    bool capturesThroughShell = GetParam().method == testshell::kSelectAndPositionItems;
    EXPECT_EQ(layout->LastRoute(), capturesThroughShell ? kRouteShell : kRouteListView);
    EXPECT_EQ(Apply(LayoutText(saved)), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(testdesktop::Icons(), saved);
    EXPECT_EQ(shell->Placements().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ShellRouteFailure,
    ::testing::Values(Step{testshell::kSource, E_FAIL, "Source"},
                      Step{testshell::kSource, RPC_E_DISCONNECTED, "SourceDisconnected"},
                      Step{testshell::kGetFolder, E_NOINTERFACE, "GetFolder"},
                      Step{testshell::kItemCount, E_NOTIMPL, "ItemCount"},
                      Step{testshell::kItem, E_FAIL, "Item"},
                      Step{testshell::kGetDisplayNameOf, E_FAIL, "GetDisplayNameOf"},
                      Step{testshell::kGetItemPosition, E_NOTIMPL, "GetItemPosition"},
                      Step{testshell::kGetItemPosition,
                           HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), "ServerUnavailable"},
                      Step{testshell::kSelectAndPositionItems, E_NOTIMPL,
                           "SelectAndPositionItems"}),
    [](const ::testing::TestParamInfo<Step>& step) { return std::string(step.param.name); });

TEST_F(ShellRoute, PlacingCallThatFailsEndsTheOperation) {
    StartWith(NumberedIcons(6, 300));
    shell->FailFrom(testshell::kSelectAndPositionItems, 1, E_FAIL);
    // It may have moved some: the restore keeps its undo.
    EXPECT_EQ(Apply(LayoutText(NumberedIcons(6))), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(testdesktop::Icons(), NumberedIcons(6, 300));
    EXPECT_EQ(MovesSentToTheListView(), 0);
}

TEST_F(ShellRoute, FailureAfterAMoveEndsTheOperationOnTheShellRoute) {
    StartWith(NumberedIcons(6, 300));
    shell->FailFrom(testshell::kItemCount, 2, RPC_E_DISCONNECTED);
    EXPECT_EQ(Apply(LayoutText(NumberedIcons(6))), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(testdesktop::Icons(), NumberedIcons(6));
    EXPECT_EQ(MovesSentToTheListView(), 0);
}

TEST_F(ShellRoute, DisconnectedShellIsFoundAgainAtTheNextOperation) {
    StartWith(NumberedIcons(4));
    shell->Fail(testshell::kItemCount, 1, 1, RPC_E_DISCONNECTED);
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(4)));
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(4)));
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(shell->Calls(testshell::kSource), 2);
    // A view that works is kept from one operation to the next.
    Capture();
    EXPECT_EQ(shell->Calls(testshell::kSource), 2);
}

TEST_F(ShellRoute, NotImplementedIsNotAskedAgainUntilTheShellProcessChanges) {
    StartWith(NumberedIcons(4));
    shell->FailFrom(testshell::kGetItemPosition, 1, E_NOTIMPL);
    Capture();
    int calls = shell->TotalCalls();
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(4)));
    EXPECT_EQ(Apply(LayoutText(NumberedIcons(4, 10))), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(shell->TotalCalls(), calls);
    testdesktop::RestartShell();
    shell->window = CDesktopLayout::FindDesktopDefView();
    shell->Fail(testshell::kGetItemPosition, 0, 0, S_OK);
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(4, 10)));
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(shell->Calls(testshell::kSource), 2);
}

// Under Wine the shell's own view has no window: it shows another, empty desktop.
TEST_F(ShellRoute, ViewOfAnotherWindowIsNotTheDesktop) {
    StartWith(NumberedIcons(3));
    shell->window = nullptr;
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(3)));
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(3)));
    EXPECT_EQ(shell->Calls(testshell::kSource), 1);
    EXPECT_EQ(shell->Calls(testshell::kItemCount), 0);
}

// The hung call is given up after its bound; its worker is left to itself, never waited for.
TEST_F(ShellRoute, CallThatNeverReturnsIsGivenUp) {
    StartWith(NumberedIcons(5));
    shell->Attach(layout.get(), 200);
    shell->HangAt(testshell::kGetDisplayNameOf, 3);
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(5)));
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
}

// A new worker would hang where the given-up one hangs, a thread more and a bound's wait at every
// operation: until the hung call returns, the list view serves and the shell is not asked at all.
TEST_F(ShellRoute, GivenUpWorkerKeepsTheShellRouteClosedUntilItsCallReturns) {
    StartWith(NumberedIcons(5, 300));
    shell->Attach(layout.get(), 200);
    shell->HangAt(testshell::kGetDisplayNameOf, 3);
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(5, 300)));
    // Every worker started asks for the view first, and every wait is for a call into it.
    int calls = shell->TotalCalls();
    for (int operation = 0; operation < 3; operation++) {
        EXPECT_EQ(Capture(), LayoutText(NumberedIcons(5, 300)));
        EXPECT_EQ(layout->LastRoute(), kRouteListView);
    }
    EXPECT_EQ(Apply(LayoutText(NumberedIcons(5))), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(testdesktop::Icons(), NumberedIcons(5));
    EXPECT_EQ(shell->TotalCalls(), calls);

    shell->ReturnHungCalls();
    for (int tries = 0; tries < 500 && layout->LastRoute() != kRouteShell; tries++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        Capture();
    }
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(shell->Calls(testshell::kSource), 2);
}

TEST_F(ShellRoute, PlacingCallThatNeverReturnsEndsTheOperation) {
    StartWith(NumberedIcons(5, 300));
    shell->Attach(layout.get(), 200);
    shell->HangAt(testshell::kSelectAndPositionItems, 1);
    EXPECT_EQ(Apply(LayoutText(NumberedIcons(5))), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(MovesSentToTheListView(), 0);
    EXPECT_EQ(Apply(LayoutText(NumberedIcons(5))), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(testdesktop::Icons(), NumberedIcons(5));
}

// ---- The shell's own view --------------------------------------------------------------------

struct ChainRecord {
    int calls = 0;
    HRESULT result = S_OK;
    HWND window = nullptr;
};

HRESULT RecordedChain(void* context, IFolderView** view, HWND* window) {
    ChainRecord* record = static_cast<ChainRecord*>(context);
    record->calls++;
    record->result = FindShellDesktopView(nullptr, view, window);
    record->window = *window;
    return record->result;
}

// Under Wine the chain reaches a view of the shell's own, which shows no desktop of ours (on the
// host there is no shell windows object): the list view serves every operation, and the chain is
// not gone through again while the same shell stands.
TEST(ShellRouteOfTheSystem, IsTriedOnceAndTheListViewServes) {
    std::vector<Icon> saved = NumberedIcons(8);
    ASSERT_TRUE(testdesktop::Start(NumberedIcons(8, 200)));
    ChainRecord record;
    std::unique_ptr<CDesktopLayout> layout(new CDesktopLayout);
    layout->shellViewContext = &record;
    layout->shellViewSource = RecordedChain;
    EXPECT_EQ(std::string(layout->CaptureLayout()), LayoutText(NumberedIcons(8, 200)));
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(layout->ApplyLayout(LayoutText(saved).c_str()), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(testdesktop::Icons(), saved);
    EXPECT_EQ(record.calls, 1);
    EXPECT_EQ(record.window, nullptr);
    printf("the shell's desktop view: 0x%08lx\n", static_cast<unsigned long>(record.result));
    layout.reset();
}

// ---- The choice of route ------------------------------------------------------------------------

TEST_F(ShellRoute, ListViewChoiceNeverAsksTheShell) {
    StartWith(NumberedIcons(3, 50));
    layout->desktopRoute = kRouteListView;
    EXPECT_EQ(Capture(), LayoutText(NumberedIcons(3, 50)));
    EXPECT_EQ(Apply(LayoutText(NumberedIcons(3))), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(shell->TotalCalls(), 0);
}

TEST_F(ShellRoute, ShellChoiceDoesNotFallBack) {
    StartWith(NumberedIcons(3, 50));
    layout->desktopRoute = kRouteShell;
    shell->FailFrom(testshell::kItemCount, 1, E_FAIL);
    int complete = 1;
    EXPECT_EQ(Capture(&complete), "");
    EXPECT_EQ(complete, 0);
    EXPECT_EQ(layout->LastRoute(), kRouteNone);
    EXPECT_EQ(Apply(LayoutText(NumberedIcons(3))), 0);
    EXPECT_EQ(layout->LastRoute(), kRouteNone);
    EXPECT_EQ(testdesktop::TakeRequestLog().size(), 0u);
}

} // namespace
