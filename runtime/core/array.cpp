// Numbered-dimension arrays of the runtime, allocated from the runtime heap.
#include "array.h"
#include "heap.h"

uint32_t* array_allocate(uint32_t element_size, uint32_t dimension_count, uint32_t* table) {
    if (dimension_count < 2 || !table)
        return 0;
    // The count is a 32-bit field; a product that does not fit would wrap into a small block
    // that indexing then overruns, so such a request is refused instead.
    uint64_t count = 1;
    for (uint32_t k = 0; k < dimension_count; ++k) {
        count *= table[k];
        if (count > 0xFFFFFFFFu)
            return 0;
    }
    uint64_t bytes = (uint64_t)element_size * (count + 1) + 8;
    if (bytes > (uint64_t)(size_t)-1)
        return 0;
    // Each entry becomes the product of the counts after it; the last keeps its count.
    for (uint32_t k = 0; k + 1 < dimension_count; ++k) {
        uint32_t stride = 1;
        for (uint32_t j = k + 1; j < dimension_count; ++j)
            stride *= table[j];
        table[k] = stride;
    }
    uint32_t* block = (uint32_t*)heap_allocate((size_t)bytes);
    if (!block)
        return 0;
    block[0] = (uint32_t)count;
    return block + 1;
}

void array_free(void* array) {
    if (array)
        heap_free((char*)array - 8);
}
