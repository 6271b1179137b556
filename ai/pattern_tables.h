// The evaluation's two pattern tables and their loading from the statistics block that the
// program carries (RCDATA 107): four arrays of (count, sum) records, of which the edge lines
// (block 0) and the diagonal runs (block 3) are averaged into the tables once at start-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

constexpr int kEdgePatterns = 6561;     // 3^8
constexpr int kDiagonalPatterns = 729;  // 3^6
constexpr size_t kPatternRecordBytes = 8;
constexpr size_t kPatternBlockOffsets[4] = {0, 52488, 58320, 110808};
constexpr size_t kPatternStatisticsBytes = 116640;
constexpr uint16_t kPatternStatisticsId = 107;

// Entries signed from black's point of view; all zero until the load succeeds.
struct PatternTables {
    int32_t edge[kEdgePatterns];
    int32_t diagonal[kDiagonalPatterns];
};

extern PatternTables gPatternTables;

// One (count, sum) record of the statistics block.
struct PatternStatistics {
    int32_t count;
    int32_t sum;
};

// Record index of a block, read little-endian from bytes (which must hold the whole block).
PatternStatistics ReadPatternRecord(std::span<const uint8_t> block, int blockNumber, int index);

// The average a record stands for: sum / count truncated toward zero, 0 for no observations.
int32_t PatternEntry(PatternStatistics record);

// Fills both tables from the embedded block: 1 on success; 0 when the block is missing,
// empty or not exactly 116640 bytes long (a short block would be read past its end), and
// then the tables are left as they were.
int LoadPatternTables();
