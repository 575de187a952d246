// Whole files for the command-line tool: a file read into one heap block (through numbered file
// 0), a block written as a new file (the file layer's whole-file write, so a failed write leaves
// any earlier file intact).
#pragma once
#include <stdint.h>
#include "file.h"

// The file layer's outcomes; a refused heap block is STORE_NOT_READ.
enum StoreOutcome {
    STORE_DONE = FILE_DONE,
    STORE_NOT_OPENED = FILE_NOT_OPENED,
    STORE_WRONG_SIZE = FILE_WRONG_SIZE,
    STORE_NOT_READ = FILE_NOT_READ,
    STORE_NOT_CREATED = FILE_NOT_CREATED,
    STORE_NOT_WRITTEN = FILE_NOT_WRITTEN
};

// Reads the file name (resolved by the file runtime) when its size is from least to most bytes:
// *bytes gets a heap block with its contents, *size its size. Returns a StoreOutcome.
int store_read(const char* name, uint32_t least, uint32_t most, unsigned char** bytes,
               uint32_t* size);
// Writes count bytes as the file name (made anew). Returns STORE_DONE, STORE_NOT_CREATED or
// STORE_NOT_WRITTEN.
int store_write(const char* name, const void* bytes, uint32_t count);
// The programs' text for a write outcome: "Error: Can't create file" or "Error: Can't write file".
const char* store_write_error_text(int outcome);
