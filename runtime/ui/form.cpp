// Forms as data: the programs' frame, building the rows, the default buttons of the pages and the
// Browse buttons. Owns the rows of the form built last.
#include "form.h"
#include "dialog.h"
#include "event.h"
#include "gadget.h"
#include "image.h"
#include "message.h"
#include "panel.h"
#include "program.h"
#include "str.h"
#include "window.h"

namespace {
struct FormState {
    const FormRow* rows;
    int32_t count;
};
FormState FORMS = {};

const FormRow* browse_row(int32_t number) {
    for (int32_t i = 0; i < FORMS.count; ++i) {
        if (FORMS.rows[i].kind == FORM_BROWSE && FORMS.rows[i].number == number)
            return &FORMS.rows[i];
    }
    return 0;
}

void row_build(int32_t panel, const FormRow& r) {
    switch (r.kind) {
    case FORM_PAGE:
        panel_add_page(panel, r.number, r.text);
        break;
    case FORM_TEXT:
        text_gadget(r.number, r.x, r.y, r.width, r.height, r.text);
        break;
    case FORM_STRING:
        string_gadget(r.number, r.x, r.y, r.width, r.height, r.text, r.extra);
        break;
    case FORM_BUTTON:
        button_gadget(r.number, r.x, r.y, r.width, r.height, r.text);
        break;
    case FORM_CHECKBOX:
        checkbox_gadget(r.number, r.x, r.y, r.width, r.height, r.text);
        break;
    case FORM_IMAGE:
        image_gadget(r.number, r.x, r.y, r.width, r.height, image_handle(r.extra), 0);
        break;
    case FORM_BROWSE:
        // Out of the Tab cycle, so the Tab order of the fields stays as it was without them.
        button_gadget(r.number, r.x, r.y, r.width, r.height, r.text, BUTTON_NO_TABSTOP);
        break;
    }
}

// A press reaches only a button that a click could reach: shown and enabled.
int pressable(HWND button) {
    return button && IsWindowVisible(button) && IsWindowEnabled(button);
}

// The default button of the page focus is on, when it can be pressed; else -1.
int32_t default_button(HWND focus) {
    if (!focus)
        return -1;
    HWND page = GetParent(focus);
    for (int32_t i = 0; i < FORMS.count; ++i) {
        const FormRow& r = FORMS.rows[i];
        if (r.kind != FORM_BUTTON || !(r.extra & FORM_DEFAULT))
            continue;
        HWND button = gadget_handle(r.number);
        if (button && GetParent(button) == page)
            return pressable(button) ? r.number : -1;
    }
    return -1;
}

// The Browse button of the field focus, when it can be pressed; else -1.
int32_t browse_button(HWND focus) {
    if (!focus)
        return -1;
    for (int32_t i = 0; i < FORMS.count; ++i) {
        const FormRow& r = FORMS.rows[i];
        if (r.kind == FORM_BROWSE && gadget_handle(r.extra) == focus)
            return pressable(gadget_handle(r.number)) ? r.number : -1;
    }
    return -1;
}
} // namespace

int form_program_start(const char* title, const FormRow* rows, int32_t count) {
    if (program_start() != PROGRAM_STARTED) {
        // Going on would write through missing tables later; say why and end cleanly instead.
        message_box("Start-up", "Error: Not enough memory", 0);
        program_end();
    }
    // 0xCA0000: a title bar, the system menu and a minimise box; no maximise box, no sizing border.
    if (!window_open(FORM_WINDOW, 100, 120, 500, 380, 0xCA0000, title))
        return 0;
    if (gadget_list_create(window_last_handle())) {
        image_load(FORM_LOGO_IMAGE, "images/logo.bmp");
        image_gadget(FORM_LOGO_GADGET, 5, 5, 490, 50, image_handle(FORM_LOGO_IMAGE),
                     WS_EX_CLIENTEDGE);
        panel_gadget(FORM_PANEL, 5, 60, 490, 315);
        form_build(FORM_PANEL, rows, count);
        gadget_list_close();
    }
    window_hide(FORM_WINDOW, 1);
    window_hide(FORM_WINDOW, 0);
    return 1;
}

void form_build(int32_t panel, const FormRow* rows, int32_t count) {
    FORMS.rows = rows;
    FORMS.count = rows ? count : 0;
    for (int32_t i = 0; i < FORMS.count; ++i)
        row_build(panel, rows[i]);
}

int form_browse(int32_t number) {
    const FormRow* row = browse_row(number);
    if (!row)
        return 0;
    char* start = str_position();
    char* current = gadget_get_text(row->extra);
    str_step();
    // Owned by the window the button is in.
    HWND owner = GetAncestor(gadget_handle(row->number), GA_ROOT);
    char* chosen = dialog_open_file(owner, row->title, row->files, current);
    if (chosen)
        gadget_set_text(row->extra, str_relative_to(chosen, program_directory()));
    str_set_position(start);
    // The closed dialog gives the focus back to the window, not to a control: the field is where
    // the designer goes on (and where Enter runs the page's command).
    HWND field = gadget_handle(row->extra);
    if (field && IsWindowVisible(field))
        SetFocus(field);
    return 1;
}

int32_t form_event(int32_t event) {
    int32_t button;
    if (event == EVENT_KEY_DEFAULT)
        button = default_button(event_key_focus());
    else if (event == EVENT_KEY_BROWSE)
        button = browse_button(event_key_focus());
    else
        return event;
    return button >= 0 ? event_key_pressed(button) : event_key_declined();
}
