// The Level Creator's main body: builds the form, then runs the event loop that dispatches the
// three command buttons, the two Browse buttons and clicks on the preview until the window is
// closed.
#include "level_creator.h"
#include "level.h"
#include "event.h"
#include "form.h"
#include "gadget.h"
#include "program.h"

namespace {
constexpr const char* BITMAP_FILES = "Bitmaps (*.bmp)|*.bmp|All files (*.*)|*.*";
constexpr const char* LEVEL_FILES = "Level files (*.lvl)|*.lvl|All files (*.*)|*.*";

// The form in creation order. Enter on a page presses its FORM_DEFAULT button; page 3 has none. A
// level file dropped on the window is loaded as Load Level loads it; any other file is taken as
// the level bitmap.
const FormRow FORM[] = {
    {FORM_PAGE, 1, 0, 0, 0, 0, "Locations && Create", 0},
    {FORM_TEXT, GADGET_LABEL, 5, 10, 300, 40, "Exported Level Filename (no extension):", 0},
    {FORM_STRING, 1, 5, 30, 475, 20, "", 0},
    {FORM_TEXT, GADGET_LABEL, 5, 55, 300, 40, "Level Description", 0},
    {FORM_STRING, 2, 5, 75, 475, 20, "", 0},
    {FORM_TEXT, GADGET_LABEL, 5, 100, 300, 40,
     "Name of level bitmap (has to be 24-bit, no compression):", 0},
    {FORM_STRING, 3, 5, 120, 475, 20, "", 0},
    {FORM_BROWSE, GADGET_BROWSE_BITMAP, 400, 98, 80, 20, "Browse...", 3, "Open Level Bitmap",
     BITMAP_FILES, FORM_DROP_FILL},
    {FORM_TEXT, GADGET_LABEL, 5, 145, 300, 40, "Name of backdrop to use: (SPACE.IMG = default)", 0},
    {FORM_STRING, 22, 5, 165, 475, 20, LEVEL_STARTING_BACKDROP, 0},
    {FORM_BUTTON, 4, 5, 260, 475, 20, "Create Level!", FORM_DEFAULT},
    {FORM_PAGE, 2, 0, 0, 0, 0, "Start && Exit Positions", 0},
    {FORM_TEXT, GADGET_LABEL, 340, 10, 130, 40, "Wumpo Start X:", 0},
    {FORM_STRING, 5, 340, 30, 130, 20, "", STRING_NUMERIC},
    {FORM_TEXT, GADGET_LABEL, 340, 55, 130, 40, "Wumpo Start Y:", 0},
    {FORM_STRING, 6, 340, 75, 130, 20, "", STRING_NUMERIC},
    {FORM_TEXT, GADGET_LABEL, 340, 100, 130, 40, "Wumpo Exit X:", 0},
    {FORM_STRING, 7, 340, 120, 130, 20, "", STRING_NUMERIC},
    {FORM_TEXT, GADGET_LABEL, 340, 145, 130, 40, "Wumpo Exit Y:", 0},
    {FORM_STRING, 8, 340, 165, 130, 20, "", STRING_NUMERIC},
    {FORM_IMAGE, 13, 10, 10, 320, 240, 0, IMAGE_PREVIEW_PICTURE},
    {FORM_IMAGE, 16, 10, 10, 40, 14, 0, IMAGE_START_SPRITE},
    {FORM_IMAGE, 18, 10, 10, 20, 40, 0, IMAGE_EXIT_SPRITE},
    {FORM_IMAGE, 20, 10, 10, 320, 20, 0, IMAGE_STATUS_BAR},
    {FORM_BUTTON, 15, 5, 260, 475, 20, "Preview Level!", FORM_DEFAULT},
    {FORM_PAGE, 3, 0, 0, 0, 0, "Options", 0},
    {FORM_TEXT, GADGET_LABEL, 5, 10, 300, 40, "Amount of draw material:", 0},
    {FORM_STRING, 9, 5, 30, 475, 20, "", STRING_NUMERIC},
    {FORM_TEXT, GADGET_LABEL, 6, 55, 300, 40, "Amount of Wumpo to create:", 0},
    {FORM_STRING, 10, 5, 75, 475, 20, "", STRING_NUMERIC},
    {FORM_TEXT, GADGET_LABEL, 5, 100, 300, 40, "Amount of Wumpo you need to save:", 0},
    {FORM_STRING, 11, 5, 120, 475, 20, "", STRING_NUMERIC},
    {FORM_TEXT, GADGET_LABEL, 5, 145, 300, 40, "Level time in seconds:", 0},
    {FORM_STRING, 12, 5, 165, 475, 20, "", STRING_NUMERIC},
    {FORM_TEXT, GADGET_LABEL, 5, 190, 300, 20, "Anti-Gravity mode?", 0},
    {FORM_CHECKBOX, 21, 5, 210, 20, 20, "", 0},
    {FORM_TEXT, GADGET_LABEL, 5, 235, 300, 20, "Switch Gravity Times:", 0},
    {FORM_STRING, 25, 5, 255, 475, 20, "", STRING_NUMERIC},
    {FORM_PAGE, 4, 0, 0, 0, 0, "Load Level", 0},
    {FORM_TEXT, GADGET_LABEL, 5, 10, 300, 40, "Level file to load:", 0},
    {FORM_STRING, 23, 5, 30, 475, 20, "", 0},
    {FORM_BROWSE, GADGET_BROWSE_LEVEL, 400, 8, 80, 20, "Browse...", 23, "Open Level File",
     LEVEL_FILES, FORM_DROP_PRESS},
    {FORM_BUTTON, 24, 5, 260, 475, 20, "Load Level!", FORM_DEFAULT},
};
} // namespace

int program_main(HINSTANCE, HINSTANCE, char*, int) {
    if (form_program_start("Wumpo Level Creator", FORM, (int32_t)(sizeof FORM / sizeof FORM[0]))) {
        int32_t event;
        do {
            // Enter and Ctrl+O come back as presses of the page's buttons.
            event = form_event(event_wait());
            if (event == EVENT_GADGET) {
                // Three independent tests, Load last: the texts it puts into fields change
                // what event_gadget reports, so at most one command runs per event.
                if (event_gadget() == GADGET_PREVIEW)
                    level_preview();
                if (event_gadget() == GADGET_CREATE)
                    level_create();
                if (event_gadget() == GADGET_LOAD)
                    level_load();
                // A Browse button; none of the numbers above is one, and the commands leave no
                // Browse number behind.
                form_browse(event_gadget());
            }
            // Asked apart from the event code: after Load Level, the event its field changes left
            // behind is returned in place of the next message's number, which may be a press.
            if (event_mouse_press())
                level_place(event_mouse_press() == WM_RBUTTONDOWN);
        } while (event != EVENT_CLOSE_WINDOW);
    }
    program_end();
    return 0;
}
