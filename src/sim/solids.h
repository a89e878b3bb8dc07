// The level's fixed solids: the lid over ring 1 and the eighteen maze walls,
// in the order in which collision tests them and the level draws them.
// The room itself is the box 0..512 x 0..128 x 0..512.
#pragma once

struct Solid {
    double xMin, xMax;
    double yMin, yMax;
    double zMin, zMax;
    // Band thresholds: each lies 0.25 from its face towards the maze centre.
    double plusXFrom, minusXTo;
    double plusZFrom, minusZTo;
};

constexpr double kRoomSize = 512.0;
constexpr double kRoomHeight = 128.0;
constexpr int kSolidCount = 19;

constexpr Solid kSolids[kSolidCount] = {
    // lid over ring 1
    {230, 282, 46, 48, 230, 282, 281.75, 230.25, 281.75, 230.25},
    // ring 1: +x, -x, -z walls (open towards +z)
    {280, 282, 0, 48, 230, 282, 281.75, 279.75, 281.75, 230.25},
    {230, 232, 0, 48, 230, 282, 232.25, 230.25, 281.75, 230.25},
    {230, 282, 0, 48, 230, 232, 281.75, 230.25, 232.25, 230.25},
    // ring 2: +x, -x, +z walls (open towards -z)
    {306, 308, 0, 48, 204, 308, 307.75, 305.75, 307.75, 204.25},
    {204, 206, 0, 48, 204, 308, 206.25, 204.25, 307.75, 204.25},
    {204, 308, 0, 48, 306, 308, 307.75, 204.25, 307.75, 305.75},
    // ring 3: +x, -z, +z walls (open towards -x)
    {332, 334, 0, 48, 178, 334, 333.75, 331.75, 333.75, 178.25},
    {178, 334, 0, 48, 178, 180, 333.75, 178.25, 180.25, 178.25},
    {178, 334, 0, 48, 332, 334, 333.75, 178.25, 333.75, 331.75},
    // ring 4: -x, -z, +z walls (open towards +x)
    {152, 154, 0, 48, 152, 360, 154.25, 152.25, 359.75, 152.25},
    {152, 360, 0, 48, 152, 154, 359.75, 152.25, 154.25, 152.25},
    {152, 360, 0, 48, 358, 360, 359.75, 152.25, 359.75, 357.75},
    // ring 5: +x, -x, -z walls (open towards +z)
    {384, 386, 0, 48, 126, 386, 385.75, 383.75, 385.75, 126.25},
    {126, 128, 0, 48, 126, 386, 128.25, 126.25, 385.75, 126.25},
    {126, 386, 0, 48, 126, 128, 385.75, 126.25, 128.25, 126.25},
    // ring 6: +x, -x, +z walls (open towards -z)
    {410, 412, 0, 48, 100, 412, 411.75, 409.75, 411.75, 100.25},
    {100, 102, 0, 48, 100, 412, 102.25, 100.25, 411.75, 100.25},
    {100, 412, 0, 48, 410, 412, 411.75, 100.25, 411.75, 409.75},
};

constexpr int kLidIndex = 0;
