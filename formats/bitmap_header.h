// The check that a bitmap file is one the screen image conversion can take: a Windows bitmap of
// 320 x 240 pixels, 24 bits each, uncompressed, with every pixel byte inside the file; a rule on
// the fields that the bitmap reader (bitmap_read.h) parsed. Pure: it looks only at the bytes it
// is given, so it can be fed any header, however broken.
#pragma once
#include <stdint.h>

enum BitmapShape {
    BITMAP_WIDTH = 320,
    BITMAP_HEIGHT = 240,
    BITMAP_ROW_BYTES = 960, // 320 pixels of 3 bytes: already a multiple of 4, so no row padding
    BITMAP_PIXEL_BYTES = 230400,
    BITMAP_FILE_HEADER_SIZE = 14,
    BITMAP_INFO_HEADER_MIN = 40, // BITMAPINFOHEADER; the 108- and 124-byte versions extend it
    BITMAP_HEADER_BYTES = 54     // the bytes the check needs from the start of the file
};

// Where the pixel rows of an accepted bitmap are.
struct BitmapLayout {
    uint32_t pixel_offset; // file offset of the first stored row
    int top_down;          // 1: the first stored row is the picture's top; 0: its bottom
};

// Checks the first count bytes of a file of file_size bytes (its real size, not the header's
// size field). Reads nothing beyond bytes[count - 1]. Returns 1 and fills layout when the bitmap
// can be converted, 0 otherwise (layout untouched).
int bitmap_header_check(const unsigned char* bytes, uint32_t count, uint32_t file_size,
                        BitmapLayout* layout);
