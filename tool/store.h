// Whole files for the command-line tool: a file read into one heap block, a block written as a
// new file. Both go through numbered file 0, so a failed write leaves any earlier file intact.
#pragma once
#include <stdint.h>

enum StoreOutcome {
    STORE_DONE = 0,
    STORE_NOT_OPENED,  // missing or unreadable
    STORE_WRONG_SIZE,  // its size is outside what the caller takes
    STORE_NOT_READ,    // the read stopped short, or the heap refused the block
    STORE_NOT_CREATED, // the file cannot be made
    STORE_NOT_WRITTEN  // a write failed; the earlier file of the name is untouched
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
