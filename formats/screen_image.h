// Screen images: the 320 x 240, 16-bit, column-by-column picture files (.IMG) that the game shows
// as level pictures and backdrops, and their conversion from 24-bit bitmaps. This header is pure;
// only screen_image_file.cpp touches the file runtime.
//
// Layout: 76,800 little-endian words, no header. The word of pixel (x, y), x = 1..320, y = 1..240,
// lies at byte ((x - 1) * 240 + (y - 1)) * 2; y = 1 is the picture's bottom row. A word holds red
// in bits 15-11, green in 10-6, blue in 5-1 (the top five bits of each 8-bit component), bit 0 = 0.
#pragma once
#include <stdint.h>
#include "picture_rows.h"

enum ScreenImageShape {
    SCREEN_IMAGE_WIDTH = 320,
    SCREEN_IMAGE_HEIGHT = 240,
    SCREEN_IMAGE_SIZE = 153600 // bytes
};

// Outcomes of screen_image_convert.
enum ScreenImageOutcome {
    IMAGE_WRITTEN = 0,     // the image was written and is complete under its name
    BITMAP_NOT_OPENED = 1, // the bitmap is missing or unreadable (or no PixelArray): nothing made
    IMAGE_NOT_CREATED = 2, // the bitmap is in the PixelArray; the image could not be created
    BITMAP_NOT_SUPPORTED = 3, // not a 320 x 240, 24-bit, uncompressed bitmap: nothing made
    IMAGE_NOT_WRITTEN = 4     // writing the image failed; any earlier image of the name is intact
};

// Converts bitmap_name into the screen image image_name through file 0 (which must not be open),
// holding the picture in the program's PixelArray between reading rows and writing columns.
// Names resolve against the program directory. Returns a ScreenImageOutcome.
int screen_image_convert(const char* bitmap_name, const char* image_name);

// The conversion over bytes in memory: the size bytes of a whole bitmap file into the
// SCREEN_IMAGE_SIZE bytes of its screen image. The same check and the same pixels as
// screen_image_convert; IMAGE_WRITTEN, or BITMAP_NOT_SUPPORTED with image untouched.
int screen_image_from_bitmap(const unsigned char* file, uint32_t size,
                             unsigned char image[SCREEN_IMAGE_SIZE]);

// The screen image of a 320 x 240 picture held in memory, packed as the conversion packs a
// bitmap: columns from the left, each from the picture's bottom row up. The one packer of rows in
// memory, for the conversion above and the tool's decoded pictures alike.
void screen_image_from_rows(const BitmapPicture* picture, unsigned char image[SCREEN_IMAGE_SIZE]);

// The text a program shows under "File Access" for an outcome; 0 for IMAGE_WRITTEN, whose
// "Done" text differs between the programs.
const char* screen_image_error_text(int outcome);

// A pixel's three 8-bit components.
struct ScreenPixel {
    uint8_t red, green, blue;
};

// The word of a pixel with components 0..255 (higher bits of each argument are ignored).
uint16_t screen_image_pack(uint32_t red, uint32_t green, uint32_t blue);
// The components of a word, each 5-bit field widened to 8 bits as (v << 3) | (v >> 2), so that
// packing the result gives the same word again (bit 0 aside).
ScreenPixel screen_image_unpack(uint16_t word);
// Byte offset in the file of the word of pixel (x, y), 1-based as above.
uint32_t screen_image_offset(uint32_t x, uint32_t y);
