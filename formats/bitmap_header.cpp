// The bitmap header check. Pure: no platform call.
#include "bitmap_header.h"

namespace {
uint32_t u16_at(const unsigned char* b, uint32_t at) {
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8;
}
uint32_t u32_at(const unsigned char* b, uint32_t at) {
    return u16_at(b, at) | u16_at(b, at + 2) << 16;
}
} // namespace

int bitmap_header_check(const unsigned char* bytes, uint32_t count, uint32_t file_size,
                        BitmapLayout* layout) {
    // Every field read below lies in the first 54 bytes.
    if (!bytes || count < BITMAP_HEADER_BYTES)
        return 0;
    if (bytes[0] != 'B' || bytes[1] != 'M')
        return 0;
    uint32_t pixel_offset = u32_at(bytes, 10);
    uint32_t info_size = u32_at(bytes, 14);
    // OS/2 core headers (12 bytes) and anything smaller lay the fields out differently.
    if (info_size < BITMAP_INFO_HEADER_MIN)
        return 0;
    uint32_t width = u32_at(bytes, 18);
    int32_t height = (int32_t)u32_at(bytes, 22);
    if (width != BITMAP_WIDTH || (height != BITMAP_HEIGHT && height != -BITMAP_HEIGHT))
        return 0;
    if (u16_at(bytes, 26) != 1 || u16_at(bytes, 28) != 24 || u32_at(bytes, 30) != 0)
        return 0;
    // The rows cannot begin inside the headers, and all of them must be in the file. In 64 bits,
    // so that no field value can wrap the sums.
    if ((uint64_t)pixel_offset < (uint64_t)BITMAP_FILE_HEADER_SIZE + info_size)
        return 0;
    if ((uint64_t)pixel_offset + BITMAP_PIXEL_BYTES > file_size)
        return 0;
    if (layout) {
        layout->pixel_offset = pixel_offset;
        layout->top_down = height < 0;
    }
    return 1;
}
