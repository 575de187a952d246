// The tool's one list of names: file names as the user would give them, each in a runtime heap
// block the list owns, in a table that grows by doubling. The files a wildcard found, and the
// pictures of one convert, are such lists.
#pragma once
#include <stdint.h>

struct NameList {
    char** names;
    int32_t count, capacity;
};

// Appends prefix's first prefix_length characters followed by name, copied. 1 when added; 0 when
// memory is short (the list is then as it was).
int names_add(NameList* list, const char* prefix, int32_t prefix_length, const char* name);
// Puts the names from first on in name order (letter case aside, as text_name_before compares;
// equal names keep their order): the systems list directories in orders of their own, and the
// progress lines are easier to follow in name order. 1 when sorted; 0 when memory is short (the
// names then keep the system's order).
int names_sort(NameList* list, int32_t first);
// For order_indices over a table of names (data: char* const*), in names_sort's order; a null
// name counts as "".
int names_before(const void* data, int32_t a, int32_t b);
// Forgets the names, keeping the table; names_release gives the table back too.
void names_clear(NameList* list);
void names_release(NameList* list);
