// The generated files: layout of every bitmap as written on disk, the game's
// decoder agreeing with it pixel for pixel, and a data set that comes out the
// same every time.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data_set.h"
#include "generated_data.h"

namespace {

using generated::Le16;
using generated::Le32;

struct Expected {
    const char* stem;
    int width, height;
    int headerSize;  // 40 info header, 12 core header
    int bitsPerPixel;
    int tableEntries;  // colour-table entries in the file
    int coloursUsed;   // the info header's count
};

// In the order the game loads them.
const Expected kTextures[] = {
    {"floor", 256, 256, 40, 24, 0, 0},
    {"wall", 256, 256, 40, 24, 0, 0},
    {"clay", 128, 128, 40, 24, 0, 0},
    {"LightMapFloor", 128, 128, 40, 24, 0, 0},
    {"LightMapCeiling", 128, 128, 40, 24, 0, 0},
    {"LightMapBackWall", 128, 32, 40, 24, 0, 0},
    {"LightMapFrontWall", 128, 32, 40, 24, 0, 0},
    {"LightMapLeftWall", 128, 32, 40, 24, 0, 0},
    {"LightMapRightWall", 128, 32, 40, 24, 0, 0},
    {"clouds", 128, 128, 40, 24, 0, 0},
    {"m16", 256, 64, 40, 24, 0, 0},
    {"crosshair", 64, 64, 40, 8, 16, 16},
    {"smoke", 64, 64, 40, 8, 256, 0},
    {"ceiling", 256, 256, 40, 24, 0, 0},
    {"floor_1", 256, 256, 40, 24, 0, 0},
    {"wall_1", 256, 256, 40, 24, 0, 0},
    {"portal", 128, 128, 40, 24, 0, 0},
    {"portal_2", 128, 128, 12, 8, 256, 0},
};

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

std::size_t Stride(int width, int bitsPerPixel) { return ((static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32) * 4; }

// The pixel in column x, row y (bottom up) read straight from the file bytes.
void RawPixel(const std::vector<std::uint8_t>& file, const Expected& e, int x, int y, int rgb[3]) {
    std::size_t tableAt = 14 + e.headerSize, entrySize = e.headerSize == 12 ? 3 : 4;
    std::size_t pixelsAt = Le32(file, 10);
    std::size_t at = pixelsAt + Stride(e.width, e.bitsPerPixel) * y;
    if (e.bitsPerPixel == 24) {
        at += 3 * static_cast<std::size_t>(x);
        rgb[0] = file.at(at + 2), rgb[1] = file.at(at + 1), rgb[2] = file.at(at);
    } else {
        std::size_t entry = tableAt + entrySize * file.at(at + x);
        rgb[0] = file.at(entry + 2), rgb[1] = file.at(entry + 1), rgb[2] = file.at(entry);
    }
}

TEST(GameDataFiles, EveryBitmapHasItsSizeAndFormat) {
    for (const Expected& e : kTextures) {
        SCOPED_TRACE(e.stem);
        std::vector<std::uint8_t> file = generated::ReadBytes(generated::TexturePath(e.stem));
        ASSERT_GT(file.size(), 54u);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Le32(file, 2), file.size());
        std::size_t entrySize = e.headerSize == 12 ? 3 : 4;
        std::size_t pixelsAt = 14 + e.headerSize + entrySize * e.tableEntries;
        EXPECT_EQ(Le32(file, 10), pixelsAt);
        EXPECT_EQ(Le32(file, 14), static_cast<std::uint32_t>(e.headerSize));
        if (e.headerSize == 12) {
            EXPECT_EQ(Le16(file, 18), static_cast<std::uint32_t>(e.width));
            EXPECT_EQ(Le16(file, 20), static_cast<std::uint32_t>(e.height));
            EXPECT_EQ(Le16(file, 22), 1u);
            EXPECT_EQ(Le16(file, 24), static_cast<std::uint32_t>(e.bitsPerPixel));
        } else {
            EXPECT_EQ(Le32(file, 18), static_cast<std::uint32_t>(e.width));
            EXPECT_EQ(Le32(file, 22), static_cast<std::uint32_t>(e.height));  // positive: bottom-up rows
            EXPECT_EQ(Le16(file, 26), 1u);
            EXPECT_EQ(Le16(file, 28), static_cast<std::uint32_t>(e.bitsPerPixel));
            EXPECT_EQ(Le32(file, 30), 0u);  // uncompressed
            EXPECT_EQ(Le32(file, 34), Stride(e.width, e.bitsPerPixel) * e.height);
            EXPECT_EQ(Le32(file, 46), static_cast<std::uint32_t>(e.coloursUsed));
        }
        EXPECT_EQ(file.size(), pixelsAt + Stride(e.width, e.bitsPerPixel) * e.height);
        // The game builds mipmaps: powers of two, and small enough for old cards.
        EXPECT_TRUE(PowerOfTwo(e.width) && PowerOfTwo(e.height));
        bool lightmap = std::string(e.stem).rfind("LightMap", 0) == 0;
        EXPECT_LE(std::max(e.width, e.height), lightmap ? 128 : 256);
    }
}

TEST(GameDataFiles, GameDecoderReadsEveryBitmapAsWritten) {
    for (const Expected& e : kTextures) {
        SCOPED_TRACE(e.stem);
        std::vector<std::uint8_t> file = generated::ReadBytes(generated::TexturePath(e.stem));
        generated::Texture texture = generated::LoadTexture(e.stem);
        ASSERT_NE(texture.image, nullptr);
        ASSERT_EQ(texture.Width(), e.width);
        ASSERT_EQ(texture.Height(), e.height);
        int mismatches = 0;
        for (int y = 0; y < e.height; ++y) {
            for (int x = 0; x < e.width; ++x) {
                int rgb[3];
                RawPixel(file, e, x, y, rgb);
                for (int c = 0; c < 3; ++c) mismatches += texture.At(x, y, c) != rgb[c];
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(GameDataFiles, DataSetIsTheSameEveryTimeAndMatchesTheBuild) {
    std::vector<datagen::DataFile> files = datagen::MakeDataSet();
    ASSERT_EQ(files.size(), 20u);
    for (std::size_t i = 0; i < 18; ++i)
        EXPECT_EQ(files[i].path, std::string("texture/") + kTextures[i].stem + ".bmp");
    EXPECT_EQ(files[18].path, "rifle.wav");
    EXPECT_EQ(files[19].path, "icon.bmp");
    // The build ran the generator in another process: equal bytes mean no
    // clock, address or unseeded randomness leaks into the data.
    for (const datagen::DataFile& file : files) {
        SCOPED_TRACE(file.path);
        EXPECT_TRUE(file.bytes == generated::ReadBytes(generated::DataPath(file.path)));
    }
}

TEST(GameDataFiles, WritingIntoAFolderThatCannotExistFails) {
    std::string blocker = std::string(VELDRAKE_BINARY_DIR) + "/tools_test_not_a_folder";
    std::FILE* f = std::fopen(blocker.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    std::string error;
    EXPECT_FALSE(datagen::WriteDataSet(blocker + "/data", &error));
    EXPECT_NE(error.find("tools_test_not_a_folder"), std::string::npos) << error;
    std::remove(blocker.c_str());
}

}  // namespace
