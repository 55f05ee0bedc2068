// The command line's text, in the code page of the exchange file.
#pragma once

// Outside Windows, in a locale whose character set is UTF-8, turns each
// argument that is valid UTF-8 and has a character beyond ASCII into code page
// 932 (Shift-JIS), in place; one with a character that code page 932 lacks,
// or no valid UTF-8, stays byte for byte. On Windows the C runtime hands the
// arguments over in the system's code page already, and nothing is done.
#ifdef _WIN32
inline void args_to_cp932(int, char**) {}
#else
void args_to_cp932(int argc, char** argv);
#endif
