// Numbered tables, sized as each kind of the runtime sizes its own (windows, gadgets, images,
// files): growth by the kind's step, zero fill, the spare record of numbers without one, negative
// numbers and numbers near INT32_MAX, and a heap that refuses; then the kinds themselves at those
// edges.
#include <doctest.h>
#include "file.h"
#include "numbered.h"
#include "test_os_calls.h"
#include "test_support.h"
#include <stdint.h>
#include <string.h>
#ifdef _WIN32
#include "gadget.h"
#include "image.h"
#include "window.h"
#endif

namespace {
bool all_bytes(const void* record, uint32_t size, unsigned char value) {
    const unsigned char* p = (const unsigned char*)record;
    for (uint32_t i = 0; i < size; ++i) {
        if (p[i] != value)
            return false;
    }
    return true;
}

bool records_zero(NumberedTable* t, int32_t from, int32_t to) {
    for (int32_t n = from; n < to; ++n) {
        if (!all_bytes(numbered_record(t, n), t->record_size, 0))
            return false;
    }
    return true;
}

void* refusing_alloc(void*, size_t) {
    return nullptr;
}
} // namespace

TEST_CASE("numbered tables: windows, gadgets, images and files") {
    struct Kind {
        const char* name;
        uint32_t record_size; // as the kind's record lays out on this system
        int32_t first, step;
    };
    const Kind KINDS[] = {
        {"windows", 4 * sizeof(void*), 10, 10},
        {"gadgets", 2 * sizeof(void*), 30, 30},
        {"images", sizeof(void*) + 8, 10, 10},
        {"files", 4 * sizeof(void*), 10, 10},
    };
    for (const Kind& k : KINDS) {
        CAPTURE(k.name);
        NumberedTable t;
        REQUIRE(numbered_init(&t, k.record_size, k.first, k.step));
        CHECK(t.capacity == k.first);
        CHECK(records_zero(&t, 0, k.first));
        CHECK(numbered_record(&t, k.first - 1) != (void*)t.spare);
        unsigned char* three = (unsigned char*)numbered_record(&t, 3);
        memset(three, 0xA5, k.record_size);

        // Numbers without a record all find the spare, emptied of what a caller wrote into it.
        for (int32_t n : {-1, INT32_MIN, k.first, k.first + 1, INT32_MAX}) {
            CAPTURE(n);
            CHECK_FALSE(numbered_has(&t, n));
            void* spare = numbered_record(&t, n);
            CHECK(spare == (void*)t.spare);
            CHECK(all_bytes(spare, k.record_size, 0));
            memset(spare, 0x5A, k.record_size);
        }
        CHECK(numbered_reserve(&t, -1) == 0);
        CHECK(numbered_reserve(&t, INT32_MIN) == 0);
        CHECK(t.capacity == k.first);

        // Growth: to number + the kind's step, earlier records kept, the added ones zero.
        int32_t number = k.first + 5;
        REQUIRE(numbered_reserve(&t, number));
        CHECK(t.capacity == number + k.step);
        three = (unsigned char*)numbered_record(&t, 3);
        CHECK(all_bytes(three, k.record_size, 0xA5));
        CHECK(records_zero(&t, k.first, t.capacity));
        CHECK(numbered_reserve(&t, number)); // in range: no growth
        CHECK(t.capacity == number + k.step);

        {
            // A heap that refuses: the table stays as it was.
            TestOsCalls calls;
            calls->heap_realloc = &test_refusing_realloc;
            int32_t capacity = t.capacity;
            unsigned char* records = t.records;
            test_refused_least = TEST_NONE_ASKED;
            CHECK(numbered_reserve(&t, capacity) == 0);
            CHECK(test_refused_least == (unsigned long long)(capacity + k.step) * k.record_size);
            // Near INT32_MAX: a capacity past it is refused without asking the heap, never
            // wrapped; the last that fits is asked for whole (or refused by its size where it
            // cannot fit the address space).
            test_refused_least = TEST_NONE_ASKED;
            CHECK(numbered_reserve(&t, INT32_MAX) == 0);
            CHECK(numbered_reserve(&t, INT32_MAX - k.step + 1) == 0);
            CHECK(test_refused_least == TEST_NONE_ASKED);
            CHECK(numbered_reserve(&t, INT32_MAX - k.step) == 0);
            unsigned long long whole = (unsigned long long)INT32_MAX * k.record_size;
            CHECK(test_refused_least == (whole > (size_t)-1 ? TEST_NONE_ASKED : whole));
            CHECK(t.capacity == capacity);
            CHECK(t.records == records);
            CHECK(all_bytes(numbered_record(&t, 3), k.record_size, 0xA5));
        }

        // Released: every number finds the spare; the next use grows from nothing.
        numbered_release(&t);
        CHECK(t.capacity == 0);
        CHECK(numbered_record(&t, 0) == (void*)t.spare);
        REQUIRE(numbered_reserve(&t, 0));
        CHECK(t.capacity == k.step);
        CHECK(records_zero(&t, 0, k.step));
        numbered_release(&t);
    }

    // A first block the heap refuses leaves an empty table that the first use grows.
    NumberedTable t;
    {
        TestOsCalls calls;
        calls->heap_alloc = &refusing_alloc;
        CHECK(numbered_init(&t, 16, 10, 10) == 0);
    }
    CHECK(t.capacity == 0);
    CHECK(numbered_record(&t, 0) == (void*)t.spare);
    REQUIRE(numbered_reserve(&t, 2));
    CHECK(t.capacity == 12);
    numbered_release(&t);
    // A record larger than the spare is no table's.
    CHECK(numbered_init(&t, NUMBERED_SPARE_SIZE + 1, 10, 10) == 0);
    CHECK(numbered_reserve(&t, 0) == 0);

    // The kinds themselves, at the edges: refused, nothing made, their tables as they were.
    for (int32_t n : {-1, INT32_MIN, INT32_MAX}) {
        CAPTURE(n);
        CHECK(file_open_read(n, "none.bin") == 0);
        CHECK(file_close(n) == 0);
#ifdef _WIN32
        int32_t windows = window_capacity(), gadgets = gadget_capacity();
        int32_t images = image_capacity();
        CHECK(window_open(n, 0, 0, 10, 10, 0, "never") == nullptr);
        CHECK(button_gadget(n, 0, 0, 10, 10, "never") == nullptr);
        CHECK(gadget_handle(n) == nullptr);
        CHECK(image_load(n, "none.bmp") == nullptr);
        CHECK(image_handle(n) == nullptr);
        CHECK(window_capacity() == windows);
        CHECK(gadget_capacity() == gadgets);
        CHECK(image_capacity() == images);
#endif
    }
}
