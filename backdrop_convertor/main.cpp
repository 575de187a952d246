// The Backdrop Convertor's main body: a one-page form with two names and one button that converts
// a 320 x 240 bitmap into a backdrop screen image, and a Browse button for the bitmap's name.
#include "event.h"
#include "form.h"
#include "gadget.h"
#include "message.h"
#include "program.h"
#include "screen_image.h"
#include "str.h"

namespace {
enum {
    GADGET_IMAGE_NAME = 1,
    GADGET_BITMAP_NAME = 2,
    GADGET_CONVERT = 4,
    GADGET_BROWSE_BITMAP = 5 // Browse... for field 2
};

// The form in creation order; Enter presses "Convert Backdrop!".
const FormRow FORM[] = {
    {FORM_PAGE, 1, 0, 0, 0, 0, "Locations && Convert", 0},
    {FORM_TEXT, GADGET_LABEL, 5, 10, 300, 40, "Exported Backdrop Filename (no extension):", 0},
    {FORM_STRING, GADGET_IMAGE_NAME, 5, 30, 475, 20, "", 0},
    {FORM_TEXT, GADGET_LABEL, 5, 55, 300, 40, "Name Of Backdrop File", 0},
    {FORM_STRING, GADGET_BITMAP_NAME, 5, 75, 475, 20, "", 0},
    {FORM_BROWSE, GADGET_BROWSE_BITMAP, 400, 53, 80, 20, "Browse...", GADGET_BITMAP_NAME,
     "Open Backdrop Bitmap", "Bitmaps (*.bmp)|*.bmp|All files (*.*)|*.*", FORM_DROP_FILL},
    {FORM_BUTTON, GADGET_CONVERT, 5, 260, 475, 20, "Convert Backdrop!", FORM_DEFAULT},
};

void backdrop_convert(void) {
    char* start = str_position();
    char* bitmap = gadget_get_text(GADGET_BITMAP_NAME);
    str_step();
    char* image = gadget_get_text(GADGET_IMAGE_NAME);
    str_concat(".IMG");
    int outcome = screen_image_convert(bitmap, image);
    str_set_position(start);
    const char* error = screen_image_error_text(outcome);
    if (error)
        message_box("File Access", error, 0);
    else
        message_box("Done", "Backdrop image file created", 0);
}
} // namespace

int program_main(HINSTANCE, HINSTANCE, char*, int) {
    if (form_program_start("Wumpo Backdrop Convertor", FORM,
                           (int32_t)(sizeof FORM / sizeof FORM[0]))) {
        int32_t event;
        do {
            // Enter and Ctrl+O come back as presses of the form's buttons.
            event = form_event(event_wait());
            if (event == EVENT_GADGET && event_gadget() == GADGET_CONVERT)
                backdrop_convert();
            else if (event == EVENT_GADGET)
                form_browse(event_gadget());
        } while (event != EVENT_CLOSE_WINDOW);
    }
    program_end();
    return 0;
}
