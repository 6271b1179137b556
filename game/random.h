// The one pseudo-random generator of the game, shared by the leaf noise, the opening book and
// the weakest level. It is the classic linear congruential generator of srand/rand:
// state = state * 214013 + 2531011 (mod 2^32), result = bits 16..30 of the new state.
// It is the game's own code, so every platform draws the same sequence.
#pragma once

#include <cstdint>

// Like srand: restarts the sequence from seed.
void SeedRandom(uint32_t seed);

// Like rand: the next value, 0..32767.
int32_t DrawRandom();

// How many values have been drawn since the program started; tests use it to check how
// many draws an operation makes.
uint64_t RandomDrawCount();
