// The game's 18 texture files, each turned into a mipmapped texture object
// in its named slot of `textures`.
#pragma once

// The path of each texture file relative to the working directory, in load
// order, with its slot.
struct TextureFile {
    int slot;
    const char* path;
};
constexpr int kTextureFileCount = 18;
extern const TextureFile kTextureFiles[kTextureFileCount];

// True when at least one file became a texture; a file that cannot be read
// leaves its slot at 0.
bool LoadTextures();
