// The one reader of Windows bitmap files: the headers of every kind paint programs write (the
// 12-byte OS/2 header, and the 40-byte header with any of its longer versions), and the pixels
// of the kinds the tool takes: 1, 4 and 8 bits through a palette, 16 and 32 bits with or without
// BI_BITFIELDS masks, 24 bits; bottom-up or top-down, with anything between the headers and the
// rows. The forms' own rule (bitmap_header.h) and the 24-bit rows of bitmap_file.h are checks on
// what this reader parsed. Pure: bytes in, fields and pixels out, no platform call, no state.
#pragma once
#include <stdint.h>
#include "picture_rows.h"

enum BitmapReadOutcome {
    BITMAP_READ_PARSED = 0, // the header's fields are in the BitmapHeader
    BITMAP_READ_BROKEN,     // not a bitmap, or its header is cut short or has no sides
    BITMAP_READ_RLE         // RLE-compressed (RLE8 or RLE4), which nothing here reads
};

// What the headers of a bitmap say, and what follows from them.
struct BitmapHeader {
    uint32_t header_size;  // the info header's own size field: 12 (OS/2) or 40 and more
    int32_t width, height; // both positive
    int top_down;          // 1: the first stored row is the picture's top
    uint32_t planes, bits, compression;
    uint32_t pixel_offset; // where the first stored row begins
    uint32_t stride;       // bytes from one stored row to the next (when rows_inside)
    // 1: the rows begin after the headers (and the masks that follow a 40-byte header) and every
    // byte of them lies inside the file.
    int rows_inside;
    // 1: a depth, compression and masks that bitmap_read_decode turns into pixels.
    int kind_known;
    // Palettes (1, 4 and 8 bits): where the entries begin, their size (4, or 3 after an OS/2
    // header), and how many lie before the rows (256 at most).
    uint32_t palette_at, entry_bytes, entries;
    uint32_t masks[4]; // red, green, blue, alpha of a 16- or 32-bit pixel; 0: none
};

// Parses the headers in the first count bytes of a file of file_size bytes (its real size, which
// the rows must fit in; count is at most file_size). Reads nothing beyond bytes[count - 1]: a
// field past count is treated as absent. Returns a BitmapReadOutcome; on BITMAP_READ_PARSED the
// header is filled.
int bitmap_read_header(const unsigned char* bytes, uint32_t count, uint32_t file_size,
                       BitmapHeader* header);

// Decodes a whole bitmap file of size bytes into result, the tool's way: RLE refused by name, a
// size other than 320 x 240 refused from the header alone, then the kind, the rows and every
// palette index checked. Returns a PictureOutcome.
int bitmap_read_decode(const unsigned char* bytes, uint32_t size, PictureResult* result);
