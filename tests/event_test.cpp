// The event loop and the toolkit window procedure: close requests, size changes, gadget
// notifications, events raised between waits, plain messages, Tab / Shift+Tab focus moves
// through the accelerators, and Enter / Ctrl+O as key events that the form layer turns into
// presses.
#include <doctest.h>
#include "event.h"
#include "focus.h"
#include "form.h"
#include "gadget.h"
#include "panel.h"
#include "ui_support.h"
#include "window.h"
#include <commctrl.h>
#include <algorithm>
#include <string>

namespace {
bool contains(const std::vector<int32_t>& seen, int32_t code) {
    return std::find(seen.begin(), seen.end(), code) != seen.end();
}

// Counts the Tab key messages and characters that reach a control, and every character.
struct KeyLog {
    int tab_keys = 0;
    int tab_chars = 0;
    int chars = 0;
};

LRESULT CALLBACK logging_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                              DWORD_PTR data) {
    KeyLog* log = (KeyLog*)data;
    if (message == WM_KEYDOWN && wparam == VK_TAB)
        ++log->tab_keys;
    if (message == WM_CHAR) {
        ++log->chars;
        if (wparam == '\t')
            ++log->tab_chars;
    }
    return DefSubclassProc(control, message, wparam, lparam);
}

// Types key (with Ctrl when control is set) and runs event_wait until a key command comes back;
// that result, or 0 when none came. The results of the waits before it go to *before (the Ctrl
// key's own, when held).
int32_t typed(WORD key, bool control, std::vector<int32_t>* before) {
    before->clear();
    ui_key(key, false, control);
    // Queued before the first wait, so that no other message is handled ahead of the key (input
    // comes before painting).
    MSG msg;
    DWORD start = GetTickCount();
    while (!PeekMessageA(&msg, 0, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) {
        if (GetTickCount() - start > 3000)
            return 0;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    while (GetTickCount() - start < 3000) {
        int32_t result;
        if (!ui_step(20, &result))
            continue;
        if (result == EVENT_KEY_DEFAULT || result == EVENT_KEY_BROWSE)
            return result;
        before->push_back(result);
    }
    return 0;
}

// Presses Tab (or Shift+Tab) and waits for the focus to reach expected.
bool tab_to(HWND expected, bool shift) {
    ui_key(VK_TAB, shift);
    return ui_pump_until([&] { return GetFocus() == expected; });
}
} // namespace

TEST_CASE("event_wait: close requests, size changes and plain messages") {
    HWND window = window_open(0, 50, 50, 300, 200, 0, "events");
    REQUIRE(window);
    // The sizing done while the window was created is reported too.
    std::vector<int32_t> seen = ui_settle();
    CHECK(contains(seen, EVENT_SIZE_WINDOW));
    CHECK_FALSE(contains(seen, -1));

    PostMessageA(window, WM_CLOSE, 0, 0);
    CHECK(ui_wait_for_event(EVENT_CLOSE_WINDOW));
    CHECK(IsWindow(window));
    CHECK(IsWindowVisible(window));

    // WM_SIZE becomes the private message, which gives the event through the queue.
    SetWindowPos(window, nullptr, 0, 0, 350, 260, SWP_NOMOVE | SWP_NOZORDER);
    MSG msg;
    CHECK(PeekMessageA(&msg, window, MSG_SIZE_CHANGED, MSG_SIZE_CHANGED, PM_NOREMOVE));
    CHECK(ui_wait_for_event(EVENT_SIZE_WINDOW));
    ui_settle();

    // Nothing raised: the message's own number.
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    CHECK(event_wait() == WM_MOUSEMOVE);
    PostMessageA(window, WM_APP + 3, 0, 0);
    CHECK(event_wait() == WM_APP + 3);
    window_close(0);
    ui_settle();
}

TEST_CASE("event_wait: gadget notifications name the gadget") {
    HWND window = window_open(0, 50, 50, 300, 200, 0, "gadget events");
    REQUIRE(window);
    gadget_list_create(window);
    HWND button = button_gadget(7, 10, 10, 80, 24, "Press");
    HWND field = string_gadget(8, 10, 40, 120, 20, "start");
    HWND label = text_gadget(GADGET_LABEL, 10, 70, 100, 16, "label");
    REQUIRE(button);
    REQUIRE(field);
    REQUIRE(label);
    ui_settle();

    PostMessageA(button, BM_CLICK, 0, 0);
    CHECK(ui_wait_for_event(EVENT_GADGET));
    CHECK(event_gadget() == 7);

    // Raised while no wait runs (the program sets the text): reported by the next wait.
    ui_settle();
    gadget_set_text(8, "changed");
    PostMessageA(window, WM_APP + 4, 0, 0);
    CHECK(event_wait() == EVENT_GADGET);
    CHECK(event_gadget() == 8);

    // The gadget number stays until the next gadget event; a label raises none.
    ui_settle();
    SetWindowTextA(label, "new label");
    PostMessageA(window, WM_APP + 5, 0, 0);
    CHECK(event_wait() == WM_APP + 5);
    CHECK(event_gadget() == 8);

    window_close(0);
    ui_settle();
}

TEST_CASE("event_wait: tab control notifications") {
    HWND window = window_open(0, 50, 50, 300, 200, 0, "tab events");
    REQUIRE(window);
    gadget_list_create(window);
    HWND tab = panel_gadget(3, 5, 5, 280, 180);
    REQUIRE(tab);
    panel_add_page(3, 0, "one");
    panel_add_page(3, 1, "two");
    gadget_list_close();
    HWND button = button_gadget(4, 0, 0, 10, 10, "b");
    ui_settle();

    static NMHDR header;
    header.hwndFrom = tab;
    header.idFrom = 3;
    // Clicks of either button, single or double, raise the panel's event.
    const UINT clicks[] = {(UINT)NM_CLICK, (UINT)NM_DBLCLK, (UINT)NM_RCLICK, (UINT)NM_RDBLCLK};
    for (UINT code : clicks) {
        CAPTURE(code);
        header.code = code;
        PostMessageA(window, WM_NOTIFY, 3, (LPARAM)&header);
        CHECK(event_wait() == EVENT_GADGET);
        CHECK(event_gadget() == 3);
    }
    // Other codes raise nothing, nor does a click notification from anything but a tab control.
    header.code = (UINT)TCN_SELCHANGING;
    PostMessageA(window, WM_NOTIFY, 3, (LPARAM)&header);
    CHECK(event_wait() == WM_NOTIFY);
    header.hwndFrom = button;
    header.idFrom = 4;
    header.code = (UINT)NM_CLICK;
    PostMessageA(window, WM_NOTIFY, 4, (LPARAM)&header);
    CHECK(event_wait() == WM_NOTIFY);
    window_close(0);
    ui_settle();
}

TEST_CASE("focus: Tab and Shift+Tab cycle through the visible page's controls") {
    HWND window = window_open(0, 60, 60, 400, 300, 0xCA0000, "focus");
    REQUIRE(window);
    gadget_list_create(window);
    HWND tab = panel_gadget(0, 5, 5, 390, 290);
    REQUIRE(tab);
    panel_add_page(0, 0, "first");
    HWND a = string_gadget(1, 10, 10, 100, 20, "");
    text_gadget(GADGET_LABEL, 10, 40, 100, 16, "label");
    HWND b = button_gadget(2, 10, 60, 80, 24, "button");
    HWND c = checkbox_gadget(3, 10, 90, 120, 20, "check");
    panel_add_page(0, 1, "second");
    HWND d = string_gadget(4, 10, 10, 100, 20, "");
    gadget_list_close();
    REQUIRE((a && b && c && d));
    ui_settle();

    KeyLog log;
    REQUIRE(SetWindowSubclass(a, &logging_proc, 1, (DWORD_PTR)&log));
    REQUIRE(ui_activate(window, a));

    // Forward in creation order, skipping the label and the hidden page, wrapping at the end.
    CHECK(tab_to(b, false));
    CHECK(tab_to(c, false));
    CHECK(tab_to(tab, false));
    CHECK(tab_to(a, false));
    // Backward, wrapping at the start.
    CHECK(tab_to(tab, true));
    CHECK(tab_to(c, true));
    CHECK(tab_to(b, true));
    CHECK(tab_to(a, true));

    // The accelerator takes every Tab: the field never sees one, though it sees typing.
    ui_key('X');
    CHECK(ui_pump_until([&] { return log.chars == 1; }));
    CHECK(log.tab_keys == 0);
    CHECK(log.tab_chars == 0);
    CHECK(ui_text(a) == "x");

    // No focus inside the window: Tab takes the first candidate, Shift+Tab the last.
    SetFocus(window);
    CHECK(tab_to(tab, false));
    SetFocus(window);
    CHECK(tab_to(c, true));

    // The other page shown: its field is the only candidate besides the tab control.
    gadget_set_state(0, 1);
    SetFocus(tab);
    CHECK(tab_to(d, false));
    CHECK(tab_to(tab, false));
    CHECK(tab_to(d, true));
    RemoveWindowSubclass(a, &logging_proc, 1);
    window_close(0);
    ui_settle();
}

TEST_CASE("focus: the moves called directly, with and without candidates") {
    HWND window = window_open(0, 60, 60, 200, 120, 0, "direct");
    REQUIRE(window);
    REQUIRE(ui_activate(window, nullptr));
    focus_next(); // no candidates: nothing happens
    focus_previous();
    CHECK(GetFocus() == window);

    gadget_list_create(window);
    HWND a = button_gadget(1, 5, 5, 50, 20, "a");
    HWND hidden = button_gadget(2, 5, 30, 50, 20, "hidden");
    HWND disabled = button_gadget(3, 5, 55, 50, 20, "disabled");
    HWND b = button_gadget(4, 5, 80, 50, 20, "b");
    ShowWindow(hidden, SW_HIDE);
    EnableWindow(disabled, FALSE);
    SetFocus(a);
    focus_next();
    CHECK(GetFocus() == b);
    focus_next();
    CHECK(GetFocus() == a);
    focus_previous();
    CHECK(GetFocus() == b);
    window_close(0);
    ui_settle();
}

TEST_CASE("keys: Enter and Ctrl+O come back as key events; form_event presses as a click does") {
    HWND window = window_open(0, 60, 60, 400, 300, 0xCA0000, "keys");
    REQUIRE(window);
    gadget_list_create(window);
    REQUIRE(panel_gadget(0, 5, 5, 390, 290));
    static const FormRow ROWS[] = {
        {FORM_PAGE, 1, 0, 0, 0, 0, "first", 0},
        {FORM_STRING, 1, 10, 30, 200, 20, "", 0},
        {FORM_BROWSE, 5, 130, 8, 80, 20, "Browse...", 1, "Open", "All files (*.*)|*.*"},
        {FORM_BUTTON, 4, 10, 200, 200, 20, "Run", FORM_DEFAULT},
        {FORM_PAGE, 2, 0, 0, 0, 0, "second", 0},
        {FORM_STRING, 6, 10, 30, 200, 20, "", 0},
    };
    form_build(0, ROWS, (int32_t)(sizeof ROWS / sizeof ROWS[0]));
    gadget_list_close();
    HWND field = gadget_handle(1), other = gadget_handle(6), run = gadget_handle(4);
    REQUIRE((field && other && run));
    REQUIRE(ui_activate(window, field));
    ui_settle();
    std::vector<int32_t> before;

    // Enter names the field it was typed in, and becomes the page's default button: the field's
    // event that the program left pending is replaced, as a click replaces it, and neither comes
    // back later.
    gadget_set_text(1, "changed");
    int32_t key = typed(VK_RETURN, false, &before);
    CHECK(key == EVENT_KEY_DEFAULT);
    CHECK(before.empty());
    CHECK(event_key_focus() == field);
    CHECK(form_event(key) == EVENT_GADGET);
    CHECK(event_gadget() == 4);
    CHECK_FALSE(contains(ui_settle(), EVENT_GADGET));

    // Nothing a click could press: the key gives what the wait would have given without it.
    EnableWindow(run, FALSE);
    CHECK(form_event(typed(VK_RETURN, false, &before)) == WM_KEYDOWN);
    EnableWindow(run, TRUE);
    ui_settle();
    // A page without a default button: the event pending before the key comes back.
    gadget_set_state(0, 1);
    REQUIRE(ui_activate(window, other));
    ui_settle();
    gadget_set_text(6, "x");
    key = typed(VK_RETURN, false, &before);
    CHECK(before.empty());
    CHECK(event_key_focus() == other);
    CHECK(form_event(key) == EVENT_GADGET);
    CHECK(event_gadget() == 6);
    ui_settle();

    // Ctrl+O: nothing in a field without a Browse button, the button of the field that has one.
    key = typed('O', true, &before);
    CHECK(key == EVENT_KEY_BROWSE);
    CHECK(form_event(key) == WM_KEYDOWN);
    gadget_set_state(0, 0);
    REQUIRE(ui_activate(window, field));
    ui_settle();
    key = typed('O', true, &before);
    CHECK(key == EVENT_KEY_BROWSE);
    CHECK(event_key_focus() == field);
    CHECK(form_event(key) == EVENT_GADGET);
    CHECK(event_gadget() == 5);
    CHECK(form_event(WM_MOUSEMOVE) == WM_MOUSEMOVE); // every other code passes as it is
    window_close(0);
    ui_settle();
}
