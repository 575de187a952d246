// Gadgets: the gadget table, the current parent and its stack, the default font and its forms for
// other DPIs, each control's place in layout numbers, the generic operations and the text,
// string, button and check-box kinds with their GadgetOps.
#include "gadget.h"
#include "dpi.h"
#include "heap.h"
#include "numbered.h"
#include "program.h"
#include "str.h"
#include <commctrl.h>

namespace {
enum {
    GADGET_FIRST_CAPACITY = 30,
    GADGET_GROWTH = 30,
    PARENT_STACK_SIZE = 20,
    TEXT_READ_MAX = GADGET_TEXT_MAX + 1, // the most one read takes, terminator included
    SCALED_FONTS = 8                     // DPIs other than 96 whose font is kept
};

// Where a control stands in layout numbers, kept on the control itself (a window property), not in
// the table: the table keeps only the last label, and a change of DPI must move every one.
struct GadgetPlace {
    int32_t x, y, width, height;
    const GadgetOps* ops;
    int with_font;
};
const char* const PLACE_PROPERTY = "Wumpo.GadgetPlace";

struct ScaledFont {
    uint32_t dpi;
    HFONT font;
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
    ScaledFont scaled[SCALED_FONTS];
};
GadgetState GADGETS = {};

const GadgetOps NO_OPS = {0, 0, 0, 0, 0, 0, 0, 0};

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

const GadgetOps TEXT_OPS = {0, 0, 0, 0, 0, 0, 0, 0};
const GadgetOps STRING_OPS = {0, 0, 0, 0, 0, 0, 0, 0};
const GadgetOps BUTTON_OPS = {&button_get_state, &button_set_state, 0, 0, 0, &button_resized, 0, 0};
const GadgetOps CHECKBOX_OPS = {
    &button_get_state, &button_set_state, 0, 0, 0, &button_resized, 0, 0};

// The number's record; an empty one (no control, no operations) for a number without a gadget.
GadgetRecord* record_of(int32_t number) {
    return (GadgetRecord*)numbered_record(&GADGETS.records, number);
}

// A record that never held a gadget has no operations: the generic behaviour then.
const GadgetOps* kind_of(const GadgetRecord* record) {
    return record->ops ? record->ops : &NO_OPS;
}

GadgetPlace* place_of(HWND control) {
    return control ? (GadgetPlace*)GetPropA(control, PLACE_PROPERTY) : 0;
}

// The control's place at dpi, moved there without a change of its stacking.
void move_to_place(HWND control, const GadgetPlace* place, uint32_t dpi, UINT flags) {
    SetWindowPos(control, 0, dpi_scale(place->x, dpi), dpi_scale(place->y, dpi),
                 dpi_scale(place->width, dpi), dpi_scale(place->height, dpi),
                 flags | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT font_for(uint32_t dpi);

BOOL CALLBACK rescale_control(HWND control, LPARAM dpi) {
    GadgetPlace* place = place_of(control);
    if (!place)
        return TRUE; // a page of a panel: the panel lays it out
    // The smaller of the two first, size or font: text larger than its control for a moment
    // makes a tab control add arrows for tabs that no longer fit, which it keeps.
    RECT now;
    GetWindowRect(control, &now);
    int shrinking = dpi_scale(place->width, (uint32_t)dpi) < now.right - now.left;
    if (place->with_font && shrinking)
        SendMessageA(control, WM_SETFONT, (WPARAM)font_for((uint32_t)dpi), TRUE);
    move_to_place(control, place, (uint32_t)dpi, 0);
    if (place->with_font && !shrinking)
        SendMessageA(control, WM_SETFONT, (WPARAM)font_for((uint32_t)dpi), TRUE);
    if (place->ops && place->ops->rescaled)
        place->ops->rescaled(control, (uint32_t)dpi);
    return TRUE;
}

// The width of a line of the letters forms are written in, in font, on dc.
int32_t sample_width(HDC dc, HFONT font) {
    static const char SAMPLE[] = "Name of level bitmap (has to be 24-bit, no compression): "
                                 "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789";
    SIZE size = {0, 0};
    HGDIOBJ before = SelectObject(dc, font);
    GetTextExtentPoint32A(dc, SAMPLE, (int)sizeof SAMPLE - 1, &size);
    SelectObject(dc, before);
    return size.cx;
}

// The default font's design made for dpi. Letters do not grow in proportion with their height (a
// small size is drawn narrower for its height than a large one), so a font of exactly the scaled
// height could write a label past the end of its scaled box, where it would wrap or be cut: the
// height is the scaled one, or less, until a line is no wider than the scaled line of the default
// font. 0 when no font could be made.
HFONT scaled_font(uint32_t dpi) {
    LOGFONTA design;
    HDC dc = CreateCompatibleDC(0);
    if (!dc || !GetObjectA(GADGETS.font, sizeof design, &design)) {
        if (dc)
            DeleteDC(dc);
        return 0;
    }
    int32_t most = dpi_scale(sample_width(dc, GADGETS.font), dpi);
    int32_t height = dpi_scale(design.lfHeight, dpi);
    int32_t least = design.lfHeight; // above 96 DPI, never smaller than at 96
    design.lfWidth = 0;
    // The default font is a bitmap font, made in a few sizes only; its TrueType twin, which every
    // Windows since 2000 has, draws the same letters at any size.
    lstrcpynA(design.lfFaceName, "Microsoft Sans Serif", LF_FACESIZE);
    HFONT font = 0;
    for (;;) {
        design.lfHeight = height;
        font = CreateFontIndirectA(&design);
        if (!font || dpi < DPI_DESIGN || height == least || sample_width(dc, font) <= most)
            break;
        DeleteObject(font);
        height += height > least ? -1 : 1; // the height's sign only chooses cell or letter height
    }
    DeleteDC(dc);
    return font;
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
// The font of the controls at dpi: the default font at 96 DPI, one of the same design made for
// dpi at another, kept for the next control at that DPI.
HFONT font_for(uint32_t dpi) {
    if (dpi == DPI_DESIGN || !GADGETS.font)
        return GADGETS.font;
    int free_slot = -1;
    for (int i = 0; i < SCALED_FONTS; ++i) {
        if (GADGETS.scaled[i].font && GADGETS.scaled[i].dpi == dpi)
            return GADGETS.scaled[i].font;
        if (!GADGETS.scaled[i].font && free_slot < 0)
            free_slot = i;
    }
    HFONT font = scaled_font(dpi);
    if (!font)
        return GADGETS.font;
    // With every slot taken (a window dragged across many monitors), the font is made anew each
    // time; the system releases it with the process.
    if (free_slot >= 0) {
        GADGETS.scaled[free_slot].dpi = dpi;
        GADGETS.scaled[free_slot].font = font;
    }
    return font;
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

HWND gadget_make_control(int32_t number, const char* class_name, const char* text, DWORD style,
                         DWORD extended_style, int32_t x, int32_t y, int32_t width, int32_t height,
                         const GadgetOps* ops, int with_font) {
    uint32_t dpi = dpi_of_control(GADGETS.parent);
    HWND control =
        CreateWindowExA(extended_style, class_name, text ? text : "", style, dpi_scale(x, dpi),
                        dpi_scale(y, dpi), dpi_scale(width, dpi), dpi_scale(height, dpi),
                        GADGETS.parent, (HMENU)(UINT_PTR)(uint32_t)number, program_instance(), 0);
    if (!control)
        return 0;
    GadgetPlace* place = (GadgetPlace*)heap_allocate(sizeof(GadgetPlace));
    if (place) {
        GadgetPlace made = {x, y, width, height, ops, with_font};
        *place = made;
        SetPropA(control, PLACE_PROPERTY, place);
    }
    if (with_font)
        SendMessageA(control, WM_SETFONT, (WPARAM)font_for(dpi), TRUE);
    return control;
}

HWND gadget_create_control(int32_t number, const char* class_name, const char* text, DWORD style,
                           DWORD extended_style, int32_t x, int32_t y, int32_t width,
                           int32_t height, const GadgetOps* ops) {
    // No control is made for a number the table cannot hold: it could never be reached.
    if (!gadget_reserve(number))
        return 0;
    HWND control = gadget_make_control(number, class_name, text, style, extended_style, x, y, width,
                                       height, ops, 1);
    gadget_record_set(number, control, ops);
    return control;
}

void gadget_layout_size(HWND control, int32_t width, int32_t height) {
    GadgetPlace* place = place_of(control);
    if (place) {
        place->width = width;
        place->height = height;
    }
}

void gadget_rescale(HWND window, uint32_t dpi) {
    if (window)
        EnumChildWindows(window, &rescale_control, (LPARAM)dpi);
}

void gadget_point_to_layout(int32_t number, int32_t* x, int32_t* y) {
    HWND control = record_of(number)->handle;
    GadgetPlace* place = place_of(control);
    RECT client;
    if (!place || !GetClientRect(control, &client) || client.right <= 0 || client.bottom <= 0)
        return;
    // The same rule as the picture's scaling: pixel p of n shows layout pixel p * m / n.
    *x = (int32_t)((int64_t)*x * place->width / client.right);
    *y = (int32_t)((int64_t)*y * place->height / client.bottom);
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
    GadgetPlace* place = place_of(control);
    if (place) {
        // Layout numbers kept, not pixels read back and scaled again, so that no rounding creeps
        // in at a DPI other than 96.
        place->x = x == -1 ? place->x : x;
        place->y = y == -1 ? place->y : y;
        place->width = width == -1 ? place->width : width;
        place->height = height == -1 ? place->height : height;
        move_to_place(control, place, dpi_of_control(control), 0);
        if (place->ops && place->ops->resized)
            place->ops->resized(control);
        return;
    }
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
