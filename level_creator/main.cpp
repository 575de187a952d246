// The Level Creator's main body: builds the form, then runs the event loop that dispatches the
// three command buttons until the window is closed.
#include "level_creator.h"
#include "event.h"
#include "gadget.h"
#include "image.h"
#include "message.h"
#include "panel.h"
#include "program.h"
#include "window.h"

namespace {
enum RowKind { ROW_PAGE, ROW_TEXT, ROW_STRING, ROW_BUTTON, ROW_CHECKBOX, ROW_IMAGE };

// One gadget of the form, in creation order. For a page, number is the page number; for an
// image gadget, extra is the image number whose handle it starts with; for a string field, extra
// is its flags.
struct FormRow {
    RowKind kind;
    int32_t number, x, y, width, height;
    const char* text;
    int32_t extra;
};

const FormRow FORM[] = {
    {ROW_PAGE, 1, 0, 0, 0, 0, "Locations && Create", 0},
    {ROW_TEXT, GADGET_LABEL, 5, 10, 300, 40, "Exported Level Filename (no extension):", 0},
    {ROW_STRING, 1, 5, 30, 475, 20, "", 0},
    {ROW_TEXT, GADGET_LABEL, 5, 55, 300, 40, "Level Description", 0},
    {ROW_STRING, 2, 5, 75, 475, 20, "", 0},
    {ROW_TEXT, GADGET_LABEL, 5, 100, 300, 40,
     "Name of level bitmap (has to be 24-bit, no compression):", 0},
    {ROW_STRING, 3, 5, 120, 475, 20, "", 0},
    {ROW_TEXT, GADGET_LABEL, 5, 145, 300, 40, "Name of backdrop to use: (SPACE.IMG = default)", 0},
    {ROW_STRING, 22, 5, 165, 475, 20, "SPACE.IMG", 0},
    {ROW_BUTTON, 4, 5, 260, 475, 20, "Create Level!", 0},
    {ROW_PAGE, 2, 0, 0, 0, 0, "Start && Exit Positions", 0},
    {ROW_TEXT, GADGET_LABEL, 340, 10, 130, 40, "Wumpo Start X:", 0},
    {ROW_STRING, 5, 340, 30, 130, 20, "", STRING_NUMERIC},
    {ROW_TEXT, GADGET_LABEL, 340, 55, 130, 40, "Wumpo Start Y:", 0},
    {ROW_STRING, 6, 340, 75, 130, 20, "", STRING_NUMERIC},
    {ROW_TEXT, GADGET_LABEL, 340, 100, 130, 40, "Wumpo Exit X:", 0},
    {ROW_STRING, 7, 340, 120, 130, 20, "", STRING_NUMERIC},
    {ROW_TEXT, GADGET_LABEL, 340, 145, 130, 40, "Wumpo Exit Y:", 0},
    {ROW_STRING, 8, 340, 165, 130, 20, "", STRING_NUMERIC},
    {ROW_IMAGE, 13, 10, 10, 320, 240, 0, IMAGE_PREVIEW_PICTURE},
    {ROW_IMAGE, 16, 10, 10, 40, 14, 0, IMAGE_START_SPRITE},
    {ROW_IMAGE, 18, 10, 10, 20, 40, 0, IMAGE_EXIT_SPRITE},
    {ROW_IMAGE, 20, 10, 10, 320, 20, 0, IMAGE_STATUS_BAR},
    {ROW_BUTTON, 15, 5, 260, 475, 20, "Preview Level!", 0},
    {ROW_PAGE, 3, 0, 0, 0, 0, "Options", 0},
    {ROW_TEXT, GADGET_LABEL, 5, 10, 300, 40, "Amount of draw material:", 0},
    {ROW_STRING, 9, 5, 30, 475, 20, "", STRING_NUMERIC},
    {ROW_TEXT, GADGET_LABEL, 6, 55, 300, 40, "Amount of Wumpo to create:", 0},
    {ROW_STRING, 10, 5, 75, 475, 20, "", STRING_NUMERIC},
    {ROW_TEXT, GADGET_LABEL, 5, 100, 300, 40, "Amount of Wumpo you need to save:", 0},
    {ROW_STRING, 11, 5, 120, 475, 20, "", STRING_NUMERIC},
    {ROW_TEXT, GADGET_LABEL, 5, 145, 300, 40, "Level time in seconds:", 0},
    {ROW_STRING, 12, 5, 165, 475, 20, "", STRING_NUMERIC},
    {ROW_TEXT, GADGET_LABEL, 5, 190, 300, 20, "Anti-Gravity mode?", 0},
    {ROW_CHECKBOX, 21, 5, 210, 20, 20, "", 0},
    {ROW_TEXT, GADGET_LABEL, 5, 235, 300, 20, "Switch Gravity Times:", 0},
    {ROW_STRING, 25, 5, 255, 475, 20, "", STRING_NUMERIC},
    {ROW_PAGE, 4, 0, 0, 0, 0, "Load Level", 0},
    {ROW_TEXT, GADGET_LABEL, 5, 10, 300, 40, "Level file to load:", 0},
    {ROW_STRING, 23, 5, 30, 475, 20, "", 0},
    {ROW_BUTTON, 24, 5, 260, 475, 20, "Load Level!", 0},
};

void form_build(void) {
    image_load(IMAGE_LOGO, "images/logo.bmp");
    image_gadget(GADGET_LOGO, 5, 5, 490, 50, image_handle(IMAGE_LOGO), 512);
    panel_gadget(0, 5, 60, 490, 315);
    for (const FormRow& r : FORM) {
        switch (r.kind) {
        case ROW_PAGE:
            panel_add_page(0, r.number, r.text);
            break;
        case ROW_TEXT:
            text_gadget(r.number, r.x, r.y, r.width, r.height, r.text);
            break;
        case ROW_STRING:
            string_gadget(r.number, r.x, r.y, r.width, r.height, r.text, r.extra);
            break;
        case ROW_BUTTON:
            button_gadget(r.number, r.x, r.y, r.width, r.height, r.text);
            break;
        case ROW_CHECKBOX:
            checkbox_gadget(r.number, r.x, r.y, r.width, r.height, r.text);
            break;
        case ROW_IMAGE:
            image_gadget(r.number, r.x, r.y, r.width, r.height, image_handle(r.extra), 0);
            break;
        }
    }
    gadget_list_close();
}
} // namespace

int program_main(HINSTANCE, HINSTANCE, char*, int) {
    if (program_start() != PROGRAM_STARTED) {
        // Going on would write through missing tables later; say why and end cleanly instead.
        message_box("Start-up", "Error: Not enough memory", 0);
        program_end();
    }
    if (window_open(0, 100, 120, 500, 380, 0xCA0000, "Wumpo Level Creator")) {
        if (gadget_list_create(window_last_handle()))
            form_build();
        window_hide(0, 1);
        window_hide(0, 0);
        int32_t event;
        do {
            event = event_wait();
            if (event == EVENT_GADGET) {
                // Three independent tests, Load last: the texts it puts into fields change
                // what event_gadget reports, so at most one command runs per event.
                if (event_gadget() == GADGET_PREVIEW)
                    level_preview();
                if (event_gadget() == GADGET_CREATE)
                    level_create();
                if (event_gadget() == GADGET_LOAD)
                    level_load();
            }
        } while (event != EVENT_CLOSE_WINDOW);
    }
    program_end();
    return 0;
}
