// The game's status bar with a level's own numbers: the level time in minutes and seconds, the
// Wumpo that come out, the Wumpo to save and the draw material, each in its window of the bar's
// picture (images/statbar.bmp, whose art leaves the windows empty) in the bar's seven-segment
// digits. Pure: it draws into rows it is given, so the Level Creator's preview and wumpo-tool
// draw the same pixels.
#pragma once
#include <stdint.h>

enum StatusBarShape {
    STATUS_BAR_WIDTH = 320, // the bar's picture, laid across the top of the level
    STATUS_BAR_HEIGHT = 20,
    STATUS_BAR_DIGITS = 4 // digit places of each window: counts up to 9999, the time up to 99:59
};

// What the bar shows, in the order of its windows from the left.
struct StatusBarValues {
    int32_t level_time;    // seconds
    int32_t wumpo_out;     // Wumpo that come out
    int32_t wumpo_to_save; // Wumpo to save
    int32_t draw_material;
};

// Draws the values into canvas, the rows of a bottom-up 24-bit bitmap of width x height (rows
// padded to 4 bytes), with the bar's top-left pixel at (x, y) counted from the canvas's top-left
// pixel. Every digit place of a window is drawn, with its unused segments unlit; a value that
// cannot show (negative, or more digits than its window has) shows as dashes. Only the digits'
// pixels are written; what falls outside the canvas is cut off.
void status_bar_draw(unsigned char* canvas, int32_t width, int32_t height, int32_t x, int32_t y,
                     const StatusBarValues* values);
