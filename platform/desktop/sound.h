// Sound: plays a WAVE resource of the program, the way PlaySound does with SND_RESOURCE.
// Playing never blocks the caller; a sound that cannot be played is silently skipped.
#pragma once

#include "platform/desktop/win_types.h"

namespace desktop {

constexpr DWORD SND_ASYNC = 0x0001;
constexpr DWORD SND_NODEFAULT = 0x0002;
constexpr DWORD SND_RESOURCE = 0x00040004;

// sound names a resource of type "WAVE" (matched without regard to case); module is the
// program's own module and may be null. Returns TRUE when the sound was started.
BOOL PlaySound(const char* sound, void* module, DWORD flags);

}  // namespace desktop
