// Numbered tables: the one idea behind the runtime's windows, gadgets, images and files. A program
// names each object by a non-negative number of its own choosing; a table holds one fixed-size
// record per number below its capacity, in one block from the runtime heap, and grows when a number
// that does not fit is about to be used. Numbers without a record of their own (negative, or at or
// past the capacity) all find one spare record, emptied each time it is handed out, so a caller
// reads an empty record there and never has to test for none.
#pragma once
#include <stdint.h>

// The largest record a table holds: each kind checks its record against it where it is declared.
enum { NUMBERED_SPARE_SIZE = 64 };

struct NumberedTable {
    unsigned char* records; // capacity records, zero-filled as they were added; 0 when none
    int32_t capacity;
    uint32_t record_size;
    int32_t step; // a number at or past the capacity makes it number + step
    alignas(16) unsigned char spare[NUMBERED_SPARE_SIZE];
};

// Empties the table and allocates its first capacity records, zero-filled. 1 on success; 0 when
// the heap refused or record_size does not fit the spare, and the table then has capacity 0 (every
// number finds the spare, and the first numbered_reserve tries again).
int numbered_init(NumberedTable* table, uint32_t record_size, int32_t capacity, int32_t step);
// Makes room for number: one at or past the capacity grows the table to number + step records,
// the added ones zero-filled and the others kept. 1 when number has its own record; 0 for a
// negative number, a capacity past INT32_MAX or a block past the address space (refused without
// asking the heap) or a heap that refuses, and the table then stays as it was.
int numbered_reserve(NumberedTable* table, int32_t number);
// The record of number, or the spare, emptied, for a number without one. Never 0.
void* numbered_record(NumberedTable* table, int32_t number);
// 1 when number has a record of its own (0 <= number < capacity), else 0.
int numbered_has(const NumberedTable* table, int32_t number);
// Returns the block to the heap; the table is then empty (capacity 0) and grows again on use.
void numbered_release(NumberedTable* table);
