// Whole files the tool writes on its main thread, over the file layer (which reads them too:
// file_read_whole_block): a block written as a new file under a temporary name of the file
// module's, so a failed write leaves any earlier file intact.
#pragma once
#include <stdint.h>
#include "file.h"

// Writes count bytes as the file full (an absolute name), made anew. Returns FILE_DONE,
// FILE_NOT_CREATED or FILE_NOT_WRITTEN (FileOutcome).
int store_write(const char* full, const void* bytes, uint32_t count);
// The programs' text for a write outcome: "Error: Can't create file" or "Error: Can't write file".
const char* store_write_error_text(int outcome);
