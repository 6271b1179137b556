// Shared between the recording backend's files: the ordering trace and the reset of the
// sound and clock records.
#pragma once

#include <string>

namespace desktop::fake::internal {

void AppendTrace(std::string entry);
void ResetSoundAndClock();

}  // namespace desktop::fake::internal
