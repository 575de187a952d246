// Runtime heap. Owns the heap handle and the table of heap calls.
#include "heap.h"

namespace {
struct HeapState {
    HANDLE heap;
};
HeapState HEAP = {};
HeapCalls CALLS = {&HeapCreate, &HeapAlloc, &HeapReAlloc, &HeapFree, &HeapDestroy};
} // namespace

HeapCalls* heap_calls(void) {
    return &CALLS;
}

int heap_create(void) {
    HEAP.heap = CALLS.heap_create(0, 4000, 0);
    return HEAP.heap != 0;
}

void heap_destroy(void) {
    if (HEAP.heap) {
        CALLS.heap_destroy(HEAP.heap);
        HEAP.heap = 0;
    }
}

void* heap_allocate(SIZE_T bytes) {
    if (!HEAP.heap)
        return 0;
    return CALLS.heap_alloc(HEAP.heap, HEAP_ZERO_MEMORY, bytes);
}

void* heap_reallocate(void* block, SIZE_T bytes) {
    if (!HEAP.heap)
        return 0;
    if (!block)
        return CALLS.heap_alloc(HEAP.heap, HEAP_ZERO_MEMORY, bytes);
    return CALLS.heap_realloc(HEAP.heap, HEAP_ZERO_MEMORY, block, bytes);
}

void* heap_reallocate_table(void* block, uint64_t count, uint32_t record_size) {
    // count < 2^33 and record_size < 2^32 keep the product inside 64 bits.
    if (count > 0x1FFFFFFFFull)
        return 0;
    uint64_t bytes = count * record_size;
    if (bytes > (uint64_t)(SIZE_T)-1)
        return 0;
    return heap_reallocate(block, (SIZE_T)bytes);
}

void heap_free(void* block) {
    if (HEAP.heap && block)
        CALLS.heap_free(HEAP.heap, 0, block);
}
