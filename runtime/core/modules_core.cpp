// The start and end steps of the runtime modules in a program without the window toolkit (the
// command-line tool and the tests on POSIX systems): the file module only.
#include "file.h"
#include "program.h"

int program_modules_start(void) {
    return file_system_init();
}

void program_modules_end(void) {}
