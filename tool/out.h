// The console of the command-line tool: results on standard output, what went wrong on standard
// error, a progress line when standard output is a terminal, and standard input read whole. Line
// ends are written as CR LF on Windows, as its console programs do, and as LF on POSIX systems.
#pragma once
#include <stdint.h>

// Writes text to standard output, each LF as CR LF on Windows.
void out_text(const char* text);
// out_text, then a line end.
void out_line(const char* text);
// Writes text to standard error, each LF as CR LF on Windows.
void out_error_text(const char* text);
// "name: message" and a line end on standard error; just the message when name is null. The
// name is the file as the user gave it, so the user sees which one is meant.
void out_error(const char* name, const char* message);
// 1 when standard output is a terminal (a console window on Windows), where a progress line
// can be shown and taken back.
int out_is_terminal(void);
// Shows text as the progress line on a terminal, over the one before; nothing elsewhere.
void out_progress(const char* text);
// Takes the progress line back, so that the next text starts on a clean line.
void out_progress_end(void);
// Reads standard input to its end into a block of the runtime heap (*bytes, *size) when it holds
// at most most bytes. 1 when read; 0 when it could not be read, was longer, or memory is short.
int out_read_input(uint32_t most, unsigned char** bytes, uint32_t* size);
