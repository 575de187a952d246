// Test bitmaps made in memory: 320 x 240 pictures written as 24-bit Windows bitmap files with the
// 40-, 108- or 124-byte info header, bottom-up or top-down, with the pixel rows where asked.
#pragma once
#include <stdint.h>
#include <string.h>
#include <vector>

namespace test_bitmaps {
typedef std::vector<unsigned char> Bytes;

struct Rgb {
    unsigned char r, g, b;
};
// Pixel (x, y), 1-based, y = 1 the picture's bottom row, at index (y - 1) * 320 + (x - 1).
typedef std::vector<Rgb> Picture;

inline Rgb& pixel(Picture& p, int x, int y) {
    return p[(size_t)(y - 1) * 320 + (size_t)(x - 1)];
}

// A picture with a different colour in nearly every pixel, so misplaced pixels show.
inline Picture varied_picture(unsigned seed = 0) {
    Picture p(320 * 240);
    for (int y = 1; y <= 240; ++y)
        for (int x = 1; x <= 320; ++x)
            pixel(p, x, y) = Rgb{(unsigned char)(x * 7 + seed), (unsigned char)(y * 3 + x),
                                 (unsigned char)(x ^ (y * 5 + seed))};
    return p;
}

inline void put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
}
inline void put32(Bytes& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

struct Shape {
    uint32_t info_size = 40;
    bool top_down = false;
    uint32_t pixel_offset = 0; // 0: right after the headers; a gap between is filled with 0xEE
    uint32_t surplus = 0;      // bytes after the pixel rows
};

// The headers of a bitmap file of the given shape, up to its first pixel row.
inline Bytes bitmap_headers(const Shape& s) {
    uint32_t offset = s.pixel_offset ? s.pixel_offset : 14 + s.info_size;
    Bytes b(offset, 0xEE);
    memset(b.data(), 0, 14 + s.info_size < offset ? 14 + s.info_size : offset);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, offset + 230400 + s.surplus);
    put32(b, 10, offset);
    put32(b, 14, s.info_size);
    put32(b, 18, 320);
    put32(b, 22, s.top_down ? (uint32_t)-240 : 240u);
    put16(b, 26, 1);
    put16(b, 28, 24);
    put32(b, 30, 0);
    put32(b, 34, 230400);
    put32(b, 38, 2835);
    put32(b, 42, 2835);
    if (s.info_size >= 108)
        put32(b, 14 + 56, 0x73524742); // colour space "sRGB"
    if (s.info_size >= 124)
        put32(b, 14 + 108, 4); // rendering intent: pictures
    return b;
}

// The bitmap file of picture in the given shape.
inline Bytes bitmap_file(const Picture& picture, const Shape& s = Shape()) {
    Bytes b = bitmap_headers(s);
    uint32_t offset = (uint32_t)b.size();
    b.resize(offset + 230400 + s.surplus);
    for (int row = 0; row < 240; ++row) {
        int y = s.top_down ? 240 - row : row + 1;
        unsigned char* out = b.data() + offset + (size_t)row * 960;
        for (int x = 1; x <= 320; ++x, out += 3) {
            const Rgb& c = picture[(size_t)(y - 1) * 320 + (size_t)(x - 1)];
            out[0] = c.b;
            out[1] = c.g;
            out[2] = c.r;
        }
    }
    for (uint32_t i = 0; i < s.surplus; ++i)
        b[offset + 230400 + i] = (unsigned char)(i * 13 + 1);
    return b;
}

// The picture held by a 320 x 240, 24-bit bitmap file (any info header size, either row order),
// read here from the header fields alone, independently of the code under test. An empty picture
// when the file is not one.
inline Picture picture_of_bitmap(const Bytes& file) {
    auto u32 = [&](size_t at) {
        return (uint32_t)file[at] | (uint32_t)file[at + 1] << 8 | (uint32_t)file[at + 2] << 16 |
               (uint32_t)file[at + 3] << 24;
    };
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M' || u32(18) != 320 || file[28] != 24)
        return Picture();
    int32_t height = (int32_t)u32(22);
    uint32_t offset = u32(10);
    if ((height != 240 && height != -240) || offset + 230400ull > file.size())
        return Picture();
    Picture p(320 * 240);
    for (int row = 0; row < 240; ++row) {
        int y = height < 0 ? 240 - row : row + 1;
        const unsigned char* in = file.data() + offset + (size_t)row * 960;
        for (int x = 1; x <= 320; ++x, in += 3)
            pixel(p, x, y) = Rgb{in[2], in[1], in[0]};
    }
    return p;
}

// The screen image of picture, computed here independently of the code under test: columns
// first, y = 1 (the bottom row) first, 5 bits per component.
inline Bytes expected_image(const Picture& picture) {
    Bytes img(153600);
    size_t at = 0;
    for (int x = 1; x <= 320; ++x)
        for (int y = 1; y <= 240; ++y) {
            const Rgb& c = picture[(size_t)(y - 1) * 320 + (size_t)(x - 1)];
            unsigned w =
                (unsigned)(c.r >> 3) << 11 | (unsigned)(c.g >> 3) << 6 | (unsigned)(c.b >> 3) << 1;
            img[at++] = (unsigned char)w;
            img[at++] = (unsigned char)(w >> 8);
        }
    return img;
}
} // namespace test_bitmaps
