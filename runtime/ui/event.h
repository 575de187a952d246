// The blocking event loop and the one toolkit window procedure that serves every program window
// and every panel page. The procedure only records events; event_wait handles exactly one
// platform message per call and reports what it raised.
#pragma once
#include <windows.h>
#include <stdint.h>

// Results of event_wait; any other value is the number of the platform message handled.
enum EventCode {
    EVENT_GADGET = 13100,    // a control reported activity; event_gadget names it
    EVENT_CLOSE_WINDOW = 16, // the user asked to close a window; it stays open
    EVENT_SIZE_WINDOW = 5    // a window or panel page was sized
};

// Private identifiers of the toolkit.
enum EventPrivate {
    MSG_SIZE_CHANGED = 12504,    // posted by the procedure to itself on WM_SIZE
    ACCEL_FOCUS_NEXT = 1212,     // accelerator command of Tab
    ACCEL_FOCUS_PREVIOUS = 1213, // accelerator command of Shift+Tab
    ACCEL_PRESS_DEFAULT = 1214,  // accelerator command of Enter: the page's default button
    ACCEL_BROWSE = 1215          // accelerator command of Ctrl+O: the focused field's Browse button
};

// Clears the pending event, the event gadget number and the notification state (start-up).
void event_reset(void);
// Waits for one message of the thread, translates it through the active window's accelerators or
// dispatches it, and returns the event it raised (or one raised since the last call), else the
// message's number.
int32_t event_wait(void);
// The gadget number of the last EVENT_GADGET; kept until the next one.
int32_t event_gadget(void);
// The mouse button that the message the last event_wait handled pressed: WM_LBUTTONDOWN or
// WM_RBUTTONDOWN, else 0. Told whatever event_wait returned: an event raised before the press (a
// field set by the program) is returned in place of the press's own number.
int32_t event_mouse_press(void);
// When the message the last event_wait handled was a mouse button press on the gadget's control
// or on its parent beneath it (a picture without notifications lets the mouse through to the
// page), inside the control: 1, with *x and *y the point relative to the control's top-left
// corner. 0 otherwise, also for a hidden control.
int event_mouse_on(int32_t gadget, int32_t* x, int32_t* y);
// The toolkit window procedure of every window class the toolkit registers.
LRESULT CALLBACK event_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
