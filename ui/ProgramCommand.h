// The command line for scripts and shortcuts: /save [name], /restore <name>, /restore-newest,
// /undo, /exit. A start with a command hands it to the copy that runs, or carries it out alone.
#pragma once

#include "platform/win32.h"
#include "store/LayoutSnapshot.h"

class CDesktopLayout;

enum {
    // The most an argument text may hold, handed over or parsed, terminator included.
    kCommandTextChars = 512,
};

// The tag of the data a start hands the running copy; no other WM_COPYDATA is taken.
const ULONG_PTR kCommandDataTag = 0x514d4344;

enum ProgramVerb {
    kNoCommand,
    kCommandSave,
    kCommandRestore,
    kCommandRestoreNewest,
    kCommandUndo,
    kCommandExit,
    kCommandMalformed,
};

struct ProgramCommand {
    ProgramVerb verb;
    // The snapshot's name, "" for none.
    char name[kSnapshotNameChars];
};

// What a command came to; each has its exit code and its message.
enum CommandOutcome {
    kOutcomeSaved,
    kOutcomeAlreadyKept,
    kOutcomeRestored,
    kOutcomeUndone,
    kOutcomeExiting,
    kOutcomeNameHoldsAnother,
    kOutcomeNoSuchSnapshot,
    kOutcomeNoSnapshotForDisplays,
    kOutcomeNothingToUndo,
    kOutcomeDesktopUnreadable,
    kOutcomeNotWritten,
    kOutcomeNotRunning,
    kOutcomeNoAnswer,
    kOutcomeMalformed,
    kOutcomeCount,
};

// The arguments of a command line in UTF-8, the program's name left out: Windows' rules of
// quotes and backslashes, switches in any case. No arguments is kNoCommand.
ProgramCommand ParseProgramCommand(const char* arguments);
// What follows the program's name in a whole command line, blanks skipped.
const char* ArgumentsOf(const char* commandLine);

// 0 done, 1 failed, 2 the command line was not understood.
int ExitCodeOf(CommandOutcome outcome);
// The line a script's console is told.
void FormatOutcome(CommandOutcome outcome, const ProgramCommand& command,
                   char (&line)[kCommandTextChars]);

// Carries out a save, restore or undo on the core object, without any box; the display
// configuration must be up to date. /exit is the window's to carry out.
CommandOutcome RunProgramCommand(CDesktopLayout* layout, const ProgramCommand& command);

// The text of a command another start handed over (WM_COPYDATA's tag, data and length): its own
// tag, a length within kCommandTextChars, one terminator at the end, UTF-8. False for anything
// else.
bool ReadCommandData(ULONG_PTR tag, const void* data, DWORD bytes, char (&text)[kCommandTextChars]);

// The answer a running copy gives a command, and how the start that sent it reads it; a window
// that knows no command answers 0, which reads as no answer.
LRESULT AnswerOf(CommandOutcome outcome);
CommandOutcome OutcomeOfAnswer(DWORD_PTR answer);
