// Opening the game's data files (textures, the rifle sound) from the
// working directory, where anybody may have put anything.
#pragma once

#include <cstdint>

// Opens a data file for reading without ever waiting: a named pipe or a
// device in a file's place would otherwise hold up the start for good. Only
// a regular file counts as opened. The descriptor with `*size` set to the
// file's length, or -1.
int OpenDataFile(const char* fileName, std::uint64_t* size);

// Reads exactly `count` bytes at `offset`; false on an error or a short file.
bool ReadDataAt(int descriptor, void* into, std::uint64_t count, std::uint64_t offset);
