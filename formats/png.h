// PNG files as the tool reads and writes them, on zlib. Reading is a strict gate and then a
// decoder: the gate walks every chunk and checks it against the PNG rules (IHDR's fields and their
// pairs, PLTE and tRNS for the colour type, chunk order, the checksums of every chunk that is
// used) before anything is inflated or allocated; the decoder then inflates only the rows that a
// 320 x 240 picture of the file's kind needs, one row at a time, and ignores whatever follows.
// Writing gives an 8-bit RGB PNG of a 24-bit picture. Pure and reentrant: no platform call and no
// state outside the call (zlib keeps its own per stream).
#pragma once
#include <stdint.h>
#include "picture_rows.h"

// 1 when the size bytes begin with the PNG signature.
int png_signature(const unsigned char* bytes, uint32_t size);

// Decodes the size bytes of a PNG file into result. Returns a PictureOutcome: PICTURE_WRONG_SIZE
// for a file the gate takes whose sides are not 320 x 240, PICTURE_NOT_READ for anything that
// the gate or the decoder refuses. The colours are the file's, 16-bit samples cut to their high
// byte, grey of 1, 2 or 4 bits spread over 0..255; alpha and a tRNS colour only set translucent.
int png_decode(const unsigned char* bytes, uint32_t size, PictureResult* result);

// The PNG file (8-bit RGB, not interlaced) of a 24-bit picture: a block from the C heap, which
// the caller gives back with png_free; *size gets its length. 0 when memory is short or a side is
// outside 1..BITMAP_FILE_MAX_SIDE.
unsigned char* png_encode(const BitmapPicture* picture, uint32_t* size);
// Gives back a block from png_encode; 0 does nothing.
void png_free(unsigned char* block);
