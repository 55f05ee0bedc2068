// The console: diagnostic lines on standard output, messages on standard
// error, with format.h's conversions.
#pragma once

void con_out(const char* fmt, ...);
void con_err(const char* fmt, ...);
