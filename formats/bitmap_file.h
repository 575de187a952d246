// 24-bit bitmap files of any size, as the command-line tool reads and writes them: the header of
// the bitmaps it writes, where the rows of a picture it reads lie (as the bitmap reader parsed
// them), the bitmap rows of a screen image, and copying one picture onto another. Pure: it works
// on bytes it is given, so every rule is tested without a file.
#pragma once
#include <stdint.h>
#include "picture_rows.h"

enum BitmapFileShape {
    BITMAP_FILE_HEADER_BYTES = 54 // file header and 40-byte info header of a written bitmap
};

// Bytes of one stored row of a 24-bit picture width pixels wide (rows end on 4-byte boundaries).
uint32_t bitmap_file_stride(int32_t width);
// Writes the 54 header bytes of a bottom-up, 24-bit, uncompressed bitmap of width x height.
// Returns the size of the whole file, or 0 (nothing written) when a side is outside
// 1..BITMAP_FILE_MAX_SIDE.
uint32_t bitmap_file_header(unsigned char* header, int32_t width, int32_t height);
// Finds the rows of an uncompressed 24-bit Windows bitmap of any size in the size bytes of a whole
// file. 1 with picture filled when every row lies inside the bytes; 0 otherwise (picture
// untouched).
int bitmap_file_picture(const unsigned char* file, uint32_t size, BitmapPicture* picture);
// The 240 bottom-up rows of 960 bytes of the bitmap showing a screen image (its 153,600 bytes),
// each 5-bit component widened back to 8 bits; converting that bitmap gives the image again.
void bitmap_file_from_image(const unsigned char* image, unsigned char* rows);
// Copies picture onto canvas, the rows of a bottom-up 24-bit bitmap of width x height, with the
// picture's top-left pixel at (x, y) counted from the canvas's top-left pixel. What falls outside
// the canvas is cut off.
void bitmap_file_draw(unsigned char* canvas, int32_t width, int32_t height,
                      const BitmapPicture* picture, int32_t x, int32_t y);
