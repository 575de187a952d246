// The picture types that every reader, the conversion and the tool share: where the rows of a
// 24-bit picture lie, and what a picture reader hands back (its outcome and the 320 x 240 rows it
// decoded). The bottom of the formats, including none of them: the bitmap reader, which the
// forms' rule and so both window programs use, then reaches neither the PNG reader nor zlib.
#pragma once
#include <stdint.h>

// Where the pixel rows of a 24-bit picture lie. Each pixel is blue, green, red.
struct BitmapPicture {
    const unsigned char* rows; // the first stored row
    int32_t width, height;     // pixels, both positive
    uint32_t stride;           // bytes from one stored row to the next
    int top_down;              // 1: the first stored row is the picture's top; 0: its bottom
};

// The largest side of a picture written as a file, bitmap or PNG: larger ones are refused rather
// than allocated.
enum BitmapFileSide { BITMAP_FILE_MAX_SIDE = 16384 };

enum PictureOutcome {
    PICTURE_DECODED = 0, // the picture's rows are in the result
    PICTURE_NOT_READ,    // not a PNG or Windows bitmap, or a broken, cut or hostile one
    PICTURE_RLE,         // an RLE-compressed bitmap, which the decoder does not read
    PICTURE_WRONG_SIZE   // a readable header of another size than 320 x 240 (width, height)
};

enum PictureShape {
    PICTURE_WIDTH = 320,
    PICTURE_HEIGHT = 240,
    PICTURE_ROW_BYTES = PICTURE_WIDTH * 3
};

struct PictureResult {
    int32_t width, height; // as the header says, for PICTURE_WRONG_SIZE and PICTURE_DECODED
    int translucent;       // 1 when a decoded pixel is not fully opaque (its alpha is dropped)
    BitmapPicture picture; // on PICTURE_DECODED: where the rows are, top row first, 320 x 240
    unsigned char rows[PICTURE_HEIGHT * PICTURE_ROW_BYTES]; // blue, green, red per pixel
};

// For the readers: the decoded rows, held in result itself, as its picture. Returns
// PICTURE_DECODED.
int picture_rows_decoded(PictureResult* result);
