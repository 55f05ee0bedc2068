#include "run/options.h"

#include <cstring>

#include "input/fields.h"
#include "platform/console.h"
#include "state/contract.h"
#include "state/state.h"

// For a person at a terminal, not for the host. Free-text options could start
// with "--" too, so these count only as the one and only argument; with any
// other beside them they are options as any other. /? is how help is asked
// for on Windows; -? too, as an option's lead may be - as well as /.
bool answer_query(int argc, char** argv) {
    if (argc != 2) return false;
    if (strcmp(argv[1], "--version") == 0) {
        con_out("linetext %s\n", LINETEXT_VERSION);
        return true;
    }
    const char* a = argv[1];
    if (strcmp(a, "--help") != 0 && strcmp(a, "/?") != 0 && strcmp(a, "-?") != 0) return false;
    con_out(
        "Usage: linetext [/Ztext] [/Mwidth] [/Lspacing] [/Kcolour] [/Tlevel]\n"
        "Lays the pattern text along the line from indicated point 1 to point 2 of\n"
        "the exchange file " EXCHANGE_FILE
        " in the current directory and replaces\n"
        "that file with the result: start it in the directory that holds the file,\n"
        "and try things on a copy.\n"
        "\n"
        "  /Ztext    the pattern text, up to %d bytes (none: no text is laid)\n"
        "  /Mnumber  text width and height, at least 0.5 (default 5)\n"
        "  /Lnumber  character spacing, at least 0.5 (default 1)\n"
        "  /Kn       text colour, 0 to 9 (default 1)\n"
        "  /Tn       debug level 1 to 6: the file is kept, the result is in " WORKING_COPY
        "\n"
        "Options may begin with /, - or $, their letter in either case; a value out\n"
        "of range is ignored.\n"
        "\n"
        "Exit status: 0 the run completed; 1 or -1 (255) it ended early and the file\n"
        "is as it was (\"" MSG_CANNOT_OPEN EXCHANGE_FILE
        "\": not started in its directory).\n"
        "\n"
        "  --help     this text      --version  the version (each alone: no file touched)\n"
        "More: man linetext, or README-en.txt beside linetext.exe.\n",
        PATTERN_MAX);
    return true;
}

void scan_options(int argc, char** argv) {
    for (int k = 1; k < argc; k++) {
        char lead = argv[k][0];
        if (lead == '-' || lead == '/' || lead == '$') opt(argv[k]);
    }
}

// Up to a line end: a pattern holding CR or LF (an argument written on a line
// with CR LF ends, from a script saved on Windows) would cut the text record
// it fills into lines the host reads as records of their own.
void OPT_STRCPY(char* dst, const char* src) { dst[copy_text(dst, src, PATTERN_MAX, 1)] = '\0'; }

// Widths and spacings below 0.5 are refused without a word; so are inf, nan,
// hexadecimal and values beyond the double range, which convert to 0 (or to
// the 0 before the x).
static void take_size(double* target, const char* text) {
    const double v = text_to_double(text);
    if (v >= 0.5) *target = v;
}

void opt(const char* arg) {
    const char letter = arg[0] != '\0' ? arg[1] : '\0';
    const char* text = letter != '\0' ? arg + 2 : arg + 1;
    const char* shown = text;  // what the echo shows
    switch (letter) {
    case 'Z':
    case 'z':
        OPT_STRCPY(S.ChS001, text);
        shown = arg + 1;
        break;
    case 'M':
    case 'm':
        take_size(&S.dMOJI_w, text);
        break;
    case 'L':
    case 'l':
        take_size(&S.dMOJI_d, text);
        break;
    case 'K':
    case 'k':
        if (*text != '\0') {
            int colour = text_to_int(text);
            if (colour >= 0 && colour <= 9) S.iMOJI_p = colour;
        }
        break;
    case 'T':
    case 't':
        S.isTest = TEST_OFF;
        if (text[0] >= '1' && text[0] <= '0' + TEST_MAX) S.isTest = text[0] - '0';
        break;
    case 'e':
        break;
    case 's':
        shown = arg + 1;
        break;
    default:
        con_err(MSG_ILLEGAL_OPTION);
        shown = arg + 1;
        break;
    }
    if (S.isTest >= TEST_ECHO) {
        con_out("# --- command line option ---------------\n");
        con_out("# --- (/%s)\n", shown);
        con_out("#      iMode(%d) iMode2(%d) iMode3(%d)\n", iMode, iMode2, iMode3);
    }
}
