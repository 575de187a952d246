// Pictures as paint programs save them, for the command-line tool: PNG of every colour type and
// depth (png.h) and Windows bitmaps of every kind the bitmap reader takes (bitmap_read.h), each
// through a reader of the project's own; and the screen image of any of them, through the forms'
// own conversion for a 24-bit bitmap they take. Pure and reentrant: bytes in, bytes out, no file,
// no platform call and no state, so every build decides alike which files are taken, several
// threads may convert at once, and it can be fed any bytes.
#pragma once
#include <stdint.h>
#include "picture_rows.h"
#include "screen_image.h"

// Decodes the size bytes of a picture file into result; reads nothing outside them. Only a
// 320 x 240 picture is decoded; other sizes are refused from the header alone. Returns a
// PictureOutcome; result is filled as that outcome says.
int picture_decode(const unsigned char* bytes, uint32_t size, PictureResult* result);

// The screen image of a picture file's bytes, exactly as `wumpo-tool convert` writes it, dithered
// as dither (a ScreenImageDither) says: with DITHER_NONE the forms' own conversion for a 24-bit
// bitmap they take. Pure and reentrant: no module state, no platform call, so several threads
// may convert at once. Returns a PictureOutcome; on PICTURE_DECODED image holds
// SCREEN_IMAGE_SIZE bytes and result->translucent is set.
int picture_image(const unsigned char* bytes, uint32_t size, int32_t dither, PictureResult* result,
                  unsigned char image[SCREEN_IMAGE_SIZE]);
