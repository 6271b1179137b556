// Loading the pattern tables from the embedded statistics block.
#include "ai/pattern_tables.h"

#include "ai/evaluation.h"
#include "platform/resources/resource_table.h"

PatternTables gPatternTables;

PatternStatistics ReadPatternRecord(std::span<const uint8_t> block, int blockNumber, int index) {
    const uint8_t* record =
        block.data() + kPatternBlockOffsets[blockNumber] + index * kPatternRecordBytes;
    const auto word = [](const uint8_t* p) {
        return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                    static_cast<uint32_t>(p[2]) << 16 |
                                    static_cast<uint32_t>(p[3]) << 24);
    };
    return {word(record), word(record + 4)};
}

int32_t PatternEntry(PatternStatistics record) {
    // Division truncates toward zero, as the averages require; done in 64 bits so that even
    // a malformed record (INT32_MIN / -1) cannot overflow.
    if (record.count == 0) return 0;
    return static_cast<int32_t>(static_cast<int64_t>(record.sum) / record.count);
}

int LoadPatternTables() {
    const std::span<const uint8_t> block =
        resources::LoadResourceBytes(resources::ResourceKey::Id(kPatternStatisticsId),
                                     resources::ResourceKey::Id(resources::RT_RCDATA));
    if (block.size() != kPatternStatisticsBytes) return 0;
    for (int i = 0; i < kEdgePatterns; ++i) {
        gPatternTables.edge[i] = PatternEntry(ReadPatternRecord(block, 0, i));
    }
    for (int i = 0; i < kDiagonalPatterns; ++i) {
        gPatternTables.diagonal[i] = PatternEntry(ReadPatternRecord(block, 3, i));
    }
    PrepareLeafTables();
    return 1;
}
