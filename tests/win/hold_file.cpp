// Holds a file open as a virus scanner or an indexer does for a moment: no
// other program may write it, delete it or move another file over it.
//
//   hold_file FILE MILLISECONDS MARKER [exclusive]
//
// Opens FILE (reading, shared for reading only; "exclusive": shared with
// nobody), creates the file MARKER once it holds FILE, keeps FILE open for
// MILLISECONDS and closes it. Exit status 0, or 1 when FILE cannot be opened.
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    DWORD share = (argc > 4 && strcmp(argv[4], "exclusive") == 0) ? 0 : FILE_SHARE_READ;
    HANDLE f = CreateFileA(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    HANDLE m = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m != INVALID_HANDLE_VALUE) CloseHandle(m);
    Sleep(static_cast<DWORD>(atol(argv[2])));
    CloseHandle(f);
    return 0;
}
