// Arrays of the runtime: one heap block each, laid out as
//   offset 0: element count (unsigned 32-bit), offset 4: a word the caller sets to 5,
//   offset 8: the elements, zero-filled, with one spare element after the last.
// An array is named by the address of its first element (block + 8).
#pragma once
#include <stdint.h>

// Turns the dimension table (index counts, two or more) into strides and allocates the block.
// Returns block + 4, where the caller writes its word 5, or 0 when the heap refuses or the size
// does not fit the address space.
uint32_t* array_allocate(uint32_t element_size, uint32_t dimension_count, uint32_t* table);
// Returns an array's block to the heap, given its element address; 0 does nothing.
void array_free(void* array);
