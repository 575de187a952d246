// User file names on Windows. Owns the directory the tool was started in.
#include "path.h"
#include "file.h"
#include <windows.h>

namespace {
enum { PATH_DIRECTORY_MAX = 32768 };

struct PathState {
    char directory[PATH_DIRECTORY_MAX]; // "" when the system could not say
};
PathState PATHS;
} // namespace

void path_start(void) {
    DWORD n = GetCurrentDirectoryA(PATH_DIRECTORY_MAX, PATHS.directory);
    if (n == 0 || n >= PATH_DIRECTORY_MAX)
        PATHS.directory[0] = 0;
}

char* path_full(const char* name) {
    if (!name || !*name)
        return 0;
    // GetFullPathNameA also gets drive-relative ("C:x") and root-relative ("\x") names right,
    // which plain joining would not; it resolves against the current directory, so that must be
    // the user's again (the last open made it the program's).
    if (PATHS.directory[0])
        SetCurrentDirectoryA(PATHS.directory);
    return file_full_name(name);
}

int path_is_directory(const char* name) {
    char* full = path_full(name);
    DWORD attributes = full ? GetFileAttributesA(full) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int32_t path_each_match(const char* pattern,
                        void (*found)(const char* prefix, int32_t prefix_length,
                                      const char* file_name)) {
    char* full = path_full(pattern);
    WIN32_FIND_DATAA entry;
    HANDLE search = full ? FindFirstFileA(full, &entry) : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int32_t prefix = 0;
    for (int32_t i = 0; pattern[i]; ++i) {
        if (pattern[i] == '\\' || pattern[i] == '/' || pattern[i] == ':')
            prefix = i + 1;
    }
    int32_t count = 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            found(pattern, prefix, entry.cFileName);
            ++count;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return count;
}

int path_name_before(const char* a, const char* b) {
    return lstrcmpiA(a, b) < 0;
}
