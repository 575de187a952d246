// Tab and Shift+Tab focus moves, run by the toolkit window procedure for the accelerator commands.
// Owns nothing but the state of one walk over the candidates.
#include "focus.h"
#include <windows.h>

namespace {
struct FocusWalk {
    HWND start;    // the focused candidate, 0 when the focus is not inside the active window
    HWND previous; // backward walk: the candidate before the one being visited
    int found;     // forward walk: start was passed, the next candidate gets the focus
    int done;      // the focus was moved
};

int is_candidate(HWND control) {
    return IsWindowEnabled(control) && IsWindowVisible(control) &&
           (GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP);
}

BOOL CALLBACK visit_forward(HWND control, LPARAM data) {
    FocusWalk* walk = (FocusWalk*)data;
    if (!is_candidate(control))
        return TRUE;
    if (walk->found || !walk->start) {
        SetFocus(control);
        walk->found = 0;
        walk->done = 1;
        return FALSE;
    }
    if (control == walk->start)
        walk->found = 1;
    return TRUE;
}

BOOL CALLBACK visit_backward(HWND control, LPARAM data) {
    FocusWalk* walk = (FocusWalk*)data;
    if (!is_candidate(control))
        return TRUE;
    if (control == walk->start && walk->previous) {
        SetFocus(walk->previous);
        walk->done = 1;
        return FALSE;
    }
    walk->previous = control;
    return TRUE;
}

HWND walk_start(HWND active) {
    HWND focus = GetFocus();
    return (focus && IsChild(active, focus)) ? focus : 0;
}
} // namespace

void focus_next(void) {
    HWND active = GetActiveWindow();
    if (!active)
        return;
    FocusWalk walk = {walk_start(active), 0, 0, 0};
    EnumChildWindows(active, &visit_forward, (LPARAM)&walk);
    // start was the last candidate (or a focused control that is none): the first one next.
    if (!walk.done) {
        walk.start = 0;
        walk.found = 0;
        EnumChildWindows(active, &visit_forward, (LPARAM)&walk);
    }
}

void focus_previous(void) {
    HWND active = GetActiveWindow();
    if (!active)
        return;
    FocusWalk walk = {walk_start(active), 0, 0, 0};
    EnumChildWindows(active, &visit_backward, (LPARAM)&walk);
    // start was the first candidate, or none: the last candidate gets the focus.
    if (!walk.done && walk.previous)
        SetFocus(walk.previous);
}
