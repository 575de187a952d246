// The event loop and the toolkit window procedure. Owns the event state: the pending event, the
// gadget number of the last EVENT_GADGET and the notification state of the current wait.
#include "event.h"
#include "focus.h"
#include "form.h"
#include "gadget.h"
#include "panel.h"
#include "window.h"
#include <commctrl.h>

namespace {
enum { CLASS_NAME_SIZE = 51 };

struct EventState {
    int32_t pending;      // 0 = none
    int32_t gadget;       // kept between events
    int32_t notification; // -1 at the start of every wait
    int32_t press;        // WM_LBUTTONDOWN or WM_RBUTTONDOWN handled by this wait, else 0
    HWND press_window;    // the window it went to
    POINT press_point;    // where, in its client coordinates
};
EventState EVENTS = {};

void raise_gadget(int32_t number) {
    EVENTS.pending = EVENT_GADGET;
    EVENTS.gadget = number;
}

// The tab control is the only sender of WM_NOTIFY that the toolkit listens to.
int is_tab_control(HWND control) {
    char name[CLASS_NAME_SIZE];
    int n = GetClassNameA(control, name, CLASS_NAME_SIZE);
    return n >= 4 && name[0] == 'S' && name[1] == 'y' && name[2] == 's' && name[3] == 'T';
}

void tab_notified(const NMHDR* header) {
    // The identifier of the tab control is the panel's gadget number.
    int32_t panel = (int32_t)header->idFrom;
    switch (header->code) {
    case TCN_SELCHANGE:
        raise_gadget(panel);
        panel_show_selected(header->hwndFrom);
        SetFocus(header->hwndFrom);
        return;
    case NM_CLICK:
        EVENTS.notification = 0;
        break;
    case NM_DBLCLK:
        EVENTS.notification = 2;
        break;
    case NM_RCLICK:
        EVENTS.notification = 1;
        break;
    case NM_RDBLCLK:
        EVENTS.notification = 3;
        break;
    default:
        break;
    }
    if (EVENTS.notification != -1)
        raise_gadget(panel);
}
} // namespace

void event_reset(void) {
    EVENTS.pending = 0;
    EVENTS.gadget = 0;
    EVENTS.notification = 0;
}

int32_t event_wait(void) {
    EVENTS.notification = -1;
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
    EVENTS.pending = 0;
    return result;
}

int32_t event_gadget(void) {
    return EVENTS.gadget;
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
    return 1;
}

LRESULT CALLBACK event_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_NOTIFY: {
        const NMHDR* header = (const NMHDR*)lparam;
        if (header && is_tab_control(header->hwndFrom))
            tab_notified(header);
        return 0;
    }
    case WM_COMMAND:
        if (lparam) {
            // A control notified its parent; its identifier is its gadget number.
            raise_gadget((int32_t)LOWORD(wparam));
            EVENTS.notification = (int32_t)HIWORD(wparam);
        } else if (LOWORD(wparam) == ACCEL_FOCUS_NEXT) {
            focus_next();
        } else if (LOWORD(wparam) == ACCEL_FOCUS_PREVIOUS) {
            focus_previous();
        } else if (LOWORD(wparam) == ACCEL_PRESS_DEFAULT) {
            form_press_default(GetFocus());
        } else if (LOWORD(wparam) == ACCEL_BROWSE) {
            form_press_browse(GetFocus());
        }
        return 0;
    case WM_SIZE:
        // Reported through the queue so that event_wait sees sizes made during creation too.
        PostMessageA(window, MSG_SIZE_CHANGED, wparam, lparam);
        return 0;
    case MSG_SIZE_CHANGED:
        EVENTS.pending = EVENT_SIZE_WINDOW;
        return 0;
    case WM_CLOSE:
        // Closing is the program's decision: the window stays until it is closed by number.
        EVENTS.pending = EVENT_CLOSE_WINDOW;
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}
