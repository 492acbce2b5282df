// The test's side door into the stand-in: control requests arrive as WM_COPYDATA at the Progman
// window and are answered through a named shared mapping (StandinProtocol.h).
#pragma once

#include "ShellWindows.h"

#include <windows.h>

#include <cstdint>
#include <vector>

// The shared memory that carries answers back to the test process.
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

class CControlChannel {
  public:
    explicit CControlChannel(CShellWindows& windows) : shell(windows) {}
    CControlChannel(const CControlChannel&) = delete;
    CControlChannel& operator=(const CControlChannel&) = delete;

    bool Open() { return reply.Create(GetCurrentProcessId()); }
    // CShellWindows::ControlHandler, with the channel as context.
    static LRESULT Dispatch(void* context, HWND from, const COPYDATASTRUCT* request);

  private:
    CShellWindows& shell;
    CReplyMapping reply;

    LRESULT Handle(const COPYDATASTRUCT* request);
    LRESULT ReplaceIcons(const uint8_t* data, size_t size);
    LRESULT MoveIcon(const uint8_t* data, size_t size);
    LRESULT SetSnapGrid(const uint8_t* data, size_t size);
    LRESULT SendIcons();
    LRESULT SendRequestLog();
    LRESULT Hang();
};
