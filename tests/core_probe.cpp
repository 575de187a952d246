// A program on the runtime's own entry and start routine. It prints what start-up recorded and
// ends through program_end, so the tests can see the command-line skipping, the program directory
// and the exit code from outside.
#include "os.h"
#include "program.h"
#include <stdio.h>

int program_main(ProgramModule instance, ProgramModule, char* command_tail, int show) {
    int started = program_start();
    printf("started=%s\n", started == PROGRAM_STARTED ? "1" : "0");
    printf("instance=%s\n", instance == (ProgramModule)os_program_module() ? "module" : "other");
    printf("show=%s\n", show == 1 ? "normal" : "other"); // SW_SHOWNORMAL
    printf("tail=[%s]\n", command_tail);
    printf("directory=[%s]\n", program_directory());
    // program_end ends the process at once, past the C runtime's own buffers.
    fflush(stdout);
    program_end();
    return 7; // never reached: program_end ends the process with 0
}
