// The (group code, value) pair table of the DXF file being read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int64_t DXF_MAX_PAIRS = 20'000'000;

extern int64_t gDxfPairCount;
extern std::vector<int64_t> gDxfCodes;
// Each value is a trimmed view into the whole file as read; they stay valid
// until the next read or release.
extern std::vector<std::string_view> gDxfValues;

// The reader keeps at most DXF_MAX_PAIRS pairs, some 600 MB of drawing; a
// larger file is refused before it is read.
constexpr int64_t DXF_MAX_FILE_BYTES = int64_t{1} << 30;

// Set by ReadDxfPairs: the file is a binary DXF, which is not read.
extern bool gDxfBinary;

// Fills the table from the file; true when at least one pair was read.
bool ReadDxfPairs(const std::string& path);
// The value of pair k as a number ("1,5" gives 1, text gives 0).
double ReadDxfDouble(int64_t k);
// Reduces both tables to one entry, releasing a large file's memory.
void ReleaseDxfPairs();
