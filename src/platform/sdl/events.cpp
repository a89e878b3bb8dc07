#include "platform/sdl/events.h"

#include "platform/window_emulation.h"

namespace plat::sdl {
namespace {

using emulated::kActive;
using emulated::kInactive;
using emulated::kLeftButtonDown;

struct KeyCode {
    SDL_Keycode key;
    WPARAM code;
};

// Keys whose virtual-key code is not simply their character.
constexpr KeyCode kNamedKeys[] = {
    {SDLK_BACKSPACE, VK_BACK}, {SDLK_TAB, VK_TAB}, {SDLK_RETURN, VK_RETURN}, {SDLK_KP_ENTER, VK_RETURN},
    {SDLK_LSHIFT, VK_SHIFT}, {SDLK_RSHIFT, VK_SHIFT}, {SDLK_LCTRL, VK_CONTROL}, {SDLK_RCTRL, VK_CONTROL},
    {SDLK_LALT, VK_MENU}, {SDLK_RALT, VK_MENU}, {SDLK_PAUSE, 0x13}, {SDLK_CAPSLOCK, 0x14},
    {SDLK_ESCAPE, VK_ESCAPE}, {SDLK_SPACE, VK_SPACE}, {SDLK_PAGEUP, 0x21}, {SDLK_PAGEDOWN, 0x22},
    {SDLK_END, 0x23}, {SDLK_HOME, 0x24}, {SDLK_LEFT, VK_LEFT}, {SDLK_UP, VK_UP},
    {SDLK_RIGHT, VK_RIGHT}, {SDLK_DOWN, VK_DOWN}, {SDLK_PRINTSCREEN, 0x2C}, {SDLK_INSERT, 0x2D},
    {SDLK_DELETE, 0x2E}, {SDLK_LGUI, 0x5B}, {SDLK_RGUI, 0x5C}, {SDLK_APPLICATION, 0x5D},
    {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_PLUS, 0x6B}, {SDLK_KP_MINUS, 0x6D}, {SDLK_KP_PERIOD, 0x6E},
    {SDLK_KP_DIVIDE, 0x6F}, {SDLK_NUMLOCKCLEAR, 0x90}, {SDLK_SCROLLLOCK, 0x91},
    {SDLK_SEMICOLON, 0xBA}, {SDLK_EQUALS, 0xBB}, {SDLK_COMMA, 0xBC}, {SDLK_MINUS, 0xBD},
    {SDLK_PERIOD, 0xBE}, {SDLK_SLASH, 0xBF}, {SDLK_BACKQUOTE, 0xC0}, {SDLK_LEFTBRACKET, 0xDB},
    {SDLK_BACKSLASH, 0xDC}, {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_QUOTE, 0xDE},
};

// With NumLock off the keypad is a second set of arrows and editing keys.
constexpr KeyCode kKeypadWithoutNumLock[] = {
    {SDLK_KP_8, VK_UP}, {SDLK_KP_2, VK_DOWN}, {SDLK_KP_4, VK_LEFT}, {SDLK_KP_6, VK_RIGHT},
    {SDLK_KP_7, 0x24}, {SDLK_KP_9, 0x21}, {SDLK_KP_1, 0x23}, {SDLK_KP_3, 0x22},
    {SDLK_KP_0, 0x2D}, {SDLK_KP_PERIOD, 0x2E}, {SDLK_KP_5, 0x0C},
};

// The code each held key went down with: it comes up with the same one, even
// if NumLock was toggled while it was held.
WPARAM pressedAs[SDL_NUM_SCANCODES];

WPARAM KeyCodeOf(const SDL_Keysym& key) {
    if (!(key.mod & KMOD_NUM))
        for (const KeyCode& keypad : kKeypadWithoutNumLock)
            if (keypad.key == key.sym) return keypad.code;
    return VirtualKey(key.sym);
}

WPARAM TranslateKey(const SDL_KeyboardEvent& event) {
    const SDL_Scancode scancode = event.keysym.scancode;
    const bool known = scancode >= 0 && scancode < SDL_NUM_SCANCODES;
    if (event.type == SDL_KEYDOWN) {
        const WPARAM code = KeyCodeOf(event.keysym);
        if (known) pressedAs[scancode] = code;
        return code;
    }
    WPARAM code = known && pressedAs[scancode] ? pressedAs[scancode] : KeyCodeOf(event.keysym);
    if (known) pressedAs[scancode] = 0;
    return code;
}

WPARAM ClientPoint(int x, int y) {
    return static_cast<WPARAM>(MakeLParam(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)));
}

WPARAM Activation(WPARAM state, SDL_Window* window) {
    const bool minimised = window && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED);
    return state | (static_cast<WPARAM>(minimised) << 16);
}

bool TranslateWindowEvent(const SDL_WindowEvent& event, SDL_Window* window, MSG* message) {
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        message->message = WM_SIZE;
        message->lParam = static_cast<LPARAM>(ClientPoint(event.data1, event.data2));
        return true;
    case SDL_WINDOWEVENT_MINIMIZED:
        message->message = WM_ACTIVATE;
        message->wParam = kInactive | (WPARAM{1} << 16);
        return true;
    case SDL_WINDOWEVENT_RESTORED:
        message->message = WM_ACTIVATE;
        message->wParam = kActive;
        return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        message->message = WM_ACTIVATE;
        message->wParam = Activation(kActive, window);
        return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        message->message = WM_ACTIVATE;
        message->wParam = Activation(kInactive, window);
        return true;
    case SDL_WINDOWEVENT_CLOSE:
        message->message = WM_CLOSE;
        return true;
    default:
        return false;
    }
}

}  // namespace

WPARAM VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>(key);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<WPARAM>(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + static_cast<WPARAM>(key - SDLK_KP_1);
    if (key == SDLK_KP_0) return 0x60;
    for (const KeyCode& named : kNamedKeys)
        if (named.key == key) return named.code;
    return 0;
}

bool TranslateEvent(const SDL_Event& event, SDL_Window* window, MSG* message) {
    *message = MSG{window, 0, 0, 0};
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        message->message = event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP;
        // SDL also lets go of every held key when the window loses the
        // keyboard focus, so a key released in another window does not
        // walk the player on.
        message->wParam = TranslateKey(event.key);
        return message->wParam != 0;
    case SDL_MOUSEMOTION:
        message->message = WM_MOUSEMOVE;
        message->lParam = static_cast<LPARAM>(ClientPoint(event.motion.x, event.motion.y));
        return true;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button != SDL_BUTTON_LEFT) return false;
        message->message = WM_LBUTTONDOWN;
        message->wParam = kLeftButtonDown;
        message->lParam = static_cast<LPARAM>(ClientPoint(event.button.x, event.button.y));
        return true;
    case SDL_WINDOWEVENT:
        return TranslateWindowEvent(event.window, window, message);
    case SDL_QUIT:  // the desktop session ending: handled like a close
        message->message = WM_CLOSE;
        return true;
    default:
        return false;
    }
}

}  // namespace plat::sdl
