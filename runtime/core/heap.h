// Runtime heap: the one private, growable heap from which every runtime table, the temporary
// string area and the program's array are taken. It is destroyed as a whole at the end, so
// nothing taken from it is released one piece at a time.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Creates the runtime heap (4000 bytes at first, growable). 1 on success, 0 when refused.
int heap_create(void);
// Destroys the runtime heap and everything in it; nothing when there is none.
void heap_destroy(void);
// Zero-filled block of the given size, or 0 when the heap refuses (or does not exist).
void* heap_allocate(size_t bytes);
// Resizes a block, zero-filling any added bytes; 0 when refused, and the old block then stays.
void* heap_reallocate(void* block, size_t bytes);
// Resizes a table to count records of record_size bytes, as heap_reallocate does. The size is
// computed in 64 bits and refused (0, the old block stays) when it does not fit size_t, so a large
// count cannot wrap into a small block on a 32-bit build.
void* heap_reallocate_table(void* block, uint64_t count, uint32_t record_size);
// Makes room for one more record in a table that holds count of them in *capacity, doubling
// it (from first records) when full. 1 when there is room; 0 when the heap refused, and the
// table and *capacity are then as they were.
int heap_table_room(void** table, int32_t count, int32_t* capacity, uint32_t record_size,
                    int32_t first);
// Returns a block to the heap; 0 does nothing.
void heap_free(void* block);
