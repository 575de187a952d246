// Whole-file writes through the file layer.
#include "store.h"
#include "file.h"
#include "heap.h"

int store_write(const char* full, const void* bytes, uint32_t count) {
    char* temporary = full ? file_temporary_name(full) : 0;
    int outcome = temporary ? file_write_whole(full, temporary, bytes, count) : FILE_NOT_CREATED;
    heap_free(temporary);
    return outcome;
}

const char* store_write_error_text(int outcome) {
    return outcome == FILE_NOT_CREATED ? "Error: Can't create file" : "Error: Can't write file";
}
