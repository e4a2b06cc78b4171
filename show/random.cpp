// The show's pseudo-random generator state.
#include "show/random.h"

// Constant-initialised, so it holds 1 before any static constructor that draws from it runs.
uint32_t randomState = 1;
