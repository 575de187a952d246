// The dithered packing of screen images. A 5-bit step q stands for the shade q << 3 | q >> 2
// (screen_image_unpack's widening), so the 32 shades are 8 or 9 apart; both kinds choose, for
// each colour of each pixel, between the two steps around it. Pure: no platform call.
#include "screen_image_dither.h"

namespace {
const char* const NAMES[DITHER_KIND_COUNT] = {"none", "ordered", "diffusion"};

// Bayer's 8 x 8 matrix: each threshold 0..63 once, and each aligned 4 x 4 quarter holds every
// fourth one, so a few pixels already mix two steps in the right share.
enum { MATRIX_SIDE = 8 };
const uint8_t BAYER[MATRIX_SIDE][MATRIX_SIDE] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

enum { TOP_STEP = 31 };

// The 8-bit shade that step q shows.
int32_t shade(int32_t q) {
    return q << 3 | q >> 2;
}

// The highest step whose shade is not above v (0..255).
int32_t step_below(int32_t v) {
    int32_t q = v >> 3;
    return shade(q) > v ? q - 1 : q;
}

// The step of v where the matrix holds threshold t: the upper of the two steps around v for as
// many of the 64 thresholds as v's distance from the lower one is sixty-fourths of their gap.
int32_t ordered_step(int32_t v, int32_t t) {
    int32_t q = step_below(v);
    if (q == TOP_STEP)
        return q;
    int32_t low = shade(q), high = shade(q + 1);
    return (v - low) * 64 / (high - low) > t ? q + 1 : q;
}

// The step nearest v (0..255); the lower one on a tie.
int32_t nearest_step(int32_t v) {
    int32_t q = step_below(v);
    if (q < TOP_STEP && 2 * (v - shade(q)) > shade(q + 1) - shade(q))
        ++q;
    return q;
}

// Stores the word of the pixel in column x (0-based from the left) and row `row` (0-based from
// the top) from its three steps.
void put_word(unsigned char* image, uint32_t x, uint32_t row, const int32_t* steps) {
    uint32_t word = (uint32_t)steps[0] << 11 | (uint32_t)steps[1] << 6 | (uint32_t)steps[2] << 1;
    unsigned char* out = image + screen_image_offset(x + 1, SCREEN_IMAGE_HEIGHT - row);
    out[0] = (unsigned char)word;
    out[1] = (unsigned char)(word >> 8);
}

// The stored pixels of row `row` from the top: blue, green, red each.
const unsigned char* row_of(const BitmapPicture* picture, uint32_t row) {
    uint32_t stored = picture->top_down ? row : SCREEN_IMAGE_HEIGHT - 1 - row;
    return picture->rows + stored * picture->stride;
}

void dither_ordered(const BitmapPicture* picture, unsigned char* image) {
    for (uint32_t row = 0; row < SCREEN_IMAGE_HEIGHT; ++row) {
        const unsigned char* p = row_of(picture, row);
        for (uint32_t x = 0; x < SCREEN_IMAGE_WIDTH; ++x, p += 3) {
            int32_t t = BAYER[row % MATRIX_SIDE][x % MATRIX_SIDE];
            int32_t steps[3] = {ordered_step(p[2], t), ordered_step(p[1], t),
                                ordered_step(p[0], t)};
            put_word(image, x, row, steps);
        }
    }
}

// Floyd and Steinberg's weights: of a pixel's error, 7/16 to the next pixel in its row, 3/16,
// 5/16 and 1/16 to the three below it, behind, under and ahead. Each row runs the other way from
// the one above, so that errors do not drift to one side. The shares are cut toward zero (as
// every C++ compiler divides) and the last takes what is left, so no error is lost or made.
void dither_diffusion(const BitmapPicture* picture, unsigned char* image) {
    // Two rows of errors waiting to be added, three colours a pixel, with a pixel to spare at
    // each end so the edges need no test; an error never reaches half a step, so 16 bits hold
    // the sum of four.
    enum { ROW = (SCREEN_IMAGE_WIDTH + 2) * 3 };
    int16_t errors[2][ROW] = {};
    for (uint32_t row = 0; row < SCREEN_IMAGE_HEIGHT; ++row) {
        int16_t* here = errors[row & 1];
        int16_t* below = errors[(row + 1) & 1];
        for (int32_t i = 0; i < ROW; ++i)
            below[i] = 0;
        const unsigned char* p = row_of(picture, row);
        int forward = (row & 1) == 0;
        int32_t ahead = forward ? 3 : -3;
        for (uint32_t i = 0; i < SCREEN_IMAGE_WIDTH; ++i) {
            uint32_t x = forward ? i : SCREEN_IMAGE_WIDTH - 1 - i;
            int32_t steps[3];
            for (int32_t c = 0; c < 3; ++c) {
                int32_t at = (int32_t)(x + 1) * 3 + c;
                int32_t v = p[x * 3 + 2 - c] + here[at];
                v = v < 0 ? 0 : v > 255 ? 255 : v;
                steps[c] = nearest_step(v);
                int32_t error = v - shade(steps[c]);
                int32_t next = error * 7 / 16, behind = error * 3 / 16, under = error * 5 / 16;
                here[at + ahead] = (int16_t)(here[at + ahead] + next);
                below[at - ahead] = (int16_t)(below[at - ahead] + behind);
                below[at] = (int16_t)(below[at] + under);
                below[at + ahead] = (int16_t)(below[at + ahead] + error - next - behind - under);
            }
            put_word(image, x, row, steps);
        }
    }
}
} // namespace

const char* screen_image_dither_name(int32_t kind) {
    return kind >= 0 && kind < DITHER_KIND_COUNT ? NAMES[kind] : 0;
}

int32_t screen_image_dither_find(const char* name) {
    for (int32_t kind = 0; kind < DITHER_KIND_COUNT; ++kind) {
        const char* a = NAMES[kind];
        const char* b = name;
        while (*a && *a == *b) {
            ++a;
            ++b;
        }
        if (*a == *b)
            return kind;
    }
    return -1;
}

void screen_image_from_rows_dithered(const BitmapPicture* picture, int32_t kind,
                                     unsigned char image[SCREEN_IMAGE_SIZE]) {
    if (kind == DITHER_ORDERED)
        dither_ordered(picture, image);
    else if (kind == DITHER_DIFFUSION)
        dither_diffusion(picture, image);
    else
        screen_image_from_rows(picture, image);
}
