#include "store/SnapshotName.h"

#include "base/TextEncoding.h"

#include <cstring>

namespace {

const char kReservedName[] = "newest";

bool HasControlCharacter(const char* text) {
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(text); *at; at++) {
        if (*at < 0x20 || *at == 0x7f) {
            return true;
        }
    }
    return false;
}

} // namespace

SnapshotNameProblem CheckSnapshotName(const char* text) {
    const size_t length = strlen(text);
    if (length == 0) {
        return kNameEmpty;
    }
    if (length >= kSnapshotNameChars) {
        return kNameTooLong;
    }
    if (!IsUtf8(text, length)) {
        return kNameNotWholeCharacters;
    }
    if (HasControlCharacter(text)) {
        return kNameHasControlCharacter;
    }
    if (strchr(text, '=')) {
        return kNameHasEqualsSign;
    }
    if (text[0] == '[' || text[0] == ' ') {
        return kNameStartsBadly;
    }
    // Scripts name the newest snapshot so, whatever the case they write it in.
    return EqualIgnoringAsciiCase(text, kReservedName) ? kNameReserved : kNameFits;
}

SnapshotNameProblem CheckNewSnapshotName(const CPtrList& list, SnapshotKind kind, const char* text,
                                         const LayoutSnapshot* renamed) {
    SnapshotNameProblem problem = CheckSnapshotName(text);
    if (problem != kNameFits) {
        return problem;
    }
    const LayoutSnapshot* holder = FindSnapshot(list, kind, text);
    return holder && holder != renamed ? kNameTaken : kNameFits;
}

const char* SnapshotNameProblemText(SnapshotNameProblem problem) {
    switch (problem) {
    case kNameEmpty:
        return "Type a name.";
    case kNameTooLong:
        return "The name is too long: 63 bytes at most.";
    case kNameNotWholeCharacters:
        return "The name holds a character that is not whole.";
    case kNameHasControlCharacter:
        return "The name holds a control character.";
    case kNameHasEqualsSign:
        return "The name may not hold \"=\".";
    case kNameStartsBadly:
        return "The name may not start with \"[\" or a space.";
    case kNameReserved:
        return "\"newest\" is kept for the command line.";
    case kNameTaken:
        return "Another snapshot of this kind has that name.";
    default:
        return "";
    }
}
