// The window layer on Windows itself: the game's calls are the system's own,
// so each one is a thin pass-through; only the records are copied between the
// game's shapes and the system's.
//
// The game's header comes first: its constants share their names with the
// system's macros, which must not rewrite them.
#include "platform/window.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "platform/data_file.h"

// The system's headers map these names to their ANSI or wide entry points;
// here they are the game's own functions, which call the ANSI ones.
#undef GetModuleHandle
#undef RegisterClass
#undef ChangeDisplaySettings
#undef CreateWindowEx
#undef MessageBox
#undef PeekMessage
#undef DispatchMessage
#undef DefWindowProc

namespace plat {
namespace {

static_assert(sizeof(PixelFormatDescriptor) == sizeof(PIXELFORMATDESCRIPTOR),
              "the game's descriptor is the system's, field for field");

WindowProcedure gameProcedure = nullptr;

HWND WindowOf(Handle handle) { return static_cast<HWND>(handle); }
HDC ContextOf(Handle handle) { return static_cast<HDC>(handle); }

// The class's window procedure: the system calls it, it calls the game's.
LRESULT CALLBACK ClassProcedure(HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
    if (!gameProcedure) return ::DefWindowProcA(window, message, wParam, lParam);
    return static_cast<LRESULT>(gameProcedure(window, message, wParam, lParam));
}

PIXELFORMATDESCRIPTOR SystemDescriptor(const PixelFormatDescriptor& descriptor) {
    PIXELFORMATDESCRIPTOR system;
    std::memcpy(&system, &descriptor, sizeof system);
    return system;
}

// The game's own icon, "icon.bmp" from the data folder, for the task bar and
// the window switcher; nullptr when there is none that reads, and the class
// keeps the stock icon it asked for.
HICON GameIcon() {
    const std::vector<unsigned char> bytes = ReadIconFile();
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return nullptr;
    BITMAPFILEHEADER file;
    std::memcpy(&file, bytes.data(), sizeof file);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + sizeof file);
    BITMAPINFOHEADER header;
    std::memcpy(&header, info, sizeof header);
    const std::uint64_t colours = header.biClrUsed ? header.biClrUsed : header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
    const std::uint64_t rowBytes = (std::uint64_t(std::abs(header.biWidth)) * header.biBitCount + 31) / 32 * 4;
    const std::uint64_t pixelBytes = rowBytes * std::uint64_t(std::abs(header.biHeight));
    if (file.bfType != 0x4D42 || header.biCompression != BI_RGB || header.biSize < sizeof header || pixelBytes == 0 ||
        sizeof file + header.biSize + colours * 4 > file.bfOffBits || file.bfOffBits > bytes.size() ||
        pixelBytes > bytes.size() - file.bfOffBits)
        return nullptr;
    void* pixels = nullptr;
    HBITMAP colour = ::CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!colour) return nullptr;
    std::memcpy(pixels, bytes.data() + file.bfOffBits, static_cast<std::size_t>(pixelBytes));
    BITMAP picture{};
    HICON icon = nullptr;
    if (::GetObjectA(colour, sizeof picture, &picture) == sizeof picture) {
        // An all-clear mask: every pixel of the picture shows.
        const std::vector<unsigned char> opaque(std::size_t((picture.bmWidth + 15) / 16 * 2) * picture.bmHeight, 0);
        HBITMAP mask = ::CreateBitmap(picture.bmWidth, picture.bmHeight, 1, 1, opaque.data());
        if (mask) {
            ICONINFO parts{TRUE, 0, 0, mask, colour};
            icon = ::CreateIconIndirect(&parts);
            ::DeleteObject(mask);
        }
    }
    ::DeleteObject(colour);
    return icon;
}

}  // namespace

Handle GetModuleHandle(const char* name) { return ::GetModuleHandleA(name); }

bool RegisterClass(const WindowClass& windowClass) {
    gameProcedure = windowClass.windowProcedure;
    WNDCLASSA system{};
    system.style = windowClass.style;
    system.lpfnWndProc = ClassProcedure;
    system.cbClsExtra = windowClass.classExtra;
    system.cbWndExtra = windowClass.windowExtra;
    system.hInstance = static_cast<HINSTANCE>(windowClass.instance);
    system.hIcon = GameIcon();
    if (!system.hIcon) system.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(windowClass.icon));
    system.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(windowClass.cursor));
    system.hbrBackground = nullptr;
    system.lpszMenuName = windowClass.menuName;
    system.lpszClassName = windowClass.className;
    return ::RegisterClassA(&system) != 0;
}

long ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) {
    if (!mode) return ::ChangeDisplaySettingsA(nullptr, flags);
    DEVMODEA system{};
    system.dmSize = sizeof system;
    system.dmPelsWidth = mode->pelsWidth;
    system.dmPelsHeight = mode->pelsHeight;
    system.dmBitsPerPel = mode->bitsPerPel;
    system.dmFields = mode->fields;
    return ::ChangeDisplaySettingsA(&system, flags);
}

int ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

Handle CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style, int x,
                      int y, int width, int height) {
    return ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

bool DestroyWindow(Handle window) { return ::DestroyWindow(WindowOf(window)) != 0; }
void ShowWindow(Handle window, int command) { ::ShowWindow(WindowOf(window), command); }
void SetForegroundWindow(Handle window) { ::SetForegroundWindow(WindowOf(window)); }
void SetFocus(Handle window) { ::SetFocus(WindowOf(window)); }

Handle GetDC(Handle window) { return ::GetDC(WindowOf(window)); }
bool ReleaseDC(Handle window, Handle deviceContext) {
    return ::ReleaseDC(WindowOf(window), ContextOf(deviceContext)) != 0;
}

int ChoosePixelFormat(Handle deviceContext, const PixelFormatDescriptor* descriptor) {
    if (!descriptor) return 0;
    const PIXELFORMATDESCRIPTOR system = SystemDescriptor(*descriptor);
    return ::ChoosePixelFormat(ContextOf(deviceContext), &system);
}

bool SetPixelFormat(Handle deviceContext, int format, const PixelFormatDescriptor* descriptor) {
    if (!descriptor) return ::SetPixelFormat(ContextOf(deviceContext), format, nullptr) != 0;
    const PIXELFORMATDESCRIPTOR system = SystemDescriptor(*descriptor);
    return ::SetPixelFormat(ContextOf(deviceContext), format, &system) != 0;
}

Handle wglCreateContext(Handle deviceContext) { return ::wglCreateContext(ContextOf(deviceContext)); }
bool wglMakeCurrent(Handle deviceContext, Handle renderingContext) {
    return ::wglMakeCurrent(ContextOf(deviceContext), static_cast<HGLRC>(renderingContext)) != 0;
}
bool wglDeleteContext(Handle renderingContext) { return ::wglDeleteContext(static_cast<HGLRC>(renderingContext)) != 0; }

void* wglGetProcAddress(const char* name) { return reinterpret_cast<void*>(::wglGetProcAddress(name)); }

bool SwapBuffers(Handle deviceContext) { return ::SwapBuffers(ContextOf(deviceContext)) != 0; }

int MessageBox(Handle owner, const char* text, const char* caption, std::uint32_t type) {
    return ::MessageBoxA(WindowOf(owner), text, caption, type);
}

namespace {
// A key-up right behind its key-down would clear the key before the game
// ever looked at it: a tap whose press and release both arrive while one
// frame is drawn would be lost. Such a key-up waits here until the queue has
// once been reported empty, so that an idle step sees the key down.
bool downSinceEmpty[256] = {};
bool heldKeyUp = false;
MSG held{};

bool KeyUpTooSoon(const MSG& message) {
    return message.message == WM_KEYUP && message.wParam < 256 && downSinceEmpty[message.wParam];
}

bool ReportEmpty() {
    std::fill(std::begin(downSinceEmpty), std::end(downSinceEmpty), false);
    return false;
}
}  // namespace

bool PeekMessage(MSG* message) {
    if (heldKeyUp) {
        if (KeyUpTooSoon(held)) return ReportEmpty();
        *message = held;
        heldKeyUp = false;
        return true;
    }
    ::MSG system;
    if (!::PeekMessageA(&system, nullptr, 0, 0, PM_REMOVE)) return ReportEmpty();
    *message = MSG{system.hwnd, system.message, system.wParam, system.lParam};
    if (KeyUpTooSoon(*message)) {
        held = *message;
        heldKeyUp = true;
        return ReportEmpty();
    }
    if (message->message == WM_KEYDOWN && message->wParam < 256) downSinceEmpty[message->wParam] = true;
    return true;
}

namespace {
// The system's record for a message the game took; time and cursor place
// are not kept by the game, and nothing it handles reads them.
::MSG SystemMessage(const MSG* message) {
    ::MSG system{};
    system.hwnd = WindowOf(message->hwnd);
    system.message = message->message;
    system.wParam = message->wParam;
    system.lParam = message->lParam;
    return system;
}
}  // namespace

void TranslateMessage(const MSG* message) {
    const ::MSG system = SystemMessage(message);
    ::TranslateMessage(&system);
}

LRESULT DispatchMessage(const MSG* message) {
    const ::MSG system = SystemMessage(message);
    return static_cast<LRESULT>(::DispatchMessageA(&system));
}

LRESULT DefWindowProc(Handle window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The system's default for a close destroys the window at once, while the
    // game has only posted its quit: its own teardown after the loop would
    // then find no window and device context and report each as a failed
    // release. The game tears its window down itself.
    if (message == WM_CLOSE) return 0;
    return static_cast<LRESULT>(::DefWindowProcA(WindowOf(window), message, wParam, lParam));
}

void PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

// Screen coordinates, as the system takes them: in fullscreen they are the
// window's client coordinates.
bool SetCursorPos(int x, int y) { return ::SetCursorPos(x, y) != 0; }

}  // namespace plat
