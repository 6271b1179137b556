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

    // The bounds stored for the position, or false.
    bool Probe(uint64_t own, uint64_t opponent, HashBounds& bounds) const;
    // Starts loading the position's bucket into the cache, so that several look-ups can wait
    // for memory together.
    void Prefetch(uint64_t own, uint64_t opponent) const;
    // Stores bounds for a position searched with `empties` empty squares; a deeper entry in
    // the bucket is kept in preference to a shallower one.
    void Store(uint64_t own, uint64_t opponent, int empties, const HashBounds& bounds);

  private:
    struct Entry {
        std::atomic<uint64_t> check;  // key ^ data
        std::atomic<uint64_t> data;
    };
    struct alignas(32) Bucket {
        Entry entries[2];
    };

    static uint64_t Key(uint64_t own, uint64_t opponent);
    // Writes every entry over as unused and starts the generations again.
    void Wipe();

    std::unique_ptr<Bucket[]> buckets_;
    size_t bucketCount_;
    uint64_t generation_ = 1;  // only entries stored in this generation are found
};

}  // namespace endgame
