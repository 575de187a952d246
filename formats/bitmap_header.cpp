// The forms' rule for the bitmaps they convert, as a check on what the bitmap reader parsed.
// Pure: no platform call.
#include "bitmap_header.h"
#include "bitmap_read.h"

int bitmap_header_check(const unsigned char* bytes, uint32_t count, uint32_t file_size,
                        BitmapLayout* layout) {
    // Every field the rule looks at lies in the first 54 bytes, whatever the header's size.
    BitmapHeader h;
    if (count < BITMAP_HEADER_BYTES ||
        bitmap_read_header(bytes, count, file_size, &h) != BITMAP_READ_PARSED)
        return 0;
    if (h.header_size < BITMAP_INFO_HEADER_MIN || h.width != BITMAP_WIDTH ||
        h.height != BITMAP_HEIGHT || h.planes != 1 || h.bits != 24 || h.compression != 0 ||
        !h.rows_inside)
        return 0;
    if (layout) {
        layout->pixel_offset = h.pixel_offset;
        layout->top_down = h.top_down;
    }
    return 1;
}
