// An apply waits for a shell that is not ready yet rather than moving icons through the list view,
// whose moves the shell undoes since Windows 10 1809: against the doubles of the folder view over
// the simulated desktop, with the clock the host lets a test set.
#include "contract/TestDesktop.h"
#include "contract/TestShellView.h"

#include "base/BoundedText.h"
#include "desktop/DesktopLayout.h"
#include "platform/host/HostTesting.h"
#include "store/LayoutSnapshot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using testdesktop::Icon;
using testdesktop::LayoutText;
using testshell::CTestShell;

const char kDisplays[] = "0,0,1920,1080|0,0,1920,1080@96";
const std::vector<Icon> kSaved = {{"A", 20, 10}, {"B", 20, 80}, {"C", 20, 150}};
const std::vector<Icon> kMoved = {{"A", 400, 10}, {"B", 400, 80}, {"C", 400, 150}};

int MovesSentToTheListView() {
    int moves = 0;
    for (const testdesktop::Request& request : testdesktop::TakeRequestLog()) {
        moves += request.msg == LVM_SETITEMPOSITION;
    }
    return moves;
}

class ShellRouteWait : public ::testing::Test {
  protected:
    std::unique_ptr<CDesktopLayout> layout;
    CTestShell* shell = nullptr;

    void SetUp() override {
        testdesktop::Start(kMoved);
        hostsim::ClearMessageBoxes();
        layout.reset(new CDesktopLayout);
        shell = CTestShell::Create();
        shell->Attach(layout.get(), 200);
        CopyBounded(layout->displayKey, sizeof layout->displayKey, kDisplays);
        LayoutSnapshot* saved = NewSnapshot("2024-03-01 09:00:00", LayoutText(kSaved).c_str(),
                                            kSnapshotManual, kDisplays);
        ASSERT_TRUE(saved && layout->snapshots->Append(saved));
        testdesktop::TakeRequestLog();
    }
    void TearDown() override { layout.reset(); }

    int Apply(const std::vector<Icon>& icons) {
        return layout->ApplyLayout(LayoutText(icons).c_str());
    }
};

// A shell starting (its windows object finds no desktop yet), restarting or slow to answer fails
// once: the user's apply found it again at once instead of moving icons through the list view.
TEST_F(ShellRouteWait, UsersApplyFindsTheShellAgainOnceBeforeTheListView) {
    const testshell::Method method[] = {testshell::kSource, testshell::kItemCount,
                                        testshell::kGetItemPosition};
    const HRESULT result[] = {S_FALSE, RPC_E_DISCONNECTED,
                              HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)};
    for (int fault = 0; fault < 3; fault++) {
        SetUp();
        shell->Fail(method[fault], 1, 1, result[fault]);
        EXPECT_EQ(Apply(kSaved), 1) << fault;
        EXPECT_EQ(layout->LastRoute(), kRouteShell) << fault;
        EXPECT_EQ(testdesktop::Icons(), kSaved) << fault;
        EXPECT_EQ(MovesSentToTheListView(), 0) << fault;
    }
    // A restore reads the desktop first: its apply still tries the shell twice.
    SetUp();
    shell->Fail(testshell::kSource, 1, 2, S_FALSE);
    layout->RestoreSnapshot(0);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(testdesktop::Icons(), kSaved);
    // A shell that stays away: twice, then the list view.
    SetUp();
    shell->FailFrom(testshell::kSource, 1, S_FALSE);
    EXPECT_EQ(Apply(kSaved), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(shell->Calls(testshell::kSource), 2);
    EXPECT_EQ(testdesktop::Icons(), kSaved);
}

// A restore for the displays went through the list view while the shell was not ready, and the
// shell put the icons back. It waits, moving nothing; a shell refused for good is not waited for.
TEST_F(ShellRouteWait, AutomaticRestoreWaitsForAShellNotReadyButNotForOneThatRefused) {
    shell->FailFrom(testshell::kSource, 1, S_FALSE);
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays), -1);
    EXPECT_EQ(testdesktop::Icons(), kMoved);
    EXPECT_EQ(MovesSentToTheListView(), 0);
    EXPECT_EQ(layout->undoStack->count, 0);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
    shell->Fail(testshell::kSource, 0, 0, S_OK);
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(testdesktop::Icons(), kSaved);
    EXPECT_EQ(layout->undoStack->count, 1);

    SetUp();
    shell->FailFrom(testshell::kItemCount, 1, E_NOTIMPL);
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(testdesktop::Icons(), kSaved);

    // The last try of a wait the shell never answered is not lost: the list view serves it.
    SetUp();
    shell->FailFrom(testshell::kSource, 1, S_FALSE);
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays, true), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(testdesktop::Icons(), kSaved);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());

    // A call that timed out is a failure that may pass: the restore waits for the next try; while
    // the given-up call is still inside the shell, the list view serves.
    SetUp();
    // The restore's own read counts first; the apply's count hangs.
    shell->HangAt(testshell::kItemCount, 2);
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays), -1);
    EXPECT_EQ(testdesktop::Icons(), kMoved);
    EXPECT_EQ(MovesSentToTheListView(), 0);
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(testdesktop::Icons(), kSaved);
    // Nothing may be left inside the simulated desktop once the test is over.
    shell->ReturnHungCalls();
    for (int tries = 0; tries < 500 && layout->LastRoute() != kRouteShell; tries++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        layout->CaptureLayout();
    }
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
}

// A class not registered refused the shell route for the life of the shell, though a shell
// registers its windows object a little after it has started. The refusal lasts
// kShellClassRefusalMs, also where the tick count wraps meanwhile.
TEST_F(ShellRouteWait, MissingClassIsAskedAgainAfterItsRefusalAcrossTheTickWrap) {
    const DWORD start = 0xFFFFFFFFu - 10000;
    hostsim::SetTickCount(start);
    shell->Fail(testshell::kSource, 1, 1, REGDB_E_CLASSNOTREG);
    layout->CaptureLayout();
    EXPECT_EQ(layout->LastRoute(), kRouteListView);

    hostsim::SetTickCount(start + kShellClassRefusalMs - 1000);
    layout->CaptureLayout();
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays), -1);
    EXPECT_EQ(Apply(kMoved), 0);
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    EXPECT_EQ(shell->Calls(testshell::kSource), 1);

    // The refusal began a moment after start.
    hostsim::SetTickCount(start + kShellClassRefusalMs + 1000);
    EXPECT_EQ(layout->RestoreNewestUnder(kDisplays), 1);
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
    EXPECT_EQ(testdesktop::Icons(), kSaved);
    EXPECT_EQ(shell->Calls(testshell::kSource), 2);
}

// The shell arranges the icons after a change of the displays: one that moved while the shell's
// points were checked against the list view's made them disagree, and closed the shell route
// until the next change. The operation takes the list view; the next one checks again.
TEST_F(ShellRouteWait, IconMovedWhileThePointsAreCheckedProvesNothing) {
    shell->SetViewPoints(40, 0);
    int positions = 0;
    // The first icon's second read, after the shell's.
    hostsim::SetBeforeListViewRequest([&positions](UINT msg) {
        if (msg == LVM_GETITEMPOSITION && ++positions == kCoordinateProbeIcons + 1) {
            hostsim::MoveIcon(0, 30, 30);
        }
    });
    std::vector<Icon> arranged = kMoved;
    arranged[0] = {"A", 30, 30};
    EXPECT_EQ(std::string(layout->CaptureLayout()), LayoutText(arranged));
    EXPECT_EQ(layout->LastRoute(), kRouteListView);
    hostsim::SetBeforeListViewRequest(nullptr);
    EXPECT_EQ(std::string(layout->CaptureLayout()), LayoutText(arranged));
    EXPECT_EQ(layout->LastRoute(), kRouteShell);
}

} // namespace
