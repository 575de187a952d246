// The console. Writes straight to the standard handles, so what the tool prints needs neither
// the C runtime's buffers nor the string area (start-up may have failed to make it).
#include "out.h"
#include "heap.h"

namespace {
struct OutState {
    uint32_t progress_length; // characters of the progress line now shown; 0 when none
};
OutState CONSOLE; // not OUT, which windows.h defines as nothing
} // namespace

#ifdef _WIN32
#include <windows.h>

namespace {
int is_terminal(void) {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

// Up to room bytes of standard input; -1 when the read fails.
int32_t read_input(unsigned char* into, uint32_t room) {
    HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    DWORD n = 0;
    if (!ReadFile(h, into, room, &n, 0))
        // A pipe whose writer has closed ends this way rather than with 0 bytes.
        return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    return (int32_t)n;
}

void write_handle(DWORD which, const char* text) {
    HANDLE h = GetStdHandle(which);
    if (!text || h == 0 || h == INVALID_HANDLE_VALUE)
        return;
    const char* run = text;
    for (const char* p = text;; ++p) {
        if (*p == '\n' || *p == 0) {
            DWORD written;
            if (p > run)
                WriteFile(h, run, (DWORD)(p - run), &written, 0);
            if (*p == 0)
                return;
            WriteFile(h, "\r\n", 2, &written, 0);
            run = p + 1;
        }
    }
}
} // namespace
#else
#include <errno.h>
#include <unistd.h>

// POSIX systems end lines with LF alone; the texts are otherwise the Windows tool's.
enum { STD_OUTPUT_HANDLE = 1, STD_ERROR_HANDLE = 2 };

namespace {
int is_terminal(void) {
    return isatty(1);
}

int32_t read_input(unsigned char* into, uint32_t room) {
    for (;;) {
        ssize_t n = read(0, into, room);
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? -1 : (int32_t)n;
    }
}

void write_handle(int fd, const char* text) {
    if (!text)
        return;
    const char* p = text;
    while (*p)
        ++p;
    while (p > text) {
        ssize_t n = write(fd, text, (size_t)(p - text));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text += n;
    }
}
} // namespace
#endif

void out_text(const char* text) {
    write_handle(STD_OUTPUT_HANDLE, text);
}

void out_line(const char* text) {
    write_handle(STD_OUTPUT_HANDLE, text);
    write_handle(STD_OUTPUT_HANDLE, "\n");
}

void out_error_text(const char* text) {
    write_handle(STD_ERROR_HANDLE, text);
}

void out_error(const char* name, const char* message) {
    if (name) {
        write_handle(STD_ERROR_HANDLE, name);
        write_handle(STD_ERROR_HANDLE, ": ");
    }
    write_handle(STD_ERROR_HANDLE, message);
    write_handle(STD_ERROR_HANDLE, "\n");
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
    write_handle(STD_OUTPUT_HANDLE, "\r");
    write_handle(STD_OUTPUT_HANDLE, text);
    // Spaces over what is left of a longer line before, then back to its end.
    char blanks[81];
    uint32_t extra = CONSOLE.progress_length > n ? CONSOLE.progress_length - n : 0;
    if (extra > 80)
        extra = 80;
    for (uint32_t i = 0; i < extra; ++i)
        blanks[i] = ' ';
    blanks[extra] = 0;
    write_handle(STD_OUTPUT_HANDLE, blanks);
    for (uint32_t i = 0; i < extra; ++i)
        blanks[i] = '\b';
    write_handle(STD_OUTPUT_HANDLE, blanks);
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
    write_handle(STD_OUTPUT_HANDLE, blanks);
    write_handle(STD_OUTPUT_HANDLE, "\r");
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
        int32_t n = read_input(block + used, room - used);
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
