// PNG reading and writing over zlib (crc32, inflate, compress2). After the gate, every count that
// a loop or a buffer depends on comes from the picture's fixed 320 x 240 pixels or from a palette
// of at most 256 entries, never from the file: the row buffers are of the largest row a 320-pixel
// picture can have, and the stream is inflated into them a row at a time.
#include "png.h"
#include <stdlib.h>
#include <string.h>
// next_in of a zlib stream is then a pointer to const bytes, as the file's bytes are here.
#define ZLIB_CONST
#include <zlib.h>

namespace {
enum {
    SIGNATURE_BYTES = 8,
    CHUNK_OVERHEAD = 12, // length, type, and the checksum after the data
    IHDR_BYTES = 13,
    PNG_MOST = 0x7FFFFFFF, // the largest chunk length and side PNG allows
    PALETTE_MOST = 256,
    GREY = 0,
    RGB = 2,
    PALETTE = 3,
    GREY_ALPHA = 4,
    RGBA = 6,
    ROW_MOST = 1 + PICTURE_WIDTH * 8, // a filter byte and 320 pixels of four 16-bit samples
    PASSES = 7
};

const unsigned char SIGNATURE[SIGNATURE_BYTES] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Adam7: the first column and row of each pass and the steps between its pixels.
const uint32_t PASS_X[PASSES] = {0, 4, 0, 2, 0, 1, 0};
const uint32_t PASS_Y[PASSES] = {0, 0, 4, 0, 2, 0, 1};
const uint32_t PASS_DX[PASSES] = {8, 8, 4, 4, 2, 2, 1};
const uint32_t PASS_DY[PASSES] = {8, 8, 8, 4, 4, 2, 2};

// Grey of 1, 2 and 4 bits spread over 0..255 (1 bit: 0 and 255).
const uint32_t GREY_SCALE[9] = {0, 0xFF, 0x55, 0, 0x11, 0, 0, 0, 1};

uint32_t be16(const unsigned char* b) {
    return (uint32_t)b[0] << 8 | b[1];
}
uint32_t be32(const unsigned char* b) {
    return be16(b) << 16 | be16(b + 2);
}
void put_be32(unsigned char* b, uint32_t v) {
    b[0] = (unsigned char)(v >> 24);
    b[1] = (unsigned char)(v >> 16);
    b[2] = (unsigned char)(v >> 8);
    b[3] = (unsigned char)v;
}

int is_type(const unsigned char* type, const char* name) {
    return memcmp(type, name, 4) == 0;
}

// What the gate learned of a file it takes.
struct PngFacts {
    uint32_t width, height, depth, colour, interlace;
    uint32_t samples; // per pixel: 1 (grey or palette index), 2 (grey, alpha), 3 (RGB), 4 (RGBA)
    const unsigned char* palette; // PLTE's red, green, blue entries
    uint32_t entries;
    const unsigned char* alpha; // tRNS of a palette picture: one alpha per entry, from the first
    uint32_t alphas;
    int keyed;                // tRNS of grey or RGB: the one colour that is transparent
    uint32_t key[3], key8[3]; // as stored, and as its 8-bit samples compare
    uint32_t first_data;      // offset of the first IDAT chunk
};

// The colour type and depth pairs that PNG allows, and the samples of a pixel.
int header_fields(const unsigned char* d, PngFacts* f) {
    f->width = be32(d);
    f->height = be32(d + 4);
    f->depth = d[8];
    f->colour = d[9];
    f->interlace = d[12];
    if (f->width == 0 || f->height == 0 || f->width > PNG_MOST || f->height > PNG_MOST)
        return 0;
    // Compression and filter methods: PNG defines only 0 for each.
    if (d[10] != 0 || d[11] != 0 || f->interlace > 1)
        return 0;
    uint32_t depth = f->depth;
    int low = depth == 1 || depth == 2 || depth == 4;
    int common = depth == 8 || depth == 16;
    switch (f->colour) {
    case GREY:
        f->samples = 1;
        return low || common;
    case PALETTE:
        f->samples = 1;
        return low || depth == 8;
    case RGB:
        f->samples = 3;
        return common;
    case GREY_ALPHA:
        f->samples = 2;
        return common;
    case RGBA:
        f->samples = 4;
        return common;
    default:
        return 0;
    }
}

// tRNS: alphas of palette entries, or the transparent grey or RGB colour. PNG gives the colour in
// 16-bit fields whatever the depth; at lower depths the decoded sample it matches is the low byte
// of a field, spread as grey is.
int transparency(const unsigned char* d, uint32_t length, PngFacts* f) {
    if (f->colour == PALETTE) {
        if (!f->entries || length > f->entries)
            return 0;
        f->alpha = d;
        f->alphas = length;
        return 1;
    }
    uint32_t fields = f->colour == GREY ? 1 : f->colour == RGB ? 3 : 0;
    if (!fields || length != fields * 2)
        return 0;
    f->keyed = 1;
    for (uint32_t k = 0; k < fields; ++k) {
        f->key[k] = be16(d + 2 * k);
        uint32_t scale = f->colour == GREY && f->depth < 16 ? GREY_SCALE[f->depth] : 1;
        f->key8[k] = ((f->key[k] & 0xFF) * scale) & 0xFF;
    }
    return 1;
}

// Walks every chunk from the signature to IEND and checks it against the PNG rules. The
// checksums of the critical chunks and of tRNS (the chunks whose data is used) must be right;
// other ancillary chunks are skipped unread, as decoders commonly do. 1 when the file is taken.
int gate(const unsigned char* b, uint32_t size, PngFacts* f) {
    memset(f, 0, sizeof *f);
    int have_header = 0, have_palette = 0, have_alpha = 0, in_data = 0, after_data = 0;
    uint32_t at = SIGNATURE_BYTES;
    for (;;) {
        if (size - at < CHUNK_OVERHEAD)
            return 0;
        uint32_t length = be32(b + at);
        if (length > PNG_MOST || length > size - at - CHUNK_OVERHEAD)
            return 0;
        const unsigned char* type = b + at + 4;
        const unsigned char* data = type + 4;
        for (int i = 0; i < 4; ++i) {
            unsigned char c = type[i] & 0xDF; // the letter in upper case
            if (c < 'A' || c > 'Z')
                return 0;
        }
        int critical = !(type[0] & 0x20);
        int ihdr = is_type(type, "IHDR"), plte = is_type(type, "PLTE");
        int idat = is_type(type, "IDAT"), iend = is_type(type, "IEND");
        int trns = is_type(type, "tRNS");
        if ((critical || trns) && crc32(0, type, length + 4) != be32(data + length))
            return 0;
        if (!have_header) {
            if (!ihdr || length != IHDR_BYTES || !header_fields(data, f))
                return 0;
            have_header = 1;
        } else if (ihdr) {
            return 0;
        } else if (plte) {
            uint32_t most =
                f->colour == PALETTE && f->depth < 8 ? 1u << f->depth : (uint32_t)PALETTE_MOST;
            if (have_palette || have_alpha || in_data || after_data || f->colour == GREY ||
                f->colour == GREY_ALPHA || length == 0 || length % 3 || length / 3 > most)
                return 0;
            have_palette = 1;
            f->palette = data;
            f->entries = length / 3;
        } else if (trns) {
            if (have_alpha || in_data || after_data || !transparency(data, length, f))
                return 0;
            have_alpha = 1;
        } else if (idat) {
            // The image data is one run of IDAT chunks, after the palette it needs.
            if (after_data || (f->colour == PALETTE && !have_palette))
                return 0;
            if (!in_data)
                f->first_data = at;
            in_data = 1;
        } else if (iend) {
            return length == 0 && (in_data || after_data);
        } else if (critical) {
            return 0; // a chunk this decoder does not know, without which the file cannot be read
        }
        if (in_data && !idat) {
            in_data = 0;
            after_data = 1;
        }
        at += CHUNK_OVERHEAD + length;
    }
}

// The image data: the file's IDAT chunks one after another, through one zlib stream.
struct Inflow {
    z_stream z;
    const unsigned char* file;
    uint32_t next; // offset of the next chunk to feed
    int ended;     // the stream has ended
};

// Feeds the data of the next IDAT chunk that has any; 0 when the run of IDAT chunks is over.
int feed(Inflow* in) {
    for (;;) {
        const unsigned char* chunk = in->file + in->next;
        if (!is_type(chunk + 4, "IDAT"))
            return 0;
        uint32_t length = be32(chunk);
        in->next += CHUNK_OVERHEAD + length;
        if (length) {
            in->z.next_in = chunk + 8;
            in->z.avail_in = length;
            return 1;
        }
    }
}

// Inflates exactly count bytes into out: the output can never be more than a row. 0 when the
// stream breaks or ends, or the data runs out, before they are there.
int inflate_row(Inflow* in, unsigned char* out, uint32_t count) {
    in->z.next_out = out;
    in->z.avail_out = count;
    while (in->z.avail_out) {
        if (in->ended || (in->z.avail_in == 0 && !feed(in)))
            return 0;
        int status = inflate(&in->z, Z_NO_FLUSH);
        if (status == Z_STREAM_END)
            in->ended = 1;
        else if (status != Z_OK)
            return 0; // a broken stream, or one that asks for a preset dictionary
    }
    return 1;
}

uint32_t paeth(uint32_t a, uint32_t b, uint32_t c) {
    int p = (int)(a + b) - (int)c;
    int pa = abs(p - (int)a), pb = abs(p - (int)b), pc = abs(p - (int)c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The Paeth filter undone, with the bytes of a pixel known when compiled for the usual sizes:
// each byte depends on the one a pixel before it, which the compiler then keeps in a register.
template <uint32_t STEP>
void unpaeth(unsigned char* row, const unsigned char* prior, uint32_t count, uint32_t step) {
    if (STEP)
        step = STEP;
    uint32_t i = 0;
    for (; i < step; ++i)
        row[i] = (unsigned char)(row[i] + prior[i]);
    for (; i < count; ++i)
        row[i] = (unsigned char)(row[i] + paeth(row[i - step], prior[i], prior[i - step]));
}

// Undoes a row's filter in place. row holds count bytes, prior the row before it (zeros for the
// first row of a pass); step is the bytes of one pixel, at least 1. 0 for an unknown filter.
int unfilter(uint32_t filter, unsigned char* row, const unsigned char* prior, uint32_t count,
             uint32_t step) {
    uint32_t i = 0;
    switch (filter) {
    case 0:
        return 1;
    case 1: // sub
        for (i = step; i < count; ++i)
            row[i] = (unsigned char)(row[i] + row[i - step]);
        return 1;
    case 2: // up: eight bytes at a time, each added without a carry into the next
        for (; i + 8 <= count; i += 8) {
            uint64_t a, b;
            memcpy(&a, row + i, 8);
            memcpy(&b, prior + i, 8);
            const uint64_t LOW = 0x7F7F7F7F7F7F7F7Full;
            uint64_t sum = ((a & LOW) + (b & LOW)) ^ ((a ^ b) & ~LOW);
            memcpy(row + i, &sum, 8);
        }
        for (; i < count; ++i)
            row[i] = (unsigned char)(row[i] + prior[i]);
        return 1;
    case 3: // average
        for (; i < step; ++i)
            row[i] = (unsigned char)(row[i] + (prior[i] >> 1));
        for (; i < count; ++i)
            row[i] = (unsigned char)(row[i] + ((row[i - step] + prior[i]) >> 1));
        return 1;
    case 4: // Paeth
        switch (step) {
        case 1:
            unpaeth<1>(row, prior, count, step);
            break;
        case 3:
            unpaeth<3>(row, prior, count, step);
            break;
        case 4:
            unpaeth<4>(row, prior, count, step);
            break;
        case 6:
            unpaeth<6>(row, prior, count, step);
            break;
        case 8:
            unpaeth<8>(row, prior, count, step);
            break;
        default:
            unpaeth<0>(row, prior, count, step);
            break;
        }
        return 1;
    default:
        return 0;
    }
}

// 1 when a pixel of a row of grey or RGB samples of 8 or 16 bits has the tRNS colour.
int keyed_row(const PngFacts* f, const unsigned char* row, uint32_t count) {
    uint32_t bytes = f->depth / 8, fields = f->samples;
    for (uint32_t i = 0; i < count; ++i) {
        int same = 1;
        for (uint32_t k = 0; k < fields; ++k, row += bytes) {
            uint32_t v = bytes == 2 ? be16(row) : row[0];
            same &= v == (bytes == 2 ? f->key[k] : f->key8[k]);
        }
        if (same)
            return 1;
    }
    return 0;
}

// Sample index of a row of samples of 1, 2 or 4 bits.
uint32_t low_sample(const unsigned char* row, uint32_t index, uint32_t depth) {
    uint32_t bit = index * depth;
    return row[bit / 8] >> (8 - depth - bit % 8) & ((1u << depth) - 1);
}

// Puts a row of count unfiltered pixels into the picture: pixel i at out + i * step, blue, green,
// red. 0 when a palette index is past the palette.
int put_row(const PngFacts* f, const unsigned char* row, uint32_t count, unsigned char* out,
            uint32_t step, int* translucent) {
    uint32_t depth = f->depth, colour = f->colour;
    uint32_t alpha_all = 255;
    if (colour == PALETTE) {
        for (uint32_t i = 0; i < count; ++i, out += step) {
            uint32_t index = depth == 8 ? row[i] : low_sample(row, i, depth);
            // An index past the palette names no colour of the file.
            if (index >= f->entries)
                return 0;
            const unsigned char* entry = f->palette + 3 * index;
            out[0] = entry[2];
            out[1] = entry[1];
            out[2] = entry[0];
            alpha_all &= index < f->alphas ? f->alpha[index] : 255;
        }
    } else if (depth < 8) { // grey
        uint32_t scale = GREY_SCALE[depth];
        for (uint32_t i = 0; i < count; ++i, out += step) {
            uint32_t grey = low_sample(row, i, depth) * scale & 0xFF;
            out[0] = out[1] = out[2] = (unsigned char)grey;
            if (f->keyed && grey == f->key8[0])
                alpha_all = 0;
        }
    } else {
        // Samples of 8 or 16 bits: the high byte of each is its 8-bit value.
        uint32_t bytes = depth / 8, pixel = bytes * f->samples;
        uint32_t green = colour == GREY || colour == GREY_ALPHA ? 0 : bytes;
        uint32_t alpha = colour == GREY_ALPHA ? bytes : colour == RGBA ? 3 * bytes : 0;
        for (uint32_t i = 0; i < count; ++i, row += pixel, out += step) {
            out[0] = row[2 * green];
            out[1] = row[green];
            out[2] = row[0];
            if (alpha)
                alpha_all &= row[alpha];
        }
        if (f->keyed)
            alpha_all &= keyed_row(f, row - count * pixel, count) ? 0 : 255;
    }
    *translucent |= alpha_all != 255;
    return 1;
}

// Inflates, unfilters and places every row of every pass.
int decode_rows(const PngFacts* f, Inflow* in, PictureResult* result) {
    unsigned char buffers[2][ROW_MOST];
    uint32_t bits = f->depth * f->samples;
    uint32_t step = bits >= 8 ? bits / 8 : 1;
    uint32_t passes = f->interlace ? PASSES : 1;
    for (uint32_t p = 0; p < passes; ++p) {
        uint32_t x0 = 0, y0 = 0, dx = 1, dy = 1;
        if (f->interlace) {
            x0 = PASS_X[p];
            y0 = PASS_Y[p];
            dx = PASS_DX[p];
            dy = PASS_DY[p];
        }
        uint32_t width = (PICTURE_WIDTH - x0 + dx - 1) / dx;
        uint32_t height = (PICTURE_HEIGHT - y0 + dy - 1) / dy;
        uint32_t count = (width * bits + 7) / 8;
        unsigned char* row = buffers[0];
        unsigned char* prior = buffers[1];
        memset(prior, 0, count + 1);
        for (uint32_t j = 0; j < height; ++j) {
            if (!inflate_row(in, row, count + 1) ||
                !unfilter(row[0], row + 1, prior + 1, count, step))
                return 0;
            unsigned char* out = result->rows + (y0 + j * dy) * PICTURE_ROW_BYTES + x0 * 3;
            if (!put_row(f, row + 1, width, out, dx * 3, &result->translucent))
                return 0;
            unsigned char* done = row;
            row = prior;
            prior = done;
        }
    }
    return 1;
}

// The byte that filter leaves at i of a row of RGB pixels (prior: the row above).
unsigned char filtered(int filter, const unsigned char* row, const unsigned char* prior,
                       uint32_t i) {
    uint32_t a = i >= 3 ? row[i - 3] : 0, b = prior[i], c = i >= 3 ? prior[i - 3] : 0;
    uint32_t guess = filter == 0   ? 0
                     : filter == 1 ? a
                     : filter == 2 ? b
                     : filter == 3 ? (a + b) >> 1
                                   : paeth(a, b, c);
    return (unsigned char)(row[i] - guess);
}

// Filters one row for writing with the one of the five filters whose bytes, taken as signed,
// add up to the least: the usual guess at what compresses best.
void filter_row(const unsigned char* row, const unsigned char* prior, uint32_t count,
                unsigned char* out) {
    uint64_t best_sum = ~0ull;
    int best = 0;
    for (int filter = 0; filter < 5; ++filter) {
        uint64_t sum = 0;
        for (uint32_t i = 0; i < count; ++i) {
            unsigned char v = filtered(filter, row, prior, i);
            sum += v < 128 ? v : 256u - v;
        }
        if (sum < best_sum) {
            best_sum = sum;
            best = filter;
        }
    }
    out[0] = (unsigned char)best;
    for (uint32_t i = 0; i < count; ++i)
        out[1 + i] = filtered(best, row, prior, i);
}

// Writes a chunk of length data bytes (already at b + 8) around them; returns the bytes after it.
unsigned char* close_chunk(unsigned char* b, const char* type, uint32_t length) {
    put_be32(b, length);
    memcpy(b + 4, type, 4);
    put_be32(b + 8 + length, (uint32_t)crc32(0, b + 4, length + 4));
    return b + CHUNK_OVERHEAD + length;
}
} // namespace

int png_signature(const unsigned char* bytes, uint32_t size) {
    return bytes && size >= SIGNATURE_BYTES && memcmp(bytes, SIGNATURE, SIGNATURE_BYTES) == 0;
}

int png_decode(const unsigned char* bytes, uint32_t size, PictureResult* result) {
    result->width = result->height = 0;
    result->translucent = 0;
    PngFacts f;
    if (!png_signature(bytes, size) || !gate(bytes, size, &f))
        return PICTURE_NOT_READ;
    result->width = (int32_t)f.width;
    result->height = (int32_t)f.height;
    if (f.width != PICTURE_WIDTH || f.height != PICTURE_HEIGHT)
        return PICTURE_WRONG_SIZE;
    Inflow in;
    memset(&in, 0, sizeof in);
    in.file = bytes;
    in.next = f.first_data;
    if (inflateInit(&in.z) != Z_OK)
        return PICTURE_NOT_READ;
    // The stream's checksum comes after all its data, which the decoder never inflates past the
    // rows it needs: nothing would ever compare it.
    inflateValidate(&in.z, 0);
    int decoded = decode_rows(&f, &in, result);
    inflateEnd(&in.z);
    if (!decoded)
        return PICTURE_NOT_READ;
    return picture_rows_decoded(result);
}

unsigned char* png_encode(const BitmapPicture* picture, uint32_t* size) {
    int32_t w = picture->width, h = picture->height;
    if (w < 1 || h < 1 || w > BITMAP_FILE_MAX_SIDE || h > BITMAP_FILE_MAX_SIDE)
        return 0;
    // At most 16384 rows of 49,153 bytes: about 805 MB, inside 32 bits on every build.
    uint32_t row_bytes = (uint32_t)w * 3;
    uint32_t raw_size = (row_bytes + 1) * (uint32_t)h;
    uLong bound = compressBound(raw_size);
    unsigned char* raw = (unsigned char*)malloc(raw_size);
    unsigned char* rgb = (unsigned char*)malloc(2 * (size_t)row_bytes);
    unsigned char* file =
        (unsigned char*)malloc((size_t)bound + 8 + 3 * CHUNK_OVERHEAD + IHDR_BYTES);
    if (!raw || !rgb || !file) {
        free(raw);
        free(rgb);
        free(file);
        return 0;
    }
    // Rows in PNG order, top first, red, green, blue; each filtered against the one above.
    memset(rgb + row_bytes, 0, row_bytes);
    for (int32_t y = 0; y < h; ++y) {
        int32_t stored = picture->top_down ? y : h - 1 - y;
        const unsigned char* from = picture->rows + (size_t)stored * picture->stride;
        unsigned char* row = rgb + (y % 2) * row_bytes;
        for (uint32_t i = 0; i < row_bytes; i += 3) {
            row[i] = from[i + 2];
            row[i + 1] = from[i + 1];
            row[i + 2] = from[i];
        }
        filter_row(row, rgb + ((y + 1) % 2) * row_bytes, row_bytes,
                   raw + (size_t)y * (row_bytes + 1));
    }
    unsigned char* at = file;
    memcpy(at, SIGNATURE, SIGNATURE_BYTES);
    at += SIGNATURE_BYTES;
    unsigned char* ihdr = at + 8;
    put_be32(ihdr, (uint32_t)w);
    put_be32(ihdr + 4, (uint32_t)h);
    const unsigned char rest[5] = {8, RGB, 0, 0, 0};
    memcpy(ihdr + 8, rest, sizeof rest);
    at = close_chunk(at, "IHDR", IHDR_BYTES);
    uLong packed = bound;
    int status = compress2(at + 8, &packed, raw, raw_size, Z_DEFAULT_COMPRESSION);
    free(raw);
    free(rgb);
    if (status != Z_OK) {
        free(file);
        return 0;
    }
    at = close_chunk(at, "IDAT", (uint32_t)packed);
    at = close_chunk(at, "IEND", 0);
    *size = (uint32_t)(at - file);
    return file;
}

void png_free(unsigned char* block) {
    free(block);
}
