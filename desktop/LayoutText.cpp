// Layout text: one name;x;y; triple per icon, in the list view's item order.
#include "desktop/DesktopLayout.h"
#include "app/Decimal.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

enum { kCoordinateChars = 32 };

// Copies one field up to ";", NUL or capacity - 1 characters and steps over a closing ";".
// A field cut at its capacity leaves the cursor on its remainder, which begins the next field.
const char* ReadField(const char* cursor, char* field, size_t capacity) {
    size_t length = 0;
    while (*cursor != ';' && *cursor != '\0' && length < capacity - 1)
        field[length++] = *cursor++;
    field[length] = '\0';
    if (*cursor == ';')
        cursor++;
    return cursor;
}

} // namespace

const char* CDesktopLayout::CaptureLayout(int* complete) {
    captureBuffer[0] = '\0';
    if (complete)
        *complete = 0;
    listViewLost = 0;
    HWND listView = FindDesktopListView();
    if (!BeginListViewAccess(listView))
        return captureBuffer;

    char name[kIconNameChars];
    memset(name, 0, sizeof name);
    size_t length = 0;
    int unread = 0;
    int count = GetItemCount(listView);
    for (int item = 0; item < count && !listViewLost; item++) {
        POINT position;
        if (!ReadItemText(listView, item, name) || !ReadItemPosition(listView, item, &position)) {
            unread++;
            continue;
        }
        char triple[kIconNameChars + 2 * kCoordinateChars];
        int tripleLength = snprintf(triple, sizeof triple, "%s;%d;%d;", name,
                                    static_cast<int>(position.x), static_cast<int>(position.y));
        // Long names can make a triple that no longer fits: the capture ends before it.
        if (tripleLength < 0 || length + tripleLength >= sizeof captureBuffer)
            break;
        memcpy(captureBuffer + length, triple, tripleLength + 1);
        length += tripleLength;
        if (length >= kCaptureStopChars)
            break;
    }
    if (complete)
        *complete = !listViewLost && unread == 0;
    return captureBuffer;
}

void CDesktopLayout::ParseLayout(const char* text, CPtrList* list) {
    const char* cursor = text;
    while (*cursor != '\0') {
        char name[kIconNameChars];
        char x[kCoordinateChars];
        char y[kCoordinateChars];
        cursor = ReadField(cursor, name, sizeof name);
        cursor = ReadField(cursor, x, sizeof x);
        cursor = ReadField(cursor, y, sizeof y);
        if (name[0] == '\0' && x[0] == '\0' && y[0] == '\0')
            continue;
        LayoutEntry* entry = new (std::nothrow) LayoutEntry;
        if (!entry)
            return;
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
    for (PtrListNode* node = list->head; node; node = node->next)
        delete static_cast<LayoutEntry*>(node->data);
    list->Clear();
}
