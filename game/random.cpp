// The shared linear congruential generator.
#include "game/random.h"

namespace {

// The state before any seeding is that of a generator seeded with 1, as with rand.
uint32_t gRandomState = 1;
uint64_t gRandomDraws = 0;

}  // namespace

void SeedRandom(uint32_t seed) {
    gRandomState = seed;
}

int32_t DrawRandom() {
    gRandomState = gRandomState * 214013u + 2531011u;
    ++gRandomDraws;
    return static_cast<int32_t>((gRandomState >> 16) & 0x7FFF);
}

uint64_t RandomDrawCount() {
    return gRandomDraws;
}
