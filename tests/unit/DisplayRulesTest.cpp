// The rules for a change of the displays, against a host that writes down what they ask for.
#include "desktop/DisplayRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kLarge[] = "0,0,1920,1200|0,0,1920,1200@96";
const char kSmall[] = "0,0,1024,768|0,0,1024,768@96";

class CRecordingHost final : public IDisplayRulesHost {
  public:
    CDisplayRules rules{this};
    bool restoreOn = true;
    bool startupOn = false;
    std::string newest = kLarge;
    // What the desktop answers, in turn; the last answer stays.
    std::vector<int> iconCounts = {3};
    std::vector<int> restoreResults = {0};
    std::string log;

    // An automatic snapshot as the tray window takes one: unless the rules hold it.
    void AutoSave() {
        if (!rules.HoldAutomaticSnapshot()) {
            log += "snapshot;";
        }
    }

  private:
    static int Next(std::vector<int>& answers) {
        int answer = answers.front();
        if (answers.size() > 1) {
            answers.erase(answers.begin());
        }
        return answer;
    }
    bool RestoresOnDisplayChange() override { return restoreOn; }
    bool RestoresAtStartup() override { return startupOn; }
    const char* NewestSnapshotDisplays() override { return newest.c_str(); }
    int RestoreNewestUnder(const char* displays, bool atLast) override {
        log += std::string(atLast ? "last restore " : "restore ") + displays + ";";
        return Next(restoreResults);
    }
    int ReadIconCount() override { return Next(iconCounts); }
    void TakeAutomaticSnapshot() override { AutoSave(); }
    void ForgetShellCoordinates() override { log += "forget;"; }
    void StartSettleTimer() override { log += "settle timer;"; }
    void StopSettleTimer() override { log += "stop;"; }
};

// A change counts once the displays have stood still; only then, and only with the option on, the
// new displays' arrangement comes back. A change undone within the wait restores nothing.
TEST(DisplayRules, ASettledChangeRestoresTheNewDisplaysArrangementOnlyWithTheOptionOn) {
    for (bool on : {false, true}) {
        CRecordingHost host;
        host.restoreOn = on;
        host.rules.Start(kLarge, 0);
        host.rules.OnDisplaysDisturbed(kSmall);
        host.rules.LookAtDisplays(kLarge);
        host.rules.OnSettleTimer(kSmall, 2000);
        host.rules.OnSettleTimer(kSmall, 4000);
        EXPECT_EQ(host.log, std::string("settle timer;settle timer;stop;forget;") +
                                (on ? std::string("restore ") + kSmall + ";" : ""));
        host.log.clear();
        host.rules.OnPoll(kLarge, 5000);
        host.rules.OnSettleTimer(kSmall, 7000);
        host.rules.OnSettleTimer(kSmall, 9000);
        EXPECT_EQ(host.log, "settle timer;stop;forget;");
    }
}

// With the option on, the autosave that falls while the displays change waits, and records the
// arrangement the restore put back; with it off, nothing waits.
TEST(DisplayRules, AnAutosaveWhileAChangeIsPendingIsTakenAfterTheRestore) {
    for (bool on : {false, true}) {
        CRecordingHost host;
        host.restoreOn = on;
        host.newest = kSmall;
        host.rules.Start(kSmall, 0);
        host.rules.OnDisplaysDisturbed(kLarge);
        host.AutoSave();
        host.rules.OnSettleTimer(kLarge, 2000);
        EXPECT_EQ(host.log,
                  on ? std::string("settle timer;stop;forget;restore ") + kLarge + ";snapshot;"
                     : "settle timer;snapshot;stop;forget;");
    }
}

// At logon the program may start long before the shell has filled the desktop: the restore of
// these displays runs once the desktop reads the same icons at two polls, and the start's
// snapshot waits for it. A restore the shell could not take is tried again, and when the wait is
// over on a desktop that stood ready, the route that may not last takes it.
TEST(DisplayRules, AStartBeforeTheDesktopRestoresOnceItIsReadyAndHoldsTheStartSnapshot) {
    CRecordingHost host;
    host.newest = kSmall;
    host.iconCounts = {-1, -1, 0, 3, 3};
    host.rules.Start(kLarge, 0);
    host.AutoSave();
    for (DWORD now = 5000; now <= 20000; now += 5000) {
        host.rules.OnPoll(kLarge, now);
    }
    EXPECT_EQ(host.log, std::string("restore ") + kLarge + ";snapshot;");

    CRecordingHost waiting;
    waiting.newest = kSmall;
    waiting.iconCounts = {3, 3, -1};
    waiting.restoreResults = {-1};
    waiting.rules.Start(kLarge, 0);
    waiting.AutoSave();
    waiting.rules.OnPoll(kLarge, 5000);
    waiting.rules.OnPoll(kLarge, 120000);
    EXPECT_EQ(waiting.log,
              std::string("restore ") + kLarge + ";last restore " + kLarge + ";snapshot;");
}

// Only displays other than those of the newest snapshot, known and recorded, count as a change.
TEST(DisplayRules, AStartRestoresNothingUnlessTheNewestSnapshotRecordsOtherDisplays) {
    struct Case {
        bool on;
        const char* newest;
        const char* displays;
    } cases[] = {
        {false, kSmall, kLarge}, {true, "", kLarge}, {true, kLarge, kLarge}, {true, kSmall, ""}};
    for (const Case& c : cases) {
        CRecordingHost host;
        host.restoreOn = c.on;
        host.newest = c.newest;
        host.rules.Start(c.displays, 0);
        host.AutoSave();
        EXPECT_EQ(host.log, "snapshot;") << c.on << " " << c.newest << " " << c.displays;
    }
}

// Restoring at start-up, a start puts back the newest arrangement of its own displays once the
// desktop is ready, before its own snapshot: whatever displays the newest snapshot records, and
// once, not twice, with both options on.
TEST(DisplayRules, RestoringAtStartUpRestoresOnceBeforeTheStartSnapshot) {
    for (const char* newest : {kLarge, kSmall}) {
        for (bool onDisplayChange : {false, true}) {
            CRecordingHost host;
            host.startupOn = true;
            host.restoreOn = onDisplayChange;
            host.newest = newest;
            host.rules.Start(kLarge, 0);
            host.AutoSave();
            host.rules.OnPoll(kLarge, 5000);
            host.rules.OnPoll(kLarge, 10000);
            EXPECT_EQ(host.log, std::string("restore ") + kLarge + ";snapshot;")
                << newest << " " << onDisplayChange;
        }
    }
}

} // namespace
