// User file names, on the core's file layer: once path_start has run, every name is resolved as
// given, against the user's current directory, which nothing changes. The wildcards are matched
// here, the same way on every system (a shell may have left them, and Windows has no shell that
// expands them): text_matches over a listing of the pattern's directory.
#include "path.h"
#include "file.h"
#include "heap.h"
#include "os.h"
#include "text.h"

namespace {
// The search in progress: the pattern, where its last part starts, what to call, how many.
struct PathMatch {
    const char* pattern;
    int32_t prefix;
    void (*found)(const char* prefix, int32_t prefix_length, const char* file_name);
    int32_t count;
};

void match_entry(void* context, const char* name, int32_t kind) {
    PathMatch* m = (PathMatch*)context;
    if (kind != OS_FILE || !text_matches(m->pattern + m->prefix, name))
        return;
    m->found(m->pattern, m->prefix, name);
    ++m->count;
}
} // namespace

void path_start(void) {
    file_names_as_given();
}

char* path_full(const char* name) {
    if (!name || !*name)
        return 0;
    return file_full_name(name);
}

int path_read_block(const char* name, uint32_t least, uint32_t most, unsigned char** block,
                    uint32_t* size) {
    char* full = path_full(name);
    int read = full ? file_read_whole_block(full, least, most, block, size) : (int)FILE_NOT_OPENED;
    heap_free(full);
    return read;
}

int path_is_directory(const char* name) {
    char* full = path_full(name);
    OsFileFacts facts;
    int directory = full && file_facts(full, &facts) && facts.kind == OS_DIRECTORY;
    heap_free(full);
    return directory;
}

int32_t path_each_match(const char* pattern,
                        void (*found)(const char* prefix, int32_t prefix_length,
                                      const char* file_name)) {
    PathMatch m = {pattern, text_folder_length(pattern), found, 0};
    // The directory part with its separator ("sub/", "/", "C:"), or the current directory.
    char* part = (char*)heap_allocate((size_t)m.prefix + 2);
    if (!part)
        return 0;
    for (int32_t i = 0; i < m.prefix; ++i)
        part[i] = pattern[i];
    part[m.prefix] = 0;
    if (m.prefix == 0) {
        part[0] = '.';
        part[1] = 0;
    }
    char* directory = path_full(part);
    heap_free(part);
    if (directory)
        os_list_directory(directory, &match_entry, &m);
    heap_free(directory);
    return m.count;
}
