// The LVITEMW record and the 1024-byte block through which list-view requests cross into the shell
// process. The record is written in the layout of the shell process, whatever our own width.
#pragma once

#include "desktop/IconName.h"

#include <cstddef>
#include <cstdint>

enum {
    kRemoteBlockBytes = 1024,
    // cchTextMax of a text request: the list view writes up to kIconNameUnits units and a NUL.
    kRemoteTextUnits = kIconNameUnits + 1,
    kRemoteTextBytes = 2 * kRemoteTextUnits,
};

// LVITEMW of a 32-bit process, up to and including iIndent; LVITEMA is laid out alike.
struct ListViewItem32 {
    uint32_t mask;
    int32_t iItem;
    int32_t iSubItem;
    uint32_t state;
    uint32_t stateMask;
    uint32_t pszText;
    int32_t cchTextMax;
    int32_t iImage;
    int32_t lParam;
    int32_t iIndent;
};

// LVITEMW of a 64-bit process, whole.
struct ListViewItem64 {
    uint32_t mask;
    int32_t iItem;
    int32_t iSubItem;
    uint32_t state;
    uint32_t stateMask;
    uint32_t padding0;
    uint64_t pszText;
    int32_t cchTextMax;
    int32_t iImage;
    int64_t lParam;
    int32_t iIndent;
    int32_t iGroupId;
    uint32_t cColumns;
    uint32_t padding1;
    uint64_t puColumns;
    uint64_t piColFmt;
    int32_t iGroup;
    uint32_t padding2;
};

static_assert(sizeof(ListViewItem32) == 40, "32-bit LVITEMW prefix is 40 bytes");
static_assert(offsetof(ListViewItem32, pszText) == 20, "32-bit pszText offset");
static_assert(offsetof(ListViewItem32, cchTextMax) == 24, "32-bit cchTextMax offset");
static_assert(sizeof(ListViewItem64) == 88, "64-bit LVITEMW is 88 bytes");
static_assert(offsetof(ListViewItem64, pszText) == 24, "64-bit pszText offset");
static_assert(offsetof(ListViewItem64, cchTextMax) == 32, "64-bit cchTextMax offset");
static_assert(offsetof(ListViewItem64, lParam) == 40, "64-bit lParam offset");
static_assert(offsetof(ListViewItem64, iIndent) == 48, "64-bit iIndent offset");
static_assert(offsetof(ListViewItem64, puColumns) == 64, "64-bit puColumns offset");
static_assert(offsetof(ListViewItem64, iGroup) == 80, "64-bit iGroup offset");

// The text area follows the record inside the block.
enum {
    kTextOffset32 = sizeof(ListViewItem32),
    kTextOffset64 = sizeof(ListViewItem64),
};
static_assert(kTextOffset32 + kRemoteTextBytes <= kRemoteBlockBytes, "32-bit text area fits");
static_assert(kTextOffset64 + kRemoteTextBytes <= kRemoteBlockBytes, "64-bit text area fits");
