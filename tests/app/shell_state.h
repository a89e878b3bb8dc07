// Puts the doubles and the shell's part of the game state back to their
// values at load, so each test starts from a fresh program: one whose
// working directory holds the game data.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "app/game_state.h"
#include "headless_gl.h"
#include "support/fresh_game.h"
#include "sound/sound.h"
#include "platform/fake/fake_audio.h"
#include "platform/fake/fake_platform.h"

constexpr const char* kGameData = VELDRAKE_BINARY_DIR "/data";

inline void ResetShell(const char* workingDirectory = kGameData) {
    if (!MakeHeadlessContextCurrent()) ADD_FAILURE() << "no headless OpenGL context";
    fake::Reset();
    fake::ResetAudio();
    // The sound device is opened when the program starts, as here.
    soundSystem = SoundSystem();
    std::fill(std::begin(shotSounds), std::end(shotSounds), SoundBuffer());
    if (chdir(workingDirectory) != 0) ADD_FAILURE() << "no folder " << workingDirectory;
    ResetGameState();
}
