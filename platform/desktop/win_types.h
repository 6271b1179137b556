// The plain value types of the window-system calls the game is written against, spelled as
// the platform spells them, so code above this floor reads like the calls it replaces.
#pragma once

#include <cstdint>

namespace desktop {

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

}  // namespace desktop
