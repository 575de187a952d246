// Dithering for screen images: the screen image keeps 5 bits of each colour, so a smooth gradient
// of 256 shades packs into 32 bands. Dithering mixes the two shades nearest a colour over
// neighbouring pixels, so that the eye (and a few pixels' average) sees the colour again. Only the
// tool dithers; the forms' conversion (screen_image_from_rows) stays as it is. Pure and
// reentrant: integer arithmetic only, no state, no heap, no platform call, so every system,
// compiler and number of threads makes the same bytes.
#pragma once
#include <stdint.h>
#include "picture_rows.h"
#include "screen_image.h"

enum ScreenImageDither {
    DITHER_NONE = 0,     // the top five bits, as the forms pack them
    DITHER_ORDERED = 1,  // an 8 x 8 threshold matrix, its phase the pixel's position
    DITHER_DIFFUSION = 2 // each pixel's error spread to the pixels after it (Floyd-Steinberg)
};
enum { DITHER_KIND_COUNT = 3 };

// The name of a kind ("none", "ordered", "diffusion"); 0 for anything else.
const char* screen_image_dither_name(int32_t kind);
// The kind of a name as screen_image_dither_name gives it; -1 for any other text.
int32_t screen_image_dither_find(const char* name);

// The screen image of a 320 x 240 picture held in memory, dithered as kind says: for DITHER_NONE
// byte for byte screen_image_from_rows. The ordered matrix's phase is the pixel's place from the
// picture's top-left corner, and 320 and 240 are multiples of its side, so a picture that tiles
// still tiles. Diffusion runs along the rows from the top, each row the other way from the one
// before; its error rows (a few KB) are on the stack.
void screen_image_from_rows_dithered(const BitmapPicture* picture, int32_t kind,
                                     unsigned char image[SCREEN_IMAGE_SIZE]);
