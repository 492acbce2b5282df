// The command line for scripts: how it is read, and what each command does to the store and the
// desktop, without any box.
#include "unit/SnapshotStoreFixture.h"
#include "store/SnapshotEdit.h"
#include "ui/ProgramCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using storetest::SnapshotStore;

std::string Read(const char* arguments) {
    ProgramCommand command = ParseProgramCommand(arguments);
    return std::to_string(command.verb) + ":" + command.name;
}

std::string Expect(ProgramVerb verb, const char* name = "") {
    return std::to_string(verb) + ":" + name;
}

TEST(ProgramCommands, TheCommandLineReadsAsWindowsSplitsItAndRefusesWhatItDoesNotKnow) {
    EXPECT_EQ(Read(""), Expect(kNoCommand));
    EXPECT_EQ(Read("  \t"), Expect(kNoCommand));
    EXPECT_EQ(Read("/save"), Expect(kCommandSave));
    EXPECT_EQ(Read("/SAVE  Work "), Expect(kCommandSave, "Work"));
    EXPECT_EQ(Read("/save \"Work desk\""), Expect(kCommandSave, "Work desk"));
    EXPECT_EQ(Read("/restore \"say \\\"hi\\\"\""), Expect(kCommandRestore, "say \"hi\""));
    EXPECT_EQ(Read("/restore C:\\a\\\\"), Expect(kCommandRestore, "C:\\a\\\\"));
    EXPECT_EQ(Read("/restore-newest"), Expect(kCommandRestoreNewest));
    EXPECT_EQ(Read("/undo"), Expect(kCommandUndo));
    EXPECT_EQ(Read("/Exit"), Expect(kCommandExit));
    for (const char* refused :
         {"/bogus", "/restore", "/restore \"\"", "/restore a b", "/save a=b", "/undo now"}) {
        EXPECT_EQ(Read(refused), Expect(kCommandMalformed)) << refused;
    }
    const std::string longName = "/restore " + std::string(64, 'n');
    const std::string overlong = "/save " + std::string(4 * kCommandTextChars, 'n');
    EXPECT_EQ(Read(longName.c_str()), Expect(kCommandMalformed));
    EXPECT_EQ(Read(overlong.c_str()), Expect(kCommandMalformed));

    EXPECT_STREQ(ArgumentsOf("\"C:\\Program Files\\q.exe\"  /save"), "/save");
    EXPECT_STREQ(ArgumentsOf("q.exe\t/undo"), "/undo");
    EXPECT_STREQ(ArgumentsOf("\"q.exe"), "");
    EXPECT_EQ(OutcomeOfAnswer(0), kOutcomeNoAnswer);

    // What another start hands over: its own tag, its terminator last, within the limit.
    char text[kCommandTextChars];
    const char save[] = "/save";
    const std::string tooLong(kCommandTextChars, 'x');
    EXPECT_TRUE(ReadCommandData(kCommandDataTag, save, sizeof save, text));
    EXPECT_STREQ(text, "/save");
    EXPECT_FALSE(ReadCommandData(kCommandDataTag + 1, save, sizeof save, text));
    EXPECT_FALSE(ReadCommandData(kCommandDataTag, save, sizeof save - 1, text));
    EXPECT_FALSE(ReadCommandData(kCommandDataTag, "/sa\0e", 6, text));
    EXPECT_FALSE(ReadCommandData(kCommandDataTag, tooLong.c_str(), kCommandTextChars + 1, text));
    EXPECT_FALSE(ReadCommandData(kCommandDataTag, nullptr, 6, text));
    EXPECT_EQ(OutcomeOfAnswer(AnswerOf(kOutcomeRestored)), kOutcomeRestored);
}

class ProgramCommandRuns : public SnapshotStore {
  protected:
    CommandOutcome Run(const char* arguments) {
        command = ParseProgramCommand(arguments);
        return RunProgramCommand(layout.get(), command);
    }
    std::string Told(CommandOutcome outcome) const {
        char line[kCommandTextChars];
        FormatOutcome(outcome, command, line);
        return line;
    }
    ProgramCommand command = {};
};

TEST_F(ProgramCommandRuns, EachCommandAnswersWithItsOutcomeAndShowsNoBox) {
    layout->desktopRoute = kRouteListView;
    EXPECT_EQ(Run("/save Work"), kOutcomeSaved);
    EXPECT_EQ(Told(kOutcomeSaved), "Saved \"Work\".");
    EXPECT_NE(SettingsFile().find("[SaveKept]\r\nWork=1\r\n"), std::string::npos);
    EXPECT_EQ(Run("/save Work"), kOutcomeAlreadyKept);
    hostsim::MoveIcon(0, 300, 300);
    EXPECT_EQ(Run("/save Work"), kOutcomeNameHoldsAnother);
    EXPECT_EQ(ExitCodeOf(kOutcomeNameHoldsAnother), 1);

    // An automatic snapshot renamed alike stands behind the manual one.
    SetClock(9, 30, 0);
    layout->TakeSnapshot(kSnapshotAutomatic);
    SnapshotEdit rename = {kEditRename, kSnapshotAutomatic, "2024-03-01 09:30:00 (AutoSave)",
                           "Work", false};
    ASSERT_TRUE(layout->EditSnapshot(rename));
    EXPECT_EQ(Run("/restore Work"), kOutcomeRestored);
    EXPECT_EQ(hostsim::Icons()[0].x, 10);
    EXPECT_EQ(Run("/undo"), kOutcomeUndone);
    EXPECT_EQ(hostsim::Icons()[0].x, 300);
    EXPECT_EQ(Run("/undo"), kOutcomeNothingToUndo);
    EXPECT_EQ(Run("/restore Nothing"), kOutcomeNoSuchSnapshot);
    EXPECT_EQ(Told(kOutcomeNoSuchSnapshot), "No snapshot is named \"Nothing\".");
    EXPECT_EQ(Run("/restore-newest"), kOutcomeNoSnapshotForDisplays);

    hostsim::SetShellHung(true);
    EXPECT_EQ(Run("/save"), kOutcomeDesktopUnreadable);
    EXPECT_EQ(Run("/restore Work"), kOutcomeDesktopUnreadable);
    hostsim::SetShellHung(false);
    EXPECT_EQ(Run("/save"), kOutcomeSaved);
    EXPECT_TRUE(hostsim::MessageBoxes().empty());
    EXPECT_EQ(ExitCodeOf(kOutcomeSaved), 0);
    EXPECT_EQ(ExitCodeOf(kOutcomeMalformed), 2);
}

} // namespace
