// The embedded pattern statistics and their loading: every fact the evaluation relies on holds
// for the block the program carries, and a missing or malformed block is a load failure.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ai/pattern_tables.h"
#include "platform/resources/resource_table.h"

namespace {

std::span<const uint8_t> EmbeddedBlock() {
    return resources::LoadResourceBytes(resources::ResourceKey::Id(107),
                                        resources::ResourceKey::Id(resources::RT_RCDATA));
}

int ReverseEdgeIndex(int index) {
    int reversed = 0;
    for (int i = 0; i < 8; ++i) {
        reversed = reversed * 3 + index % 3;
        index /= 3;
    }
    return reversed;
}

TEST(PatternStatistics, EmbeddedBlockHasTheFixedSize) {
    EXPECT_EQ(EmbeddedBlock().size(), 116640u);
}

TEST(PatternStatistics, TellingRowsHoldTheirExactFigures) {
    struct Row {
        int block;
        int index;
        int32_t count;
        int32_t sum;
        int32_t entry;
    };
    const Row rows[] = {
        {0, 0, 0, 0, 0},
        {0, 3280, 41426, 331408, 8},
        {0, 6560, 38732, -309856, -8},
        {0, 2187, 3057, 13830, 4},
        {0, 1, 3057, 13830, 4},
        {0, 4374, 2289, -9802, -4},
        {0, 729, 761, -2222, -2},
        {0, 1458, 831, 2906, 3},
        {3, 0, 0, 0, 0},
        {3, 364, 18962, 189620, 10},
        {3, 728, 16375, -163750, -10},
        {3, 243, 0, 0, 0},
        {3, 121, 13566, -49360, -3},
        {3, 485, 4835, 48350, 10},
    };
    const std::span<const uint8_t> block = EmbeddedBlock();
    ASSERT_EQ(block.size(), kPatternStatisticsBytes);
    for (const Row& row : rows) {
        const PatternStatistics record = ReadPatternRecord(block, row.block, row.index);
        EXPECT_EQ(record.count, row.count) << "block " << row.block << " index " << row.index;
        EXPECT_EQ(record.sum, row.sum) << "block " << row.block << " index " << row.index;
        EXPECT_EQ(PatternEntry(record), row.entry) << "index " << row.index;
    }
}

TEST(PatternStatistics, WholeBlockFactsHold) {
    const std::span<const uint8_t> block = EmbeddedBlock();
    ASSERT_EQ(block.size(), kPatternStatisticsBytes);
    int edgeZero = 0;
    for (int i = 0; i < kEdgePatterns; ++i) {
        const PatternStatistics record = ReadPatternRecord(block, 0, i);
        EXPECT_GE(record.count, 0);
        edgeZero += record.count == 0;
        const int32_t entry = PatternEntry(record);
        EXPECT_GE(entry, -8) << i;
        EXPECT_LE(entry, 8) << i;
        EXPECT_EQ(entry, PatternEntry(ReadPatternRecord(block, 0, ReverseEdgeIndex(i)))) << i;
    }
    int diagonalZero = 0;
    for (int i = 0; i < kDiagonalPatterns; ++i) {
        const PatternStatistics record = ReadPatternRecord(block, 3, i);
        EXPECT_GE(record.count, 0);
        diagonalZero += record.count == 0;
        EXPECT_GE(PatternEntry(record), -10) << i;
        EXPECT_LE(PatternEntry(record), 10) << i;
    }
    EXPECT_EQ(edgeZero, 822);
    EXPECT_EQ(diagonalZero, 436);
    // A run read in the wrong direction gives a different value.
    EXPECT_EQ(PatternEntry(ReadPatternRecord(block, 3, 93)), -10);
    EXPECT_EQ(PatternEntry(ReadPatternRecord(block, 3, 111)), 0);
    // The start position's diagonals cancel out.
    EXPECT_EQ(PatternEntry(ReadPatternRecord(block, 3, 12)),
              -PatternEntry(ReadPatternRecord(block, 3, 24)));
    // The blocks between the two the evaluation reads are real statistics too.
    int observed = 0;
    for (int i = 0; i < kDiagonalPatterns; ++i)
        observed += ReadPatternRecord(block, 1, i).count > 0;
    for (int i = 0; i < kEdgePatterns; ++i)
        observed += ReadPatternRecord(block, 2, i).count > 0;
    EXPECT_GT(observed, 1000);
}

TEST(PatternStatistics, EntriesTruncateTowardZero) {
    struct Case {
        PatternStatistics record;
        int32_t entry;
    };
    const Case cases[] = {
        {{761, -2222}, -2}, {{13566, -49360}, -3}, {{831, 2906}, 3},
        {{0, 55}, 0},       {{3, -2}, 0},          {{-1, INT32_MIN}, INT32_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PatternEntry(c.record), c.entry);
}

TEST(PatternTablesLoad, EmbeddedBlockFillsBothTables) {
    std::memset(&gPatternTables, 0, sizeof gPatternTables);
    ASSERT_EQ(LoadPatternTables(), 1);
    const std::span<const uint8_t> block = EmbeddedBlock();
    for (int i = 0; i < kEdgePatterns; ++i) {
        ASSERT_EQ(gPatternTables.edge[i], PatternEntry(ReadPatternRecord(block, 0, i))) << i;
    }
    for (int i = 0; i < kDiagonalPatterns; ++i) {
        ASSERT_EQ(gPatternTables.diagonal[i], PatternEntry(ReadPatternRecord(block, 3, i))) << i;
    }
    EXPECT_EQ(gPatternTables.edge[3280], 8);
    EXPECT_EQ(gPatternTables.diagonal[364], 10);
    EXPECT_EQ(gPatternTables.diagonal[93], -10);
}

TEST(PatternTablesLoad, MissingShortLongOrEmptyBlockFailsAndLeavesTablesAlone) {
    using resources::EmbeddedResource;
    using resources::ResourceKey;
    const std::span<const uint8_t> real = EmbeddedBlock();
    const std::vector<uint8_t> shortBlock(real.begin(), real.end() - 8);
    std::vector<uint8_t> longBlock(real.begin(), real.end());
    longBlock.push_back(0);
    const uint8_t other[4] = {1, 2, 3, 4};
    struct Case {
        const char* name;
        EmbeddedResource resource;
    };
    const Case cases[] = {
        {"missing",
         {ResourceKey::Id(resources::RT_RCDATA), ResourceKey::Id(108), real.data(), real.size()}},
        {"wrong type",
         {ResourceKey::Name("XFILE"), ResourceKey::Id(107), real.data(), real.size()}},
        {"short",
         {ResourceKey::Id(resources::RT_RCDATA), ResourceKey::Id(107), shortBlock.data(),
          shortBlock.size()}},
        {"long",
         {ResourceKey::Id(resources::RT_RCDATA), ResourceKey::Id(107), longBlock.data(),
          longBlock.size()}},
        {"empty", {ResourceKey::Id(resources::RT_RCDATA), ResourceKey::Id(107), other, 0}},
    };
    for (const Case& c : cases) {
        std::memset(&gPatternTables, 0, sizeof gPatternTables);
        gPatternTables.edge[5] = 77;
        resources::ReplaceResourceTableForTesting({&c.resource, 1});
        EXPECT_EQ(LoadPatternTables(), 0) << c.name;
        EXPECT_EQ(gPatternTables.edge[5], 77) << c.name;
        EXPECT_EQ(gPatternTables.edge[3280], 0) << c.name;
    }
    resources::ReplaceResourceTableForTesting({});
    EXPECT_EQ(LoadPatternTables(), 1);
}

}  // namespace
