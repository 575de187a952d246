// Numbered top-level windows. A program names each window by a non-negative number; every window
// gets its own class ("WindowClass_<number>") built from one template that uses the toolkit window
// procedure (event.h), and its own keyboard accelerators: Tab / Shift+Tab for focus moves, Enter
// and Ctrl+O, which event_wait reports as key events for the layer above.
// "TemplateClass", registered at start-up from the same template, serves the panel pages.
#pragma once
#include <windows.h>
#include <stdint.h>

// Flags of window_open; every other bit is a Win32 window style, passed through.
enum WindowFlags {
    WINDOW_CENTER_SCREEN = 1,     // centre on the screen
    WINDOW_CENTER_ACTIVE = 2,     // centre on the active window; wins over WINDOW_CENTER_SCREEN
    WINDOW_INVISIBLE = 0x10000000 // create hidden (the bit is WS_VISIBLE, inverted)
};

// The class of the panel pages, registered by window_system_init.
#define WINDOW_TEMPLATE_CLASS "TemplateClass"

// Clears the window and event state, allocates the table (10 numbers), creates the background
// brush and registers "TemplateClass". 1 on success, 0 when the heap refused the table.
int window_system_init(void);
// Opens window number (closing whatever it held) with a client area of width x height and its outer
// top-left corner at (x, y) unless a centring flag says otherwise. The numbers are layout numbers
// (dpi.h): the window is made at the DPI it is shown at. The handle, or 0 when the window could not
// be made or the table could not grow for the number.
HWND window_open(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, int32_t flags,
                 const char* title);
// The window was moved to a monitor of another DPI: it takes the rectangle the system suggested
// (none: it stays) and every gadget in it is laid out again at dpi.
void window_rescale(HWND window, uint32_t dpi, const RECT* suggested);
// Files dropped on window number from the system's file manager are reported by event_wait
// (EVENT_DROP_FILES). Nothing for a number without a window.
void window_accept_files(int32_t number);
// Gives window (a window of the toolkit's classes) brush for its background, in place of its
// class's, and for the backgrounds of its labels, check boxes and pictures, so that they stand on
// the window's own surface; the brush's pattern starts at the window's top-left corner. The
// window owns the brush from then on; 0 goes back to the class's background.
void window_set_background(HWND window, HBRUSH brush);
// The brush window_set_background gave window, 0 when none.
HBRUSH window_background(HWND window);
// The handle of the last window opened successfully, 0 before any.
HWND window_last_handle(void);
// hide != 0 hides the window, 0 shows it in its normal state. Nothing for a number without one.
void window_hide(int32_t number, int32_t hide);
// Destroys the window with its gadgets, unregisters its class, frees its accelerators.
void window_close(int32_t number);
// The end step: window_close for every number, from the highest down; the table is released
// (a later window_open makes a new one).
void window_close_all(void);

// The accelerator table of the open window whose handle is window; 0 when none has it.
HACCEL window_accelerators(HWND window);
// The current table capacity (numbers below it have their own record).
int32_t window_capacity(void);
