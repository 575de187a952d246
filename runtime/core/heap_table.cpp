// The growth of the tool's tables, beside the heap in a file of its own, so that the two window
// programs, which grow no table this way, do not carry it.
#include "heap.h"

int heap_table_room(void** table, int32_t count, int32_t* capacity, uint32_t record_size,
                    int32_t first) {
    if (count < *capacity)
        return 1;
    if (*capacity > 0x3FFFFFFF)
        return 0; // doubling would pass int32_t
    int32_t wanted = *capacity ? 2 * *capacity : first;
    void* grown = heap_reallocate_table(*table, (uint64_t)wanted, record_size);
    if (!grown)
        return 0;
    *table = grown;
    *capacity = wanted;
    return 1;
}
