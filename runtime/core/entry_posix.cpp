// Process entry and start routine on POSIX systems. The system hands the arguments over already
// split, so the rest of the command line after the program's name is made of them again, one
// space between each, and the program's main body is called as on Windows: no module handle, 0,
// that rest, and SW_SHOWNORMAL (1).
#include "program.h"
#include <stdlib.h>
#include <string.h>

namespace {
struct EntryState {
    char* tail; // kept here for the whole run: the main body never returns
};
EntryState ENTRY;
} // namespace

int main(int argc, char** argv) {
    size_t bytes = 1;
    for (int i = 1; i < argc; ++i)
        bytes += strlen(argv[i]) + 1;
    ENTRY.tail = (char*)malloc(bytes);
    if (!ENTRY.tail)
        return 1;
    char* out = ENTRY.tail;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            *out++ = ' ';
        size_t n = strlen(argv[i]);
        memcpy(out, argv[i], n);
        out += n;
    }
    *out = 0;
    return program_main(0, 0, ENTRY.tail, 1);
}
