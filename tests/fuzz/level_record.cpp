// Fuzzes the level record reader over a file of any length and content, read through the file
// module as Load Level and "wumpo-tool level show" read it. The file lives in memory: the
// platform layer's open, read, seek, size and close are replaced for the run (and the change of
// directory that comes with an open). Every text must
// come back terminated inside the string area, and every number must be the word in the file.
#include "file.h"
#include "level.h"
#include "os.h"
#include "program.h"
#include "str.h"
#include <stdlib.h>

namespace {
struct MemoryFile {
    const uint8_t* data;
    uint32_t size, position;
};
MemoryFile MEMORY;
OsFile const MEMORY_HANDLE = (OsFile)&MEMORY;

OsFile memory_open(const char*) {
    MEMORY.position = 0;
    return MEMORY_HANDLE;
}
int memory_read(OsFile file, void* into, uint32_t count, uint32_t* done) {
    if (file != MEMORY_HANDLE)
        abort();
    uint32_t left = MEMORY.position < MEMORY.size ? MEMORY.size - MEMORY.position : 0;
    uint32_t n = count < left ? count : left;
    for (uint32_t i = 0; i < n; ++i)
        ((unsigned char*)into)[i] = MEMORY.data[MEMORY.position + i];
    MEMORY.position += n;
    *done = n;
    return 1;
}
uint32_t memory_seek(OsFile, int32_t position) {
    if (position < 0)
        return 0xFFFFFFFFu;
    MEMORY.position = (uint32_t)position;
    return MEMORY.position;
}
uint64_t memory_size(OsFile) {
    return MEMORY.size;
}
int memory_close(OsFile) {
    return 1;
}
// Every open makes the program's directory current, which would move libFuzzer's relative corpus
// and artifact names away from it.
int memory_set_current_directory(const char*) {
    return 1;
}

// The text lies in the string area and ends there.
bool inside_area(const char* text, const char* start) {
    const char* end = start + str_free() + (str_position() - start);
    for (const char* p = text; p <= end; ++p) {
        if (!*p)
            return text >= start;
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (program_start() != PROGRAM_STARTED)
        abort();
    OsCalls* calls = os_calls();
    calls->open_read = memory_open;
    calls->read = memory_read;
    calls->seek = memory_seek;
    calls->size = memory_size;
    calls->close = memory_close;
    calls->set_current_directory = memory_set_current_directory;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MEMORY = MemoryFile{data, (uint32_t)(size < 0xFFFFFFFFu ? size : 0xFFFFFFFFu), 0};
    char* start = str_position();
    if (!file_open_read(0, "level.lvl"))
        abort();
    LevelFields f;
    level_record_read(&f);
    file_close(0);
    const char* texts[] = {f.description, f.backdrop_name, f.gravity_switch_times};
    for (const char* text : texts) {
        if (!inside_area(text, start))
            abort();
    }
    // A word read past the end keeps earlier bytes of the transfer buffer, so only the words
    // wholly inside the file are known here.
    for (int i = 0; i < LEVEL_WORD_COUNT; ++i) {
        if (!inside_area(f.words[i], start))
            abort();
        uint32_t at = LEVEL_START_X_OFFSET + 2u * (uint32_t)i;
        if (at + 2 <= size && str_to_int(f.words[i]) != (int16_t)(data[at] | data[at + 1] << 8))
            abort();
    }
    if (LEVEL_GRAVITY_SWITCH_OFFSET + 2 <= size &&
        str_to_int(f.gravity_switch_times) != (int16_t)(data[LEVEL_GRAVITY_SWITCH_OFFSET] |
                                                        data[LEVEL_GRAVITY_SWITCH_OFFSET + 1] << 8))
        abort();
    if (LEVEL_ANTI_GRAVITY_OFFSET < size &&
        f.anti_gravity != (int8_t)data[LEVEL_ANTI_GRAVITY_OFFSET])
        abort();
    str_set_position(start);
    return 0;
}
