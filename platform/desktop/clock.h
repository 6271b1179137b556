// The tick count: milliseconds since some fixed start, as an unsigned 32-bit counter that
// wraps around after about 49.7 days. Only differences between two readings mean anything.
#pragma once

#include "platform/desktop/win_types.h"

namespace desktop {

DWORD GetTickCount();

}  // namespace desktop
