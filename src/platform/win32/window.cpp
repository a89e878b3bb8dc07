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
#include <xinput.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <vector>

#include "platform/data_file.h"
#include "platform/pad_mapping.h"
#include "platform/win32/entry_points.h"

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

namespace win32 {
void* (*glProcAddress)(const char*) = [](const char* name) {
    return reinterpret_cast<void*>(::wglGetProcAddress(name));
};
std::uint32_t (*padState)(std::uint32_t, PadReading*) = nullptr;
}  // namespace win32

namespace {

static_assert(sizeof(PixelFormatDescriptor) == sizeof(PIXELFORMATDESCRIPTOR),
              "the game's descriptor is the system's, field for field");

WindowProcedure gameProcedure = nullptr;
HWND gameWindow = nullptr;  // the latest window made: pad messages go to it

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
    HWND window = ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (window) gameWindow = window;
    return window;
}

bool DestroyWindow(Handle window) {
    if (window == gameWindow) gameWindow = nullptr;
    return ::DestroyWindow(WindowOf(window)) != 0;
}
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

namespace {
Handle swapIntervalSetFor = nullptr;  // the context already asked not to wait for the display

// Most drivers hold each SwapBuffers to the display's period by default,
// which would pace the game at the display's rate (48 steps a second at
// 144 Hz) instead of its own 15 ms. Where the driver has no swap control,
// it keeps its own default.
void AskForNoSwapWait() {
    using SwapInterval = BOOL(WINAPI*)(int);
    const auto setInterval = reinterpret_cast<SwapInterval>(win32::glProcAddress("wglSwapIntervalEXT"));
    if (setInterval) setInterval(0);
}
}  // namespace

Handle wglCreateContext(Handle deviceContext) { return ::wglCreateContext(ContextOf(deviceContext)); }
bool wglMakeCurrent(Handle deviceContext, Handle renderingContext) {
    if (!::wglMakeCurrent(ContextOf(deviceContext), static_cast<HGLRC>(renderingContext))) return false;
    if (renderingContext && renderingContext != swapIntervalSetFor) {
        swapIntervalSetFor = renderingContext;
        AskForNoSwapWait();
    }
    return true;
}
bool wglDeleteContext(Handle renderingContext) {
    if (renderingContext == swapIntervalSetFor) swapIntervalSetFor = nullptr;
    return ::wglDeleteContext(static_cast<HGLRC>(renderingContext)) != 0;
}

void* wglGetProcAddress(const char* name) { return win32::glProcAddress(name); }

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

// Pads, through XInput. Each empty report is followed by one game step, so
// the pads are read then: the right stick's move is a step's turning.
static_assert(sizeof(win32::PadReading) == sizeof(XINPUT_STATE) &&
                  offsetof(win32::PadReading, buttons) == offsetof(XINPUT_STATE, Gamepad.wButtons) &&
                  offsetof(win32::PadReading, rightY) == offsetof(XINPUT_STATE, Gamepad.sThumbRY),
              "the reading is XInput's own record");
constexpr std::uint32_t kPadSlots = XUSER_MAX_COUNT;
// Asking for a slot with no pad is slow on some systems: an empty slot is
// looked at again only every 2 s or so.
constexpr int kEmptySlotSteps = 128;

struct PadSlots {
    bool loaded = false;
    bool plugged[kPadSlots] = {};
    int untilLook[kPadSlots] = {};
    PadMapping mapping;
    std::deque<MSG> messages;  // taken before the system's
} pads;

// XInput from the system's own DLL, looked for once: xinput1_4 comes with
// Windows 8 and later, xinput9_1_0 with older ones. Where neither is, the
// game plays on without pads.
bool PadsReadable() {
    if (!pads.loaded && !win32::padState) {
        for (const char* library : {"xinput1_4.dll", "xinput9_1_0.dll"}) {
            HMODULE module = ::LoadLibraryA(library);
            if (!module) continue;
            if (FARPROC read = ::GetProcAddress(module, "XInputGetState")) {
                win32::padState = reinterpret_cast<std::uint32_t (*)(std::uint32_t, win32::PadReading*)>(
                    reinterpret_cast<void*>(read));
                break;
            }
            ::FreeLibrary(module);
        }
    }
    pads.loaded = true;
    return win32::padState != nullptr;
}

float Stick(std::int16_t value) { return std::max(-1.0f, value / 32767.0f); }

const struct {
    WORD mask;
    bool PadState::*held;
} kButtons[] = {{XINPUT_GAMEPAD_A, &PadState::south},        {XINPUT_GAMEPAD_BACK, &PadState::back},
                {XINPUT_GAMEPAD_START, &PadState::start},    {XINPUT_GAMEPAD_DPAD_UP, &PadState::up},
                {XINPUT_GAMEPAD_DPAD_DOWN, &PadState::down}, {XINPUT_GAMEPAD_DPAD_LEFT, &PadState::left},
                {XINPUT_GAMEPAD_DPAD_RIGHT, &PadState::right}};

PadState StateOf(const win32::PadReading& reading) {
    // XInput's up is positive, the mapping's down.
    PadState state{Stick(reading.leftX), -Stick(reading.leftY), Stick(reading.rightX), -Stick(reading.rightY),
                   reading.rightTrigger / 255.0f};
    for (const auto& [mask, held] : kButtons) state.*held = (reading.buttons & mask) != 0;
    return state;
}

void ReadPads() {
    if (!gameWindow || !PadsReadable()) return;
    PadInput input;
    for (std::uint32_t slot = 0; slot < kPadSlots; ++slot) {
        if (!pads.plugged[slot] && pads.untilLook[slot]-- > 0) continue;
        win32::PadReading reading{};
        const bool plugged = win32::padState(slot, &reading) == ERROR_SUCCESS;
        if (plugged) {
            pads.mapping.Read(static_cast<int>(slot), StateOf(reading), &input);
        } else {
            if (pads.plugged[slot]) pads.mapping.Remove(static_cast<int>(slot), &input);
            pads.untilLook[slot] = kEmptySlotSteps;
        }
        pads.plugged[slot] = plugged;
    }
    for (MSG message : input.messages) {
        message.hwnd = gameWindow;
        pads.messages.push_back(message);
    }
    if (!input.moveX && !input.moveY) return;
    // The pad moves the system's cursor as a mouse would; the system's own
    // move message for it comes later, at the same place.
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SetCursorPos(cursor.x + input.moveX, cursor.y + input.moveY);
    ::GetCursorPos(&cursor);  // where the screen's edge let it go
    ::ScreenToClient(gameWindow, &cursor);
    const LPARAM at = MakeLParam(static_cast<std::uint32_t>(std::max(0L, cursor.x)),
                                 static_cast<std::uint32_t>(std::max(0L, cursor.y)));
    pads.messages.push_back(MSG{gameWindow, WM_MOUSEMOVE, 0, at});
}

bool ReportEmpty() {
    std::fill(std::begin(downSinceEmpty), std::end(downSinceEmpty), false);
    ReadPads();
    return false;
}

bool TakePadMessage(MSG* message) {
    if (pads.messages.empty()) return false;
    *message = pads.messages.front();
    pads.messages.pop_front();
    if (message->message == WM_KEYDOWN) downSinceEmpty[message->wParam] = true;
    return true;
}
}  // namespace

bool PeekMessage(MSG* message) {
    if (TakePadMessage(message)) return true;
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
