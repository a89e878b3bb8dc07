// The game's view of the windowing system: one window with an OpenGL
// context, a message queue of Win32-shaped messages, the cursor, display
// modes and modal message boxes.
//
// Each platform layer implements it in a folder of its own, chosen at link
// time: SDL2 (sdl/), Win32 (win32/), the browser page (web/), and a
// scriptable double for tests (tests/platform/fake/). Nothing else in the
// game knows which.
#pragma once

#include <cstdint>

namespace plat {

using Handle = void*;  // window, device context or rendering context; null = none
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

using WindowProcedure = LRESULT (*)(Handle window, UINT message, WPARAM wParam, LPARAM lParam);

// Messages the game handles.
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;  // high word of wParam: minimised flag
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;  // wParam: exit code
constexpr UINT WM_KEYDOWN = 0x0100;  // wParam: virtual-key code
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;  // lParam: x low word, y high word (client pixels)
constexpr UINT WM_LBUTTONDOWN = 0x0201;

constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

// Virtual-key codes of the keys the game reads (letters are their capitals).
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_F1 = 0x70;

struct MSG {
    Handle hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

constexpr std::uint32_t LoWord(std::uintptr_t v) { return static_cast<std::uint32_t>(v & 0xFFFF); }
constexpr std::uint32_t HiWord(std::uintptr_t v) { return static_cast<std::uint32_t>((v >> 16) & 0xFFFF); }
constexpr LPARAM MakeLParam(std::uint32_t lo, std::uint32_t hi) {
    return static_cast<LPARAM>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16));
}

// Window class.
constexpr std::uint32_t CS_VREDRAW = 0x0001;
constexpr std::uint32_t CS_HREDRAW = 0x0002;
constexpr std::uint32_t CS_OWNDC = 0x0020;
enum StockIcon { IDI_WINLOGO = 32517 };
enum StockCursor { IDC_ARROW = 32512 };

struct WindowClass {
    std::uint32_t style;
    WindowProcedure windowProcedure;
    int classExtra;
    int windowExtra;
    Handle instance;
    int icon;    // a StockIcon
    int cursor;  // a StockCursor
    const char* menuName;
    const char* className;
};

Handle GetModuleHandle(const char* name);
bool RegisterClass(const WindowClass& windowClass);

// Display modes.
constexpr std::uint32_t DM_BITSPERPEL = 0x00040000;
constexpr std::uint32_t DM_PELSWIDTH = 0x00080000;
constexpr std::uint32_t DM_PELSHEIGHT = 0x00100000;
constexpr std::uint32_t CDS_FULLSCREEN = 0x00000004;
constexpr long DISP_CHANGE_SUCCESSFUL = 0;
constexpr long DISP_CHANGE_FAILED = -1;

struct DisplayMode {  // DEVMODE, as far as the game fills it
    std::uint32_t size;
    std::uint32_t pelsWidth;
    std::uint32_t pelsHeight;
    std::uint32_t bitsPerPel;
    std::uint32_t fields;
};

// With a mode: switch the display to it. With null: restore the default mode.
long ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags);
int ShowCursor(bool show);

// Window styles: WS_POPUP makes a fullscreen window, WS_OVERLAPPEDWINDOW a
// framed one; the outer size is width x height.
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000u;
constexpr std::uint32_t WS_CLIPCHILDREN = 0x02000000u;
constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr std::uint32_t WS_EX_WINDOWEDGE = 0x00000100u;
constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000u;
constexpr int SW_SHOW = 5;

Handle CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                      int x, int y, int width, int height);
bool DestroyWindow(Handle window);
void ShowWindow(Handle window, int command);
void SetForegroundWindow(Handle window);
void SetFocus(Handle window);

// Device context, pixel format and OpenGL rendering context.
constexpr std::uint32_t PFD_DOUBLEBUFFER = 0x00000001;
constexpr std::uint32_t PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr std::uint32_t PFD_SUPPORT_OPENGL = 0x00000020;
constexpr std::uint8_t PFD_TYPE_RGBA = 0;
constexpr std::uint8_t PFD_MAIN_PLANE = 0;

struct PixelFormatDescriptor {  // 40 bytes, in the platform's field order
    std::uint16_t nSize;
    std::uint16_t nVersion;
    std::uint32_t dwFlags;
    std::uint8_t iPixelType;
    std::uint8_t cColorBits;
    std::uint8_t cRedBits, cRedShift, cGreenBits, cGreenShift, cBlueBits, cBlueShift;
    std::uint8_t cAlphaBits, cAlphaShift;
    std::uint8_t cAccumBits, cAccumRedBits, cAccumGreenBits, cAccumBlueBits, cAccumAlphaBits;
    std::uint8_t cDepthBits;
    std::uint8_t cStencilBits;
    std::uint8_t cAuxBuffers;
    std::uint8_t iLayerType;
    std::uint8_t bReserved;
    std::uint32_t dwLayerMask;
    std::uint32_t dwVisibleMask;
    std::uint32_t dwDamageMask;
};
static_assert(sizeof(PixelFormatDescriptor) == 40, "the descriptor keeps the platform's size");

Handle GetDC(Handle window);
bool ReleaseDC(Handle window, Handle deviceContext);
int ChoosePixelFormat(Handle deviceContext, const PixelFormatDescriptor* descriptor);  // 0: none
bool SetPixelFormat(Handle deviceContext, int format, const PixelFormatDescriptor* descriptor);
Handle wglCreateContext(Handle deviceContext);
bool wglMakeCurrent(Handle deviceContext, Handle renderingContext);  // null, null: none current
bool wglDeleteContext(Handle renderingContext);
void* wglGetProcAddress(const char* name);  // null when the entry point is unknown
bool SwapBuffers(Handle deviceContext);

// Message boxes: modal, no owner window.
constexpr std::uint32_t MB_OK = 0x00000000;
constexpr std::uint32_t MB_YESNO = 0x00000004;
constexpr std::uint32_t MB_ICONSTOP = 0x00000010;  // also MB_ICONERROR
constexpr std::uint32_t MB_ICONEXCLAMATION = 0x00000030;
constexpr std::uint32_t MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

int MessageBox(Handle owner, const char* text, const char* caption, std::uint32_t type);

// The queue: one message at a time, never waiting.
bool PeekMessage(MSG* message);  // takes (removes) the next message; false when the queue is empty
void TranslateMessage(const MSG* message);
LRESULT DispatchMessage(const MSG* message);  // calls the window procedure of the registered class
LRESULT DefWindowProc(Handle window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Moves the cursor, in client coordinates of the game window; a mouse-move
// message for the new place follows later through the queue.
bool SetCursorPos(int x, int y);

}  // namespace plat
