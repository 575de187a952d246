// Preview Level: the level bitmap on page 2 with the start sprite, the exit sprite and the status
// bar (with the level's own numbers) where the game will show them, and the start and exit placed
// by clicking on that picture. Nothing is written and nothing is reported.
#include "level_creator.h"
#include "level.h"
#include "event.h"
#include "gadget.h"
#include "heap.h"
#include "image.h"
#include "status_bar.h"
#include "str.h"

namespace {
// The field's value as a number.
int32_t field_number(int32_t gadget) {
    char* start = str_position();
    int32_t value = str_to_int(gadget_get_text(gadget));
    str_set_position(start);
    return value;
}

// A level coordinate (0, 0) is page position (10, 10), where the picture gadget stands. A sum of
// -1 keeps that coordinate of the sprite where it is (gadget_resize's sign for "unchanged").
void sprite_move(int32_t sprite, int32_t field_x, int32_t field_y) {
    gadget_resize(sprite, field_number(field_x) + 10, field_number(field_y) + 10, -1, -1);
}

// Draws the level's time, Wumpo out, Wumpo to save and draw material into the windows of the
// status bar's picture, which is replaced by the result under the same image number.
void status_bar_numbers(void) {
    int32_t width = image_width(IMAGE_STATUS_BAR);
    int32_t height = image_height(IMAGE_STATUS_BAR);
    uint32_t size = image_rows_size(width, height);
    if (!image_handle(IMAGE_STATUS_BAR) || !size)
        return;
    unsigned char* rows = (unsigned char*)heap_allocate(size);
    if (rows && image_read_rows(IMAGE_STATUS_BAR, rows, width, height)) {
        StatusBarValues values = {
            field_number(GADGET_LEVEL_TIME), field_number(GADGET_WUMPO_TO_CREATE),
            field_number(GADGET_WUMPO_TO_SAVE), field_number(GADGET_DRAW_MATERIAL)};
        status_bar_draw(rows, width, height, 0, 0, &values);
        image_from_rows(IMAGE_STATUS_BAR, rows, width, height);
    }
    heap_free(rows);
}
} // namespace

void level_preview(void) {
    char* start = str_position();
    image_load(IMAGE_PREVIEW_PICTURE, gadget_get_text(GADGET_BITMAP_NAME));
    str_set_position(start);
    image_load(IMAGE_START_SPRITE, "images/" LEVEL_START_SPRITE);
    if (gadget_get_state(GADGET_ANTI_GRAVITY) == 1)
        image_load(IMAGE_EXIT_SPRITE, "images/" LEVEL_EXIT_GRAVITY_SPRITE);
    else
        image_load(IMAGE_EXIT_SPRITE, "images/" LEVEL_EXIT_SPRITE);
    image_load(IMAGE_STATUS_BAR, "images/" LEVEL_STATUS_BAR);
    status_bar_numbers();

    sprite_move(GADGET_START_SPRITE, GADGET_START_X, GADGET_START_Y);
    sprite_move(GADGET_EXIT_SPRITE, GADGET_EXIT_X, GADGET_EXIT_Y);

    gadget_set_state(GADGET_PREVIEW_PICTURE, (LONG_PTR)image_handle(IMAGE_PREVIEW_PICTURE));
    gadget_set_state(GADGET_START_SPRITE, (LONG_PTR)image_handle(IMAGE_START_SPRITE));
    gadget_set_state(GADGET_EXIT_SPRITE, (LONG_PTR)image_handle(IMAGE_EXIT_SPRITE));
    gadget_set_state(GADGET_STATUS_BAR, (LONG_PTR)image_handle(IMAGE_STATUS_BAR));
}

void level_place(int32_t exit) {
    int32_t x, y;
    // Image 14 holds a picture only while Preview Level shows one: before the first preview, or
    // after one whose bitmap could not be loaded, there is nothing to aim at.
    if (!image_handle(IMAGE_PREVIEW_PICTURE) || !event_mouse_on(GADGET_PREVIEW_PICTURE, &x, &y))
        return;
    int32_t field_x = exit ? GADGET_EXIT_X : GADGET_START_X;
    int32_t field_y = exit ? GADGET_EXIT_Y : GADGET_START_Y;
    char* start = str_position();
    gadget_set_text(field_x, int_to_str(x, 0));
    gadget_set_text(field_y, int_to_str(y, 0));
    str_set_position(start);
    sprite_move(exit ? GADGET_EXIT_SPRITE : GADGET_START_SPRITE, field_x, field_y);
}
