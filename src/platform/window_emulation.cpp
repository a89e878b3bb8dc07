#include "platform/window_emulation.h"

namespace plat {
namespace {

WindowProcedure windowProcedure = nullptr;
int cursorCount = 0;  // the cursor shows while this is >= 0

}  // namespace

void emulated::KeepWindowProcedure(WindowProcedure procedure) { windowProcedure = procedure; }

int ShowCursor(bool show) {
    cursorCount += show ? 1 : -1;
    emulated::ShowSystemCursor(cursorCount >= 0);
    return cursorCount;
}

int ChoosePixelFormat(Handle deviceContext, const PixelFormatDescriptor* descriptor) {
    // One format: the window's own double-buffered RGBA with a depth buffer.
    const std::uint32_t needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if (!emulated::IsDeviceContext(deviceContext) || !descriptor || (descriptor->dwFlags & needed) != needed ||
        descriptor->iPixelType != PFD_TYPE_RGBA)
        return 0;
    return 1;
}

void TranslateMessage(const MSG*) {}  // the game reads no character messages

LRESULT DispatchMessage(const MSG* message) {
    if (!windowProcedure) return DefWindowProc(message->hwnd, message->message, message->wParam, message->lParam);
    return windowProcedure(message->hwnd, message->message, message->wParam, message->lParam);
}

// Nothing is left to do by default: in particular a close does not destroy
// the window, since the game tears its window down itself after the loop.
LRESULT DefWindowProc(Handle, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace plat
