#include "ControlChannel.h"

LRESULT CControlChannel::Dispatch(void* context, HWND, const COPYDATASTRUCT* request) {
    return static_cast<CControlChannel*>(context)->Handle(request);
}

LRESULT CControlChannel::Handle(const COPYDATASTRUCT* request) {
    if (!request) {
        return standin::kReplyFailed;
    }
    const uint8_t* data = static_cast<const uint8_t*>(request->lpData);
    size_t size = data ? request->cbData : 0;
    switch (request->dwData) {
    case standin::kPing:
        return 0;
    case standin::kGetIcons:
        return SendIcons();
    case standin::kReplaceIcons:
        return ReplaceIcons(data, size);
    case standin::kMoveIcon:
        return MoveIcon(data, size);
    case standin::kSetSnapGrid:
        return SetSnapGrid(data, size);
    case standin::kSetShiftOnMove:
        return SetShiftOnMove(data, size);
    case standin::kSetAutoArrange:
        return SetAutoArrange(data, size);
    case standin::kTakeRequestLog:
        return SendRequestLog();
    case standin::kRemoveListView:
        shell.RemoveListView();
        return 0;
    case standin::kMoveDefViewToWorkerW:
        shell.MoveDefViewToWorkerW();
        return 0;
    case standin::kHang:
        return Hang();
    case standin::kQuit:
        PostQuitMessage(0);
        return 0;
    default:
        return standin::kReplyFailed;
    }
}

LRESULT CControlChannel::ReplaceIcons(const uint8_t* data, size_t size) {
    std::vector<standin::Icon> icons;
    if (!standin::DecodeIcons(data, size, &icons) || !shell.ReplaceIcons(icons)) {
        return standin::kReplyFailed;
    }
    return 0;
}

LRESULT CControlChannel::MoveIcon(const uint8_t* data, size_t size) {
    standin::CPayloadReader reader(data, size);
    int32_t item = 0;
    int32_t x = 0;
    int32_t y = 0;
    if (!reader.I32(&item) || !reader.I32(&x) || !reader.I32(&y) || !shell.MoveIcon(item, x, y)) {
        return standin::kReplyFailed;
    }
    return 0;
}

LRESULT CControlChannel::SetSnapGrid(const uint8_t* data, size_t size) {
    standin::CPayloadReader reader(data, size);
    int32_t grid = 0;
    if (!reader.I32(&grid)) {
        return standin::kReplyFailed;
    }
    // Wine's list view keeps the style but leaves icons where they are sent: the monitor snaps them
    // as the Windows desktop does, and the style shows what a program that asks would see.
    shell.Monitor().SendOwn(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID,
                            grid > 0 ? LVS_EX_SNAPTOGRID : 0);
    shell.Monitor().SetSnapGrid(grid);
    return 0;
}

// The real list view's own style: what it does with positions is Wine's.
LRESULT CControlChannel::SetAutoArrange(const uint8_t* data, size_t size) {
    standin::CPayloadReader reader(data, size);
    int32_t on = 0;
    HWND listView = shell.Monitor().ListView();
    if (!reader.I32(&on) || !listView) {
        return standin::kReplyFailed;
    }
    LONG style = GetWindowLongA(listView, GWL_STYLE);
    SetWindowLongA(listView, GWL_STYLE, on ? style | LVS_AUTOARRANGE : style & ~LVS_AUTOARRANGE);
    return 0;
}

LRESULT CControlChannel::SetShiftOnMove(const uint8_t* data, size_t size) {
    standin::CPayloadReader reader(data, size);
    int32_t dx = 0;
    if (!reader.I32(&dx)) {
        return standin::kReplyFailed;
    }
    shell.Monitor().SetShiftOnMove(dx);
    return 0;
}

LRESULT CControlChannel::SendIcons() {
    std::vector<uint8_t> answer;
    standin::EncodeIcons(shell.Icons(), answer);
    return reply.Write(answer);
}

LRESULT CControlChannel::SendRequestLog() {
    std::vector<standin::LoggedRequest> log = shell.Monitor().TakeLog();
    std::vector<uint8_t> answer;
    standin::PutU32(answer, static_cast<uint32_t>(log.size()));
    standin::PutBytes(answer, log.data(), log.size() * sizeof(standin::LoggedRequest));
    return reply.Write(answer);
}

// The test hears the answer first; only then does the thread stop taking messages. Sleeping inside
// the handler leaves no gap in which a request sent right after could still be served.
LRESULT CControlChannel::Hang() {
    ReplyMessage(0);
    Sleep(standin::kHangMs);
    return 0;
}
