// The screen image conversion between files: a bitmap file in, an image file out, through the
// file runtime (the pure parts are in screen_image.cpp). Owns the transfer buffer that
// carries the pixel rows in and the finished image out, each in one system call; the picture
// itself lives in the PixelArray between the two, because rows come in and columns go out.
#include "screen_image.h"
#include "bitmap_header.h"
#include "file.h"
#include "program.h"

namespace {
struct ScreenImageState {
    // The bitmap's pixel rows while reading, then the image while writing (the larger of the
    // two). A fixed block rather than a heap one, so a conversion cannot fail for memory.
    unsigned char bytes[BITMAP_PIXEL_BYTES];
};
ScreenImageState CONVERT;

static_assert((int)SCREEN_IMAGE_SIZE <= (int)BITMAP_PIXEL_BYTES, "the image reuses the row buffer");

// Reads the bitmap's rows into the transfer buffer. IMAGE_WRITTEN stands for success here.
int read_rows(const char* bitmap_name, BitmapLayout* layout) {
    if (!file_open_read(0, bitmap_name))
        return BITMAP_NOT_OPENED;
    unsigned char* raw = CONVERT.bytes;
    uint32_t size = file_size();
    uint32_t got = file_read_block(raw, BITMAP_HEADER_BYTES);
    int outcome = IMAGE_WRITTEN;
    if (!bitmap_header_check(raw, got, size, layout))
        outcome = BITMAP_NOT_SUPPORTED;
    else if (file_seek((int32_t)layout->pixel_offset) != layout->pixel_offset ||
             file_read_block(raw, BITMAP_PIXEL_BYTES) != BITMAP_PIXEL_BYTES)
        outcome = BITMAP_NOT_OPENED; // the file shrank or the device failed after the check
    file_close(0);
    return outcome;
}

// Spreads the rows over the PixelArray: (x, y, 1..3) = red, green, blue; y = 1 the bottom row.
void store_rows(const BitmapLayout* layout, PixelArray* pixels) {
    const uint32_t sx = pixels->table[0], sy = pixels->table[1];
    const unsigned char* p = CONVERT.bytes;
    for (uint32_t row = 0; row < BITMAP_HEIGHT; ++row) {
        uint32_t y = layout->top_down ? BITMAP_HEIGHT - row : row + 1;
        int32_t* at = pixels->elements + sx + y * sy;
        for (uint32_t x = 1; x <= BITMAP_WIDTH; ++x, p += 3, at += sx) {
            at[3] = p[0];
            at[2] = p[1];
            at[1] = p[2];
        }
    }
}

// Packs the PixelArray column by column into the transfer buffer, little-endian.
void assemble_image(const PixelArray* pixels) {
    const uint32_t sx = pixels->table[0], sy = pixels->table[1];
    unsigned char* out = CONVERT.bytes;
    for (uint32_t x = 1; x <= SCREEN_IMAGE_WIDTH; ++x) {
        const int32_t* at = pixels->elements + x * sx + sy;
        for (uint32_t y = 1; y <= SCREEN_IMAGE_HEIGHT; ++y, at += sy) {
            uint16_t word = screen_image_pack((uint32_t)at[1], (uint32_t)at[2], (uint32_t)at[3]);
            *out++ = (unsigned char)word;
            *out++ = (unsigned char)(word >> 8);
        }
    }
}
} // namespace

int screen_image_convert(const char* bitmap_name, const char* image_name) {
    // Without its array (start-up could not have it) there is nowhere to hold the picture.
    PixelArray* pixels = program_pixel_array();
    if (!pixels || !pixels->elements)
        return BITMAP_NOT_OPENED;
    BitmapLayout layout;
    int outcome = read_rows(bitmap_name, &layout);
    if (outcome != IMAGE_WRITTEN)
        return outcome;
    store_rows(&layout, pixels);

    if (!file_create(0, image_name))
        return IMAGE_NOT_CREATED;
    assemble_image(pixels);
    int written = file_write_block(CONVERT.bytes, SCREEN_IMAGE_SIZE);
    // The close moves the finished file into place, or abandons it and keeps the earlier one.
    int closed = file_close(0);
    return written && closed ? IMAGE_WRITTEN : IMAGE_NOT_WRITTEN;
}
