// The level's numbers on the status bar: the digit glyphs, the windows and the drawing. Pure: no
// platform call.
#include "status_bar.h"

namespace {
enum {
    DIGIT_TOP = 5,     // rows of the bar above the digits
    DIGIT_ADVANCE = 7, // a digit is 6 pixels wide, with one between digits
    COLON_ADVANCE = 3, // the colon's dots with a pixel on each side
    COLON_TOP = 3,     // its dots, below the digits' top row
    COLON_BOTTOM = 7,
    SEGMENT_LENGTH = 4
};

// The seven segments of a digit place (11 rows of 6 pixels): where each starts and which way it
// runs, in the order of the glyph bits: a top, b top right, c bottom right, d bottom, e bottom
// left, f top left, g middle.
struct Segment {
    int32_t dx, dy;
    int32_t across; // 1 runs to the right, 0 runs down
};
const Segment SEGMENTS[7] = {{1, 0, 1}, {5, 1, 0}, {5, 6, 0}, {1, 10, 1},
                             {0, 6, 0}, {0, 1, 0}, {1, 5, 1}};

// Lit segments of the digits 0 to 9, and of the dash and the empty place.
const uint8_t DIGIT_GLYPHS[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
const uint8_t DASH_GLYPH = 0x40;
const uint8_t EMPTY_GLYPH = 0x00;

// Blue, green, red: the lit segment and the faint unlit one.
const unsigned char LIT[3] = {0x72, 0xFF, 0x7D};
const unsigned char UNLIT[3] = {0x1C, 0x38, 0x18};

// The bar's windows from the left: the x of the first digit place (the digits stand right-aligned
// in the window's glass), and whether a colon follows the second place.
struct Window {
    int32_t left;
    int32_t clock;
};
const Window WINDOWS[4] = {{45, 1}, {128, 0}, {208, 0}, {288, 0}};

struct Canvas {
    unsigned char* rows;
    int32_t width, height;
    uint32_t stride;
};

void put(const Canvas* c, int64_t x, int64_t y, const unsigned char* colour) {
    if (x < 0 || y < 0 || x >= c->width || y >= c->height)
        return;
    unsigned char* p = c->rows + (uint64_t)(c->height - 1 - y) * c->stride + (uint64_t)x * 3;
    p[0] = colour[0];
    p[1] = colour[1];
    p[2] = colour[2];
}

void glyph_draw(const Canvas* c, int64_t x, int64_t y, uint8_t glyph) {
    for (int32_t s = 0; s < 7; ++s) {
        const Segment& seg = SEGMENTS[s];
        const unsigned char* colour = (glyph >> s) & 1 ? LIT : UNLIT;
        for (int32_t i = 0; i < SEGMENT_LENGTH; ++i)
            put(c, x + seg.dx + (seg.across ? i : 0), y + seg.dy + (seg.across ? 0 : i), colour);
    }
}

// The glyphs of a count, right-aligned, the places before its first digit empty.
void count_glyphs(int32_t value, uint8_t* glyphs) {
    if (value < 0 || value > 9999) {
        for (int32_t i = 0; i < STATUS_BAR_DIGITS; ++i)
            glyphs[i] = DASH_GLYPH;
        return;
    }
    for (int32_t i = STATUS_BAR_DIGITS - 1; i >= 0; --i) {
        glyphs[i] = (value || i == STATUS_BAR_DIGITS - 1) ? DIGIT_GLYPHS[value % 10] : EMPTY_GLYPH;
        value /= 10;
    }
}

// Minutes (one place empty below ten) and two places of seconds.
void time_glyphs(int32_t seconds, uint8_t* glyphs) {
    if (seconds < 0 || seconds > 99 * 60 + 59) {
        count_glyphs(-1, glyphs);
        return;
    }
    int32_t minutes = seconds / 60;
    seconds %= 60;
    glyphs[0] = minutes >= 10 ? DIGIT_GLYPHS[minutes / 10] : EMPTY_GLYPH;
    glyphs[1] = DIGIT_GLYPHS[minutes % 10];
    glyphs[2] = DIGIT_GLYPHS[seconds / 10];
    glyphs[3] = DIGIT_GLYPHS[seconds % 10];
}

void window_draw(const Canvas* c, int64_t x, int64_t y, const Window& w, const uint8_t* glyphs) {
    int64_t at = x + w.left;
    int64_t top = y + DIGIT_TOP;
    for (int32_t i = 0; i < STATUS_BAR_DIGITS; ++i) {
        glyph_draw(c, at, top, glyphs[i]);
        at += DIGIT_ADVANCE;
        if (w.clock && i == 1) {
            put(c, at, top + COLON_TOP, LIT);
            put(c, at, top + COLON_BOTTOM, LIT);
            at += COLON_ADVANCE;
        }
    }
}
} // namespace

void status_bar_draw(unsigned char* canvas, int32_t width, int32_t height, int32_t x, int32_t y,
                     const StatusBarValues* values) {
    if (!canvas || !values || width <= 0 || height <= 0)
        return;
    Canvas c = {canvas, width, height, ((uint32_t)width * 3 + 3) & ~3u};
    uint8_t glyphs[STATUS_BAR_DIGITS];
    time_glyphs(values->level_time, glyphs);
    window_draw(&c, x, y, WINDOWS[0], glyphs);
    count_glyphs(values->wumpo_out, glyphs);
    window_draw(&c, x, y, WINDOWS[1], glyphs);
    count_glyphs(values->wumpo_to_save, glyphs);
    window_draw(&c, x, y, WINDOWS[2], glyphs);
    count_glyphs(values->draw_material, glyphs);
    window_draw(&c, x, y, WINDOWS[3], glyphs);
}
