// Preview Level: the level bitmap on page 2 with the start sprite, the exit sprite and the status
// bar where the game will show them. Nothing is written and nothing is reported.
#include "level_creator.h"
#include "gadget.h"
#include "image.h"
#include "str.h"

namespace {
// The field's value as a number; a level coordinate (0, 0) is page position (10, 10).
int32_t field_number(int32_t gadget) {
    char* start = str_position();
    int32_t value = str_to_int(gadget_get_text(gadget));
    str_set_position(start);
    return value;
}
} // namespace

void level_preview(void) {
    char* start = str_position();
    image_load(IMAGE_PREVIEW_PICTURE, gadget_get_text(GADGET_BITMAP_NAME));
    str_set_position(start);
    image_load(IMAGE_START_SPRITE, "images/cloud.bmp");
    if (gadget_get_state(GADGET_ANTI_GRAVITY) == 1)
        image_load(IMAGE_EXIT_SPRITE, "images/exitgrav.bmp");
    else
        image_load(IMAGE_EXIT_SPRITE, "images/exit.bmp");
    image_load(IMAGE_STATUS_BAR, "images/statbar.bmp");

    gadget_resize(GADGET_START_SPRITE, field_number(GADGET_START_X) + 10,
                  field_number(GADGET_START_Y) + 10, -1, -1);
    gadget_resize(GADGET_EXIT_SPRITE, field_number(GADGET_EXIT_X) + 10,
                  field_number(GADGET_EXIT_Y) + 10, -1, -1);

    gadget_set_state(GADGET_PREVIEW_PICTURE, (LONG_PTR)image_handle(IMAGE_PREVIEW_PICTURE));
    gadget_set_state(GADGET_START_SPRITE, (LONG_PTR)image_handle(IMAGE_START_SPRITE));
    gadget_set_state(GADGET_EXIT_SPRITE, (LONG_PTR)image_handle(IMAGE_EXIT_SPRITE));
    gadget_set_state(GADGET_STATUS_BAR, (LONG_PTR)image_handle(IMAGE_STATUS_BAR));
}
