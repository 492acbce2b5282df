// Layout text: one name;x;y; triple per icon, in the list view's item order; a name's ";" and "\"
// are written with a backslash before them.
#include "desktop/DesktopLayout.h"
#include "base/Decimal.h"
#include "base/TextEncoding.h"
#include "desktop/LayoutEntries.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

enum {
    kCoordinateChars = 32,
    // Every byte of a name may take a backslash before it.
    kEscapedNameBytes = 2 * (kIconNameBytes - 1) + 1,
};

// Puts a backslash before each ";" and "\" of a name, so that a ";" inside a name does not end
// its field. out holds at least 2 * strlen(name) + 1 characters.
void EscapeName(const char* name, char* out) {
    for (; *name != '\0'; name++) {
        if (*name == ';' || *name == '\\') {
            *out++ = '\\';
        }
        *out++ = *name;
    }
    *out = '\0';
}

// Copies one field up to ";", NUL or capacity - 1 characters and returns where it stopped.
// A field cut at its capacity leaves the cursor on its remainder, which begins the next field.
const char* ReadField(const char* cursor, char* field, size_t capacity) {
    size_t length = 0;
    while (*cursor != ';' && *cursor != '\0' && length < capacity - 1) {
        field[length++] = *cursor++;
    }
    field[length] = '\0';
    return cursor;
}

// A name field, up to ";", NUL or kIconNameUnits UTF-16 units into name (kIconNameBytes). The cut
// falls between two characters, and the cursor stays on the rest of the name, which begins the
// next field. Bytes that are not UTF-8, as in layouts stored in the ANSI code page, are copied as
// they stand, one unit each. With escapes, "\;" and "\\" stand for ";" and "\".
const char* ReadNameField(const char* cursor, bool escapes, char* name) {
    size_t length = 0;
    size_t units = 0;
    while (*cursor != ';' && *cursor != '\0' && units < kIconNameUnits) {
        if (escapes && cursor[0] == '\\' && (cursor[1] == ';' || cursor[1] == '\\')) {
            name[length++] = cursor[1];
            units++;
            cursor += 2;
            continue;
        }
        size_t characterUnits = 0;
        size_t bytes = Utf8CharacterAt(cursor, strnlen(cursor, 4), &characterUnits);
        if (units + characterUnits > kIconNameUnits) {
            break;
        }
        memcpy(name + length, cursor, bytes);
        length += bytes;
        units += characterUnits;
        cursor += bytes;
    }
    name[length] = '\0';
    return cursor;
}

const char* ReadPlainName(const char* cursor, char* name) {
    return ReadNameField(cursor, false, name);
}

const char* ReadEscapedName(const char* cursor, char* name) {
    return ReadNameField(cursor, true, name);
}

const char* StepOverSeparator(const char* cursor) {
    return *cursor == ';' ? cursor + 1 : cursor;
}

using NameReader = const char* (*)(const char* cursor, char* name);

// Steps over the ";" that closes a field ending at end; false for a field cut short.
bool StepOverClosingSeparator(const char** cursor, const char* end) {
    if (*end != ';') {
        return false;
    }
    *cursor = end + 1;
    return true;
}

bool IsDecimal(const char* field) {
    if (*field == '-') {
        field++;
    }
    return *field != '\0' && field[strspn(field, "0123456789")] == '\0';
}

// Layouts stored before names were escaped hold every name as it stands: "dir\;1;2;" there is the
// icon "dir\" at (1, 2), which read with escapes would become "dir;1" and shift every field after
// it. A capture writes whole triples, each name within kIconNameUnits UTF-16 units once unescaped
// and each coordinate a signed decimal; only a text of that shape is read with escapes,
// and an older one keeps its reading unless names that look like numbers happen to fill the
// shifted fields. Without a backslash both readings agree.
bool ReadsWithEscapes(const char* text) {
    if (!strchr(text, '\\')) {
        return false;
    }
    const char* cursor = text;
    while (*cursor != '\0') {
        char name[kIconNameBytes];
        char x[kCoordinateChars];
        char y[kCoordinateChars];
        if (!StepOverClosingSeparator(&cursor, ReadEscapedName(cursor, name)) ||
            !StepOverClosingSeparator(&cursor, ReadField(cursor, x, sizeof x)) ||
            !StepOverClosingSeparator(&cursor, ReadField(cursor, y, sizeof y)) || !IsDecimal(x) ||
            !IsDecimal(y)) {
            return false;
        }
    }
    return true;
}

} // namespace

void CDesktopLayout::ClearCapture() {
    captureLength = 0;
    if (captureBuffer.Text()) {
        captureBuffer.Text()[0] = '\0';
    }
}

const char* CDesktopLayout::CaptureText() {
    return captureBuffer.Text() ? captureBuffer.Text() : "";
}

const char* CDesktopLayout::CaptureThroughListView(int* complete) {
    ClearCapture();
    listViewLost = 0;
    HWND listView = FindDesktopListView();
    if (!BeginListViewAccess(listView)) {
        return CaptureText();
    }

    char name[kIconNameBytes];
    memset(name, 0, sizeof name);
    int unread = 0;
    bool whole = true;
    int count = GetItemCount(listView);
    for (int item = 0; item < count && !listViewLost && whole; item++) {
        POINT position;
        if (!ReadItemText(listView, item, name) || !ReadItemPosition(listView, item, &position)) {
            unread++;
            continue;
        }
        whole = AppendTriple(name, position.x, position.y);
    }
    if (complete) {
        *complete = whole && !listViewLost && unread == 0;
    }
    return CaptureText();
}

// False when the triple does not fit: the capture then ends incomplete.
bool CDesktopLayout::AppendTriple(const char* name, int x, int y) {
    char escaped[kEscapedNameBytes];
    EscapeName(name, escaped);
    char triple[kEscapedNameBytes + 2 * kCoordinateChars];
    int tripleLength = snprintf(triple, sizeof triple, "%s;%d;%d;", escaped, x, y);
    return tripleLength > 0 && AppendToCapture(triple, static_cast<size_t>(tripleLength));
}

// False when the text would pass captureLimit or memory ran out.
bool CDesktopLayout::AppendToCapture(const char* text, size_t length) {
    size_t needed = captureLength + length + 1;
    if (needed > captureLimit || !captureBuffer.Reserve(needed, captureLength)) {
        return false;
    }
    memcpy(captureBuffer.Text() + captureLength, text, length + 1);
    captureLength += length;
    return true;
}

void CDesktopLayout::ParseLayout(const char* text, CPtrList* list) {
    NameReader readName = ReadsWithEscapes(text) ? ReadEscapedName : ReadPlainName;
    const char* cursor = text;
    while (*cursor != '\0') {
        char name[kIconNameBytes];
        char x[kCoordinateChars];
        char y[kCoordinateChars];
        cursor = StepOverSeparator(readName(cursor, name));
        cursor = StepOverSeparator(ReadField(cursor, x, sizeof x));
        cursor = StepOverSeparator(ReadField(cursor, y, sizeof y));
        if (name[0] == '\0' && x[0] == '\0' && y[0] == '\0') {
            continue;
        }
        LayoutEntry* entry = new (std::nothrow) LayoutEntry;
        if (!entry) {
            return;
        }
        memcpy(entry->name, name, sizeof name);
        entry->x = ParseDecimal(x);
        entry->y = ParseDecimal(y);
        if (!list->Append(entry)) {
            delete entry;
            return;
        }
    }
}

void FreeLayoutEntries(CPtrList* list) {
    for (PtrListNode* node = list->head; node; node = node->next) {
        delete static_cast<LayoutEntry*>(node->data);
    }
    list->Clear();
}

int CDesktopLayout::ReadIconCount() {
    int complete = 0;
    const char* text = CaptureLayout(&complete);
    if (!complete) {
        return -1;
    }
    return CLayoutEntries(text).List().count;
}
