// A bottom-up merge sort of indices (stable, n log n, one extra block) and a binary search.
#include "order.h"
#include "heap.h"
#include <string.h>

int32_t* order_indices(int32_t count, OrderBefore before, const void* data) {
    if (count <= 0)
        return 0;
    int32_t* order = (int32_t*)heap_reallocate_table(0, (uint64_t)count, sizeof(int32_t));
    int32_t* other = (int32_t*)heap_reallocate_table(0, (uint64_t)count, sizeof(int32_t));
    if (!order || !other) {
        heap_free(order);
        heap_free(other);
        return 0;
    }
    for (int32_t i = 0; i < count; ++i)
        order[i] = i;
    for (int64_t width = 1; width < count; width *= 2) {
        for (int64_t left = 0; left < count; left += 2 * width) {
            int64_t middle = left + width < count ? left + width : count;
            int64_t right = left + 2 * width < count ? left + 2 * width : count;
            int64_t a = left, b = middle, out = left;
            // From the right run only what comes strictly before: equal items keep their order.
            while (a < middle && b < right)
                other[out++] = before(data, order[b], order[a]) ? order[b++] : order[a++];
            while (a < middle)
                other[out++] = order[a++];
            while (b < right)
                other[out++] = order[b++];
        }
        int32_t* swap = order;
        order = other;
        other = swap;
    }
    heap_free(other);
    return order;
}

int32_t order_find(const int32_t* indices, int32_t count, OrderBefore before, const void* data,
                   int32_t key) {
    int32_t low = 0, high = count; // the first place not before key is in [low, high]
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (before(data, indices[middle], key))
            low = middle + 1;
        else
            high = middle;
    }
    return low < count && !before(data, key, indices[low]) ? low : -1;
}

int order_apply(void* items, int32_t count, uint32_t size, const int32_t* indices) {
    if (count <= 0)
        return 1;
    unsigned char* sorted = (unsigned char*)heap_reallocate_table(0, (uint64_t)count, size);
    if (!sorted)
        return 0;
    unsigned char* at = (unsigned char*)items;
    for (int32_t i = 0; i < count; ++i)
        memcpy(sorted + (size_t)i * size, at + (size_t)indices[i] * size, size);
    memcpy(at, sorted, (size_t)count * size);
    heap_free(sorted);
    return 1;
}
