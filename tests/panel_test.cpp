// The panel: pages in call order, the page shown, choosing a tab, the panel's state and text, and
// fitting the pages when the panel is resized.
#include <doctest.h>
#include "event.h"
#include "gadget.h"
#include "panel.h"
#include "str.h"
#include "ui_support.h"
#include "window.h"
#include <commctrl.h>
#include <algorithm>
#include <string>

namespace {
std::string tab_title(HWND tab, int index) {
    char text[100] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tab, TCM_GETITEMA, (WPARAM)index, (LPARAM)&item);
    return text;
}

HWND tab_page(HWND tab, int index) {
    TCITEMA item = {};
    item.mask = TCIF_PARAM;
    SendMessageA(tab, TCM_GETITEMA, (WPARAM)index, (LPARAM)&item);
    return (HWND)item.lParam;
}

int tab_height(HWND tab) {
    RECT r = {};
    SendMessageA(tab, TCM_GETITEMRECT, 0, (LPARAM)&r);
    return r.bottom;
}

RECT client_of(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return r;
}

std::string text_of(int32_t number) {
    char* mark = str_position();
    std::string text = gadget_get_text(number);
    CHECK(str_position() == mark + text.size());
    str_set_position(mark);
    return text;
}

// Only this page of the panel is shown and enabled, and it is the tab control's topmost child.
void check_shown(HWND tab, int shown, int count) {
    CHECK(GetWindow(tab, GW_CHILD) == tab_page(tab, shown));
    for (int i = 0; i < count; ++i) {
        CAPTURE(i);
        HWND page = tab_page(tab, i);
        CHECK((IsWindowVisible(page) != FALSE) == (i == shown));
        if (i == shown)
            CHECK(IsWindowEnabled(page));
    }
}

struct PanelForm {
    HWND window;
    HWND tab;
    HWND on_first;
    HWND on_second;
    HWND after;
    PanelForm() {
        window = window_open(0, 40, 40, 500, 380, 0xCA0000, "panel");
        REQUIRE(window);
        gadget_list_create(window);
        tab = panel_gadget(10, 5, 60, 490, 315);
        REQUIRE(tab);
        // Positions are not used: pages come in call order.
        CHECK(panel_add_page(10, 4, "Alpha"));
        on_first = string_gadget(11, 10, 10, 100, 20, "on alpha");
        CHECK(panel_add_page(10, 3, "Beta"));
        on_second = button_gadget(12, 10, 10, 100, 24, "on beta");
        CHECK(panel_add_page(10, 0, nullptr));
        gadget_list_close();
        after = button_gadget(13, 5, 5, 60, 24, "after");
        REQUIRE((on_first && on_second && after));
        ui_settle();
    }
    ~PanelForm() {
        window_close(0);
        ui_settle();
    }
};
} // namespace

TEST_CASE("panel: the tab control, its pages in call order, the first shown") {
    PanelForm f;
    CHECK(ui_class(f.tab) == "SysTabControl32");
    CHECK((DWORD)GetWindowLongA(f.tab, GWL_STYLE) == 0x54030000u);
    CHECK(GetDlgCtrlID(f.tab) == 10);
    CHECK(gadget_handle(10) == f.tab);
    REQUIRE(SendMessageA(f.tab, TCM_GETITEMCOUNT, 0, 0) == 3);
    CHECK(tab_title(f.tab, 0) == "Alpha");
    CHECK(tab_title(f.tab, 1) == "Beta");
    CHECK(tab_title(f.tab, 2) == "");

    RECT client = client_of(f.tab);
    int height = tab_height(f.tab);
    CHECK(height > 0);
    for (int i = 0; i < 3; ++i) {
        CAPTURE(i);
        HWND page = tab_page(f.tab, i);
        REQUIRE(page);
        CHECK(ui_class(page) == "TemplateClass");
        CHECK(GetParent(page) == f.tab);
        CHECK(GetDlgCtrlID(page) == 0);
        CHECK(((DWORD)GetWindowLongA(page, GWL_STYLE) & ~WS_VISIBLE & ~WS_DISABLED) ==
              (DWORD)WS_CHILD);
        CHECK(((DWORD)GetWindowLongA(page, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0);
        RECT r = ui_rect_in_parent(page);
        CHECK(r.left == 2);
        CHECK(r.top == height + 2);
        CHECK(r.right - r.left == client.right - 5);
        CHECK(r.bottom - r.top == client.bottom - height - 5);
    }
    CHECK(SendMessageA(f.tab, TCM_GETCURSEL, 0, 0) == 0);
    check_shown(f.tab, 0, 3);

    // Gadgets go onto the page added last; after gadget_list_close, into the window again.
    CHECK(GetParent(f.on_first) == tab_page(f.tab, 0));
    CHECK(GetParent(f.on_second) == tab_page(f.tab, 1));
    CHECK(GetParent(f.after) == f.window);

    // Only a panel adds pages.
    CHECK(panel_add_page(12, 0, "not a panel") == 0);
    CHECK(panel_add_page(4321, 0, "no gadget") == 0);
    CHECK(SendMessageA(f.tab, TCM_GETITEMCOUNT, 0, 0) == 3);
}

TEST_CASE("panel: choosing a tab raises the panel's event and swaps the pages") {
    PanelForm f;
    // TCM_SETCURFOCUS notifies the parent as a click on the tab would.
    SendMessageA(f.tab, TCM_SETCURFOCUS, 1, 0);
    PostMessageA(f.window, WM_APP + 1, 0, 0);
    CHECK(event_wait() == EVENT_GADGET);
    CHECK(event_gadget() == 10);
    check_shown(f.tab, 1, 3);
    CHECK_FALSE(IsWindowEnabled(tab_page(f.tab, 0)));
    CHECK(GetFocus() == f.tab);
    CHECK(gadget_get_state(10) == 1);
    CHECK(text_of(10) == "Beta");

    // The button on the shown page reports itself through the page.
    PostMessageA(f.on_second, BM_CLICK, 0, 0);
    CHECK(ui_wait_for_event(EVENT_GADGET));
    CHECK(event_gadget() == 12);

    SendMessageA(f.tab, TCM_SETCURFOCUS, 2, 0);
    PostMessageA(f.window, WM_APP + 1, 0, 0);
    CHECK(event_wait() == EVENT_GADGET);
    CHECK(event_gadget() == 10);
    check_shown(f.tab, 2, 3);
}

TEST_CASE("panel: set state and set text show pages without an event") {
    PanelForm f;
    SetFocus(f.window);
    ui_settle();
    gadget_set_state(10, 2);
    CHECK(gadget_get_state(10) == 2);
    check_shown(f.tab, 2, 3);
    gadget_set_state(10, 1);
    check_shown(f.tab, 1, 3);
    std::vector<int32_t> seen = ui_settle();
    CHECK(std::find(seen.begin(), seen.end(), EVENT_GADGET) == seen.end());
    CHECK(GetFocus() == f.window);

    // An index that names no tab leaves the selection, and shows its page again.
    ShowWindow(tab_page(f.tab, 1), SW_HIDE);
    gadget_set_state(10, 7);
    CHECK(gadget_get_state(10) == 1);
    check_shown(f.tab, 1, 3);
    gadget_set_state(10, -1);
    CHECK(gadget_get_state(10) == 1);

    gadget_set_text(10, "Renamed");
    CHECK(tab_title(f.tab, 1) == "Renamed");
    CHECK(tab_title(f.tab, 0) == "Alpha");
    CHECK(text_of(10) == "Renamed");
    check_shown(f.tab, 1, 3);

    // The title read is cut where the string area ends.
    char* saved = str_position();
    char* last = saved + str_free();
    str_set_position(last - 3);
    CHECK(std::string(gadget_get_text(10)) == "Ren");
    CHECK(str_position() == last);
    str_set_position(saved);
}

TEST_CASE("panel: resizing fits every page to the new size") {
    PanelForm f;
    gadget_resize(10, -1, -1, 400, 250);
    RECT r = ui_rect_in_parent(f.tab);
    CHECK(r.left == 5);
    CHECK(r.top == 60);
    CHECK(r.right - r.left == 400);
    CHECK(r.bottom - r.top == 250);
    RECT client = client_of(f.tab);
    int height = tab_height(f.tab);
    for (int i = 0; i < 3; ++i) {
        CAPTURE(i);
        RECT page = ui_rect_in_parent(tab_page(f.tab, i));
        CHECK(page.left == 2); // pages keep their place
        CHECK(page.top == height + 2);
        CHECK(page.right - page.left == client.right - 4);
        CHECK(page.bottom - page.top == client.bottom - height - 4);
    }
}
