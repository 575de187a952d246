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
    MSG_SIZE_CHANGED = 12504,   // posted by the procedure to itself on WM_SIZE
    ACCEL_FOCUS_NEXT = 1212,    // accelerator command of Tab
    ACCEL_FOCUS_PREVIOUS = 1213 // accelerator command of Shift+Tab
};

// Clears the pending event, the event gadget number and the notification state (start-up).
void event_reset(void);
// Waits for one message of the thread, translates it through the active window's accelerators or
// dispatches it, and returns the event it raised (or one raised since the last call), else the
// message's number.
int32_t event_wait(void);
// The gadget number of the last EVENT_GADGET; kept until the next one.
int32_t event_gadget(void);
// The toolkit window procedure of every window class the toolkit registers.
LRESULT CALLBACK event_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
