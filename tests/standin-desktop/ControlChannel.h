// The test's side door into the stand-in: control requests arrive as WM_COPYDATA at the Progman
// window and are answered through a named shared mapping (StandinProtocol.h).
#pragma once

#include "ReplyMapping.h"
#include "ShellWindows.h"

#include <windows.h>

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
    LRESULT SetAutoArrange(const uint8_t* data, size_t size);
    LRESULT SetShiftOnMove(const uint8_t* data, size_t size);
    LRESULT SendIcons();
    LRESULT SendRequestLog();
    LRESULT Hang();
};
