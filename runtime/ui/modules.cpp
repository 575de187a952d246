// The start and end steps of the runtime modules in a program with the window toolkit: the
// toolkit's modules around the file module, the window module last, so that every table a
// window's creation uses is there before the first window can be made.
#include "file.h"
#include "gadget.h"
#include "image.h"
#include "image_decoder.h"
#include "program.h"
#include "window.h"

int program_modules_start(void) {
    int ok = 1;
    ok &= gadget_system_init();
    image_decoders_reset();
    ok &= file_system_init();
    ok &= image_system_init();
    ok &= window_system_init();
    return ok;
}

void program_modules_end(void) {
    window_close_all();
}
