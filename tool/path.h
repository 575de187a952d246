// File names the user types, and the directories the tool looks into. The forms' file runtime
// makes the program's directory current before every open; on the command line a relative name
// means the user's current directory, so the tool has the file layer take names as given.
#pragma once
#include <stdint.h>

// The pictures of preview, relative to the program's directory: the images folder beside
// wumpo-tool.exe on Windows; on POSIX systems share/wumpo-tools/images beside the bin/ that
// holds the tool, where an installation puts them and where the build tree lays them out.
#ifdef _WIN32
#define PATH_IMAGES "images\\"
#else
#define PATH_IMAGES "../share/wumpo-tools/images/"
#endif

// Has every name resolved against the user's current directory from now on, before any file is
// opened.
void path_start(void);
// The absolute form of name, taken relative to the current directory, in a runtime heap block;
// 0 for an empty or unusable name, or when the heap refuses.
char* path_full(const char* name);
// file_read_whole_block of the file the user named (relative to the current directory).
int path_read_block(const char* name, uint32_t least, uint32_t most, unsigned char** block,
                    uint32_t* size);
// 1 when name (relative to the current directory) is an existing directory.
int path_is_directory(const char* name);
// Calls found with each plain file (not a directory) whose name matches the wildcard pattern
// (* and ?, letter case aside, in the last part of the name only), in the system's order: the
// name as the user would give it is the first prefix_length characters of prefix (the directory
// part of the pattern) followed by file_name. Returns how many were found.
int32_t path_each_match(const char* pattern,
                        void (*found)(const char* prefix, int32_t prefix_length,
                                      const char* file_name));
