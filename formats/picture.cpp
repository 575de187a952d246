// Picture files through stb_image and stb_image_write (compiled in stb_impl.cpp). stb_image is
// trusted with the pixels, not with the file's structure: before it sees a file, this module
// checks what stb_image lets through or gets wrong, so that every build takes and refuses the same
// files and no decoded colour comes from anything but the file. Pure: no platform call.
#include "picture.h"
#include "bitmap_header.h"
#include <stb_image.h>
#include <stb_image_write.h>
#include <stdlib.h>
#include <string.h>

namespace {
enum {
    PNG_SIGNATURE_BYTES = 8,
    PNG_CHUNK_OVERHEAD = 12, // length, type, and the CRC after the data
    PNG_IHDR_BYTES = 13,
    PNG_PALETTE_TYPE = 3,
    PALETTE_MOST = 256,
    BMP_FILE_HEADER = 14,
    BMP_CORE_HEADER = 12, // OS/2's: 16-bit sides, 3-byte palette entries, no compression field
    BMP_INFO_HEADER = 40,
    BMP_V3_HEADER = 56, // 40 bytes and the four masks
    BMP_V4_HEADER = 108,
    BMP_V5_HEADER = 124,
    BMP_RLE8 = 1,
    BMP_RLE4 = 2,
    BMP_BITFIELDS = 3,
    BMP_SPLICE = 12 // bytes that both repairs of bmp_decode put before the rows
};

const unsigned char PNG_SIGNATURE[PNG_SIGNATURE_BYTES] = {0x89, 'P',  'N',  'G',
                                                          '\r', '\n', 0x1A, '\n'};

uint32_t le16(const unsigned char* b) {
    return (uint32_t)b[0] | (uint32_t)b[1] << 8;
}
uint32_t le32(const unsigned char* b) {
    return le16(b) | le16(b + 2) << 16;
}
uint32_t be32(const unsigned char* b) {
    return (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | (uint32_t)b[3];
}
void put_be32(unsigned char* b, uint32_t v) {
    b[0] = (unsigned char)(v >> 24);
    b[1] = (unsigned char)(v >> 16);
    b[2] = (unsigned char)(v >> 8);
    b[3] = (unsigned char)v;
}
void put_le32(unsigned char* b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[i] = (unsigned char)(v >> (8 * i));
}

// The CRC-32 that PNG keeps after every chunk, over its type and data.
uint32_t png_crc(const unsigned char* p, uint32_t n) {
    uint32_t c = 0xFFFFFFFFu;
    while (n--) {
        c ^= *p++;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// What the chunk walk learns of a PNG file.
struct PngFacts {
    uint32_t width, height;
    uint32_t depth, colour;
    uint32_t palette_at;      // file offset of the PLTE chunk; 0 when there is none
    uint32_t palette_entries; // PLTE's entries
    uint32_t alpha_entries;   // tRNS's bytes (one per palette entry in a palette picture)
};

// Walks the chunks from IHDR to IEND. stb_image checks neither the CRCs nor that each length
// lands on the next chunk, so a length or a byte changed in the file could pass as other data.
// Critical chunks must have their CRC right; ancillary ones are left to the decoder, which skips
// them. 1 when the walk reaches IEND with every chunk inside the file.
int png_walk(const unsigned char* b, uint32_t size, PngFacts* facts) {
    memset(facts, 0, sizeof *facts);
    uint32_t at = PNG_SIGNATURE_BYTES;
    for (int first = 1;; first = 0) {
        if (size - at < PNG_CHUNK_OVERHEAD)
            return 0;
        uint32_t length = be32(b + at);
        if (length > size - at - PNG_CHUNK_OVERHEAD)
            return 0;
        const unsigned char* type = b + at + 4;
        const unsigned char* data = b + at + 8;
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        // Not when fuzzing: a fuzzer could hardly ever mend a checksum, and would not get past it
        // to the decoder.
        int critical = !(type[0] & 0x20);
        if (critical && png_crc(type, length + 4) != be32(data + length))
            return 0;
#endif
        int is_ihdr = memcmp(type, "IHDR", 4) == 0;
        if (first != is_ihdr)
            return 0;
        if (is_ihdr) {
            if (length != PNG_IHDR_BYTES)
                return 0;
            facts->width = be32(data);
            facts->height = be32(data + 4);
            facts->depth = data[8];
            facts->colour = data[9];
        } else if (memcmp(type, "PLTE", 4) == 0) {
            if (facts->palette_at || length % 3)
                return 0;
            facts->palette_at = at;
            facts->palette_entries = length / 3;
        } else if (memcmp(type, "tRNS", 4) == 0) {
            facts->alpha_entries = length;
        } else if (memcmp(type, "IEND", 4) == 0) {
            return 1;
        }
        at += PNG_CHUNK_OVERHEAD + length;
    }
}

// The 320 x 240 pixels of a file, four bytes each (stb_image's red, green, blue, alpha), from the
// C heap; 0 when the decoder refuses the file or it is of another size.
stbi_uc* load(const unsigned char* file, uint32_t size) {
    int x = 0, y = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(file, (int)size, &x, &y, &channels, 4);
    if (pixels && (x != PICTURE_WIDTH || y != PICTURE_HEIGHT)) {
        stbi_image_free(pixels);
        return 0;
    }
    return pixels;
}

// The decoder's pixels as the result's rows.
void keep(const stbi_uc* pixels, PictureResult* result) {
    result->translucent = 0;
    unsigned char* out = result->rows;
    for (uint32_t i = 0; i < (uint32_t)PICTURE_WIDTH * PICTURE_HEIGHT; ++i, pixels += 4, out += 3) {
        out[0] = pixels[2];
        out[1] = pixels[1];
        out[2] = pixels[0];
        result->translucent |= pixels[3] != 255;
    }
    result->picture.rows = result->rows;
    result->picture.width = PICTURE_WIDTH;
    result->picture.height = PICTURE_HEIGHT;
    result->picture.stride = PICTURE_ROW_BYTES;
    result->picture.top_down = 1;
}

// A copy of the file with count bytes inserted at offset at (from insert, or `fill` bytes when
// insert is 0), from the C heap; 0 when memory is short.
unsigned char* spliced(const unsigned char* b, uint32_t size, uint32_t at,
                       const unsigned char* insert, unsigned char fill, uint32_t count) {
    unsigned char* copy = (unsigned char*)malloc((size_t)size + count);
    if (!copy)
        return 0;
    memcpy(copy, b, at);
    if (insert)
        memcpy(copy + at, insert, count);
    else
        memset(copy + at, fill, count);
    memcpy(copy + at + count, b + at, size - at);
    return copy;
}

// The palette picture as stb_image decodes it with its PLTE grown to 256 entries of one fill
// value. stb_image keeps the palette in an uninitialised table and looks up any index in it, so
// an index past the file's palette would give whatever was on the stack; with the entries filled,
// two decodes with different fills differ exactly where such an index is used.
stbi_uc* load_palette_filled(const unsigned char* b, uint32_t size, const PngFacts* facts,
                             unsigned char fill) {
    uint32_t at = facts->palette_at;
    uint32_t old_length = facts->palette_entries * 3;
    uint32_t added = PALETTE_MOST * 3 - old_length;
    unsigned char* copy = spliced(b, size, at + 8 + old_length, 0, fill, added);
    if (!copy)
        return 0;
    put_be32(copy + at, PALETTE_MOST * 3);
    put_be32(copy + at + 8 + PALETTE_MOST * 3, png_crc(copy + at + 4, 4 + PALETTE_MOST * 3));
    stbi_uc* pixels = load(copy, size + added);
    free(copy);
    return pixels;
}

int png_decode(const unsigned char* b, uint32_t size, PictureResult* result) {
    PngFacts facts;
    if (!png_walk(b, size, &facts))
        return PICTURE_NOT_READ;
    if (facts.width == 0 || facts.height == 0 || facts.width > INT32_MAX ||
        facts.height > INT32_MAX)
        return PICTURE_NOT_READ;
    result->width = (int32_t)facts.width;
    result->height = (int32_t)facts.height;
    if (facts.width != PICTURE_WIDTH || facts.height != PICTURE_HEIGHT)
        return PICTURE_WRONG_SIZE;
    int palette = facts.colour == PNG_PALETTE_TYPE;
    if (!palette || (facts.depth <= 8 && facts.palette_entries >= 1u << facts.depth)) {
        stbi_uc* pixels = load(b, size);
        if (!pixels)
            return PICTURE_NOT_READ;
        keep(pixels, result);
        stbi_image_free(pixels);
        return PICTURE_DECODED;
    }
    // Grown, the palette would also let through an alpha table longer than the file's palette,
    // which the decoder refuses.
    if (!facts.palette_at || facts.alpha_entries > facts.palette_entries)
        return PICTURE_NOT_READ;
    stbi_uc* dark = load_palette_filled(b, size, &facts, 0x00);
    stbi_uc* light = dark ? load_palette_filled(b, size, &facts, 0xFF) : 0;
    int same = light && memcmp(dark, light, (size_t)PICTURE_WIDTH * PICTURE_HEIGHT * 4) == 0;
    if (same)
        keep(dark, result);
    stbi_image_free(dark);
    stbi_image_free(light);
    return same ? PICTURE_DECODED : PICTURE_NOT_READ;
}

// Every pixel's palette index of a bitmap of 1, 4 or 8 bits is below entries. The decoder looks
// indices up in an uninitialised table of 256, so a larger one would give stack contents.
int bmp_indices_in(const unsigned char* rows, uint32_t stride, uint32_t bits, uint32_t entries) {
    for (uint32_t y = 0; y < PICTURE_HEIGHT; ++y, rows += stride) {
        for (uint32_t x = 0; x < PICTURE_WIDTH; ++x) {
            uint32_t bit = x * bits;
            uint32_t index = rows[bit / 8] >> (8 - bits - bit % 8) & ((1u << bits) - 1);
            if (index >= entries)
                return 0;
        }
    }
    return 1;
}

int bmp_decode(const unsigned char* b, uint32_t size, PictureResult* result) {
    if (size < BMP_FILE_HEADER + 4)
        return PICTURE_NOT_READ;
    uint32_t header = le32(b + 14);
    if (header != BMP_CORE_HEADER && header != BMP_INFO_HEADER && header != BMP_V3_HEADER &&
        header != BMP_V4_HEADER && header != BMP_V5_HEADER)
        return PICTURE_NOT_READ;
    if (size < BMP_FILE_HEADER + header)
        return PICTURE_NOT_READ;
    uint32_t offset = le32(b + 10);
    int core = header == BMP_CORE_HEADER;
    int64_t width = core ? (int64_t)le16(b + 18) : (int64_t)(int32_t)le32(b + 18);
    int64_t height = core ? (int64_t)le16(b + 20) : (int64_t)(int32_t)le32(b + 22);
    uint32_t bits = le16(b + (core ? 24 : 28));
    uint32_t compression = core ? 0 : le32(b + 30);
    if (compression == BMP_RLE8 || compression == BMP_RLE4)
        return PICTURE_RLE;
    if (height < 0) // top-down
        height = -height;
    if (width <= 0 || height <= 0 || height > INT32_MAX)
        return PICTURE_NOT_READ;
    result->width = (int32_t)width;
    result->height = (int32_t)height;
    if (width != PICTURE_WIDTH || height != PICTURE_HEIGHT)
        return PICTURE_WRONG_SIZE;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return PICTURE_NOT_READ;
    // The decoder reads past the end as zeros rather than failing: a cut file must stop here.
    uint32_t stride = (PICTURE_WIDTH * bits + 31) / 32 * 4;
    if (offset > size || size - offset < stride * PICTURE_HEIGHT)
        return PICTURE_NOT_READ;

    unsigned char* copy = 0;
    if (bits <= 8) {
        uint32_t palette_at = BMP_FILE_HEADER + header;
        if (offset < palette_at)
            return PICTURE_NOT_READ;
        uint32_t entries = (offset - palette_at) / (core ? 3 : 4);
        if (entries == 0 || entries > PALETTE_MOST ||
            !bmp_indices_in(b + offset, stride, bits, entries))
            return PICTURE_NOT_READ;
        // stb_image counts an OS/2 palette 12 bytes short (it takes the header as 24 bytes), so
        // it would leave the last four entries unread and skip 12 bytes before the rows. Twelve
        // bytes put before the rows, and the offset moved past them, make its count come out
        // right and its skip land on the rows.
        if (core && !(copy = spliced(b, size, offset, 0, 0, BMP_SPLICE)))
            return PICTURE_NOT_READ;
    } else if (header == BMP_V3_HEADER && compression == BMP_BITFIELDS &&
               offset == BMP_FILE_HEADER + BMP_V3_HEADER) {
        // The masks of a 56-byte header are inside it, but stb_image reads them after it, as
        // after a 40-byte header: a copy of them there, before the rows, is what it expects.
        if (!(copy =
                  spliced(b, size, offset, b + BMP_FILE_HEADER + BMP_INFO_HEADER, 0, BMP_SPLICE)))
            return PICTURE_NOT_READ;
    }
    if (copy)
        put_le32(copy + 10, offset + BMP_SPLICE);
    stbi_uc* pixels = copy ? load(copy, size + BMP_SPLICE) : load(b, size);
    free(copy);
    if (!pixels)
        return PICTURE_NOT_READ;
    keep(pixels, result);
    stbi_image_free(pixels);
    return PICTURE_DECODED;
}

// Collects what stb_image_write hands over into one growing C heap block.
struct PngSink {
    unsigned char* bytes;
    uint32_t size;
    int failed;
};

void sink_write(void* context, void* data, int count) {
    PngSink* sink = (PngSink*)context;
    if (sink->failed || count <= 0)
        return;
    unsigned char* grown = (unsigned char*)realloc(sink->bytes, (size_t)sink->size + (size_t)count);
    if (!grown) {
        sink->failed = 1;
        return;
    }
    memcpy(grown + sink->size, data, (size_t)count);
    sink->bytes = grown;
    sink->size += (uint32_t)count;
}
} // namespace

int picture_decode(const unsigned char* bytes, uint32_t size, PictureResult* result) {
    result->width = result->height = 0;
    result->translucent = 0;
    // The decoder takes the length as an int.
    if (!bytes || size > INT32_MAX)
        return PICTURE_NOT_READ;
    if (size >= PNG_SIGNATURE_BYTES && memcmp(bytes, PNG_SIGNATURE, PNG_SIGNATURE_BYTES) == 0)
        return png_decode(bytes, size, result);
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return bmp_decode(bytes, size, result);
    return PICTURE_NOT_READ;
}

int picture_image(const unsigned char* bytes, uint32_t size, PictureResult* result,
                  unsigned char image[SCREEN_IMAGE_SIZE]) {
    // A bitmap that the forms take goes through their conversion, so its image is theirs.
    if (bytes && bitmap_header_check(bytes, size, size, 0) &&
        screen_image_from_bitmap(bytes, size, image) == IMAGE_WRITTEN) {
        result->width = PICTURE_WIDTH;
        result->height = PICTURE_HEIGHT;
        result->translucent = 0;
        return PICTURE_DECODED;
    }
    int outcome = picture_decode(bytes, size, result);
    if (outcome == PICTURE_DECODED)
        bitmap_file_to_image(&result->picture, image);
    return outcome;
}

unsigned char* picture_png(const BitmapPicture* picture, uint32_t* size) {
    int32_t w = picture->width, h = picture->height;
    if (w < 1 || h < 1 || w > BITMAP_FILE_MAX_SIDE || h > BITMAP_FILE_MAX_SIDE)
        return 0;
    // The encoder wants red, green, blue, top row first.
    unsigned char* rgb = (unsigned char*)malloc((size_t)w * (size_t)h * 3);
    if (!rgb)
        return 0;
    for (int32_t y = 0; y < h; ++y) {
        int32_t stored = picture->top_down ? y : h - 1 - y;
        const unsigned char* from = picture->rows + (size_t)stored * picture->stride;
        unsigned char* to = rgb + (size_t)y * (size_t)w * 3;
        for (int32_t x = 0; x < w; ++x, from += 3, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    PngSink sink = {0, 0, 0};
    int written = stbi_write_png_to_func(sink_write, &sink, w, h, 3, rgb, w * 3);
    free(rgb);
    if (!written || sink.failed) {
        free(sink.bytes);
        return 0;
    }
    *size = sink.size;
    return sink.bytes;
}

void picture_free(unsigned char* block) {
    free(block);
}
