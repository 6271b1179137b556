// Icons, cursors and stock objects loaded for a window class or a status bar. Icons come from
// the program's icon-group resources; of the images in a group the one that best fits the
// asked size and the display's colour depth is taken, as the platform picks it.
#pragma once

#include "platform/desktop/win_types.h"

namespace desktop {

// System cursors and icons, named by integer id.
inline const char* const IDC_ARROW = MAKEINTRESOURCE(32512);
inline const char* const IDI_APPLICATION = MAKEINTRESOURCE(32512);

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;

constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;

constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;

// An icon of the program at the system's large icon size (SM_CXICON x SM_CYICON); with a null
// instance, a system icon. Null when there is no such icon.
HICON LoadIcon(HINSTANCE instance, const char* name);
// A system cursor (instance null); only IDC_ARROW is offered.
HCURSOR LoadCursor(HINSTANCE instance, const char* name);
// An image resource of the program. For IMAGE_ICON the image of the group nearest to
// width x height (0 with LR_DEFAULTSIZE: the system size) is taken, scaled when no image has
// that size. With LR_SHARED the same name and size give the same handle every time, and the
// handle lives as long as the program. Null when the resource is missing or malformed.
HANDLE LoadImage(HINSTANCE instance, const char* name, UINT type, int width, int height,
                 UINT flags);
BOOL DestroyIcon(HICON icon);
HGDIOBJ GetStockObject(int object);

}  // namespace desktop
