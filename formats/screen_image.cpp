// The pure parts of screen images: pixel packing, the position of a pixel in the file, the
// conversion of a bitmap held in memory, and the texts that report a conversion's outcome. No
// platform call.
#include "screen_image.h"
#include "bitmap_header.h"

uint16_t screen_image_pack(uint32_t red, uint32_t green, uint32_t blue) {
    return (uint16_t)(((red & 0xFFu) >> 3) << 11 | ((green & 0xFFu) >> 3) << 6 |
                      ((blue & 0xFFu) >> 3) << 1);
}

ScreenPixel screen_image_unpack(uint16_t word) {
    uint32_t r = (word >> 11) & 31u, g = (word >> 6) & 31u, b = (word >> 1) & 31u;
    // Repeating the top bits in the low ones spreads 0..31 evenly over 0..255 (31 -> 255).
    ScreenPixel p = {(uint8_t)(r << 3 | r >> 2), (uint8_t)(g << 3 | g >> 2),
                     (uint8_t)(b << 3 | b >> 2)};
    return p;
}

uint32_t screen_image_offset(uint32_t x, uint32_t y) {
    return ((x - 1) * SCREEN_IMAGE_HEIGHT + (y - 1)) * 2;
}

int screen_image_from_bitmap(const unsigned char* file, uint32_t size,
                             unsigned char image[SCREEN_IMAGE_SIZE]) {
    BitmapLayout layout;
    if (!bitmap_header_check(file, size, size, &layout))
        return BITMAP_NOT_SUPPORTED;
    BitmapPicture picture = {file + layout.pixel_offset, BITMAP_WIDTH, BITMAP_HEIGHT,
                             BITMAP_ROW_BYTES, layout.top_down};
    screen_image_from_rows(&picture, image);
    return IMAGE_WRITTEN;
}

void screen_image_from_rows(const BitmapPicture* picture, unsigned char image[SCREEN_IMAGE_SIZE]) {
    // With every row at hand the picture needs no store between rows and columns: each column
    // takes its pixels straight from the rows, y = 1 being the picture's bottom row. A band of
    // columns at a time, so that each stored row is read along its length rather than across.
    enum { BAND = 16 };
    for (uint32_t first = 0; first < SCREEN_IMAGE_WIDTH; first += BAND) {
        for (uint32_t y = 1; y <= SCREEN_IMAGE_HEIGHT; ++y) {
            uint32_t stored = picture->top_down ? SCREEN_IMAGE_HEIGHT - y : y - 1;
            const unsigned char* p = picture->rows + stored * picture->stride + first * 3;
            unsigned char* out = image + screen_image_offset(first + 1, y);
            for (uint32_t x = 0; x < BAND; ++x, p += 3, out += 2 * SCREEN_IMAGE_HEIGHT) {
                uint16_t word = screen_image_pack(p[2], p[1], p[0]);
                out[0] = (unsigned char)word;
                out[1] = (unsigned char)(word >> 8);
            }
        }
    }
}

const char* screen_image_error_text(int outcome) {
    switch (outcome) {
    case IMAGE_WRITTEN:
        return 0;
    case BITMAP_NOT_OPENED:
        return "Error: Cannot open bitmap file";
    case BITMAP_NOT_SUPPORTED:
        return "Error: Bitmap has to be 320 x 240, 24-bit, no compression";
    case IMAGE_NOT_WRITTEN:
        return "Error: Can't write file";
    default: // IMAGE_NOT_CREATED, and anything unknown is at least not reported as done
        return "Error: Can't create file";
    }
}
