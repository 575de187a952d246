// User file names. Owns the directory the tool was started in.
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
