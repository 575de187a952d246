// Numbered gadgets (controls) and the gadget list they are created in. A program names each gadget
// by a non-negative number, creates it with its kind's operation in the current parent (a window
// chosen with gadget_list_create, or the page most recently added to a panel) and afterwards
// reads and changes it by number through the generic operations, which dispatch through the
// kind's GadgetOps. A control's identifier is its gadget number, which is how events name it.
// Operations on a number that names no gadget do nothing and give 0 or the empty text.
#pragma once
#include <windows.h>
#include <stdint.h>

enum GadgetNumbers {
    GADGET_LABEL = 9999 // every static label; the table keeps the last one made
};

// The most characters one gadget_get_text gives; a longer text is cut there.
enum { GADGET_TEXT_MAX = 31999 };

// Flags of string_gadget, OR-ed into the edit control's style.
enum StringFlags {
    STRING_NUMERIC = 8192,     // digits only (ES_NUMBER)
    STRING_BORDERLESS = 131072 // no sunken edge (the bit is WS_GROUP, which the style has anyway)
};

// Flags of button_gadget.
enum ButtonFlags {
    BUTTON_NO_TABSTOP = 1 // left out of the Tab cycle: reached by the mouse or by a key of its own
};

// The operations of one gadget kind; an empty entry means the generic behaviour. The toolkit
// below the kinds (gadget_resize, the window procedure) reaches a kind only through these.
struct GadgetOps {
    LONG_PTR (*get_state)(HWND control);              // generic: 0
    void (*set_state)(HWND control, LONG_PTR value);  // generic: nothing
    char* (*get_text)(HWND control);                  // generic: the window text
    void (*set_text)(HWND control, const char* text); // generic: SetWindowTextA
    int32_t (*add_item)(HWND control, int32_t position, const char* text); // generic: 0
    // After gadget_resize moved and sized the control: repaint it, fit what it holds.
    void (*resized)(HWND control); // generic: nothing
    // A WM_NOTIFY code the control sent its parent; number is the gadget's. The kind raises its
    // events through event.h.
    void (*notify)(HWND control, int32_t number, UINT code); // generic: ignored
    // After a change of DPI moved and sized the control and gave it the font for dpi: lay out
    // what it holds at that DPI.
    void (*rescaled)(HWND control, uint32_t dpi); // generic: nothing
};

// Clears the gadget state, allocates the table (30 numbers), picks the default font and makes the
// tab control class available. 1 on success, 0 when the heap refused the table.
int gadget_system_init(void);
// Makes parent the current parent; returns it (0: there is no parent).
HWND gadget_list_create(HWND parent);
// Pops the parent stack into the current parent; nothing when the stack is empty.
void gadget_list_close(void);

// Kinds: each creates a child control of the current parent with the number as its identifier,
// files it under the number (replacing whatever the number named) and returns its handle, or 0
// (the record then holds 0, or is untouched when the table could not grow for the number).
HWND text_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const char* text);
HWND string_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                   const char* text, int32_t flags = 0);
HWND button_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                   const char* text, int32_t flags = 0);
HWND checkbox_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                     const char* text);

// Generic operations through the kind's GadgetOps.
// The kind's state: a button's tick (1 ticked), a panel's selected tab; 0 for kinds without one.
LONG_PTR gadget_get_state(int32_t number);
// Sets the kind's state: a tick, a panel's tab, an image gadget's picture handle.
void gadget_set_state(int32_t number, LONG_PTR value);
// The gadget's text, produced in the temporary string area at its current position (cut where the
// area ends, at most GADGET_TEXT_MAX characters); the position ends on its terminator.
char* gadget_get_text(int32_t number);
// Replaces the gadget's text (a null text is the empty one).
void gadget_set_text(int32_t number, const char* text);
// Moves and sizes the gadget within its parent; -1 in any argument keeps that value, then runs the
// kind's resized entry (buttons are repainted, a panel's pages are fitted to its new size). The
// numbers are layout numbers, as at creation.
void gadget_resize(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height);

// Display scale. Positions and sizes given to the gadget operations are layout numbers: pixels of
// a 96-DPI display. Each control is made at the DPI of its window (dpi.h) and remembers its layout
// numbers, so that a change of DPI lays every one out again, labels included.
// Moves, sizes and gives the font for dpi to every control of window made by a gadget operation,
// then runs each kind's rescaled entry.
void gadget_rescale(HWND window, uint32_t dpi);
// A point in the client pixels of the gadget's control, as layout numbers of the control: at 96
// DPI the same point; at another, the pixel of a picture drawn to the control's size by
// nearest-neighbour scaling (as image gadgets draw theirs) that shows at that point.
void gadget_point_to_layout(int32_t number, int32_t* x, int32_t* y);

// For the toolkit's other kinds (panel, image).
// Creates a control of class in the current parent at the DPI of its window, with the default
// font for that DPI, and files it with ops.
HWND gadget_create_control(int32_t number, const char* class_name, const char* text, DWORD style,
                           DWORD extended_style, int32_t x, int32_t y, int32_t width,
                           int32_t height, const GadgetOps* ops);
// Makes the control as gadget_create_control does (the font only when with_font is not 0) but
// leaves the table to the caller. The handle, or 0.
HWND gadget_make_control(int32_t number, const char* class_name, const char* text, DWORD style,
                         DWORD extended_style, int32_t x, int32_t y, int32_t width, int32_t height,
                         const GadgetOps* ops, int with_font);
// A control that sizes itself (a picture static takes its picture's size) tells its new size in
// layout numbers, which gadget_resize then keeps for -1.
void gadget_layout_size(HWND control, int32_t width, int32_t height);
// Grows the table so that number has a record: 1, or 0 when the heap refused.
int gadget_reserve(int32_t number);
// Files control and ops under number (reserved before); nothing for a number without a record.
void gadget_record_set(int32_t number, HWND control, const GadgetOps* ops);
// The kind's add-item entry with (control, position, text); 0 when the kind has none.
int32_t gadget_add_item(int32_t number, int32_t position, const char* text);
// The control filed under number, 0 when none.
HWND gadget_handle(int32_t number);
// Hands a WM_NOTIFY code from control, whose identifier is number, to the kind's notify entry.
// 1 when the kind took it; 0 when number no longer names control or its kind has no entry.
int gadget_notify(int32_t number, HWND control, UINT code);
// The current parent of new gadgets.
HWND gadget_parent(void);
// Saves the current parent on the parent stack (20 entries; further pushes are dropped); the
// current parent stays.
void gadget_parent_push(void);
// The font every control but image gadgets gets at 96 DPI.
HFONT gadget_font(void);
// The current table capacity.
int32_t gadget_capacity(void);
