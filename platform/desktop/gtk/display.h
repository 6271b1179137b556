// Opening the window system before the program makes its first window, so a start without a
// display can say why instead of ending silently. Free of GTK's headers: the program's entry
// includes it.
#pragma once

#include <string>

namespace desktop::gtk {

// True when the display is open (or was already); otherwise false with the reason in why,
// one line of printable text.
bool OpenDisplay(std::string& why);

}  // namespace desktop::gtk
