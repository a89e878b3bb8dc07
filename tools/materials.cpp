#include "materials.h"

#include <algorithm>
#include <cmath>

#include "noise.h"
#include "relief.h"

namespace datagen {
namespace {

float Centre(int i, int size) { return (static_cast<float>(i) + 0.5f) / static_cast<float>(size); }

// Distance in pixels from a point inside a cell to the cell's nearest side.
float EdgeDistance(float localX, float localY, float cellW, float cellH) {
    return std::min(std::min(localX, cellW - localX), std::min(localY, cellH - localY));
}

int PositiveMod(int a, int m) { return ((a % m) + m) % m; }

}  // namespace

Image MakeFloor() {
    const int size = 256, tile = 64;
    Image image(size, size);
    HeightField height(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = Centre(x, size), v = Centre(y, size);
            int tx = x / tile, ty = y / tile;
            float grain = TileFbm(u, v, 64, 3, 101);
            float stain = TileFbm(u, v, 4, 4, 102);
            // Worn grout lines: the edge wanders by a pixel or so.
            float wobble = (TileNoise(u, v, 32, 103) - 0.5f) * 1.6f;
            float edge = EdgeDistance(static_cast<float>(x % tile) + 0.5f, static_cast<float>(y % tile) + 0.5f,
                                      tile, tile) + wobble;
            float onTile = SmoothStep(1.6f, 2.8f, edge);
            float bright = 0.86f + 0.22f * HashUnit(tx, ty, 104);
            float hue = HashUnit(tx, ty, 105) - 0.5f;
            Rgb stone = Rgb{0.62f + 0.05f * hue, 0.58f, 0.51f - 0.05f * hue} * bright;
            stone = stone * (0.78f + 0.38f * grain) * (0.88f + 0.22f * stain);
            Rgb grout = Rgb{0.25f, 0.24f, 0.22f} * (0.75f + 0.5f * grain);
            image.At(x, y) = Mix(grout, stone, onTile);
            height.At(x, y) = onTile * SmoothStep(1.5f, 6.0f, edge) * 2.0f + 0.6f * grain;
        }
    }
    ApplyRelief(image, height, 1.6f);
    return image;
}

Image MakeCeiling() {
    const int size = 256, panel = 128, spacing = 8;
    Image image(size, size);
    HeightField height(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = Centre(x, size), v = Centre(y, size);
            float lx = static_cast<float>(x % panel) + 0.5f, ly = static_cast<float>(y % panel) + 0.5f;
            float edge = EdgeDistance(lx, ly, panel, panel);
            float fibre = TileFbm(u, v, 64, 3, 201);
            float soot = TileFbm(u, v, 4, 3, 202);
            Rgb metal = Rgb{0.50f, 0.51f, 0.54f} * (0.9f + 0.2f * fibre);
            Rgb tileColour = Rgb{0.80f, 0.79f, 0.75f} * (0.9f + 0.14f * fibre) * (0.9f + 0.15f * soot);
            // Perforations on a regular grid inside the panel, clear of its rim.
            float px = std::fmod(lx, spacing) - spacing * 0.5f, py = std::fmod(ly, spacing) - spacing * 0.5f;
            float hole = (1.0f - SmoothStep(0.8f, 1.6f, std::hypot(px, py))) * SmoothStep(12.0f, 14.0f, edge);
            tileColour = tileColour * (1.0f - 0.45f * hole);
            float onPanel = SmoothStep(3.5f, 4.5f, edge);
            image.At(x, y) = Mix(metal, tileColour, onPanel);
            // The grid stands proud; the panel falls away from it in a bevel.
            height.At(x, y) = 3.0f * (1.0f - SmoothStep(4.0f, 9.0f, edge)) - 0.4f * hole + 0.3f * fibre;
        }
    }
    ApplyRelief(image, height, 1.2f);
    return image;
}

Image MakeWall() {
    const int size = 256, course = 32, block = 64;
    Image image(size, size);
    HeightField height(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = Centre(x, size), v = Centre(y, size);
            int row = y / course;
            int shifted = x + (row % 2) * (block / 2);
            int column = PositiveMod(shifted / block, size / block);
            float lx = static_cast<float>(shifted % block) + 0.5f, ly = static_cast<float>(y % course) + 0.5f;
            float chips = (TileFbm(u, v, 32, 2, 301) - 0.5f) * 3.0f;
            float edge = EdgeDistance(lx, ly, block, course) + chips;
            float onStone = SmoothStep(1.4f, 2.6f, edge);
            float mottle = TileFbm(u, v, 8, 5, 302);
            float fine = TileFbm(u, v, 64, 2, 303);
            float bright = 0.8f + 0.3f * HashUnit(column, row, 304);
            float hue = HashUnit(column, row, 305) - 0.5f;
            Rgb stone = Rgb{0.55f + 0.06f * hue, 0.51f, 0.45f - 0.04f * hue} * bright;
            stone = stone * (0.7f + 0.45f * mottle) * (0.9f + 0.2f * fine);
            Rgb mortar = Rgb{0.36f, 0.34f, 0.31f} * (0.8f + 0.4f * fine);
            image.At(x, y) = Mix(mortar, stone, onStone);
            height.At(x, y) = onStone * (SmoothStep(1.0f, 7.0f, edge) * 2.5f + 1.5f * mottle) + 0.3f * fine;
        }
    }
    ApplyRelief(image, height, 1.3f);
    return image;
}

Image MakeClay() {
    const int size = 128;
    Image image(size, size);
    HeightField height(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = Centre(x, size), v = Centre(y, size);
            float body = TileFbm(u, v, 4, 5, 401);
            float grit = TileFbm(u, v, 32, 2, 402);
            // Bend the cell borders so the cracks meander.
            float bendU = (TileFbm(u, v, 4, 3, 403) - 0.5f) * 0.12f;
            float bendV = (TileFbm(u, v, 4, 3, 404) - 0.5f) * 0.12f;
            CellSample cells = TileCells(u + bendU + 1.0f, v + bendV + 1.0f, 5, 405);
            float crack = 1.0f - SmoothStep(0.0f, 0.07f, cells.second - cells.nearest);
            float clod = 0.92f + 0.16f * static_cast<float>(cells.id % 256u) / 255.0f;
            Rgb earth = Mix(Rgb{0.42f, 0.25f, 0.15f}, Rgb{0.70f, 0.48f, 0.32f}, body) * clod;
            earth = earth * (0.85f + 0.3f * grit) * (1.0f - 0.65f * crack);
            image.At(x, y) = earth;
            height.At(x, y) = 1.5f * body + 0.5f * grit - 2.0f * crack;
        }
    }
    ApplyRelief(image, height, 1.5f);
    return image;
}

Image MakeFloor1() {
    const int size = 256, cell = 32;
    Image image(size, size);
    HeightField height(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = Centre(x, size), v = Centre(y, size);
            int cx = x / cell, cy = y / cell;
            float lx = static_cast<float>(x % cell) + 0.5f - cell * 0.5f;
            float ly = static_cast<float>(y % cell) + 0.5f - cell * 0.5f;
            // Neighbouring bosses lean opposite ways, as on rolled tread plate.
            float lean = ((cx + cy) % 2 == 0) ? 1.0f : -1.0f;
            float a = (lx + lean * ly) * 0.7071f, b = (-lean * lx + ly) * 0.7071f;
            float q = (a / 10.5f) * (a / 10.5f) + (b / 3.0f) * (b / 3.0f);
            float boss = std::sqrt(std::max(0.0f, 1.0f - q));
            float brushed = TileNoise(u, v, 4, 128, 501);
            float grime = TileFbm(u, v, 4, 4, 502);
            Rgb steel = Rgb{0.47f, 0.50f, 0.53f} * (0.88f + 0.2f * brushed) * (0.8f + 0.3f * grime);
            image.At(x, y) = steel * (1.0f + 0.12f * boss);
            height.At(x, y) = 3.0f * boss + 0.2f * brushed;
        }
    }
    ApplyRelief(image, height, 1.4f);
    return image;
}

Image MakeWall1() {
    const int size = 256, board = 32;
    Image image(size, size);
    HeightField height(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = Centre(x, size), v = Centre(y, size);
            int row = y / board;
            float ly = static_cast<float>(y % board) + 0.5f;
            // Two boards per row, butted at joints that differ from row to row.
            int joint = static_cast<int>(Hash(row, 7, 601) % static_cast<unsigned>(size));
            int along = PositiveMod(x - joint, size);
            int piece = along / (size / 2);
            float lx = static_cast<float>(along % (size / 2)) + 0.5f;
            float edge = EdgeDistance(lx, ly, size / 2.0f, board);
            float onBoard = SmoothStep(0.8f, 1.8f, edge);
            float warp = TileFbm(u, v, 4, 4, 602 + static_cast<std::uint32_t>(piece));
            float grain = 0.5f + 0.5f * std::sin(6.2831853f * (v * 48.0f + 4.0f * warp));
            float fleck = TileNoise(u, v, 128, 32, 603);
            float tint = 0.82f + 0.3f * HashUnit(row, piece, 604);
            Rgb wood = Rgb{0.56f, 0.36f, 0.19f} * tint * (0.78f + 0.22f * grain) * (0.92f + 0.12f * fleck);
            Rgb gap = Rgb{0.10f, 0.07f, 0.05f};
            // Two nail heads at each end of a board.
            float nail = 0.0f;
            for (float nx : {5.0f, size / 2.0f - 5.0f})
                for (float ny : {9.0f, board - 9.0f})
                    nail = std::max(nail, 1.0f - SmoothStep(1.0f, 2.0f, std::hypot(lx - nx, ly - ny)));
            wood = Mix(wood, Rgb{0.22f, 0.21f, 0.20f}, nail);
            image.At(x, y) = Mix(gap, wood, onBoard);
            height.At(x, y) = onBoard * SmoothStep(0.5f, 4.0f, edge) * 2.0f + 0.4f * grain + 0.8f * nail;
        }
    }
    ApplyRelief(image, height, 1.0f);
    return image;
}

Image MakeClouds() {
    const int size = 128;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = Centre(x, size), v = Centre(y, size);
            float density = TileFbm(u, v, 4, 6, 701);
            float puff = SmoothStep(0.42f, 0.72f, density);
            float shade = TileFbm(u, v, 8, 3, 702);
            Rgb sky = Rgb{0.33f, 0.53f, 0.86f} * (0.92f + 0.12f * shade);
            Rgb cloud = Rgb{0.97f, 0.97f, 0.98f} * (0.78f + 0.22f * shade);
            image.At(x, y) = Mix(sky, cloud, puff);
        }
    }
    return image;
}

}  // namespace datagen
