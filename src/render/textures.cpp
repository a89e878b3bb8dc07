#include "render/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/game_state.h"
#include "render/bitmap.h"

const TextureFile kTextureFiles[kTextureFileCount] = {
    {tex::floor, "texture/floor.bmp"},
    {tex::wall, "texture/wall.bmp"},
    {tex::clay, "texture/clay.bmp"},
    {tex::LightMapFloor, "texture/LightMapFloor.bmp"},
    {tex::LightMapCeiling, "texture/LightMapCeiling.bmp"},
    {tex::LightMapBackWall, "texture/LightMapBackWall.bmp"},
    {tex::LightMapFrontWall, "texture/LightMapFrontWall.bmp"},
    {tex::LightMapLeftWall, "texture/LightMapLeftWall.bmp"},
    {tex::LightMapRightWall, "texture/LightMapRightWall.bmp"},
    {tex::clouds, "texture/clouds.bmp"},
    {tex::m16, "texture/m16.bmp"},
    {tex::crosshair, "texture/crosshair.bmp"},
    {tex::smoke, "texture/smoke.bmp"},
    {tex::ceiling, "texture/ceiling.bmp"},
    {tex::floor_1, "texture/floor_1.bmp"},
    {tex::wall_1, "texture/wall_1.bmp"},
    {tex::portal, "texture/portal.bmp"},
    {tex::portal_2, "texture/portal_2.bmp"},
};

bool LoadTextures() {
    bool anyLoaded = false;
    // Image rows carry no padding; OpenGL's default expects rows padded to
    // 4 bytes and would skew every width whose row is not a multiple of 4.
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (const TextureFile& file : kTextureFiles) {
        ImagePtr image = LoadBitmapFile(file.path);
        if (!image) continue;
        anyLoaded = true;
        glGenTextures(1, &textures[file.slot]);
        glBindTexture(GL_TEXTURE_2D, textures[file.slot]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB8, image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE,
                          image->pixels.get());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    return anyLoaded;
}
