// Test pictures made in memory: 320 x 240 pictures written as 24-bit Windows bitmap files with the
// 40-, 108- or 124-byte info header, bottom-up or top-down, with the pixel rows where asked; PNG
// files written chunk by chunk; and the hostile files that every build must refuse.
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

// A smooth gradient: red rising across the picture from the left, green from the top, blue
// falling along the diagonal, so the shades of each colour run through every step of the image.
inline Picture gradient_picture() {
    Picture p(320 * 240);
    for (int y = 1; y <= 240; ++y)
        for (int x = 1; x <= 320; ++x) {
            int right = x - 1, down = 240 - y;
            pixel(p, x, y) =
                Rgb{(unsigned char)(right * 255 / 319), (unsigned char)(down * 255 / 239),
                    (unsigned char)(255 - (right + down) * 255 / 557)};
        }
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

// A little-endian field at at of the n bytes at b; 0 when it does not lie wholly inside them.
inline uint32_t field16(const unsigned char* b, size_t n, size_t at) {
    return at + 2 <= n ? (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 : 0;
}
inline uint32_t field32(const unsigned char* b, size_t n, size_t at) {
    return field16(b, n, at) | field16(b, n, at + 2) << 16;
}

// The header rule of the conversion, stated field by field over the first n bytes of a file of
// file_size bytes: the reference for the randomized cases and the fuzz targets.
inline bool header_acceptable(const unsigned char* b, size_t n, uint32_t file_size) {
    if (n < 54 || b[0] != 'B' || b[1] != 'M')
        return false;
    uint64_t offset = field32(b, n, 10), info = field32(b, n, 14);
    int32_t height = (int32_t)field32(b, n, 22);
    return info >= 40 && field32(b, n, 18) == 320 && (height == 240 || height == -240) &&
           field16(b, n, 26) == 1 && field16(b, n, 28) == 24 && field32(b, n, 30) == 0 &&
           offset >= 14 + info && offset + 230400 <= file_size;
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
// PNG files written here: chunks with their CRCs, the image data in stored (uncompressed) zlib
// blocks, so that any scanlines can be written without a compressor.
inline uint32_t crc32_of(const unsigned char* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}
inline void put_be32(Bytes& b, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        b.push_back((unsigned char)(v >> (8 * i)));
}
inline void add_chunk(Bytes& png, const char* type, const Bytes& data) {
    put_be32(png, (uint32_t)data.size());
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put_be32(png, crc32_of(&png[start], png.size() - start));
}
// The zlib stream of data in stored blocks.
inline Bytes zlib_stored(const Bytes& data) {
    Bytes z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (size_t at = 0; at < data.size(); at += 65535) {
        size_t n = data.size() - at < 65535 ? data.size() - at : 65535;
        z.push_back(at + n == data.size());
        z.insert(z.end(), {(unsigned char)n, (unsigned char)(n >> 8), (unsigned char)~n,
                           (unsigned char)(~n >> 8)});
        z.insert(z.end(), data.begin() + at, data.begin() + at + n);
    }
    for (unsigned char c : data) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put_be32(z, b << 16 | a);
    return z;
}
// A PNG of width x 240 pixels: IHDR, PLTE and tRNS when given, one IDAT of stream (a zlib
// stream), IEND.
inline Bytes png_of_stream(uint32_t width, unsigned depth, unsigned colour_type,
                           const Bytes& palette, const Bytes& alpha, const Bytes& stream,
                           unsigned interlace = 0) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    put_be32(ihdr, width);
    put_be32(ihdr, 240);
    ihdr.insert(ihdr.end(),
                {(unsigned char)depth, (unsigned char)colour_type, 0, 0, (unsigned char)interlace});
    add_chunk(png, "IHDR", ihdr);
    if (!palette.empty())
        add_chunk(png, "PLTE", palette);
    if (!alpha.empty())
        add_chunk(png, "tRNS", alpha);
    add_chunk(png, "IDAT", stream);
    add_chunk(png, "IEND", {});
    return png;
}
inline Bytes png_file(uint32_t width, unsigned depth, unsigned colour_type, const Bytes& palette,
                      const Bytes& alpha, const Bytes& scanlines, unsigned interlace = 0) {
    return png_of_stream(width, depth, colour_type, palette, alpha, zlib_stored(scanlines),
                         interlace);
}

// A palette PNG of 16 bits (PNG allows at most 8) with a PLTE of 257 entries, every checksum
// right: a decoder that trusts the entry count sizes its palette from 768 - 3 x 257, which
// wraps in unsigned arithmetic.
inline Bytes hostile_png() {
    return png_file(320, 16, 3, Bytes(257 * 3, 0x40), {}, {});
}

// A 320 x 240, 1-bit bitmap whose pixel offset lies so near 2^32 that the offset plus the rows
// wraps 32-bit arithmetic to a place inside the file, and whose palette, counted from the
// headers to that offset, would run far past the file.
inline Bytes wrapping_bitmap() {
    Bytes b(14 + 40 + 8 + 100, 0);
    const uint32_t rows = 40 * 240; // 320 pixels of 1 bit: 40 bytes a row
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, (uint32_t)b.size());
    put32(b, 10, 0u - rows + 60); // + rows = 60 in 32 bits
    put32(b, 14, 40);
    put32(b, 18, 320);
    put32(b, 22, 240);
    put16(b, 26, 1);
    put16(b, 28, 1);
    put32(b, 54, 0xFFFFFF); // the two palette entries: white, black
    return b;
}
} // namespace test_bitmaps
