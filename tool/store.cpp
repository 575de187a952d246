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
    if (!name || !file_create(0, name))
        return STORE_NOT_CREATED;
    int written = file_write_block(bytes, count);
    // The close moves the finished file into place only when every byte reached it.
    int closed = file_close(0);
    return written && closed ? STORE_DONE : STORE_NOT_WRITTEN;
}

const char* store_write_error_text(int outcome) {
    return outcome == STORE_NOT_CREATED ? "Error: Can't create file" : "Error: Can't write file";
}
