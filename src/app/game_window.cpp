#include "app/game_window.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/game_state.h"
#include "app/message_loop.h"
#include "app/startup.h"
#include "platform/window.h"
#include "sound/sound.h"

namespace {

constexpr const char* kClassName = "OpenGL";

void ReportStartupError(const char* text) {
    plat::MessageBox(nullptr, text, "ERROR", plat::MB_OK | plat::MB_ICONEXCLAMATION);
}

void ReportShutdownError(const char* text) {
    plat::MessageBox(nullptr, text, "SHUTDOWN ERROR", plat::MB_OK | plat::MB_ICONINFORMATION);
}

// Tears down first so that, in fullscreen, the box shows on the restored desktop.
bool FailStartup(const char* text) {
    DestroyGameWindow();
    ReportStartupError(text);
    return false;
}

plat::WindowClass GameWindowClass() {
    plat::WindowClass windowClass{};
    windowClass.style = plat::CS_HREDRAW | plat::CS_VREDRAW | plat::CS_OWNDC;
    windowClass.windowProcedure = WndProc;
    windowClass.classExtra = 0;
    windowClass.windowExtra = 0;
    windowClass.instance = plat::GetModuleHandle(nullptr);
    windowClass.icon = plat::IDI_WINLOGO;
    windowClass.cursor = plat::IDC_ARROW;
    windowClass.menuName = nullptr;
    windowClass.className = kClassName;
    return windowClass;
}

// True to go on (fullscreen, or windowed by the user's choice); false when
// the user declined the windowed fallback.
bool EnterFullscreenOrFallBack(int width, int height, int bits) {
    plat::DisplayMode mode{};
    mode.size = sizeof mode;
    mode.pelsWidth = static_cast<std::uint32_t>(width);
    mode.pelsHeight = static_cast<std::uint32_t>(height);
    mode.bitsPerPel = static_cast<std::uint32_t>(bits);
    mode.fields = plat::DM_BITSPERPEL | plat::DM_PELSWIDTH | plat::DM_PELSHEIGHT;
    if (plat::ChangeDisplaySettings(&mode, plat::CDS_FULLSCREEN) == plat::DISP_CHANGE_SUCCESSFUL) return true;
    const int answer = plat::MessageBox(nullptr,
                                        "The Requested Fullscreen Mode Is Not Supported By\n"
                                        "Your Video Card. Use Windowed Mode Instead?",
                                        "Tamo GL", plat::MB_YESNO | plat::MB_ICONEXCLAMATION);
    if (answer == plat::IDYES) {
        fullscreen = false;
        return true;
    }
    plat::MessageBox(nullptr, "Program Will Now Close.", "ERROR", plat::MB_OK | plat::MB_ICONSTOP);
    return false;
}

void FillPixelFormat(int bits) {
    // Everything after the size and version, so the format asked for is
    // double-buffered whatever the descriptor held before.
    plat::PixelFormatDescriptor filled{};
    filled.nSize = pixelFormat.nSize;
    filled.nVersion = pixelFormat.nVersion;
    filled.dwFlags = plat::PFD_DRAW_TO_WINDOW | plat::PFD_SUPPORT_OPENGL | plat::PFD_DOUBLEBUFFER;
    filled.iPixelType = plat::PFD_TYPE_RGBA;
    filled.cColorBits = static_cast<std::uint8_t>(bits);
    filled.cDepthBits = 16;
    filled.iLayerType = plat::PFD_MAIN_PLANE;
    pixelFormat = filled;
}

}  // namespace

bool CreateGameWindow(const char* title, int width, int height, int bits, bool fullscreenRequested) {
    static bool pixelFormatFilled = false;

    fullscreen = fullscreenRequested;
    const plat::WindowClass windowClass = GameWindowClass();
    plat::ChangeDisplaySettings(nullptr, 0);  // whatever an earlier run may have left behind

    if (!plat::RegisterClass(windowClass)) {
        ReportStartupError("Failed To Register The Window Class.");
        return false;
    }
    if (fullscreen && !EnterFullscreenOrFallBack(width, height, bits)) return false;

    std::uint32_t exStyle = plat::WS_EX_APPWINDOW;
    std::uint32_t style = plat::WS_CLIPSIBLINGS | plat::WS_CLIPCHILDREN;
    if (fullscreen) {
        style |= plat::WS_POPUP;
        plat::ShowCursor(false);
    } else {
        exStyle |= plat::WS_EX_WINDOWEDGE;
        style |= plat::WS_OVERLAPPEDWINDOW;
    }

    gameWindow = plat::CreateWindowEx(exStyle, kClassName, title, style, 0, 0, width, height);
    if (!gameWindow) return FailStartup("Window Creation Error.");

    if (!pixelFormatFilled) {
        FillPixelFormat(bits);
        pixelFormatFilled = true;
    }

    deviceContext = plat::GetDC(gameWindow);
    if (!deviceContext) return FailStartup("Can't Create A GL Device Context.");
    const int format = plat::ChoosePixelFormat(deviceContext, &pixelFormat);
    if (!format) return FailStartup("Can't Find A Suitable PixelFormat.");
    if (!plat::SetPixelFormat(deviceContext, format, &pixelFormat)) return FailStartup("Can't Set The PixelFormat.");
    renderingContext = plat::wglCreateContext(deviceContext);
    if (!renderingContext) return FailStartup("Can't Create A GL Rendering Context.");
    if (!plat::wglMakeCurrent(deviceContext, renderingContext))
        return FailStartup("Can't Activate The GL Rendering Context.");

    plat::ShowWindow(gameWindow, plat::SW_SHOW);
    plat::SetForegroundWindow(gameWindow);
    plat::SetFocus(gameWindow);
    ResizeScene(width, height);

    if (!InitScene()) return FailStartup("Initialization Failed.");
    return true;
}

void DestroyGameWindow() {
    for (SoundBuffer& sound : shotSounds) sound.Release();
    soundSystem.Release();
    if (renderingContext) {
        if (!plat::wglMakeCurrent(nullptr, nullptr)) ReportShutdownError("Release Of DC And RC Failed.");
        if (!plat::wglDeleteContext(renderingContext)) ReportShutdownError("Release Rendering Context Failed.");
        renderingContext = nullptr;
    }
    // A handle is forgotten once its release has been tried, whatever the
    // outcome, so a second teardown never releases it twice.
    if (deviceContext) {
        if (!plat::ReleaseDC(gameWindow, deviceContext)) ReportShutdownError("Release Device Context Failed.");
        deviceContext = nullptr;
    }
    if (gameWindow) {
        if (!plat::DestroyWindow(gameWindow)) ReportShutdownError("Could Not Release hWnd.");
        gameWindow = nullptr;
    }
    if (fullscreen) {
        plat::ChangeDisplaySettings(nullptr, 0);
        plat::ShowCursor(true);
    }
}

void ResizeScene(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<double>(width) / static_cast<double>(height), 1.0, 1250.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
