// The game's icons for the desktop (menus, launchers, software centres): the program icon's
// art as RGBA PNGs at the sizes icon themes use, and as an SVG, laid out as an icon theme
// folder (hicolor/<n>x<n>/apps/<id>.png, hicolor/scalable/apps/<id>.svg).
#pragma once

#include <string>
#include <vector>

#include "tools/generated_files/generated_files.h"

namespace desktop_icons {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Every file, named relative to the theme's parent folder; empty when a PNG cannot be encoded.
std::vector<generated_files::File> DrawDesktopIcons(const std::string& id);

}  // namespace desktop_icons
