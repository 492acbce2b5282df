// The LVITEMA record and the 1024-byte block through which list-view requests cross into the shell
// process. The record is written in the layout of the shell process, whatever our own width.
#pragma once

#include <cstddef>
#include <cstdint>

enum {
    kRemoteBlockBytes = 1024,
    kRemoteTextChars = 260,
    // How much of the text area is copied back; the local buffer's last byte stays 0.
    kItemNameBytes = 255,
};

// LVITEMA of a 32-bit process, up to and including iIndent.
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

// LVITEMA of a 64-bit process, whole.
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

static_assert(sizeof(ListViewItem32) == 40, "32-bit LVITEMA prefix is 40 bytes");
static_assert(offsetof(ListViewItem32, pszText) == 20, "32-bit pszText offset");
static_assert(offsetof(ListViewItem32, cchTextMax) == 24, "32-bit cchTextMax offset");
static_assert(sizeof(ListViewItem64) == 88, "64-bit LVITEMA is 88 bytes");
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
static_assert(kTextOffset64 + kRemoteTextChars <= kRemoteBlockBytes, "text area fits the block");
