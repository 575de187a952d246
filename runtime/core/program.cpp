// Start-up and shutdown. Owns the process-wide variables: module handle, program directory and
// the PixelArray (the heap is heap.cpp's, the string position str.cpp's).
#include "program.h"
#include "array.h"
#include "heap.h"
#include "os.h"
#include "str.h"
#include <string.h>

namespace {
// Windows paths reach 32767 characters with the long-path prefix; the program directory is
// recorded whole rather than cut at an arbitrary 500.
enum { PROGRAM_PATH_MAX = 32768 };

struct ProgramState {
    void* instance; // the module handle on Windows
    char directory[PROGRAM_PATH_MAX];
    PixelArray pixels;
};
ProgramState PROGRAM;

void record_directory(void) {
    if (os_program_file(PROGRAM.directory, PROGRAM_PATH_MAX) == 0)
        PROGRAM.directory[0] = 0;
    PROGRAM.directory[PROGRAM_PATH_MAX - 1] = 0;
    program_directory_cut(PROGRAM.directory);
}

int dimension_pixel_array(void) {
    PixelArray* a = &PROGRAM.pixels;
    a->table[0] = PIXEL_ARRAY_X;
    a->table[1] = PIXEL_ARRAY_Y;
    a->table[2] = PIXEL_ARRAY_C;
    array_free(a->elements);
    a->elements = 0;
    uint32_t* word = array_allocate(4, 3, a->table);
    if (!word)
        return 0;
    *word = 5;
    a->elements = (int32_t*)(word + 1);
    return 1;
}
} // namespace

const char* program_command_tail(const char* command_line) {
    if (!command_line)
        return "";
    const char* rest;
    if (*command_line == '"') {
        const char* close = command_line + 1;
        while (*close && *close != '"')
            ++close;
        // No closing quote: the whole line, opening quote included, is the rest.
        if (!*close)
            return command_line;
        rest = close + 1;
    } else {
        rest = command_line;
        while (*rest && *rest != ' ')
            ++rest;
    }
    while (*rest == ' ')
        ++rest;
    return rest;
}

void program_directory_cut(char* path) {
    char* cut = path;
    for (char* p = path; *p; ++p) {
        if (*p == OS_SEPARATOR)
            cut = p + 1;
    }
    *cut = 0;
}

namespace {
int start(int pixel_array) {
    memset(&PROGRAM, 0, sizeof PROGRAM);
    PROGRAM.instance = os_program_module();
    str_area_set(0, 0);
    if (!heap_create())
        return PROGRAM_NO_MEMORY;
    record_directory();
    int ok = program_modules_start();
    char* area = (char*)heap_allocate(STR_AREA_SIZE);
    if (area)
        str_area_set(area, STR_AREA_SIZE);
    else
        ok = 0;
    if (pixel_array)
        ok &= dimension_pixel_array();
    return ok ? PROGRAM_STARTED : PROGRAM_NO_MEMORY;
}
} // namespace

int program_start(void) {
    return start(1);
}

int program_start_console(void) {
    return start(0);
}

void program_release(void) {
    program_modules_end();
    heap_destroy();
    str_area_set(0, 0);
    PROGRAM.pixels.elements = 0;
}

void program_end(void) {
    program_release();
    os_end_process(0);
}

#ifdef _WIN32
ProgramModule program_instance(void) {
    return (ProgramModule)PROGRAM.instance;
}
#endif
const char* program_directory(void) {
    return PROGRAM.directory;
}
PixelArray* program_pixel_array(void) {
    return &PROGRAM.pixels;
}
