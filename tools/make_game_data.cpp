// make_game_data <folder>: writes the game's textures, sound and icon below <folder>.
#include <cstdio>
#include <string>

#include "data_set.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
        return 2;
    }
    std::string error;
    if (!datagen::WriteDataSet(argv[1], &error)) {
        std::fprintf(stderr, "make_game_data: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
