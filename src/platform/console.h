// The console: diagnostic lines on standard output, messages on standard
// error, with format.h's conversions.
#pragma once

#include "platform/format.h"

void con_out(const char* fmt, ...) FMT_PRINTF(1, 2);
void con_err(const char* fmt, ...) FMT_PRINTF(1, 2);
