// Runtime heap. Owns the heap; the system's heap calls are the platform layer's (os.h), where
// tests can make them refuse.
#include "heap.h"
#include "os.h"

namespace {
struct HeapState {
    void* heap;
};
HeapState HEAP = {};
} // namespace

int heap_create(void) {
    HEAP.heap = os_calls()->heap_create();
    return HEAP.heap != 0;
}

void heap_destroy(void) {
    if (HEAP.heap) {
        os_calls()->heap_destroy(HEAP.heap);
        HEAP.heap = 0;
    }
}

void* heap_allocate(size_t bytes) {
    if (!HEAP.heap)
        return 0;
    return os_calls()->heap_alloc(HEAP.heap, bytes);
}

void* heap_reallocate(void* block, size_t bytes) {
    if (!HEAP.heap)
        return 0;
    if (!block)
        return os_calls()->heap_alloc(HEAP.heap, bytes);
    return os_calls()->heap_realloc(HEAP.heap, block, bytes);
}

void* heap_reallocate_table(void* block, uint64_t count, uint32_t record_size) {
    // count < 2^33 and record_size < 2^32 keep the product inside 64 bits.
    if (count > 0x1FFFFFFFFull)
        return 0;
    uint64_t bytes = count * record_size;
    if (bytes > (uint64_t)(size_t)-1)
        return 0;
    return heap_reallocate(block, (size_t)bytes);
}

void heap_free(void* block) {
    if (HEAP.heap && block)
        os_calls()->heap_free(HEAP.heap, block);
}
