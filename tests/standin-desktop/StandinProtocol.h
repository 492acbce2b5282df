// The control channel between a test and the stand-in desktop. A test sends WM_COPYDATA to the
// stand-in's "Progman" window: dwData is the command, the payload its argument. The stand-in writes
// its answer into the reply mapping named after its process id and returns the answer's length in
// bytes, or kReplyFailed.
//
// Encodings (little-endian, packed by hand, no padding):
//   icon list  : uint32 count, then per icon int32 x, int32 y, uint32 nameBytes, name bytes (UTF-8)
//   move       : int32 item, int32 x, int32 y
//   snap grid  : int32 grid
//   shift      : int32 dx
//   request log: uint32 count, then count LoggedRequest records
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace standin {

enum Command : uint32_t {
    kPing = 1,
    kGetIcons,
    kReplaceIcons,
    kMoveIcon,
    kSetSnapGrid,
    kTakeRequestLog,
    kRemoveListView,
    kMoveDefViewToWorkerW,
    kHang,
    kQuit,
    kSetShiftOnMove,
    kSetAutoArrange,
};

const intptr_t kReplyFailed = -1;
// Room for the largest answer: an icon list or a request log of a long test.
const uint32_t kReplyBytes = 16u << 20;
// The GUI thread of a hung stand-in sleeps this long before it answers again.
const unsigned kHangMs = 4500;

struct Icon {
    std::string name;
    int32_t x;
    int32_t y;
};

// One list-view request from another process, as the list view received it.
struct LoggedRequest {
    uint32_t msg;
    uint32_t hasRecord;
    uint64_t wParam;
    int64_t lParam;
    // For LVM_GETITEMTEXTW and LVM_GETITEMTEXTA: the caller's record, read as a 64-bit LVITEM.
    uint32_t mask;
    int32_t iItem;
    int32_t iSubItem;
    int32_t cchTextMax;
    uint64_t pszText;
};
static_assert(sizeof(LoggedRequest) == 48, "no hidden padding crosses the channel");

inline std::string ReplyMappingName(unsigned long processId) {
    char name[64];
    snprintf(name, sizeof name, "QuillMarshStandinReply.%lu", processId);
    return name;
}

// ---- Byte encoding ------------------------------------------------------------------------------

inline void PutBytes(std::vector<uint8_t>& out, const void* bytes, size_t count) {
    size_t at = out.size();
    out.resize(at + count);
    if (count) {
        memcpy(out.data() + at, bytes, count);
    }
}

inline void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    PutBytes(out, &value, sizeof value);
}

inline void PutI32(std::vector<uint8_t>& out, int32_t value) {
    PutU32(out, static_cast<uint32_t>(value));
}

// Reads from a payload without ever passing its end; every getter fails once the payload is short.
class CPayloadReader {
  public:
    CPayloadReader(const uint8_t* bytes, size_t length) : data(bytes), size(length) {}
    CPayloadReader(const CPayloadReader&) = delete;
    CPayloadReader& operator=(const CPayloadReader&) = delete;

    bool U32(uint32_t* value) { return Bytes(value, sizeof *value); }
    bool I32(int32_t* value) { return Bytes(value, sizeof *value); }
    bool Bytes(void* target, size_t count) {
        if (count > size - offset) {
            return false;
        }
        memcpy(target, data + offset, count);
        offset += count;
        return true;
    }
    bool String(std::string* text, size_t length) {
        if (length > size - offset) {
            return false;
        }
        text->assign(reinterpret_cast<const char*>(data + offset), length);
        offset += length;
        return true;
    }

  private:
    const uint8_t* data;
    size_t size;
    size_t offset = 0;
};

inline void EncodeIcons(const std::vector<Icon>& icons, std::vector<uint8_t>& out) {
    PutU32(out, static_cast<uint32_t>(icons.size()));
    for (const Icon& icon : icons) {
        PutI32(out, icon.x);
        PutI32(out, icon.y);
        PutU32(out, static_cast<uint32_t>(icon.name.size()));
        PutBytes(out, icon.name.data(), icon.name.size());
    }
}

inline bool DecodeIcons(const uint8_t* data, size_t size, std::vector<Icon>* icons) {
    CPayloadReader reader(data, size);
    uint32_t count = 0;
    if (!reader.U32(&count)) {
        return false;
    }
    icons->clear();
    for (uint32_t i = 0; i < count; ++i) {
        Icon icon;
        uint32_t length = 0;
        if (!reader.I32(&icon.x) || !reader.I32(&icon.y) || !reader.U32(&length) ||
            !reader.String(&icon.name, length)) {
            return false;
        }
        icons->push_back(icon);
    }
    return true;
}

} // namespace standin
