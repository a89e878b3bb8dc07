#include "app/startup.h"

#include <GL/gl.h>

#include <cstdint>
#include <new>

#include "app/game_state.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "render/level.h"
#include "render/multitexture.h"
#include "render/textures.h"
#include "sound/sound.h"

namespace {

// 0.001 as the millisecond clock has always stored it: in single precision.
constexpr double kMillisecondClockSeconds = static_cast<double>(0.001f);
constexpr std::uint32_t kShotSoundRate = 44100;  // whatever the file's own rate

}  // namespace

void SetFixedGlState() {
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

namespace {

bool InitSceneSteps() {
    // Without the extension the level is not drawn but stays solid.
    multitextureSupported = InitMultitexture();

    if (!soundSystem.Initialize(gameWindow)) return false;
    // A shot sound that cannot be made stays empty and its shots are silent.
    for (SoundBuffer& sound : shotSounds) {
        soundSystem.CreateSound("rifle.wav", sound);
        sound.SetFrequency(kShotSoundRate);
    }

    // The first mouse message is measured against (0, 0), so the view turns
    // once towards this centre; the detour makes sure a move is reported.
    plat::SetCursorPos(322, 240);
    plat::SetCursorPos(320, 240);

    if (!LoadTextures()) return false;  // not one texture file could be read
    BuildLevelList();  // after the extension check: the list depends on it
    SetFixedGlState();
    TimerInit();
    return true;
}

}  // namespace

bool InitScene() {
    // Running out of memory anywhere in here is a failed start, not a crash.
    try {
        return InitSceneSteps();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void TimerInit() {
    timer = Timer{};
    // A counter that claims no ticks per second would make every reading
    // infinite; it is as good as no counter at all.
    if (plat::QueryPerformanceFrequency(&timer.countsPerSecond) && timer.countsPerSecond > 0) {
        plat::QueryPerformanceCounter(&timer.startCount);
        timer.highResolution = true;
        timer.secondsPerCount = 1.0 / static_cast<double>(timer.countsPerSecond);
    } else {
        timer.highResolution = false;
        timer.startTick = plat::timeGetTime();
        timer.secondsPerCount = kMillisecondClockSeconds;
        timer.countsPerSecond = 1000;
    }
}

double TimerGetTime() {
    if (timer.highResolution) {
        std::int64_t now = 0;
        plat::QueryPerformanceCounter(&now);
        // Subtracting as unsigned keeps a counter that has run far from its
        // start well defined; the result is the signed difference.
        const auto elapsed = static_cast<std::int64_t>(static_cast<std::uint64_t>(now) -
                                                       static_cast<std::uint64_t>(timer.startCount));
        return static_cast<double>(elapsed) * timer.secondsPerCount * 1000.0;
    }
    // Unsigned 32-bit: a tick count that wrapped since the start still gives
    // the true distance.
    const std::uint32_t elapsed = plat::timeGetTime() - timer.startTick;
    return static_cast<double>(elapsed) * timer.secondsPerCount * 1000.0;
}
