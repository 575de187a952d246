// Runtime heap: the one private, growable heap from which every runtime table, the temporary
// string area and the program's array are taken. It is destroyed as a whole at the end, so
// nothing taken from it is released one piece at a time.
#pragma once
#include <windows.h>
#include <stdint.h>

// The heap calls go through this table so that tests can make the heap refuse on purpose.
struct HeapCalls {
    HANDLE(WINAPI* heap_create)(DWORD options, SIZE_T initial, SIZE_T maximum);
    LPVOID(WINAPI* heap_alloc)(HANDLE heap, DWORD flags, SIZE_T bytes);
    LPVOID(WINAPI* heap_realloc)(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
    BOOL(WINAPI* heap_free)(HANDLE heap, DWORD flags, LPVOID block);
    BOOL(WINAPI* heap_destroy)(HANDLE heap);
};

// The live call table; a test may change an entry and must put it back.
HeapCalls* heap_calls(void);

// Creates the runtime heap (4000 bytes at first, growable). 1 on success, 0 when refused.
int heap_create(void);
// Destroys the runtime heap and everything in it; nothing when there is none.
void heap_destroy(void);
// Zero-filled block of the given size, or 0 when the heap refuses (or does not exist).
void* heap_allocate(SIZE_T bytes);
// Resizes a block, zero-filling any added bytes; 0 when refused, and the old block then stays.
void* heap_reallocate(void* block, SIZE_T bytes);
// Resizes a table to count records of record_size bytes, as heap_reallocate does. The size is
// computed in 64 bits and refused (0, the old block stays) when it does not fit SIZE_T, so a large
// count cannot wrap into a small block on a 32-bit build.
void* heap_reallocate_table(void* block, uint64_t count, uint32_t record_size);
// Returns a block to the heap; 0 does nothing.
void heap_free(void* block);
