// The transposition table of the end-game solver.
#include "ai/endgame_hash.h"

#include <bit>

namespace endgame {

namespace {

// data word: lower + 64 in bits 0..7, upper + 64 in 8..15, move in 16..23, empties in 24..31,
// bit 32 set, so no stored entry is all zeros like an empty one, and the table's generation
// when it was stored in 33..48.
constexpr int kGenerationShift = 33;
constexpr uint64_t kLastGeneration = 0xFFFF;

uint64_t PackData(const HashBounds& bounds, int empties, uint64_t generation) {
    return static_cast<uint64_t>(bounds.lower + 64) |
           static_cast<uint64_t>(bounds.upper + 64) << 8 |
           static_cast<uint64_t>(bounds.move) << 16 | static_cast<uint64_t>(empties) << 24 |
           uint64_t{1} << 32 | generation << kGenerationShift;
}

uint64_t GenerationOf(uint64_t data) {
    return data >> kGenerationShift & kLastGeneration;
}

HashBounds UnpackBounds(uint64_t data) {
    return {static_cast<int>(data & 0xFF) - 64, static_cast<int>(data >> 8 & 0xFF) - 64,
            static_cast<int>(data >> 16 & 0xFF)};
}

int EmptiesOf(uint64_t data) {
    return static_cast<int>(data >> 24 & 0xFF);
}
bool Used(uint64_t data) {
    return (data >> 32 & 1) != 0;
}

}  // namespace

HashTable::HashTable(size_t megabytes) {
    const size_t wanted = megabytes * (size_t{1} << 20) / sizeof(Bucket);
    bucketCount_ = wanted < 1 ? 1 : std::bit_floor(wanted);
    buckets_ = std::make_unique<Bucket[]>(bucketCount_);
    Wipe();
}

// Entries of an earlier generation count as absent, so forgetting them all is a count up;
// the memory is only written over once every kLastGeneration searches.
void HashTable::Clear() {
    if (generation_ < kLastGeneration) {
        ++generation_;
    } else {
        Wipe();
    }
}

void HashTable::Wipe() {
    generation_ = 1;
    for (size_t i = 0; i < bucketCount_; ++i) {
        for (Entry& entry : buckets_[i].entries) {
            entry.check.store(0, std::memory_order_relaxed);
            entry.data.store(0, std::memory_order_relaxed);
        }
    }
}

bool HashTable::Probe(uint64_t key, HashBounds& bounds) const {
    const Bucket& bucket = buckets_[key & (bucketCount_ - 1)];
    for (const Entry& entry : bucket.entries) {
        const uint64_t data = entry.data.load(std::memory_order_relaxed);
        if ((entry.check.load(std::memory_order_relaxed) ^ data) != key) continue;
        if (GenerationOf(data) != generation_) continue;  // a current twin may follow
        bounds = UnpackBounds(data);
        return true;
    }
    return false;
}

void HashTable::Store(uint64_t key, int empties, const HashBounds& bounds) {
    Bucket& bucket = buckets_[key & (bucketCount_ - 1)];
    // The same position's entry, else an unused one, else the shallower one.
    Entry* target = nullptr;
    int targetRank = 0;
    for (Entry& entry : bucket.entries) {
        const uint64_t data = entry.data.load(std::memory_order_relaxed);
        const bool current = Used(data) && GenerationOf(data) == generation_;
        const bool same = current && (entry.check.load(std::memory_order_relaxed) ^ data) == key;
        const int rank = same ? 1000 : !current ? 500 : 64 - EmptiesOf(data);
        if (target == nullptr || rank > targetRank) {
            target = &entry;
            targetRank = rank;
        }
    }
    const uint64_t data = PackData(bounds, empties, generation_);
    target->check.store(key ^ data, std::memory_order_relaxed);
    target->data.store(data, std::memory_order_relaxed);
}

}  // namespace endgame
