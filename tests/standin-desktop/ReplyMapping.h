// The named shared memory through which the stand-in's answers reach the test process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

class CReplyMapping {
  public:
    CReplyMapping() = default;
    ~CReplyMapping();
    CReplyMapping(const CReplyMapping&) = delete;
    CReplyMapping& operator=(const CReplyMapping&) = delete;

    bool Create(DWORD processId);
    // The answer's length for the request's result, or kReplyFailed when it does not fit.
    LRESULT Write(const std::vector<uint8_t>& answer);

  private:
    HANDLE hMapping = nullptr;
    uint8_t* view = nullptr;
};
