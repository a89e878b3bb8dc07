// Opening the game's data files (textures, the rifle sound) from the
// working directory, where anybody may have put anything. The C runtime's
// file calls differ between POSIX and Windows; this is the one place that
// knows both.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// Opens a data file for reading without ever waiting: a named pipe or a
// device in a file's place would otherwise hold up the start for good. Only
// a regular file counts as opened. The descriptor with `*size` set to the
// file's length, or -1.
int OpenDataFile(const char* fileName, std::uint64_t* size);

// Reads exactly `count` bytes at `offset`; false on an error or a short file.
bool ReadDataAt(int descriptor, void* into, std::uint64_t count, std::uint64_t offset);

void CloseDataFile(int descriptor);

// Whether the name opens at all, whatever it is, again without waiting.
bool DataFileOpens(const char* fileName);

// A data file as a binary stream, opened as OpenDataFile opens it; nullptr
// when that fails.
std::FILE* OpenDataStream(const char* fileName, std::uint64_t* size);

// 64-bit positions in such a stream.
bool SeekDataStream(std::FILE* stream, std::uint64_t position);
bool TellDataStream(std::FILE* stream, std::uint64_t* position);

// The game's own icon, "icon.bmp", whole: empty where there is none that is
// a regular file of a sensible size. Each layer shows it in its own way.
std::vector<unsigned char> ReadIconFile();
