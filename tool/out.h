// Console output of the command-line tool: results on standard output, what went wrong on
// standard error. Line ends are written as CR LF on Windows, as its console programs do, and as
// LF on POSIX systems.
#pragma once

// Writes text to standard output, each LF as CR LF on Windows.
void out_text(const char* text);
// out_text, then a line end.
void out_line(const char* text);
// Writes text to standard error, each LF as CR LF on Windows.
void out_error_text(const char* text);
// "name: message" and a line end on standard error; just the message when name is null. The
// name is the file as the user gave it, so the user sees which one is meant.
void out_error(const char* name, const char* message);
