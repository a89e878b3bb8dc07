// The game's whole data set: the 18 textures, the shot sound and the icon, as file
// contents keyed by their path below the data folder.
#pragma once

#include <string>
#include <vector>

#include "bmp_writer.h"

namespace datagen {

struct DataFile {
    std::string path;  // relative to the data folder, e.g. "texture/floor.bmp"
    Bytes bytes;
};

// Sizes of the generated pictures.
constexpr int kLightmapSize = 128;      // floor and ceiling: 4 world units a texel
constexpr int kWallLightmapHeight = 32;  // the walls are a quarter as high as wide

// Every file: the textures in the order the game loads them, rifle.wav, and
// the window's icon.
std::vector<DataFile> MakeDataSet();

// Writes the data set below `folder`, creating "texture" as needed. On
// failure `error` says which file and why.
bool WriteDataSet(const std::string& folder, std::string* error);

}  // namespace datagen
