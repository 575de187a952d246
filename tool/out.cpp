// The console. Writes straight to the standard handles, so what the tool prints needs neither
// the C runtime's buffers nor the string area (start-up may have failed to make it).
#include "out.h"
#include "heap.h"
#include "os.h"

namespace {
struct OutState {
    uint32_t progress_length; // characters of the progress line now shown; 0 when none
};
OutState CONSOLE;

// Writes text to the stream, each LF as the system's line end (in one piece where that is LF).
void write_handle(int stream, const char* text) {
    if (!text)
        return;
    uint32_t end_length = 0;
    while (OS_LINE_END[end_length])
        ++end_length;
    if (end_length == 1 && OS_LINE_END[0] == '\n') {
        uint32_t n = 0;
        while (text[n])
            ++n;
        os_console_write(stream, text, n);
        return;
    }
    const char* run = text;
    for (const char* p = text;; ++p) {
        if (*p == '\n' || *p == 0) {
            if (p > run)
                os_console_write(stream, run, (uint32_t)(p - run));
            if (*p == 0)
                return;
            os_console_write(stream, OS_LINE_END, end_length);
            run = p + 1;
        }
    }
}

int is_terminal(void) {
    return os_console_is_terminal();
}
} // namespace

void out_text(const char* text) {
    write_handle(OS_OUTPUT, text);
}

void out_line(const char* text) {
    write_handle(OS_OUTPUT, text);
    write_handle(OS_OUTPUT, "\n");
}

void out_error_text(const char* text) {
    write_handle(OS_ERROR, text);
}

void out_error(const char* name, const char* message) {
    if (name) {
        write_handle(OS_ERROR, name);
        write_handle(OS_ERROR, ": ");
    }
    write_handle(OS_ERROR, message);
    write_handle(OS_ERROR, "\n");
}

int out_is_terminal(void) {
    return is_terminal();
}

void out_progress(const char* text) {
    if (!is_terminal() || !text)
        return;
    uint32_t n = 0;
    while (text[n])
        ++n;
    write_handle(OS_OUTPUT, "\r");
    write_handle(OS_OUTPUT, text);
    // Spaces over what is left of a longer line before, then back to its end.
    char blanks[81];
    uint32_t extra = CONSOLE.progress_length > n ? CONSOLE.progress_length - n : 0;
    if (extra > 80)
        extra = 80;
    for (uint32_t i = 0; i < extra; ++i)
        blanks[i] = ' ';
    blanks[extra] = 0;
    write_handle(OS_OUTPUT, blanks);
    for (uint32_t i = 0; i < extra; ++i)
        blanks[i] = '\b';
    write_handle(OS_OUTPUT, blanks);
    CONSOLE.progress_length = n;
}

void out_progress_end(void) {
    if (!CONSOLE.progress_length)
        return;
    char blanks[82];
    uint32_t n = CONSOLE.progress_length > 80 ? 80 : CONSOLE.progress_length;
    blanks[0] = '\r';
    for (uint32_t i = 1; i <= n; ++i)
        blanks[i] = ' ';
    blanks[n + 1] = 0;
    write_handle(OS_OUTPUT, blanks);
    write_handle(OS_OUTPUT, "\r");
    CONSOLE.progress_length = 0;
}

int out_read_input(uint32_t most, unsigned char** bytes, uint32_t* size) {
    // Grows by doubling, one byte past the limit, so that a longer input is seen to be longer.
    uint32_t room = 4096, used = 0;
    unsigned char* block = (unsigned char*)heap_allocate(room);
    while (block) {
        if (used == room) {
            if (room > most) {
                heap_free(block);
                return 0;
            }
            uint32_t grown_room = room > most / 2 ? most + 1 : room * 2;
            unsigned char* grown = (unsigned char*)heap_reallocate(block, grown_room);
            if (!grown)
                break;
            block = grown;
            room = grown_room;
        }
        int32_t n = os_input_read(block + used, room - used);
        if (n < 0)
            break;
        if (n == 0) {
            if (used > most)
                break;
            *bytes = block;
            *size = used;
            return 1;
        }
        used += (uint32_t)n;
    }
    heap_free(block);
    return 0;
}
