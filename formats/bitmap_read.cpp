// The bitmap reader. Every size is computed in 64 bits before it is compared with the file's, so
// no field value can wrap a sum, and the only loop bounds are the picture's 320 x 240 pixels.
#include "bitmap_read.h"

namespace {
enum {
    FILE_HEADER = 14,
    CORE_HEADER = 12, // OS/2: 16-bit sides, no compression field, 3-byte palette entries
    INFO_HEADER = 40,
    MASKS_AT = FILE_HEADER + INFO_HEADER, // red, green, blue: right after or inside the 40 bytes
    MASK_BYTES = 12,
    MASKS_IN_HEADER = 52, // from this header size on, the header holds those three masks
    ALPHA_IN_HEADER = 56, // and from this one the alpha mask after them
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3,
    PALETTE_MOST = 256,
    FIELD_MOST = 8 // a mask of more bits than this is not read
};

uint32_t u16_at(const unsigned char* b, uint32_t at) {
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8;
}
uint32_t u32_at(const unsigned char* b, uint32_t at) {
    return u16_at(b, at) | u16_at(b, at + 2) << 16;
}

// Where a mask's bits lie: its value moved so that its highest bit is bit 7 is shifted right by
// shift (left when negative), and it has count bits.
struct Field {
    uint32_t mask;
    int shift;
    uint32_t count;
};

Field field_of(uint32_t mask) {
    Field f = {mask, 0, 0};
    int high = -1;
    for (int bit = 0; bit < 32; ++bit) {
        if (mask >> bit & 1u) {
            ++f.count;
            high = bit;
        }
    }
    f.shift = high - 7;
    return f;
}

// A field's value widened to 8 bits by repeating its bits (5 bits abcde give abcdeabc), so that
// the largest value gives 255: what viewers show for a 16-bit pixel.
uint32_t field_value(uint32_t pixel, const Field& f) {
    static const uint32_t MULTIPLY[FIELD_MOST + 1] = {0,    0xFF, 0x55, 0x49, 0x11,
                                                      0x21, 0x41, 0x81, 0x01};
    static const uint32_t SHIFT[FIELD_MOST + 1] = {0, 0, 0, 1, 0, 2, 4, 6, 0};
    uint32_t v = pixel & f.mask;
    v = f.shift < 0 ? v << -f.shift : v >> f.shift;
    v >>= FIELD_MOST - f.count;
    return (v * MULTIPLY[f.count]) >> SHIFT[f.count];
}

// The masks of a BI_BITFIELDS bitmap can be read when red, green and blue each have some bits,
// not all the same ones, and no mask has more bits than a byte holds.
int masks_usable(const uint32_t masks[4]) {
    if (!masks[0] || !masks[1] || !masks[2] || (masks[0] == masks[1] && masks[1] == masks[2]))
        return 0;
    for (int i = 0; i < 4; ++i) {
        if (field_of(masks[i]).count > FIELD_MOST)
            return 0;
    }
    return 1;
}

// Reads the masks a header holds, or that follow a 40-byte one; 1 when they lie inside count.
int read_masks(const unsigned char* b, uint32_t count, BitmapHeader* h) {
    uint32_t size = h->header_size;
    if ((size != INFO_HEADER && size < MASKS_IN_HEADER) || count < MASKS_AT + MASK_BYTES)
        return 0;
    for (uint32_t i = 0; i < 3; ++i)
        h->masks[i] = u32_at(b, MASKS_AT + 4 * i);
    if (size >= ALPHA_IN_HEADER && count >= MASKS_AT + MASK_BYTES + 4)
        h->masks[3] = u32_at(b, MASKS_AT + MASK_BYTES);
    return 1;
}

// The masks that BI_RGB implies: 5 bits each at 16 bits; 8 bits each and an alpha byte at 32.
void plain_masks(BitmapHeader* h) {
    static const uint32_t SIXTEEN[4] = {0x7C00, 0x03E0, 0x001F, 0};
    static const uint32_t THIRTY_TWO[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
    for (int i = 0; i < 4; ++i)
        h->masks[i] = h->bits == 16 ? SIXTEEN[i] : h->bits == 32 ? THIRTY_TWO[i] : 0;
}
} // namespace

int bitmap_read_header(const unsigned char* b, uint32_t count, uint32_t file_size,
                       BitmapHeader* header) {
    if (!b || count < FILE_HEADER + 4 || b[0] != 'B' || b[1] != 'M')
        return BITMAP_READ_BROKEN;
    BitmapHeader h = {};
    h.header_size = u32_at(b, 14);
    int core = h.header_size == CORE_HEADER;
    if (!core && h.header_size < INFO_HEADER)
        return BITMAP_READ_BROKEN;
    if (count < FILE_HEADER + (core ? CORE_HEADER : INFO_HEADER))
        return BITMAP_READ_BROKEN;
    h.pixel_offset = u32_at(b, 10);
    int64_t width, height;
    if (core) {
        width = u16_at(b, 18);
        height = u16_at(b, 20);
        h.planes = u16_at(b, 22);
        h.bits = u16_at(b, 24);
        h.compression = BI_RGB;
    } else {
        width = (int32_t)u32_at(b, 18);
        height = (int32_t)u32_at(b, 22);
        h.planes = u16_at(b, 26);
        h.bits = u16_at(b, 28);
        h.compression = u32_at(b, 30);
        if (h.compression == BI_RLE8 || h.compression == BI_RLE4)
            return BITMAP_READ_RLE;
    }
    h.top_down = height < 0;
    if (height < 0)
        height = -height;
    if (width <= 0 || height <= 0 || height > INT32_MAX)
        return BITMAP_READ_BROKEN;
    h.width = (int32_t)width;
    h.height = (int32_t)height;

    uint64_t rows_at = FILE_HEADER + (uint64_t)h.header_size;
    int masks_known = 0;
    if (h.compression == BI_BITFIELDS && (h.bits == 16 || h.bits == 32)) {
        if (h.header_size == INFO_HEADER)
            rows_at += MASK_BYTES;
        masks_known = read_masks(b, count, &h) && masks_usable(h.masks);
    } else if (h.compression == BI_RGB) {
        plain_masks(&h);
        masks_known = 1;
    }
    int depth_known = h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 24 ||
                      (!core && (h.bits == 16 || h.bits == 32));
    h.kind_known = h.planes == 1 && depth_known && masks_known;

    uint64_t stride = ((uint64_t)width * h.bits + 31) / 32 * 4;
    // The stride is checked against the file first, so that the product cannot wrap either.
    h.rows_inside = h.pixel_offset >= rows_at && stride <= file_size &&
                    h.pixel_offset + stride * (uint64_t)height <= file_size;
    h.stride = h.rows_inside ? (uint32_t)stride : 0;
    if (h.bits <= 8 && h.rows_inside) {
        h.palette_at = (uint32_t)rows_at;
        h.entry_bytes = core ? 3 : 4;
        uint32_t entries = (h.pixel_offset - h.palette_at) / h.entry_bytes;
        // Anything past the entries an index can reach is a gap before the rows.
        h.entries = entries < PALETTE_MOST ? entries : (uint32_t)PALETTE_MOST;
    }
    *header = h;
    return BITMAP_READ_PARSED;
}

int bitmap_read_decode(const unsigned char* bytes, uint32_t size, PictureResult* result) {
    BitmapHeader h;
    int parsed = bitmap_read_header(bytes, size, size, &h);
    if (parsed == BITMAP_READ_RLE)
        return PICTURE_RLE;
    if (parsed != BITMAP_READ_PARSED)
        return PICTURE_NOT_READ;
    result->width = h.width;
    result->height = h.height;
    if (h.width != PICTURE_WIDTH || h.height != PICTURE_HEIGHT)
        return PICTURE_WRONG_SIZE;
    if (!h.kind_known || !h.rows_inside || (h.bits <= 8 && h.entries == 0))
        return PICTURE_NOT_READ;

    const unsigned char* palette = bytes + h.palette_at;
    Field fields[4];
    for (int i = 0; i < 4; ++i)
        fields[i] = field_of(h.masks[i]);
    uint32_t bits = h.bits, index_mask = bits <= 8 ? (1u << bits) - 1 : 0;
    uint32_t alpha_all = 255, alpha_any = 0;
    for (uint32_t row = 0; row < PICTURE_HEIGHT; ++row) {
        const unsigned char* in = bytes + h.pixel_offset + row * h.stride;
        unsigned char* out =
            result->rows + (h.top_down ? row : PICTURE_HEIGHT - 1 - row) * PICTURE_ROW_BYTES;
        for (uint32_t x = 0; x < PICTURE_WIDTH; ++x, out += 3) {
            if (bits <= 8) {
                uint32_t bit = x * bits;
                uint32_t index = in[bit / 8] >> (8 - bits - bit % 8) & index_mask;
                // An index past the palette would name bytes that are no colour of the file.
                if (index >= h.entries)
                    return PICTURE_NOT_READ;
                const unsigned char* entry = palette + index * h.entry_bytes;
                out[0] = entry[0];
                out[1] = entry[1];
                out[2] = entry[2];
            } else if (bits == 24) {
                out[0] = in[x * 3];
                out[1] = in[x * 3 + 1];
                out[2] = in[x * 3 + 2];
            } else {
                uint32_t v = bits == 16 ? u16_at(in, x * 2) : u32_at(in, x * 4);
                out[0] = (unsigned char)field_value(v, fields[2]);
                out[1] = (unsigned char)field_value(v, fields[1]);
                out[2] = (unsigned char)field_value(v, fields[0]);
                uint32_t alpha = fields[3].count ? field_value(v, fields[3]) : 255;
                alpha_all &= alpha;
                alpha_any |= alpha;
            }
        }
    }
    // A 32-bit BI_RGB bitmap keeps its fourth byte for alpha, but most programs leave it 0:
    // when every pixel's is 0, the picture has no alpha at all.
    int no_alpha = h.compression == BI_RGB && bits == 32 && alpha_any == 0;
    result->translucent = alpha_all != 255 && !no_alpha;
    return picture_rows_decoded(result);
}
