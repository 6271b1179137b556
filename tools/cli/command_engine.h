// What the computer player's commands share: level names, the clock the MASTER budget reads,
// and the engine's one-time set-up (opening book and pattern tables).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "game/match_flow.h"
#include "tools/cli/cli.h"

namespace cli {

// fool, poor, normal, expert, master; reports an unknown name for option.
std::optional<SkillLevel> ParseLevel(Arguments& arguments, std::string_view option,
                                     const std::string& text);
const char* LevelText(SkillLevel level);

// "--clock real" (the default: milliseconds of the wall clock) or "--clock counted" (the tick
// count advances by one per reading, so MASTER's exact search gets about 3000 steps and a run
// depends on the seed alone). Installs the clock; false after reporting a bad value.
bool TakeClockOption(Arguments& arguments);

// Builds the opening book and loads the pattern tables; false (reported) when they cannot load.
bool PrepareEngine();

}  // namespace cli
