#include "data_set.h"

#include <filesystem>
#include <fstream>
#include <future>

#include "lightmaps.h"
#include "materials.h"
#include "rifle_sound.h"
#include "sprites.h"

namespace datagen {
namespace {

Bytes Lightmap(RoomFace face) {
    bool wall = face != RoomFace::Floor && face != RoomFace::Ceiling;
    return EncodeBmp24(BakeLightmap(face, kLightmapSize, wall ? kWallLightmapHeight : kLightmapSize));
}

}  // namespace

std::vector<DataFile> MakeDataSet() {
    // The floor lightmap is the slowest piece; bake it beside the rest.
    auto floorLight = std::async(std::launch::async, [] { return Lightmap(RoomFace::Floor); });
    std::vector<DataFile> files;
    files.push_back({"texture/floor.bmp", EncodeBmp24(MakeFloor())});
    files.push_back({"texture/wall.bmp", EncodeBmp24(MakeWall())});
    files.push_back({"texture/clay.bmp", EncodeBmp24(MakeClay())});
    files.push_back({"texture/LightMapFloor.bmp", {}});
    files.push_back({"texture/LightMapCeiling.bmp", Lightmap(RoomFace::Ceiling)});
    files.push_back({"texture/LightMapBackWall.bmp", Lightmap(RoomFace::BackWall)});
    files.push_back({"texture/LightMapFrontWall.bmp", Lightmap(RoomFace::FrontWall)});
    files.push_back({"texture/LightMapLeftWall.bmp", Lightmap(RoomFace::LeftWall)});
    files.push_back({"texture/LightMapRightWall.bmp", Lightmap(RoomFace::RightWall)});
    files.push_back({"texture/clouds.bmp", EncodeBmp24(MakeClouds())});
    files.push_back({"texture/m16.bmp", EncodeBmp24(MakeRifle())});
    files.push_back({"texture/crosshair.bmp", EncodeBmp8(MakeCrosshair(), true)});
    files.push_back({"texture/smoke.bmp", EncodeBmp8(MakeSmoke(), false)});
    files.push_back({"texture/ceiling.bmp", EncodeBmp24(MakeCeiling())});
    files.push_back({"texture/floor_1.bmp", EncodeBmp24(MakeFloor1())});
    files.push_back({"texture/wall_1.bmp", EncodeBmp24(MakeWall1())});
    files.push_back({"texture/portal.bmp", EncodeBmp24(MakePortal())});
    files.push_back({"texture/portal_2.bmp", EncodeBmp8Core(MakePortal2())});
    files.push_back({"rifle.wav", EncodeWav(SynthesiseRifleShot(), kSampleRate)});
    files.push_back({"icon.bmp", EncodeBmp24(MakeIcon())});
    files[3].bytes = floorLight.get();
    return files;
}

bool WriteDataSet(const std::string& folder, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code code;
    fs::create_directories(fs::path(folder) / "texture", code);
    if (code) {
        if (error) *error = "cannot create " + (fs::path(folder) / "texture").string() + ": " + code.message();
        return false;
    }
    for (const DataFile& file : MakeDataSet()) {
        fs::path path = fs::path(folder) / file.path;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
        out.close();
        if (!out) {
            if (error) *error = "cannot write " + path.string();
            return false;
        }
    }
    return true;
}

}  // namespace datagen
