// The list of names.
#include "names.h"
#include "heap.h"
#include "order.h"
#include <string.h>
#include "text.h"

int names_before(const void* data, int32_t a, int32_t b) {
    char* const* names = (char* const*)data;
    return text_name_before(names[a], names[b]);
}

int names_add(NameList* list, const char* prefix, int32_t prefix_length, const char* name) {
    if (list->count == list->capacity) {
        int32_t capacity = list->capacity ? list->capacity * 2 : 16;
        void* grown = heap_reallocate_table(list->names, (uint64_t)capacity, sizeof(char*));
        if (!grown)
            return 0;
        list->names = (char**)grown;
        list->capacity = capacity;
    }
    int32_t n = (int32_t)strlen(name);
    char* copy = (char*)heap_allocate((size_t)prefix_length + (size_t)n + 1);
    if (!copy)
        return 0;
    for (int32_t i = 0; i < prefix_length; ++i)
        copy[i] = prefix[i];
    for (int32_t i = 0; i < n; ++i)
        copy[prefix_length + i] = name[i];
    list->names[list->count++] = copy;
    return 1;
}

int names_sort(NameList* list, int32_t first) {
    int32_t n = list->count - first;
    if (n < 2)
        return 1;
    char** part = list->names + first;
    int32_t* order = order_indices(n, &names_before, part);
    int sorted = order && order_apply(part, n, sizeof(char*), order);
    heap_free(order);
    return sorted;
}

void names_clear(NameList* list) {
    for (int32_t i = 0; i < list->count; ++i)
        heap_free(list->names[i]);
    list->count = 0;
}

void names_release(NameList* list) {
    names_clear(list);
    heap_free(list->names);
    *list = NameList{0, 0, 0};
}
