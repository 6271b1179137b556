// The game program from start to end, as the executable runs it: the window system is opened
// (or the reason it cannot be is said), WinMain runs, and whatever the start-up could not make
// is named on stderr with a non-zero exit code. Test programs run it with altered resources.
#pragma once

// The exit code of the program: 0 after a normal end, kExitStartupFailed after a failed start.
int RunZantobel();
