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
enum { EXTENSION_MAX = 16 }; // ".png": a dot and a few letters

struct FormState {
    const FormRow* rows;
    int32_t count;
    int32_t panel; // the panel the rows were built into
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

// The index of the page row r is on: the pages before it, counted from 0.
int32_t page_index_of(const FormRow* r) {
    int32_t index = -1;
    for (const FormRow* row = FORMS.rows; row <= r; ++row)
        index += row->kind == FORM_PAGE;
    return index;
}

// 1 when a pattern of the file types ("Name|*.bmp;*.dib|Name|*.*") names name's extension, or,
// with any, is "*.*".
int files_take(const char* files, const char* name, int any) {
    int field = 0; // names and patterns alternate
    for (const char* p = files; p && *p; ++field) {
        const char* end = p;
        while (*end && *end != '|')
            ++end;
        for (const char* pattern = p; field % 2 == 1 && pattern < end;) {
            const char* stop = pattern;
            while (stop < end && *stop != ';')
                ++stop;
            char extension[EXTENSION_MAX];
            int32_t length = (int32_t)(stop - pattern) - 1; // without the "*"
            if (*pattern == '*' && length > 0 && length < EXTENSION_MAX) {
                lstrcpynA(extension, pattern + 1, length + 1);
                if (lstrcmpA(extension, ".*") == 0 ? any : str_has_extension(name, extension))
                    return 1;
            }
            pattern = stop < end ? stop + 1 : end;
        }
        p = *end ? end + 1 : end;
    }
    return 0;
}

// The row a dropped file goes to; 0 when none takes it.
const FormRow* drop_row(const char* name) {
    for (int any = 0; any <= 1; ++any) {
        for (int32_t i = 0; i < FORMS.count; ++i) {
            const FormRow* r = &FORMS.rows[i];
            if (r->kind == FORM_BROWSE && r->drop != FORM_DROP_NONE &&
                files_take(r->files, name, any))
                return r;
        }
    }
    return 0;
}

// Puts the file's name into the field of Browse row r as the designer would type it: relative to
// the program directory when it lies inside it, else whole. 0 (the field unchanged) when the
// name is longer than the field takes.
int fill_field(const FormRow* r, const char* name) {
    const char* typed = str_relative_to(name, program_directory());
    HWND field = gadget_handle(r->extra);
    LRESULT limit = field ? SendMessageA(field, EM_GETLIMITTEXT, 0, 0) : 0;
    int32_t length = str_length(typed);
    if (!field || length > GADGET_TEXT_MAX || (limit > 0 && length > limit))
        return 0;
    gadget_set_text(r->extra, typed);
    return 1;
}

// The closed dialog (or the drop) leaves the focus with the window, not a control: the field is
// where the designer goes on (and where Enter runs the page's command).
void focus_field(const FormRow* r) {
    HWND field = gadget_handle(r->extra);
    if (field && IsWindowVisible(field))
        SetFocus(field);
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
    for (int32_t i = 0; i < count; ++i) {
        if (rows[i].kind == FORM_BROWSE && rows[i].drop != FORM_DROP_NONE)
            window_accept_files(FORM_WINDOW);
    }
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
    FORMS.panel = panel;
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
    focus_field(row);
    return 1;
}

namespace {
// A file dropped on the window: into the field of the row that takes it, on its page.
int32_t dropped(void) {
    char* start = str_position();
    const char* name = event_drop_name();
    const FormRow* row = name ? drop_row(name) : 0;
    DWORD attributes = row ? GetFileAttributesA(name) : INVALID_FILE_ATTRIBUTES;
    int32_t result = event_declined();
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        fill_field(row, name)) {
        gadget_set_state(FORMS.panel, page_index_of(row));
        focus_field(row);
        int32_t button =
            row->drop == FORM_DROP_PRESS ? default_button(gadget_handle(row->extra)) : -1;
        if (button >= 0)
            result = event_pressed(button);
    }
    str_set_position(start);
    return result;
}
} // namespace

int32_t form_event(int32_t event) {
    if (event == EVENT_DROP_FILES)
        return dropped();
    int32_t button;
    if (event == EVENT_KEY_DEFAULT)
        button = default_button(event_key_focus());
    else if (event == EVENT_KEY_BROWSE)
        button = browse_button(event_key_focus());
    else
        return event;
    return button >= 0 ? event_pressed(button) : event_declined();
}
