// A program on the runtime's own entry and start routine. It prints what start-up recorded and
// ends through program_end, so the tests can see the command-line skipping, the program directory
// and the exit code from outside.
#include "program.h"
#include "str.h"
#include <windows.h>

static void print(const char* text) {
    DWORD n;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)str_length(text), &n, 0);
}

int program_main(HINSTANCE instance, HINSTANCE, char* command_tail, int show) {
    int started = program_start();
    print("started=");
    print(started == PROGRAM_STARTED ? "1" : "0");
    print("\ninstance=");
    print(instance == GetModuleHandleA(0) ? "module" : "other");
    print("\nshow=");
    print(show == SW_SHOWNORMAL ? "normal" : "other");
    print("\ntail=[");
    print(command_tail);
    print("]\ndirectory=[");
    print(program_directory());
    print("]\n");
    program_end();
    return 7; // never reached: program_end ends the process with 0
}
