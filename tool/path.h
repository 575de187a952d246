// File names the user types. The file runtime makes the program's directory current before every
// open, which suits the forms; on the command line a relative name means the user's current
// directory, so each one is made absolute against the directory recorded at start.
#pragma once

// Records the process's current directory: the user's, before any file is opened.
void path_start(void);
// The absolute form of name, taken relative to the recorded directory, in a runtime heap block;
// 0 for an empty or unusable name, or when the heap refuses.
char* path_full(const char* name);
