// Gadgets: the gadget table, the current parent and its stack, the default font, the generic
// operations and the text, string, button and check-box kinds with their GadgetOps.
#include "gadget.h"
#include "numbered.h"
#include "program.h"
#include "str.h"
#include <commctrl.h>

namespace {
enum {
    GADGET_FIRST_CAPACITY = 30,
    GADGET_GROWTH = 30,
    PARENT_STACK_SIZE = 20,
    TEXT_READ_MAX = GADGET_TEXT_MAX + 1 // the most one read takes, terminator included
};

struct GadgetRecord {
    HWND handle;          // 0 = none
    const GadgetOps* ops; // the kind's operations
};
static_assert(sizeof(GadgetRecord) <= NUMBERED_SPARE_SIZE, "a gadget record must fit the table");

struct GadgetState {
    NumberedTable records; // numbers that do not fit grow it to number + 30
    HWND parent;
    HWND parent_stack[PARENT_STACK_SIZE];
    int32_t depth;
    HFONT font;
};
GadgetState GADGETS = {};

const GadgetOps NO_OPS = {0, 0, 0, 0, 0, 0, 0};

LONG_PTR button_get_state(HWND control) {
    return (LONG_PTR)SendMessageA(control, BM_GETCHECK, 0, 0);
}
void button_set_state(HWND control, LONG_PTR value) {
    SendMessageA(control, BM_SETCHECK, (WPARAM)value, 0);
}
// Push buttons and check boxes are repainted whole at once, so no part of the old face stays.
void button_resized(HWND control) {
    RedrawWindow(control, 0, 0, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
}

const GadgetOps TEXT_OPS = {0, 0, 0, 0, 0, 0, 0};
const GadgetOps STRING_OPS = {0, 0, 0, 0, 0, 0, 0};
const GadgetOps BUTTON_OPS = {&button_get_state, &button_set_state, 0, 0, 0, &button_resized, 0};
const GadgetOps CHECKBOX_OPS = {&button_get_state, &button_set_state, 0, 0, 0, &button_resized, 0};

// The number's record; an empty one (no control, no operations) for a number without a gadget.
GadgetRecord* record_of(int32_t number) {
    return (GadgetRecord*)numbered_record(&GADGETS.records, number);
}

// A record that never held a gadget has no operations: the generic behaviour then.
const GadgetOps* kind_of(const GadgetRecord* record) {
    return record->ops ? record->ops : &NO_OPS;
}

char* read_window_text(HWND control) {
    uint32_t room = str_free() + 1;
    if (room > TEXT_READ_MAX)
        room = TEXT_READ_MAX;
    char* start = str_position();
    *start = 0;
    int n = control ? GetWindowTextA(control, start, (int)room) : 0;
    return str_commit(n > 0 ? (uint32_t)n : 0);
}
} // namespace

int gadget_system_init(void) {
    ZeroMemory(&GADGETS, sizeof GADGETS);
    int ok =
        numbered_init(&GADGETS.records, sizeof(GadgetRecord), GADGET_FIRST_CAPACITY, GADGET_GROWTH);
    GADGETS.font = (HFONT)GetStockObject(ANSI_VAR_FONT);
    InitCommonControls();
    return ok;
}

HWND gadget_list_create(HWND parent) {
    GADGETS.parent = parent;
    return parent;
}

void gadget_list_close(void) {
    if (GADGETS.depth == 0)
        return;
    --GADGETS.depth;
    GADGETS.parent = GADGETS.parent_stack[GADGETS.depth];
}

void gadget_parent_push(void) {
    if (GADGETS.depth < PARENT_STACK_SIZE)
        GADGETS.parent_stack[GADGETS.depth++] = GADGETS.parent;
}

HWND gadget_parent(void) {
    return GADGETS.parent;
}

HFONT gadget_font(void) {
    return GADGETS.font;
}

int32_t gadget_capacity(void) {
    return GADGETS.records.capacity;
}

int gadget_reserve(int32_t number) {
    return numbered_reserve(&GADGETS.records, number);
}

void gadget_record_set(int32_t number, HWND control, const GadgetOps* ops) {
    if (!numbered_has(&GADGETS.records, number))
        return;
    GadgetRecord* record = record_of(number);
    record->handle = control;
    record->ops = ops;
}

HWND gadget_create_control(int32_t number, const char* class_name, const char* text, DWORD style,
                           DWORD extended_style, int32_t x, int32_t y, int32_t width,
                           int32_t height, const GadgetOps* ops) {
    // No control is made for a number the table cannot hold: it could never be reached.
    if (!gadget_reserve(number))
        return 0;
    HWND control =
        CreateWindowExA(extended_style, class_name, text ? text : "", style, x, y, width, height,
                        GADGETS.parent, (HMENU)(UINT_PTR)(uint32_t)number, program_instance(), 0);
    gadget_record_set(number, control, ops);
    if (control)
        SendMessageA(control, WM_SETFONT, (WPARAM)GADGETS.font, TRUE);
    return control;
}

HWND text_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const char* text) {
    return gadget_create_control(number, "STATIC", text, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT,
                                 0, x, y, width, height, &TEXT_OPS);
}

HWND string_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                   const char* text, int32_t flags) {
    DWORD style =
        WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL | (DWORD)(uint32_t)flags;
    DWORD extended_style = (flags & STRING_BORDERLESS) ? 0 : WS_EX_CLIENTEDGE;
    return gadget_create_control(number, "EDIT", text, style, extended_style, x, y, width, height,
                                 &STRING_OPS);
}

HWND button_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                   const char* text, int32_t flags) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP | BS_PUSHBUTTON;
    if (!(flags & BUTTON_NO_TABSTOP))
        style |= WS_TABSTOP;
    return gadget_create_control(number, "BUTTON", text, style, 0, x, y, width, height,
                                 &BUTTON_OPS);
}

HWND checkbox_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     const char* text) {
    return gadget_create_control(number, "BUTTON", text,
                                 WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                                 x, y, width, height, &CHECKBOX_OPS);
}

LONG_PTR gadget_get_state(int32_t number) {
    GadgetRecord* record = record_of(number);
    const GadgetOps* ops = kind_of(record);
    if (!record->handle || !ops->get_state)
        return 0;
    return ops->get_state(record->handle);
}

void gadget_set_state(int32_t number, LONG_PTR value) {
    GadgetRecord* record = record_of(number);
    const GadgetOps* ops = kind_of(record);
    if (record->handle && ops->set_state)
        ops->set_state(record->handle, value);
}

char* gadget_get_text(int32_t number) {
    GadgetRecord* record = record_of(number);
    const GadgetOps* ops = kind_of(record);
    if (record->handle && ops->get_text)
        return ops->get_text(record->handle);
    return read_window_text(record->handle);
}

void gadget_set_text(int32_t number, const char* text) {
    GadgetRecord* record = record_of(number);
    const GadgetOps* ops = kind_of(record);
    if (!record->handle)
        return;
    if (!text)
        text = "";
    if (ops->set_text)
        ops->set_text(record->handle, text);
    else
        SetWindowTextA(record->handle, text);
}

int32_t gadget_add_item(int32_t number, int32_t position, const char* text) {
    GadgetRecord* record = record_of(number);
    const GadgetOps* ops = kind_of(record);
    if (!record->handle || !ops->add_item)
        return 0;
    return ops->add_item(record->handle, position, text ? text : "");
}

HWND gadget_handle(int32_t number) {
    return record_of(number)->handle;
}

int gadget_notify(int32_t number, HWND control, UINT code) {
    GadgetRecord* record = record_of(number);
    const GadgetOps* ops = kind_of(record);
    // The identifier names the gadget only while its record still holds this control: one made
    // under the number later has taken the number over.
    if (!control || record->handle != control || !ops->notify)
        return 0;
    ops->notify(control, number, code);
    return 1;
}

void gadget_resize(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height) {
    HWND control = record_of(number)->handle;
    if (!control)
        return;
    RECT r;
    GetWindowRect(control, &r);
    if (height == -1)
        height = r.bottom - r.top;
    if (width == -1)
        width = r.right - r.left;
    if (x == -1 || y == -1) {
        POINT corner = {r.left, r.top};
        ScreenToClient(GetParent(control), &corner);
        if (y == -1)
            y = corner.y;
        if (x == -1)
            x = corner.x;
    }
    MoveWindow(control, x, y, width, height, TRUE);
    const GadgetOps* ops = kind_of(record_of(number));
    if (ops->resized)
        ops->resized(control);
}
