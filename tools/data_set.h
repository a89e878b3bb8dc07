// The game's whole data set: the 18 textures and the shot sound, as file
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

// Every file, in the order the game loads the textures, rifle.wav last.
std::vector<DataFile> MakeDataSet();

// Writes the data set below `folder`, creating "texture" as needed. On
// failure `error` says which file and why.
bool WriteDataSet(const std::string& folder, std::string* error);

}  // namespace datagen
