// Fuzzes the bitmap header check: the first four bytes are the file's size, the rest the bytes
// the check is given. It must read nothing outside them (the address sanitizer watches), and
// take exactly the headers that the rule, stated field by field, takes.
#include "bitmap_header.h"
#include "test_bitmaps.h"
#include <stdlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    uint32_t file_size = test_bitmaps::field32(data, 4, 0);
    // A copy of exactly the bytes given, so that a read past them is outside a heap block.
    size_t n = size - 4;
    unsigned char* bytes = (unsigned char*)malloc(n ? n : 1);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = data[4 + i];
    BitmapLayout layout = {0xFFFFFFFFu, -1};
    int accepted = bitmap_header_check(bytes, (uint32_t)n, file_size, &layout);
    bool want = test_bitmaps::header_acceptable(bytes, n, file_size);
    if (accepted != (want ? 1 : 0) ||
        (accepted && (layout.pixel_offset != test_bitmaps::field32(bytes, n, 10) ||
                      layout.top_down != ((int32_t)test_bitmaps::field32(bytes, n, 22) < 0))) ||
        (!accepted && (layout.pixel_offset != 0xFFFFFFFFu || layout.top_down != -1)))
        abort();
    free(bytes);
    return 0;
}
