// The recording desktop backend for headless tests and the command-line tool: it keeps every
// sound request instead of playing it, and its tick count is a clock the test sets by hand.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/desktop/win_types.h"

namespace desktop::fake {

struct SoundCall {
    std::string name;
    DWORD flags;
};

const std::vector<SoundCall>& SoundCalls();
void ClearSoundCalls();

// The clock: a fixed value, or a source consulted on every GetTickCount (for tests that need
// time to pass while the code under test runs). Reset() returns to a fixed clock at 0.
void SetTickCount(DWORD now);
void SetTickSource(std::function<DWORD()> source);
// Number of GetTickCount calls since the last Reset.
uint64_t TickReadings();

// Forgets every recorded call and resets the clock.
void Reset();

}  // namespace desktop::fake
