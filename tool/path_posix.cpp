// User file names on POSIX systems. Owns the directory the tool was started in. The wildcards are
// matched here (the shell may have left them, and the tool behaves as it does on Windows, where
// no shell expands them): text_matches over a listing of the pattern's directory.
#include "path.h"
#include "file.h"
#include "text.h"
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
enum { PATH_DIRECTORY_MAX = 4096 };

struct PathState {
    char directory[PATH_DIRECTORY_MAX]; // "" when the system could not say
};
PathState PATHS;
} // namespace

void path_start(void) {
    if (!getcwd(PATHS.directory, sizeof PATHS.directory))
        PATHS.directory[0] = 0;
}

char* path_full(const char* name) {
    if (!name || !*name)
        return 0;
    // Full names are made against the current directory, so that must be the user's again (the
    // last open made it the program's).
    if (PATHS.directory[0] && chdir(PATHS.directory) != 0)
        return 0;
    return file_full_name(name);
}

int path_is_directory(const char* name) {
    char* full = path_full(name);
    struct stat st;
    return full && stat(full, &st) == 0 && S_ISDIR(st.st_mode);
}

int32_t path_each_match(const char* pattern,
                        void (*found)(const char* prefix, int32_t prefix_length,
                                      const char* file_name)) {
    int32_t prefix = 0;
    for (int32_t i = 0; pattern[i]; ++i) {
        if (pattern[i] == '/')
            prefix = i + 1;
    }
    // The directory part with its slash ("sub/", "/"), or the current directory.
    char* directory = 0;
    if (prefix == 0) {
        directory = path_full(".");
    } else {
        char part[PATH_DIRECTORY_MAX];
        if (prefix >= PATH_DIRECTORY_MAX)
            return 0;
        for (int32_t i = 0; i < prefix; ++i)
            part[i] = pattern[i];
        part[prefix] = 0;
        directory = path_full(part);
    }
    DIR* listing = directory ? opendir(directory) : 0;
    if (!listing)
        return 0;
    int32_t count = 0;
    for (struct dirent* entry = readdir(listing); entry; entry = readdir(listing)) {
        struct stat st;
        if (!text_matches(pattern + prefix, entry->d_name) ||
            fstatat(dirfd(listing), entry->d_name, &st, 0) != 0 || S_ISDIR(st.st_mode))
            continue;
        found(pattern, prefix, entry->d_name);
        ++count;
    }
    closedir(listing);
    return count;
}

int path_name_before(const char* a, const char* b) {
    return text_name_before(a, b);
}
