// The shell's process-wide flags.
#include "windows/shell/shell_state.h"

HINSTANCE moduleInstance = nullptr;
int32_t isWin9x = 0;
