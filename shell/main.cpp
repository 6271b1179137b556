// The game's executable: the window and everything in it. No argument or file is read; the
// exit code is 0 after a normal end and non-zero when the start failed (said on stderr).
#include "shell/program.h"

int main() {
    return RunZantobel();
}
