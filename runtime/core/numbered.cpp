// Numbered tables. Owns nothing of its own: each kind keeps its table in its module state, and
// this file is the only one that sizes, grows or indexes one.
#include "numbered.h"
#include "heap.h"
#include <string.h>

int numbered_init(NumberedTable* table, uint32_t record_size, int32_t capacity, int32_t step) {
    memset(table, 0, sizeof *table);
    // Without a record size the table never grows: every number finds the spare.
    if (record_size == 0 || record_size > NUMBERED_SPARE_SIZE || capacity < 0 || step < 1)
        return 0;
    table->record_size = record_size;
    table->step = step;
    void* block = heap_reallocate_table(0, (uint64_t)capacity, record_size);
    if (!block)
        return 0;
    table->records = (unsigned char*)block;
    table->capacity = capacity;
    return 1;
}

int numbered_reserve(NumberedTable* table, int32_t number) {
    if (number < 0 || table->record_size == 0)
        return 0;
    if (number < table->capacity && table->records)
        return 1;
    // In 64 bits: number + step past INT32_MAX is refused here, not left to wrap in a signed sum
    // (which C++ does not define) and then tested.
    int64_t capacity = (int64_t)number + table->step;
    if (capacity > INT32_MAX)
        return 0;
    void* grown = heap_reallocate_table(table->records, (uint64_t)capacity, table->record_size);
    if (!grown)
        return 0;
    table->records = (unsigned char*)grown;
    table->capacity = (int32_t)capacity;
    return 1;
}

void* numbered_record(NumberedTable* table, int32_t number) {
    if (!numbered_has(table, number)) {
        // A caller may have written into it last time: every number without a record is empty.
        memset(table->spare, 0, sizeof table->spare);
        return table->spare;
    }
    return table->records + (size_t)number * table->record_size;
}

int numbered_has(const NumberedTable* table, int32_t number) {
    return number >= 0 && number < table->capacity && table->records;
}

void numbered_release(NumberedTable* table) {
    heap_free(table->records);
    table->records = 0;
    table->capacity = 0;
}
