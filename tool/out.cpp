// Console output. Writes straight to the standard handles, so what the tool prints needs neither
// the C runtime's buffers nor the string area (start-up may have failed to make it).
#include "out.h"

#ifdef _WIN32
#include <windows.h>

namespace {
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
