// Stable orders of a run's lists, so that finding equal names, files or keys among n of them
// takes n log n steps rather than n x n: a pack may hold tens of thousands of entries.
#pragma once
#include <stdint.h>

// 1 when item a comes before item b of the caller's list in data.
typedef int (*OrderBefore)(const void* data, int32_t a, int32_t b);
// The indices 0 to count - 1 in a heap block, in the order before gives; items that neither
// comes before keep their order. 0 when memory is short (or count is 0).
int32_t* order_indices(int32_t count, OrderBefore before, const void* data);
// In indices (count of them, in before's order), the first place of an item equal to item key,
// where equal means neither before the other; -1 when none is. key may be a number that before
// takes for an item outside the list (a name looked for, kept in data).
int32_t order_find(const int32_t* indices, int32_t count, OrderBefore before, const void* data,
                   int32_t key);
// Puts the count items of size bytes each at items into the order of indices (from
// order_indices). 1 when done; 0 when memory is short, the items then as they were.
int order_apply(void* items, int32_t count, uint32_t size, const int32_t* indices);
