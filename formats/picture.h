// Pictures as paint programs save them, for the command-line tool: PNG of every colour type and
// depth, and Windows bitmaps of 1, 4, 8, 16, 24 and 32 bits with 12-, 40-, 56-, 108- and 124-byte
// headers, read through stb_image (Debian's libstb-dev); and 24-bit pictures written as PNG
// through stb_image_write. Pure: bytes in, bytes out, no file and no platform call, so the same
// code decides in every build which files are taken, and it can be fed any bytes.
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
    BitmapPicture picture; // on PICTURE_DECODED: rows below, top row first, 320 x 240
    unsigned char rows[PICTURE_HEIGHT * PICTURE_ROW_BYTES]; // blue, green, red per pixel
};

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

// The PNG file (8-bit RGB, not interlaced) of a 24-bit picture: a block from the C heap, which
// the caller gives back with picture_free; *size gets its length. 0 when memory is short.
unsigned char* picture_png(const BitmapPicture* picture, uint32_t* size);
// Gives back a block from picture_png; 0 does nothing.
void picture_free(unsigned char* block);
