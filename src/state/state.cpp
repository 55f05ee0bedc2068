#include "state/state.h"

RunState S;
