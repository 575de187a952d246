// 24-bit bitmap files of any size: header writing, row finding, screen image to rows, drawing.
// Pure: no platform call.
#include "bitmap_file.h"
#include "bitmap_read.h"
#include "screen_image.h"

namespace {
void put16(unsigned char* b, uint32_t at, uint32_t v) {
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
}
void put32(unsigned char* b, uint32_t at, uint32_t v) {
    put16(b, at, v & 0xFFFFu);
    put16(b, at + 2, v >> 16);
}
int side_ok(int32_t side) {
    return side >= 1 && side <= BITMAP_FILE_MAX_SIDE;
}
} // namespace

uint32_t bitmap_file_stride(int32_t width) {
    return ((uint32_t)width * 3 + 3) & ~3u;
}

uint32_t bitmap_file_header(unsigned char* header, int32_t width, int32_t height) {
    if (!side_ok(width) || !side_ok(height))
        return 0;
    uint32_t pixels = bitmap_file_stride(width) * (uint32_t)height;
    for (uint32_t i = 0; i < BITMAP_FILE_HEADER_BYTES; ++i)
        header[i] = 0;
    header[0] = 'B';
    header[1] = 'M';
    put32(header, 2, BITMAP_FILE_HEADER_BYTES + pixels);
    put32(header, 10, BITMAP_FILE_HEADER_BYTES);
    put32(header, 14, 40);
    put32(header, 18, (uint32_t)width);
    put32(header, 22, (uint32_t)height); // positive: bottom row first, as every viewer expects
    put16(header, 26, 1);
    put16(header, 28, 24);
    put32(header, 34, pixels);
    put32(header, 38, 2835); // 72 dots per inch, what paint programs write
    put32(header, 42, 2835);
    return BITMAP_FILE_HEADER_BYTES + pixels;
}

int bitmap_file_picture(const unsigned char* file, uint32_t size, BitmapPicture* picture) {
    BitmapHeader h;
    if (bitmap_read_header(file, size, size, &h) != BITMAP_READ_PARSED)
        return 0;
    // OS/2 headers are refused as the forms refuse them: the tool's own pictures never have one.
    if (h.header_size < 40 || h.planes != 1 || h.bits != 24 || h.compression != 0 ||
        !side_ok(h.width) || !side_ok(h.height) || !h.rows_inside)
        return 0;
    picture->rows = file + h.pixel_offset;
    picture->width = h.width;
    picture->height = h.height;
    picture->stride = h.stride;
    picture->top_down = h.top_down;
    return 1;
}

void bitmap_file_from_image(const unsigned char* image, unsigned char* rows) {
    // Stored row y - 1 is image row y: the conversion takes the first stored row of a bottom-up
    // bitmap as y = 1.
    for (uint32_t y = 1; y <= SCREEN_IMAGE_HEIGHT; ++y) {
        unsigned char* out = rows + (y - 1) * (SCREEN_IMAGE_WIDTH * 3);
        for (uint32_t x = 1; x <= SCREEN_IMAGE_WIDTH; ++x, out += 3) {
            const unsigned char* at = image + screen_image_offset(x, y);
            ScreenPixel p = screen_image_unpack((uint16_t)(at[0] | at[1] << 8));
            out[0] = p.blue;
            out[1] = p.green;
            out[2] = p.red;
        }
    }
}

void bitmap_file_draw(unsigned char* canvas, int32_t width, int32_t height,
                      const BitmapPicture* picture, int32_t x, int32_t y) {
    // The visible columns and rows of the picture, in 64 bits since x and y may be anything.
    int64_t first_col = x < 0 ? -(int64_t)x : 0;
    int64_t end_col = (int64_t)width - x;
    if (end_col > picture->width)
        end_col = picture->width;
    int64_t first_row = y < 0 ? -(int64_t)y : 0;
    int64_t end_row = (int64_t)height - y;
    if (end_row > picture->height)
        end_row = picture->height;
    if (end_col <= first_col)
        return;
    uint32_t canvas_stride = bitmap_file_stride(width);
    for (int64_t row = first_row; row < end_row; ++row) {
        int64_t stored = picture->top_down ? row : picture->height - 1 - row;
        const unsigned char* from = picture->rows + stored * picture->stride + first_col * 3;
        int64_t canvas_row = height - 1 - (y + row);
        unsigned char* to = canvas + canvas_row * canvas_stride + (x + first_col) * 3;
        for (int64_t n = (end_col - first_col) * 3; n > 0; --n)
            *to++ = *from++;
    }
}
