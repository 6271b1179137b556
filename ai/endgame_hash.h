// The end-game solver's transposition table: bounds on the exact score of positions already
// searched, with the best move found, in a table of bounded size shared by every search
// thread. Each entry is two 64-bit words written without locks; a reader sees either a whole
// entry or none, because the key word is stored mixed with the data word.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace endgame {

// What the table knows about a position: lower <= score <= upper, and the move that was best.
struct HashBounds {
    int lower;
    int upper;
    int move;  // square 0..63, or kNoHashMove
};
constexpr int kNoHashMove = 64;

class HashTable {
  public:
    // Room for as many entries as fit in megabytes (rounded down to a power of two of
    // buckets); at least one bucket. Throws std::bad_alloc when the memory is not there.
    explicit HashTable(size_t megabytes);

    size_t bytes() const { return bucketCount_ * sizeof(Bucket); }

    // Forgets every entry, so a search does not depend on the ones before it.
    void Clear();

    // The position's key: every call below takes it, so a search computes it once a node.
    static uint64_t Key(uint64_t own, uint64_t opponent) {
        return Mix(own ^ Mix(opponent + 0x9E3779B97F4A7C15ull));
    }

    // The bounds stored for the position, or false.
    bool Probe(uint64_t key, HashBounds& bounds) const;
    bool Probe(uint64_t own, uint64_t opponent, HashBounds& bounds) const {
        return Probe(Key(own, opponent), bounds);
    }
    // Starts loading the position's bucket into the cache, so that several look-ups can wait
    // for memory together.
    void Prefetch(uint64_t key) const { __builtin_prefetch(&buckets_[key & (bucketCount_ - 1)]); }
    // Stores bounds for a position searched with `empties` empty squares; a deeper entry in
    // the bucket is kept in preference to a shallower one.
    void Store(uint64_t key, int empties, const HashBounds& bounds);
    void Store(uint64_t own, uint64_t opponent, int empties, const HashBounds& bounds) {
        Store(Key(own, opponent), empties, bounds);
    }

  private:
    struct Entry {
        std::atomic<uint64_t> check;  // key ^ data
        std::atomic<uint64_t> data;
    };
    struct alignas(32) Bucket {
        Entry entries[2];
    };

    // A 64-bit finaliser: every bit of the input moves about half of the output's bits.
    static uint64_t Mix(uint64_t value) {
        value ^= value >> 33;
        value *= 0xFF51AFD7ED558CCDull;
        value ^= value >> 33;
        value *= 0xC4CEB9FE1A85EC53ull;
        value ^= value >> 33;
        return value;
    }
    // Writes every entry over as unused and starts the generations again.
    void Wipe();

    std::unique_ptr<Bucket[]> buckets_;
    size_t bucketCount_;
    uint64_t generation_ = 1;  // only entries stored in this generation are found
};

}  // namespace endgame
