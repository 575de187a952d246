// Fuzzes the bitmap reader and the forms' rule on it: the first four bytes are the file's size,
// the rest the bytes the reader is given. It must read nothing outside them (the address
// sanitizer watches), the rule must take exactly the headers that the rule, stated field by field
// here, takes, and whatever the reader says lies inside the file must: the rows (stride by
// height from the pixel offset) and the palette entries before them. The same bytes as a whole
// file then go through the reader's decoder.
#include "bitmap_header.h"
#include "bitmap_read.h"
#include "test_bitmaps.h"
#include <stdlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size - 4 > 0xFFFFFFFFu)
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

    BitmapHeader h;
    if (bitmap_read_header(bytes, (uint32_t)n, file_size, &h) == BITMAP_READ_PARSED) {
        if (h.width < 1 || h.height < 1)
            abort();
        if (h.rows_inside) {
            uint64_t row_bits = (uint64_t)h.width * h.bits;
            if (h.pixel_offset > file_size || (uint64_t)h.stride * 8 < row_bits ||
                (uint64_t)h.stride * (uint64_t)h.height > file_size - h.pixel_offset)
                abort();
            if (h.bits <= 8 &&
                ((uint64_t)h.palette_at + (uint64_t)h.entries * h.entry_bytes > h.pixel_offset ||
                 h.entries > 256))
                abort();
        }
    }
    // A bitmap the forms take as a whole file is one the reader decodes to exactly the rows they
    // convert.
    static PictureResult result;
    int outcome = bitmap_read_decode(bytes, (uint32_t)n, &result);
    if (test_bitmaps::header_acceptable(bytes, n, (uint32_t)n)) {
        test_bitmaps::Picture picture =
            test_bitmaps::picture_of_bitmap(test_bitmaps::Bytes(bytes, bytes + n));
        if (outcome != PICTURE_DECODED || picture.size() != 320 * 240)
            abort();
        for (int y = 1; y <= 240; ++y)
            for (int x = 1; x <= 320; ++x) {
                const unsigned char* got = result.rows + (240 - y) * 960 + (x - 1) * 3;
                const test_bitmaps::Rgb& c = test_bitmaps::pixel(picture, x, y);
                if (got[0] != c.b || got[1] != c.g || got[2] != c.r)
                    abort();
            }
    }
    free(bytes);
    return 0;
}
