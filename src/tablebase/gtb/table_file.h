// One ending's file: where it was found, its block-offset table, and the open handle when it
// is among the few files kept open.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace gtb {

enum class FileState : uint8_t { NotOpened, Ready, Failed };

struct TableFile {
  FileState state = FileState::NotOpened;
  int directory = 0;   // where the file was last found; the next lookup starts there
  std::FILE* handle = nullptr;
  uint64_t size = 0;   // positions per side to move
  std::vector<uint32_t> offsets;  // 2 x blocks per side + 1 absolute offsets, the last = file size
};

// The file name of an ending in a directory: no separator is added when the directory text
// already ends in one or in a drive colon.
std::string tableFileName(const std::string& directory, const char* ending);

// Reads the header and the block-offset table of an open file and checks them against the
// ending's size: the table must fill the space the header gives it, start where the header
// says the data starts, rise block by block within the largest block size, and end at the
// file's last byte. False leaves `offsets` empty.
bool readBlockTable(std::FILE* f, uint64_t positions, std::vector<uint32_t>& offsets);

constexpr uint64_t blocksPerSide(uint64_t positions) { return (positions - 1) / 16384 + 1; }

}  // namespace gtb
