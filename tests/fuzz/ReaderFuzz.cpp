// Reads arbitrary bytes as a settings text twice: once as the reader does, with its fast path for
// plain lines, and once with the careful checks for every line.
//
// What must hold for any input: no overrun or leak (the sanitizers), and the two documents are
// the same, section for section and key for key, in the same order, byte for byte.
#include "ini/IniFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "ReaderFuzz: %s\n", what);
        abort();
    }
}

void RequireSameKeys(const IniKey* fast, const IniKey* careful) {
    for (; fast && careful; fast = fast->next, careful = careful->next) {
        Require(strcmp(fast->name, careful->name) == 0, "key names differ");
        Require(fast->value && careful->value, "key without value");
        Require(strcmp(fast->value, careful->value) == 0, "values differ");
    }
    Require(!fast && !careful, "key counts differ");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    CIniFile fast;
    fast.ReadText(text, size);
    CIniFile careful;
    careful.ReadTextCarefully(text, size);
    const IniSection* a = fast.firstSection;
    const IniSection* b = careful.firstSection;
    for (; a && b; a = a->next, b = b->next) {
        Require(strcmp(a->name, b->name) == 0, "section names differ");
        RequireSameKeys(a->firstKey, b->firstKey);
    }
    Require(!a && !b, "section counts differ");
    return 0;
}
