#include "ReplyMapping.h"

#include "StandinProtocol.h"

#include <cstring>

CReplyMapping::~CReplyMapping() {
    if (view) {
        UnmapViewOfFile(view);
    }
    if (hMapping) {
        CloseHandle(hMapping);
    }
}

bool CReplyMapping::Create(DWORD processId) {
    std::string name = standin::ReplyMappingName(processId);
    hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  standin::kReplyBytes, name.c_str());
    if (!hMapping) {
        return false;
    }
    view =
        static_cast<uint8_t*>(MapViewOfFile(hMapping, FILE_MAP_WRITE, 0, 0, standin::kReplyBytes));
    return view != nullptr;
}

LRESULT CReplyMapping::Write(const std::vector<uint8_t>& answer) {
    if (!view || answer.size() > standin::kReplyBytes) {
        return standin::kReplyFailed;
    }
    if (!answer.empty()) {
        memcpy(view, answer.data(), answer.size());
    }
    return static_cast<LRESULT>(answer.size());
}
