// A program's form as data: the window both programs open with its logo and panel, the rows of
// gadgets built into the panel's pages, and what the toolkit does with those rows for the user:
// Enter presses the default button of the page that holds the focus, and a Browse button (or
// Ctrl+O in its field) fills its field with a file chosen in the system's Open dialog. The top
// floor of the toolkit: the loop below reports keys as events and knows no form. Owns the rows of
// the form built last: the program's own static table, which must outlive the form.
#pragma once
#include <windows.h>
#include <stdint.h>

enum FormRowKind {
    FORM_PAGE,     // a page of the panel: number = the page number, text = the tab's caption
    FORM_TEXT,     // a label: text
    FORM_STRING,   // an edit field: text = its first content, extra = its string flags
    FORM_BUTTON,   // a push button: text = caption, extra = FORM_DEFAULT or 0
    FORM_CHECKBOX, // a check box: text = the caption beside the box
    FORM_IMAGE,    // an image gadget: extra = the image number whose picture it starts with
    FORM_BROWSE    // a Browse button, out of the Tab cycle: text = caption, extra = the field it
                   // fills, title and files = its Open dialog's title and file types
};

enum FormButtonFlags {
    FORM_DEFAULT = 1 // Enter anywhere on the button's page presses it
};

// What a Browse button's row does with a file dropped on the window (the first file of a drop;
// a folder, a name that is not there or one longer than the field takes is ignored). The row is
// the first with a drop whose file types name the file's extension, else the first with a drop
// that lists "*.*".
enum FormDrop {
    FORM_DROP_NONE = 0,
    FORM_DROP_FILL = 1, // the name goes into the field as Browse would put it; its page is shown
    FORM_DROP_PRESS = 2 // as FORM_DROP_FILL, then the page's default button is pressed
};

// One gadget of a form, in creation order.
struct FormRow {
    FormRowKind kind;
    int32_t number, x, y, width, height;
    const char* text;
    int32_t extra;
    const char* title = 0;         // FORM_BROWSE only
    const char* files = 0;         // FORM_BROWSE only: "Name|pattern|Name|pattern", see dialog.h
    int32_t drop = FORM_DROP_NONE; // FORM_BROWSE only
};

// The numbers the frame of form_program_start takes; the rows must not use them.
enum FormFrame {
    FORM_WINDOW = 0,       // the program's window
    FORM_PANEL = 0,        // the panel whose pages hold the rows
    FORM_LOGO_IMAGE = 999, // images/logo.bmp
    FORM_LOGO_GADGET = 1000
};

// The start both programs share: program_start (a refused allocation is reported in a box titled
// "Start-up" and ends the program), then window FORM_WINDOW with the title and a client area of
// 500 x 380 at (100, 120), the logo across its top, FORM_PANEL beneath it with the rows built into
// its pages, and the window hidden and shown once. 1 when the window is open; 0 when it could not
// be made (the caller then ends the program without a loop). The window takes dropped files when a
// row says what to do with them.
int form_program_start(const char* title, const FormRow* rows, int32_t count);
// Builds the count rows, in order, into the panel number created last: a page row adds a page,
// every other row creates its gadget on the page added last. Keeps rows for the operations below.
void form_build(int32_t panel, const FormRow* rows, int32_t count);
// When number is a Browse button of the form: shows its Open dialog, starting in the folder of the
// file its field names, and puts the file chosen into the field (relative to the program directory
// when it lies inside it, else the full name); a cancelled dialog leaves the field as it was. The
// keyboard focus is then in the field. 1 when number is a Browse button, else 0 (nothing happens).
int form_browse(int32_t number);
// Turns what event_wait returned into what the program acts on. EVENT_KEY_DEFAULT (Enter) becomes
// EVENT_GADGET of the default button on the page of the focused control, EVENT_KEY_BROWSE
// (Ctrl+O) EVENT_GADGET of the Browse button of the focused field: a press reaches the program as
// a click does. EVENT_DROP_FILES fills a field as the rows' drops say, and becomes EVENT_GADGET of
// the default button for FORM_DROP_PRESS. A key or drop with nothing to do (no such button or row,
// or the button hidden or disabled, as a click could not reach it either) gives what event_wait
// would have returned without it; every other code is returned unchanged.
int32_t form_event(int32_t event);
