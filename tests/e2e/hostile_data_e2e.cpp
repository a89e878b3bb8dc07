// The real game over data folders that a careless modder or an attacker has
// tampered with, met from outside: the boxes it shows, the memory it takes
// (its peak resident set), and how it ends, also when a signal or an X error
// comes at the wrong moment.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "e2e/game_session.h"
#include "render/bmp_builder.h"
#include "sound/wav_files.h"

namespace fs = std::filesystem;
using e2e::GameSession;
using e2e::SessionOptions;

namespace {

// Writes `bytes`, then stretches the file to `length` with a hole (no disk used).
void Write(const fs::path& path, const std::string& bytes, std::uint64_t length = 0) {
    fs::remove(path);
    std::ofstream(path, std::ios::binary) << bytes;
    if (length > bytes.size()) fs::resize_file(path, length);
}

void Pipe(const fs::path& path) {
    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
}

// 1,080 bytes: an 8-bit run-length bitmap of 16384 x 5000 pixels whose data
// ends the picture at once (the rest is legally black).
std::string RunLengthBomb() {
    const bmp::Bytes file = bmp::Build(bmp::Pic(16384, 5000, 8, {0, 1}, std::vector<bmp::Colour>(256), 0, 1));
    return std::string(file.begin(), file.end());
}

// The header of a 16-bit mono 44100 Hz WAV whose samples (`dataBytes` of
// them) follow it, with `emptyChunks` empty chunks in front of the data.
std::string WaveHeader(std::uint32_t dataBytes, int emptyChunks) {
    using namespace wavfiles;
    std::string junk;
    for (int i = 0; i < emptyChunks; ++i) junk += Chunk("junk", "");
    const std::string body = "WAVE" + Chunk("fmt ", Format(1, 44100, 16)) + junk + ChunkDeclaring("data", dataBytes, "");
    return ChunkDeclaring("RIFF", static_cast<std::uint32_t>(body.size()) + dataBytes, body);
}

void Rifle(const fs::path& dir, std::uint32_t dataBytes, int emptyChunks = 0) {
    const std::string header = WaveHeader(dataBytes, emptyChunks);
    Write(dir / "rifle.wav", header, header.size() + dataBytes);
}

enum class Ending { Escape, TermAtBox, IntAtBox, WindowDestroyed };

struct Case {
    const char* name;
    void (*tamper)(const fs::path& dir);  // on a copy of the built data
    int errorBoxes;  // "Error" boxes answered before the game plays
    bool plays;      // false: every texture failed, "Initialization Failed." follows
    Ending ending;
    int exitCode;
    long peakMiB;  // bound on the game's peak resident memory
};

}  // namespace

TEST(HostileData, EachFolderStartsWithinBoundsAndEndsCleanly) {
    const Case cases[] = {
        {"run-length bomb as the floor", [](const fs::path& d) { Write(d / "texture/floor.bmp", RunLengthBomb()); },
         1, true, Ending::Escape, 0, 300},
        {"run-length bomb as every texture",
         [](const fs::path& d) {
             for (const auto& file : fs::directory_iterator(d / "texture")) Write(file.path(), RunLengthBomb());
         },
         18, false, Ending::Escape, 0, 1000},
        {"1 GiB floor with a small picture in front",
         [](const fs::path& d) {
             std::ifstream in(d / "texture/floor.bmp", std::ios::binary);
             const std::string picture((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
             Write(d / "texture/floor.bmp", picture, 1ull << 30);
         },
         0, true, Ending::Escape, 0, 300},
        {"named pipe as the floor", [](const fs::path& d) { Pipe(d / "texture/floor.bmp"); }, 1, true,
         Ending::Escape, 0, 300},
        {"named pipe as the rifle", [](const fs::path& d) { Pipe(d / "rifle.wav"); }, 0, true, Ending::Escape, 0,
         300},
        // One voice, with OpenAL's copy, fills the budget (about 175 MiB in all); counting
        // only our copy would let three in (over 230 MiB).
        {"rifle of 20 MB", [](const fs::path& d) { Rifle(d, 20000000); }, 0, true, Ending::Escape, 0, 205},
        {"rifle of 256 MiB", [](const fs::path& d) { Rifle(d, 256u << 20); }, 0, true, Ending::Escape, 0, 700},
        {"rifle behind 100000 empty chunks", [](const fs::path& d) { Rifle(d, 8820, 100000); }, 0, true,
         Ending::Escape, 0, 300},
        {"SIGTERM while a box is up", [](const fs::path& d) { Pipe(d / "texture/floor.bmp"); }, 1, true,
         Ending::TermAtBox, 0, 300},
        {"SIGINT while a box is up", [](const fs::path& d) { Write(d / "texture/wall.bmp", RunLengthBomb()); }, 1,
         true, Ending::IntAtBox, 0, 300},
        {"fullscreen window destroyed by another program", [](const fs::path&) {}, 0, true,
         Ending::WindowDestroyed, 1, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dir = fs::temp_directory_path() / ("veldrake-hostile-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::copy(e2e::BuiltDataDir(), dir, fs::copy_options::recursive);
        c.tamper(dir);
        SessionOptions options;
        options.dataDir = dir.string();
        GameSession game(options);
        ASSERT_TRUE(game.Launch());

        for (int box = 0; box < c.errorBoxes; ++box) {
            ASSERT_TRUE(game.WaitForWindow("Error", 15)) << "box " << box + 1 << " of " << c.errorBoxes;
            if (c.ending == Ending::TermAtBox || c.ending == Ending::IntAtBox) {
                ASSERT_TRUE(game.Signal(c.ending == Ending::TermAtBox ? SIGTERM : SIGINT));
                EXPECT_EQ(game.WaitExit(5), c.exitCode) << game.ErrorOutput();
                bool boxUp = true;
                for (int i = 0; i < 100 && boxUp; ++i, game.Pause(0.05)) {
                    const auto titles = game.WindowTitles();
                    boxUp = std::count(titles.begin(), titles.end(), "Error") > 0;
                }
                EXPECT_FALSE(boxUp) << "the box went with the game";
                break;
            }
            ASSERT_TRUE(game.KeyInWindow("Error", "Return"));
        }
        if (c.ending == Ending::TermAtBox || c.ending == Ending::IntAtBox) {
            fs::remove_all(dir);
            continue;
        }
        if (c.plays) {
            ASSERT_TRUE(game.WaitForWindow("Veldrake", 15));
            // The peak is read once the first frame is up: every file has been loaded.
            ASSERT_TRUE(game.AwaitDrawn(30));
            const long peak = game.PeakResidentMiB();
            std::printf("  %s: peak %ld MiB\n", c.name, peak);
            EXPECT_GT(peak, 0);
            EXPECT_LT(peak, c.peakMiB);
            if (c.ending == Ending::WindowDestroyed)
                ASSERT_TRUE(game.DestroyWindowFromOutside("Veldrake"));
            else
                game.Key("Escape");
        } else {
            ASSERT_TRUE(game.WaitForWindow("ERROR", 15)) << "expected \"Initialization Failed.\"";
            EXPECT_LT(game.PeakResidentMiB(), c.peakMiB);
            ASSERT_TRUE(game.KeyInWindow("ERROR", "Return"));
        }
        // Escape is taken once start-up is over: a slow start shows here too.
        EXPECT_EQ(game.WaitExit(5), c.exitCode) << game.ErrorOutput();
        fs::remove_all(dir);
    }
}
