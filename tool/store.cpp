// Whole-file transfers through file 0.
#include "store.h"
#include "file.h"
#include "heap.h"

int store_read(const char* name, uint32_t least, uint32_t most, unsigned char** bytes,
               uint32_t* size) {
    if (!name || !file_open_read(0, name))
        return STORE_NOT_OPENED;
    uint32_t n = file_size();
    int outcome = STORE_DONE;
    unsigned char* block = 0;
    if (n == 0xFFFFFFFFu)
        outcome = STORE_NOT_READ;
    else if (n < least || n > most)
        outcome = STORE_WRONG_SIZE;
    else if (!(block = (unsigned char*)heap_allocate(n ? n : 1)))
        outcome = STORE_NOT_READ;
    else if (file_read_block(block, n) != n)
        outcome = STORE_NOT_READ;
    file_close(0);
    if (outcome == STORE_DONE) {
        *bytes = block;
        *size = n;
    } else {
        heap_free(block);
    }
    return outcome;
}

int store_write(const char* name, const void* bytes, uint32_t count) {
    char* full = name ? file_full_name(name) : 0;
    char* temporary = full ? file_temporary_name(full) : 0;
    int outcome = temporary ? file_write_whole(full, temporary, bytes, count) : FILE_NOT_CREATED;
    heap_free(full);
    heap_free(temporary);
    return outcome;
}

const char* store_write_error_text(int outcome) {
    return outcome == STORE_NOT_CREATED ? "Error: Can't create file" : "Error: Can't write file";
}
