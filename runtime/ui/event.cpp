// The event loop and the toolkit window procedure. Owns the event state: the pending event, the
// gadget number of the last EVENT_GADGET, the notification state of the current wait, the key
// command or the drop of files the wait saw, and the drop until the next wait.
#include "event.h"
#include "focus.h"
#include "str.h"
#include "gadget.h"
#include "window.h"
#include <shellapi.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0 // Windows 8.1 and later; the headers name it only for that target
#endif

namespace {
struct EventState {
    int32_t pending;      // 0 = none
    int32_t gadget;       // kept between events
    int32_t notification; // -1 at the start of every wait
    int32_t press;        // WM_LBUTTONDOWN or WM_RBUTTONDOWN handled by this wait, else 0
    HWND press_window;    // the window it went to
    POINT press_point;    // where, in its client coordinates
    int32_t command; // EVENT_KEY_DEFAULT, EVENT_KEY_BROWSE or EVENT_DROP_FILES in this wait, else 0
    HWND key_focus;  // the control the key was typed in
    int32_t declined; // what the wait would have returned without the command
    HDROP drop;       // the files dropped, kept until the next wait
};
EventState EVENTS = {};

// The key is only noted here: the window procedure is still running inside TranslateAccelerator,
// and what the key presses is decided above the loop once event_wait has returned.
void key_command(int32_t code) {
    EVENTS.command = code;
    EVENTS.key_focus = GetFocus();
}

// Files dropped on a window: what is done with them is decided above the loop, which asks for the
// name through event_drop_name before the next wait lets the drop go.
void files_dropped(HDROP drop) {
    if (EVENTS.drop)
        DragFinish(EVENTS.drop);
    EVENTS.drop = drop;
    EVENTS.command = EVENT_DROP_FILES;
}

// A WM_COMMAND without a control: an accelerator (the programs have no menus).
void accelerator(WORD command) {
    switch (command) {
    case ACCEL_FOCUS_NEXT:
        focus_next();
        break;
    case ACCEL_FOCUS_PREVIOUS:
        focus_previous();
        break;
    case ACCEL_PRESS_DEFAULT:
        key_command(EVENT_KEY_DEFAULT);
        break;
    case ACCEL_BROWSE:
        key_command(EVENT_KEY_BROWSE);
        break;
    default:
        break;
    }
}
// Fills dc's clip with the window's own background, its pattern starting at the window's corner
// wherever the caller's origin is (a themed control asks its parent to paint what lies behind
// it, through a DC moved to its own corner).
void paint_background(HWND window, HDC dc, HBRUSH brush) {
    POINT corner = {0, 0};
    LPtoDP(dc, &corner, 1);
    SetBrushOrgEx(dc, corner.x, corner.y, 0);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);
}

// A label, check box or picture asks for the brush of its background: the window's own, its
// pattern moved so that it continues the window's behind the control.
LRESULT control_background(HWND window, HDC dc, HWND control, HBRUSH brush) {
    POINT corner = {0, 0};
    MapWindowPoints(control, window, &corner, 1);
    SetBrushOrgEx(dc, -corner.x, -corner.y, 0);
    SetBkMode(dc, TRANSPARENT);
    return (LRESULT)brush;
}
} // namespace

void event_reset(void) {
    EVENTS = EventState{};
}

int32_t event_wait(void) {
    EVENTS.notification = -1;
    EVENTS.command = 0;
    if (EVENTS.drop) {
        DragFinish(EVENTS.drop);
        EVENTS.drop = 0;
    }
    MSG msg = {};
    // The system never posts a quit message to these programs, so the result is not examined.
    GetMessageA(&msg, 0, 0, 0);
    EVENTS.press = 0;
    EVENTS.press_window = 0;
    if (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN) {
        EVENTS.press = (int32_t)msg.message;
        EVENTS.press_window = msg.hwnd;
        EVENTS.press_point.x = (int16_t)LOWORD(msg.lParam); // signed: left of or above the window
        EVENTS.press_point.y = (int16_t)HIWORD(msg.lParam);
    }
    HWND active = GetActiveWindow();
    HACCEL table = window_accelerators(active);
    if (!table || !TranslateAcceleratorA(active, table, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    int32_t result = EVENTS.pending ? EVENTS.pending : (int32_t)msg.message;
    if (EVENTS.command) {
        EVENTS.declined = result;
        result = EVENTS.command;
    }
    EVENTS.pending = 0;
    return result;
}

int32_t event_gadget(void) {
    return EVENTS.gadget;
}

HWND event_key_focus(void) {
    return EVENTS.key_focus;
}

char* event_drop_name(void) {
    UINT length = EVENTS.drop ? DragQueryFileA(EVENTS.drop, 0, 0, 0) : 0;
    if (length == 0 || length > GADGET_TEXT_MAX || length > str_free())
        return 0;
    char* name = str_position();
    if (DragQueryFileA(EVENTS.drop, 0, name, length + 1) != length)
        return 0;
    return str_commit(length);
}

int32_t event_pressed(int32_t number) {
    // As the click's own notification would have left it, had it been dispatched in that wait.
    EVENTS.gadget = number;
    EVENTS.notification = BN_CLICKED;
    return EVENT_GADGET;
}

int32_t event_declined(void) {
    return EVENTS.declined;
}

int32_t event_notification(void) {
    return EVENTS.notification;
}

void event_notify(int32_t number, int32_t notification) {
    EVENTS.pending = EVENT_GADGET;
    EVENTS.gadget = number;
    EVENTS.notification = notification;
}

int32_t event_mouse_press(void) {
    return EVENTS.press;
}

int event_mouse_on(int32_t gadget, int32_t* x, int32_t* y) {
    HWND control = gadget_handle(gadget);
    HWND window = EVENTS.press_window;
    if (!control || !window || !IsWindow(window) || !IsWindowVisible(control))
        return 0;
    if (window != control && window != GetParent(control))
        return 0;
    POINT p = EVENTS.press_point;
    MapWindowPoints(window, control, &p, 1);
    RECT r;
    GetClientRect(control, &r);
    if (p.x < r.left || p.y < r.top || p.x >= r.right || p.y >= r.bottom)
        return 0;
    *x = p.x;
    *y = p.y;
    gadget_point_to_layout(gadget, x, y);
    return 1;
}

LRESULT CALLBACK event_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_NOTIFY: {
        // The sender's identifier is its gadget number; only kinds with a notify entry (the
        // panel's tab control) act on it.
        const NMHDR* header = (const NMHDR*)lparam;
        if (header)
            gadget_notify((int32_t)header->idFrom, header->hwndFrom, header->code);
        return 0;
    }
    case WM_COMMAND:
        // With a control: it notified its parent, and its identifier is its gadget number.
        if (lparam)
            event_notify((int32_t)LOWORD(wparam), (int32_t)HIWORD(wparam));
        else
            accelerator(LOWORD(wparam));
        return 0;
    case WM_SIZE:
        // Reported through the queue so that event_wait sees sizes made during creation too.
        PostMessageA(window, MSG_SIZE_CHANGED, wparam, lparam);
        return 0;
    case MSG_SIZE_CHANGED:
        EVENTS.pending = EVENT_SIZE_WINDOW;
        return 0;
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
        if (!window_background(window))
            return DefWindowProcA(window, message, wparam, lparam);
        paint_background(window, (HDC)wparam, window_background(window));
        return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (!window_background(window))
            return DefWindowProcA(window, message, wparam, lparam);
        return control_background(window, (HDC)wparam, (HWND)lparam, window_background(window));
    case WM_DPICHANGED:
        // The window was moved to a monitor of another scale (or that monitor's scale changed).
        window_rescale(window, LOWORD(wparam), (const RECT*)lparam);
        return 0;
    case WM_DROPFILES:
        files_dropped((HDROP)wparam);
        return 0;
    case WM_CLOSE:
        // Closing is the program's decision: the window stays until it is closed by number.
        EVENTS.pending = EVENT_CLOSE_WINDOW;
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}
