// The blocking event loop and the one toolkit window procedure that serves every program window
// and every panel page. The procedure only records events; event_wait handles exactly one
// platform message per call and reports what it raised. Notifications from controls reach their
// gadget kind through its GadgetOps (gadget.h); keys meant for a form (Enter, Ctrl+O) come back
// from event_wait as key events for the layer above, which decides what they press.
#pragma once
#include <windows.h>
#include <stdint.h>

// Results of event_wait; any other value is the number of the platform message handled.
enum EventCode {
    EVENT_GADGET = 13100,    // a control reported activity; event_gadget names it
    EVENT_CLOSE_WINDOW = 16, // the user asked to close a window; it stays open
    EVENT_SIZE_WINDOW = 5,   // a window or panel page was sized
    // The toolkit's key commands, which the layer above the loop (form.h) turns into a press of a
    // button before a program sees them; event_key_focus names the control the key was typed in.
    // Negative, so never the number of a message: every range of message numbers that Windows
    // defines (the system's, WM_USER's, WM_APP's, registered messages) ends at 0xFFFF and the
    // numbers above are reserved by the system, so a message number read as a signed 32-bit value
    // is never below 0.
    EVENT_KEY_DEFAULT = -2, // Enter: the default button of the page the focus is on
    EVENT_KEY_BROWSE = -3,  // Ctrl+O: the Browse button of the focused field
    // Files were dropped on a window that takes them (window_accept_files); event_drop_name names
    // the first. Negative for the same reason.
    EVENT_DROP_FILES = -4
};

// Private identifiers of the toolkit.
enum EventPrivate {
    MSG_SIZE_CHANGED = 12504,    // posted by the procedure to itself on WM_SIZE
    ACCEL_FOCUS_NEXT = 1212,     // accelerator command of Tab
    ACCEL_FOCUS_PREVIOUS = 1213, // accelerator command of Shift+Tab
    ACCEL_PRESS_DEFAULT = 1214,  // accelerator command of Enter: EVENT_KEY_DEFAULT
    ACCEL_BROWSE = 1215          // accelerator command of Ctrl+O: EVENT_KEY_BROWSE
};

// Clears the pending event, the event gadget number and the notification state (start-up).
void event_reset(void);
// Waits for one message of the thread, translates it through the active window's accelerators or
// dispatches it, and returns the event it raised (or one raised since the last call), else the
// message's number. A key command (Enter, Ctrl+O) is returned as its EVENT_KEY_ code and a drop of
// files as EVENT_DROP_FILES instead, and the pending event is cleared all the same.
int32_t event_wait(void);
// The gadget number of the last EVENT_GADGET; kept until the next one.
int32_t event_gadget(void);

// Key commands, for the layer above the loop.
// The control that held the keyboard focus when the last key command was typed; 0 for none.
HWND event_key_focus(void);
// The first name of the files dropped (EVENT_DROP_FILES), produced in the temporary string area
// at its current position, in the system's code page; 0 (nothing produced) when there is none or
// it is longer than GADGET_TEXT_MAX or the area's room. The drop is kept until the next wait.
char* event_drop_name(void);
// The layer above pressed gadget number for the last key command or drop: from now on event_gadget
// names it, as after a click of it in that same wait. Returns EVENT_GADGET, the code to hand on.
int32_t event_pressed(int32_t number);
// The layer above found nothing to do for the key or drop: what the last event_wait would have
// returned had it been no command (the event pending before it, else the message's number).
int32_t event_declined(void);

// Notifications, for the gadget kinds' notify entries (GadgetOps).
// The notification state of the current wait: -1 until a control notified its parent in it.
int32_t event_notification(void);
// A notification of gadget number: the notification state becomes notification and EVENT_GADGET
// is raised for number, as a control's WM_COMMAND does; a later event of the same dispatch wins.
void event_notify(int32_t number, int32_t notification);
// The mouse button that the message the last event_wait handled pressed: WM_LBUTTONDOWN or
// WM_RBUTTONDOWN, else 0. Told whatever event_wait returned: an event raised before the press (a
// field set by the program) is returned in place of the press's own number.
int32_t event_mouse_press(void);
// When the message the last event_wait handled was a mouse button press on the gadget's control
// or on its parent beneath it (a picture without notifications lets the mouse through to the
// page), inside the control: 1, with *x and *y the point relative to the control's top-left
// corner in its layout numbers (gadget_point_to_layout: the picture pixel under the point at any
// DPI). 0 otherwise, also for a hidden control.
int event_mouse_on(int32_t gadget, int32_t* x, int32_t* y);
// The toolkit window procedure of every window class the toolkit registers.
LRESULT CALLBACK event_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
