// Start-up, shutdown and the process-wide frame of both programs: the start routine that calls the
// program's main body, program_start / program_end, the program directory and the PixelArray.
#pragma once
#include <stdint.h>

#ifdef _WIN32
// The module handle, HINSTANCE itself (the STRICT handle type), named without windows.h so that
// the core's own files need no system header.
struct HINSTANCE__;
typedef HINSTANCE__* ProgramModule;
// The program's module handle, recorded at start-up.
ProgramModule program_instance(void);
#else
typedef void* ProgramModule; // there is none: 0
#endif

// The program's main body, defined by each program. The start routine calls it with the module
// handle, 0, the command line after the program name, and SW_SHOWNORMAL (1); it never returns.
int program_main(ProgramModule instance, ProgramModule previous, char* command_tail, int show);

// The program's one array: 321 x 241 x 4 signed 32-bit integers (x, y, component), index 0 of
// each dimension unused. After start-up its table holds the strides 964, 4, 4.
struct PixelArray {
    int32_t* elements; // 0 when the heap refused it
    uint32_t table[3];
};
enum { PIXEL_ARRAY_X = 321, PIXEL_ARRAY_Y = 241, PIXEL_ARRAY_C = 4 };

// Outcomes of program_start.
enum ProgramStart {
    PROGRAM_STARTED = 1,
    PROGRAM_NO_MEMORY = 0 // heap, a runtime table, the string area or the PixelArray refused
};

// Zeroes the process-wide state, creates the runtime heap, records the program directory,
// initialises the runtime modules, allocates the 64000-byte temporary string area and the
// PixelArray. Returns PROGRAM_STARTED, or PROGRAM_NO_MEMORY when any allocation was refused.
int program_start(void);
// program_start for a console program, which has no use for the forms' PixelArray: everything
// but that array (program_pixel_array's elements stay 0).
int program_start_console(void);
// Closes every window and destroys the runtime heap (the first half of program_end, also used by
// tests that start the runtime more than once in one process).
void program_release(void);
// program_release, then ends the process with exit code 0. Does not return.
void program_end(void);

// The start and end steps of the runtime modules beside the core, provided by the runtime
// library the program links: the window toolkit's (runtime/ui/modules.cpp) starts its modules
// around the file module, the window module last, the core's alone
// (runtime/core/modules_core.cpp) only the file module. 1 when every table was allocated.
int program_modules_start(void);
// Closes what the modules hold that the system would not release by itself (the windows).
void program_modules_end(void);

// The directory of the program's file with its final separator ("" when the name has none).
const char* program_directory(void);
// The PixelArray dimensioned at start-up.
PixelArray* program_pixel_array(void);

// Pure helpers of the start routine, exposed for tests.
// The rest of a command line after the program's name and the spaces that follow it.
const char* program_command_tail(const char* command_line);
// Cuts path right after its last separator (a backslash; a slash on POSIX systems), in place;
// "" when there is none.
void program_directory_cut(char* path);
