#include "run/options.h"

#include "input/fields.h"
#include "platform/console.h"
#include "run/contract.h"
#include "run/state.h"

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

void opt(const char* arg) {
    const char letter = arg[0] != '\0' ? arg[1] : '\0';
    const char* text = letter != '\0' ? arg + 2 : arg + 1;
    const char* shown = text;  // what the echo shows
    switch (letter) {
    case 'Z':
    case 'z':
        OPT_STRCPY(ChS001, text);
        shown = arg + 1;
        break;
    case 'M':
    case 'm':
        // Widths and spacings below 0.5 are refused without a word; so are
        // inf, nan, hexadecimal and values beyond the double range, which
        // convert to 0 (or to the 0 before the x).
        if (*text != '\0' && text_to_double(text) >= 0.5) dMOJI_w = text_to_double(text);
        break;
    case 'L':
    case 'l':
        if (*text != '\0' && text_to_double(text) >= 0.5) dMOJI_d = text_to_double(text);
        break;
    case 'K':
    case 'k':
        if (*text != '\0') {
            int colour = text_to_int(text);
            if (colour >= 0 && colour <= 9) iMOJI_p = colour;
        }
        break;
    case 'T':
    case 't':
        isTest = TEST_OFF;
        if (text[0] >= '1' && text[0] <= '0' + TEST_MAX) isTest = text[0] - '0';
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
    if (isTest >= TEST_ECHO) {
        con_out("# --- command line option ---------------\n");
        con_out("# --- (/%s)\n", shown);
        con_out("#      iMode(%d) iMode2(%d) iMode3(%d)\n", iMode, iMode2, iMode3);
    }
}
