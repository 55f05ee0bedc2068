// Command-line options: /Z text, /M width, /L spacing, /K colour, /T level,
// /e and /s (each also with - or $ in front, letters K L M T Z in either case).
#pragma once

// A lone --help, /? or -?, or --version: the usage or the version printed,
// and true (the run touches no file); false for any other command line.
bool answer_query(int argc, char** argv);
// Every argument whose first byte is '-', '/' or '$' goes to opt.
void scan_options(int argc, char** argv);
// Applies one argument, lead byte included (the lead byte is not looked at).
void opt(const char* arg);
// Copies an option's text into the pattern text: at most PATTERN_MAX bytes, up
// to a line end, always terminated.
void OPT_STRCPY(char* dst, const char* src);
