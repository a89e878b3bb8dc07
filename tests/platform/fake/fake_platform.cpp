// The scriptable window/clock double. Every operation appends a Call to the
// record before doing anything else, so tests see attempts as well as
// successes, in the order the game made them.
#include "fake_platform.h"

#include <algorithm>
#include <cmath>

#include "platform/clock.h"

namespace fake {
namespace {

State theState;
double clockMs = 0;  // total time advanced since Reset, for exact fractional steps
int swaps = 0;

bool Failing(Fail step) { return theState.fail[static_cast<int>(step)]; }

Call& Record(const char* name) {
    theState.calls.push_back(Call{});
    theState.calls.back().name = name;
    return theState.calls.back();
}

std::string OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

State& state() { return theState; }

void Reset() {
    theState = State{};
    clockMs = 0;
    swaps = 0;
}

void AdvanceClock(double ms) {
    const double before = clockMs;
    clockMs += ms;
    theState.counter += std::llround(clockMs * theState.frequency / 1000.0) -
                        std::llround(before * theState.frequency / 1000.0);
    // The tick wraps modulo 2^32 like the real millisecond clock.
    theState.tick += static_cast<std::uint32_t>(std::llround(std::floor(clockMs)) - std::llround(std::floor(before)));
}

void Post(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
    theState.queue.push_back(plat::MSG{kWindow, message, wParam, lParam});
}

std::vector<Call> CallsNamed(const std::string& name) {
    std::vector<Call> found;
    for (const Call& call : theState.calls)
        if (call.name == name) found.push_back(call);
    return found;
}

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const Call& call : theState.calls) names.push_back(call.name);
    return names;
}

}  // namespace fake

namespace plat {

using fake::Fail;
using fake::Failing;
using fake::Record;
using fake::theState;

Handle GetModuleHandle(const char* name) {
    Record("GetModuleHandle").text = fake::OrEmpty(name);
    return fake::kInstance;
}

bool RegisterClass(const WindowClass& windowClass) {
    fake::Call& call = Record("RegisterClass");
    call.caption = fake::OrEmpty(windowClass.className);
    call.flags = windowClass.style;
    call.a = windowClass.icon;
    call.b = windowClass.cursor;
    if (Failing(Fail::RegisterClass)) return false;
    theState.windowProcedure = windowClass.windowProcedure;
    return true;
}

long ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) {
    fake::Call& call = Record("ChangeDisplaySettings");
    call.flags = flags;
    call.hasMode = mode != nullptr;
    if (!mode) return DISP_CHANGE_SUCCESSFUL;  // restoring the default always works
    call.a = mode->pelsWidth;
    call.b = mode->pelsHeight;
    call.c = mode->bitsPerPel;
    return Failing(Fail::ChangeDisplaySettings) ? DISP_CHANGE_FAILED : DISP_CHANGE_SUCCESSFUL;
}

int ShowCursor(bool show) {
    Record("ShowCursor").a = show;
    theState.cursorCount += show ? 1 : -1;
    return theState.cursorCount;
}

Handle CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style, int x,
                      int y, int width, int height) {
    fake::Call& call = Record("CreateWindowEx");
    call.exStyle = exStyle;
    call.caption = fake::OrEmpty(className);
    call.text = fake::OrEmpty(title);
    call.flags = style;
    call.a = x;
    call.b = y;
    call.c = width;
    call.d = height;
    return Failing(Fail::CreateWindowEx) ? nullptr : fake::kWindow;
}

bool DestroyWindow(Handle) {
    Record("DestroyWindow");
    return !Failing(Fail::DestroyWindow);
}

void ShowWindow(Handle, int command) { Record("ShowWindow").a = command; }
void SetForegroundWindow(Handle) { Record("SetForegroundWindow"); }
void SetFocus(Handle) { Record("SetFocus"); }

Handle GetDC(Handle) {
    Record("GetDC");
    return Failing(Fail::GetDC) ? nullptr : fake::kDeviceContext;
}

bool ReleaseDC(Handle, Handle) {
    Record("ReleaseDC");
    return !Failing(Fail::ReleaseDC);
}

int ChoosePixelFormat(Handle, const PixelFormatDescriptor* descriptor) {
    fake::Call& call = Record("ChoosePixelFormat");
    call.a = descriptor ? descriptor->cColorBits : 0;
    call.b = descriptor ? descriptor->cDepthBits : 0;
    call.flags = descriptor ? descriptor->dwFlags : 0;
    return Failing(Fail::ChoosePixelFormat) ? 0 : 1;
}

bool SetPixelFormat(Handle, int format, const PixelFormatDescriptor*) {
    Record("SetPixelFormat").a = format;
    return !Failing(Fail::SetPixelFormat);
}

Handle wglCreateContext(Handle) {
    Record("wglCreateContext");
    return Failing(Fail::wglCreateContext) ? nullptr : fake::kRenderingContext;
}

bool wglMakeCurrent(Handle deviceContext, Handle renderingContext) {
    const bool release = !deviceContext && !renderingContext;
    Record("wglMakeCurrent").a = release ? 0 : 1;
    return !Failing(release ? Fail::wglReleaseCurrent : Fail::wglMakeCurrent);
}

bool wglDeleteContext(Handle) {
    Record("wglDeleteContext");
    return !Failing(Fail::wglDeleteContext);
}

void* wglGetProcAddress(const char* name) {
    Record("wglGetProcAddress").text = fake::OrEmpty(name);
    const auto& known = theState.entryPoints;
    // Any address will do: the tests that offer one never call it.
    return std::find(known.begin(), known.end(), fake::OrEmpty(name)) != known.end() ? &theState : nullptr;
}

bool SwapBuffers(Handle) {
    Record("SwapBuffers");
    ++fake::swaps;
    if (theState.afterSwap) theState.afterSwap(fake::swaps);
    return true;
}

int MessageBox(Handle, const char* text, const char* caption, std::uint32_t type) {
    fake::Call& call = Record("MessageBox");
    call.text = fake::OrEmpty(text);
    call.caption = fake::OrEmpty(caption);
    call.flags = type;
    if (!theState.messageBoxAnswers.empty()) {
        const int answer = theState.messageBoxAnswers.front();
        theState.messageBoxAnswers.pop_front();
        return answer;
    }
    return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
}

bool PeekMessage(MSG* message) {
    fake::Call& call = Record("PeekMessage");
    if (theState.queue.empty()) return false;
    *message = theState.queue.front();
    theState.queue.pop_front();
    call.flags = message->message;
    call.a = 1;
    return true;
}

void TranslateMessage(const MSG* message) { Record("TranslateMessage").flags = message->message; }

LRESULT DispatchMessage(const MSG* message) {
    Record("DispatchMessage").flags = message->message;
    if (!theState.windowProcedure) return 0;
    return theState.windowProcedure(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT DefWindowProc(Handle, UINT message, WPARAM wParam, LPARAM) {
    fake::Call& call = Record("DefWindowProc");
    call.flags = message;
    call.a = static_cast<long>(wParam);
    return 0;
}

void PostQuitMessage(int exitCode) {
    Record("PostQuitMessage").a = exitCode;
    fake::Post(WM_QUIT, static_cast<WPARAM>(exitCode));
}

bool SetCursorPos(int x, int y) {
    fake::Call& call = Record("SetCursorPos");
    call.a = x;
    call.b = y;
    if (theState.warpQueuesMouseMove)
        fake::Post(WM_MOUSEMOVE, 0, MakeLParam(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)));
    return true;
}

bool QueryPerformanceFrequency(std::int64_t* countsPerSecond) {
    Record("QueryPerformanceFrequency");
    if (!theState.counterPresent) {
        *countsPerSecond = 0;
        return false;
    }
    *countsPerSecond = theState.frequency;
    return true;
}

bool QueryPerformanceCounter(std::int64_t* count) {
    Record("QueryPerformanceCounter");
    if (!theState.counterPresent) {
        *count = 0;
        return false;
    }
    *count = theState.counter;
    return true;
}

std::uint32_t timeGetTime() {
    Record("timeGetTime");
    return theState.tick;
}

void Sleep(std::uint32_t milliseconds) {
    Record("Sleep").a = static_cast<long>(milliseconds);
    fake::AdvanceClock(milliseconds + theState.sleepOvershootMs);
}

}  // namespace plat
