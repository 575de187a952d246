// Pictures as paint programs save them, for the command-line tool: PNG of every colour type and
// depth (png.h) and Windows bitmaps of every kind the bitmap reader takes (bitmap_read.h), each
// through a reader of the project's own; and the screen image of any of them, through the forms'
// own conversion for a 24-bit bitmap they take. Pure and reentrant: bytes in, bytes out, no file,
// no platform call and no state, so every build decides alike which files are taken, several
// threads may convert at once, and it can be fed any bytes.
#pragma once
#include <stdint.h>
#include "bitmap_file.h"
#include "screen_image.h"

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
int picture_decoded(PictureResult* result);

// Decodes the size bytes of a picture file into result; reads nothing outside them. Only a
// 320 x 240 picture is decoded; other sizes are refused from the header alone. Returns a
// PictureOutcome; result is filled as that outcome says.
int picture_decode(const unsigned char* bytes, uint32_t size, PictureResult* result);

// The screen image of a picture file's bytes, exactly as `wumpo-tool convert` writes it
// (the forms' own conversion for a 24-bit bitmap they take). Pure and reentrant: no module
// state, no platform call, so several threads may convert at once. Returns a PictureOutcome;
// on PICTURE_DECODED image holds SCREEN_IMAGE_SIZE bytes and result->translucent is set.
int picture_image(const unsigned char* bytes, uint32_t size, PictureResult* result,
                  unsigned char image[SCREEN_IMAGE_SIZE]);
