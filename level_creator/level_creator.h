// The Level Creator's own numbers and commands, shared by its main body and its command files.
#pragma once
#include <stdint.h>

// Gadget numbers of the form (the numbers are the controls' identifiers). The logo above the panel
// is the frame's (form.h): gadget FORM_LOGO_GADGET showing image FORM_LOGO_IMAGE.
enum LevelGadget {
    GADGET_LEVEL_NAME = 1,
    GADGET_DESCRIPTION = 2,
    GADGET_BITMAP_NAME = 3,
    GADGET_CREATE = 4,
    GADGET_START_X = 5,
    GADGET_START_Y = 6,
    GADGET_EXIT_X = 7,
    GADGET_EXIT_Y = 8,
    GADGET_DRAW_MATERIAL = 9,
    GADGET_WUMPO_TO_CREATE = 10,
    GADGET_WUMPO_TO_SAVE = 11,
    GADGET_LEVEL_TIME = 12,
    GADGET_PREVIEW_PICTURE = 13,
    GADGET_PREVIEW = 15,
    GADGET_START_SPRITE = 16,
    GADGET_EXIT_SPRITE = 18,
    GADGET_STATUS_BAR = 20,
    GADGET_ANTI_GRAVITY = 21,
    GADGET_BACKDROP = 22,
    GADGET_LOAD_NAME = 23,
    GADGET_LOAD = 24,
    GADGET_SWITCH_GRAVITY = 25,
    GADGET_BROWSE_BITMAP = 26, // Browse... for field 3
    GADGET_BROWSE_LEVEL = 27   // Browse... for field 23
};

// Image numbers.
enum LevelImage {
    IMAGE_PREVIEW_PICTURE = 14,
    IMAGE_START_SPRITE = 17,
    IMAGE_EXIT_SPRITE = 19,
    IMAGE_STATUS_BAR = 21
};

// Writes the form's settings as NAME.LVL and converts the level bitmap into NAME.IMG, reporting
// each half in its own message box; refuses (and writes nothing) when a setting is invalid.
void level_create(void);
// Reads the level file named in field 23 back into the form.
void level_load(void);
// Shows the level bitmap with its start sprite, exit sprite and status bar on page 2; the bar shows
// the level's time, Wumpo out, Wumpo to save and draw material.
void level_preview(void);
// After a mouse button press (the last event): when it hit the picture that Preview Level shows,
// sets the start position (exit 0, the left button) or the exit position (exit 1, the right
// button) to the pixel pressed and moves that sprite's top-left corner there at once. Nothing
// otherwise.
void level_place(int32_t exit);
