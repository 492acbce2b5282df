#include "ui/ProgramCommand.h"

#include "base/BoundedText.h"
#include "base/TextEncoding.h"
#include "desktop/DesktopLayout.h"
#include "store/SnapshotName.h"

#include <cstdio>
#include <cstring>

namespace {

// Above every outcome, so that 0 is never an answer.
const LRESULT kAnsweredBase = 0x5100;

struct OutcomeText {
    int exitCode;
    // %s stands for the snapshot's name where the text has it.
    const char* text;
};

const OutcomeText kOutcomes[kOutcomeCount] = {
    {0, "Saved the desktop."},
    {0, "\"%s\" holds this desktop already."},
    {0, "Restored."},
    {0, "Undone."},
    {0, "Quill Marsh is closing."},
    {1, "\"%s\" holds another arrangement; nothing was changed."},
    {1, "No snapshot is named \"%s\"."},
    {1, "No snapshot was taken under these displays."},
    {1, "Nothing to undo."},
    {1, "Could not read the desktop icons!"},
    {1, "Could not write the settings file."},
    {1, "Quill Marsh is not running."},
    {1, "Quill Marsh did not answer."},
    {2, "Unknown command line. Use: quillmarsh.exe /save [name] | /restore name | "
        "/restore-newest | /undo | /exit"},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* SkipBlanks(const char* at) {
    while (IsBlank(*at)) {
        at++;
    }
    return at;
}

// One argument by the rules of the C runtime: blanks part arguments outside quotes; 2n
// backslashes before a quote stand for n and the quote opens or closes; 2n + 1 stand for n and a
// quote; other backslashes stand for themselves. False when it does not fit.
bool NextArgument(const char** at, char (&argument)[kCommandTextChars]) {
    const char* p = *at;
    size_t length = 0;
    bool quoted = false;
    auto put = [&](char c, size_t times) {
        if (length + times >= sizeof argument) {
            return false;
        }
        memset(argument + length, c, times);
        length += times;
        return true;
    };
    while (*p && (quoted || !IsBlank(*p))) {
        size_t backslashes = strspn(p, "\\");
        bool fits = true;
        if (p[backslashes] == '"') {
            fits = put('\\', backslashes / 2) && (backslashes % 2 == 0 || put('"', 1));
            quoted = backslashes % 2 == 0 ? !quoted : quoted;
            p += backslashes + 1;
        } else if (backslashes > 0) {
            fits = put('\\', backslashes);
            p += backslashes;
        } else {
            fits = put(*p++, 1);
        }
        if (!fits) {
            return false;
        }
    }
    argument[length] = '\0';
    *at = SkipBlanks(p);
    return true;
}

struct VerbSwitch {
    const char* name;
    ProgramVerb verb;
};

const VerbSwitch kSwitches[] = {
    {"/save", kCommandSave},
    {"/restore", kCommandRestore},
    {"/restore-newest", kCommandRestoreNewest},
    {"/undo", kCommandUndo},
    {"/exit", kCommandExit},
};

ProgramVerb VerbOf(const char* argument) {
    for (const VerbSwitch& entry : kSwitches) {
        if (EqualIgnoringAsciiCase(argument, entry.name)) {
            return entry.verb;
        }
    }
    return kCommandMalformed;
}

// /save takes a name it may give, /restore the name of one that may exist; the others none.
bool TakesName(ProgramVerb verb, bool given, const char* name) {
    switch (verb) {
    case kCommandSave:
        return !given || CheckSnapshotName(name) == kNameFits;
    case kCommandRestore:
        return given && name[0] != '\0' && strlen(name) < kSnapshotNameChars;
    default:
        return !given;
    }
}

const LayoutSnapshot* SnapshotNamed(const CDesktopLayout& layout, const char* name) {
    const LayoutSnapshot* manual = FindSnapshot(*layout.snapshots, kSnapshotManual, name);
    return manual ? manual : FindSnapshot(*layout.snapshots, kSnapshotAutomatic, name);
}

// The layout is copied first: the record may change before the restore is done.
CommandOutcome Restore(CDesktopLayout* layout, const LayoutSnapshot* snapshot) {
    CHeapText copy(CopyToHeap(snapshot->layout.Get()));
    if (copy.IsEmpty()) {
        return kOutcomeNotWritten;
    }
    return layout->RestoreLayoutQuietly(copy.Get()) ? kOutcomeRestored : kOutcomeDesktopUnreadable;
}

CommandOutcome Save(CDesktopLayout* layout, const char* name) {
    SaveResult result = name[0] == '\0' ? layout->TakeSnapshotQuietly(kSnapshotManual)
                                        : layout->KeepDesktopAs(name);
    switch (result) {
    case kSavedNow:
        return kOutcomeSaved;
    case kAlreadyKept:
        return kOutcomeAlreadyKept;
    case kNameHoldsAnother:
        return kOutcomeNameHoldsAnother;
    case kSaveUnreadable:
        return kOutcomeDesktopUnreadable;
    default:
        return kOutcomeNotWritten;
    }
}

} // namespace

const char* ArgumentsOf(const char* commandLine) {
    const char* at = commandLine;
    if (*at == '"') {
        const char* end = strchr(at + 1, '"');
        at = end ? end + 1 : at + strlen(at);
    } else {
        while (*at && !IsBlank(*at)) {
            at++;
        }
    }
    return SkipBlanks(at);
}

ProgramCommand ParseProgramCommand(const char* arguments) {
    ProgramCommand command = {kNoCommand, {}};
    const char* at = SkipBlanks(arguments);
    if (*at == '\0') {
        return command;
    }
    char argument[kCommandTextChars];
    command.verb = kCommandMalformed;
    if (!NextArgument(&at, argument)) {
        return command;
    }
    ProgramVerb verb = VerbOf(argument);
    bool given = *at != '\0';
    if (given && !NextArgument(&at, argument)) {
        return command;
    }
    if (*at != '\0' || !TakesName(verb, given, argument)) {
        return command;
    }
    if (given) {
        CopyBounded(command.name, sizeof command.name, argument);
    }
    command.verb = verb;
    return command;
}

int ExitCodeOf(CommandOutcome outcome) {
    return outcome >= 0 && outcome < kOutcomeCount ? kOutcomes[outcome].exitCode : 1;
}

void FormatOutcome(CommandOutcome outcome, const ProgramCommand& command,
                   char (&line)[kCommandTextChars]) {
    const char* text = outcome >= 0 && outcome < kOutcomeCount ? kOutcomes[outcome].text : "";
    if (outcome == kOutcomeSaved && command.name[0] != '\0') {
        text = "Saved \"%s\".";
    } else if (outcome == kOutcomeRestored && command.name[0] != '\0') {
        text = "Restored \"%s\".";
    }
    const char* mark = strstr(text, "%s");
    if (!mark) {
        CopyBounded(line, sizeof line, text);
        return;
    }
    snprintf(line, sizeof line, "%.*s%s%s", static_cast<int>(mark - text), text, command.name,
             mark + 2);
}

CommandOutcome RunProgramCommand(CDesktopLayout* layout, const ProgramCommand& command) {
    switch (command.verb) {
    case kCommandSave:
        return Save(layout, command.name);
    case kCommandRestore: {
        const LayoutSnapshot* snapshot = SnapshotNamed(*layout, command.name);
        return snapshot ? Restore(layout, snapshot) : kOutcomeNoSuchSnapshot;
    }
    case kCommandRestoreNewest: {
        const LayoutSnapshot* newest = NewestSnapshotUnder(*layout->snapshots, layout->displayKey);
        return newest ? Restore(layout, newest) : kOutcomeNoSnapshotForDisplays;
    }
    case kCommandUndo:
        if (layout->undoStack->count <= 0) {
            return kOutcomeNothingToUndo;
        }
        return layout->UndoQuietly() ? kOutcomeUndone : kOutcomeDesktopUnreadable;
    default:
        return kOutcomeMalformed;
    }
}

bool ReadCommandData(ULONG_PTR tag, const void* data, DWORD bytes,
                     char (&text)[kCommandTextChars]) {
    if (tag != kCommandDataTag || !data || bytes == 0 || bytes > sizeof text) {
        return false;
    }
    memcpy(text, data, bytes);
    const size_t length = bytes - 1;
    return text[length] == '\0' && strlen(text) == length && IsUtf8(text, length);
}

LRESULT AnswerOf(CommandOutcome outcome) {
    return kAnsweredBase + outcome;
}

CommandOutcome OutcomeOfAnswer(DWORD_PTR answer) {
    if (answer < static_cast<DWORD_PTR>(kAnsweredBase) ||
        answer >= static_cast<DWORD_PTR>(kAnsweredBase + kOutcomeCount)) {
        return kOutcomeNoAnswer;
    }
    return static_cast<CommandOutcome>(answer - kAnsweredBase);
}
