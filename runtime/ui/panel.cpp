// The panel kind: its GadgetOps, page creation, the page switch for the user's tab changes and the
// program's, and fitting the pages after a resize. Owns the page count and the tab height of the
// panel created (or resized) last.
#include "panel.h"
#include "dpi.h"
#include "event.h"
#include "gadget.h"
#include "program.h"
#include "str.h"
#include "window.h"
#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

namespace {
enum { TITLE_READ_MAX = 1000 };

struct PanelState {
    int32_t page_count; // pages added to the panel created last
    int32_t tab_height; // bottom edge of the first tab of the panel created or resized last
};
PanelState PANEL = {};

// The bottom edge of the tab at index in the tab control's client coordinates.
int32_t tab_bottom(HWND tab, int32_t index) {
    RECT r = {0, 0, 0, 0};
    SendMessageA(tab, TCM_GETITEMRECT, (WPARAM)index, (LPARAM)&r);
    return r.bottom;
}

HWND page_of(HWND tab, int32_t index) {
    TCITEMA item = {};
    item.mask = TCIF_PARAM;
    if (!SendMessageA(tab, TCM_GETITEMA, (WPARAM)index, (LPARAM)&item))
        return 0;
    return (HWND)item.lParam;
}

// With visual styles the tab control draws its body in the theme's own colour or texture, not
// the grey of dialogs: a page takes that body as its background, so that its labels and check
// boxes do not stand in grey boxes on it. Without visual styles the page keeps its class's grey.
void page_background(HWND tab, HWND page) {
    HTHEME theme = IsAppThemed() ? OpenThemeData(tab, L"TAB") : 0;
    RECT client;
    GetClientRect(page, &client);
    HBRUSH brush = 0;
    if (theme && client.right > 0 && client.bottom > 0) {
        BITMAPINFO info;
        ZeroMemory(&info, sizeof info);
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = 0;
        HDC dc = CreateCompatibleDC(0);
        HBITMAP body = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, 0, 0) : 0;
        if (body) {
            HGDIOBJ before = SelectObject(dc, body);
            DrawThemeBackground(theme, dc, TABP_BODY, 0, &client, 0);
            SelectObject(dc, before);
            brush = CreatePatternBrush(body);
            DeleteObject(body); // the brush keeps a copy of the pattern
        }
        if (dc)
            DeleteDC(dc);
    }
    if (theme)
        CloseThemeData(theme);
    if (brush || window_background(page))
        window_set_background(page, brush);
}

// Every page's background, after the pages took a new size.
void pages_background(HWND tab) {
    int32_t count = (int32_t)SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0);
    for (int32_t index = 0; index < count; ++index) {
        HWND page = page_of(tab, index);
        if (page)
            page_background(tab, page);
    }
}

// Shows a window as the topmost of its siblings: the page switch finds the shown page that way.
void raise_and_show(HWND window) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

// Shows the page of the selected tab: hides and disables the page shown until now, enables the
// new one and raises it to the top. Nothing when no tab is selected.
void show_selected(HWND tab) {
    LRESULT selected = SendMessageA(tab, TCM_GETCURSEL, 0, 0);
    HWND page = selected >= 0 ? page_of(tab, (int32_t)selected) : 0;
    if (!page)
        return;
    HWND shown = GetWindow(tab, GW_CHILD);
    if (shown) {
        ShowWindow(shown, SW_HIDE);
        EnableWindow(shown, FALSE);
    }
    EnableWindow(page, TRUE);
    raise_and_show(page);
}

LONG_PTR panel_get_state(HWND tab) {
    return (LONG_PTR)SendMessageA(tab, TCM_GETCURSEL, 0, 0);
}

// An index that names no tab leaves the selection as it is; the selected page is shown anyway.
void panel_set_state(HWND tab, LONG_PTR value) {
    LONG_PTR count = (LONG_PTR)SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0);
    if (value >= 0 && value < count)
        SendMessageA(tab, TCM_SETCURSEL, (WPARAM)value, 0);
    show_selected(tab);
}

char* panel_get_text(HWND tab) {
    char* start = str_position();
    *start = 0;
    uint32_t room = str_free() + 1;
    if (room > TITLE_READ_MAX)
        room = TITLE_READ_MAX;
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = start;
    item.cchTextMax = (int)room;
    LRESULT selected = SendMessageA(tab, TCM_GETCURSEL, 0, 0);
    if (selected >= 0)
        SendMessageA(tab, TCM_GETITEMA, (WPARAM)selected, (LPARAM)&item);
    uint32_t length = 0;
    while (length + 1 < room && start[length])
        ++length;
    return str_commit(length);
}

void panel_set_text(HWND tab, const char* text) {
    LRESULT selected = SendMessageA(tab, TCM_GETCURSEL, 0, 0);
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = (LPSTR)text; // only read by TCM_SETITEMA
    SendMessageA(tab, TCM_SETITEMA, (WPARAM)selected, (LPARAM)&item);
    panel_set_state(tab, (LONG_PTR)selected);
}

// Where a page stands in its tab control: under the tabs, inside the control's border. The margins
// are layout numbers, scaled as the gadgets are.
void page_place(HWND tab, uint32_t dpi, RECT* place) {
    RECT client;
    GetClientRect(tab, &client);
    int32_t top = PANEL.tab_height, margin = dpi_scale(2, dpi), trim = dpi_scale(5, dpi);
    place->left = margin;
    place->top = top + margin;
    place->right = client.right - trim;         // the width
    place->bottom = client.bottom - top - trim; // the height
}

int32_t panel_add_item(HWND tab, int32_t position, const char* title) {
    (void)position; // pages appear in the order they are added
    RECT at;
    page_place(tab, dpi_of_control(tab), &at);
    HWND page = CreateWindowExA(WS_EX_TRANSPARENT, WINDOW_TEMPLATE_CLASS, "", WS_CHILD, at.left,
                                at.top, at.right, at.bottom, tab, 0, program_instance(), 0);
    if (!page)
        return 0;
    gadget_list_create(page);
    page_background(tab, page);
    TCITEMA item = {};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = (LPSTR)title; // only read by TCM_INSERTITEMA
    item.lParam = (LPARAM)page;
    SendMessageA(tab, TCM_INSERTITEMA, (WPARAM)PANEL.page_count, (LPARAM)&item);
    if (PANEL.page_count == 0) {
        raise_and_show(page);
        raise_and_show(tab);
    }
    RedrawWindow(tab, 0, 0, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
    return ++PANEL.page_count;
}

// Fits every page to the tab control's new client size. Pages keep their position.
void panel_resized(HWND tab) {
    int32_t count = (int32_t)SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0);
    if (count <= 0)
        return;
    PANEL.tab_height = tab_bottom(tab, 0);
    int32_t trim = dpi_scale(4, dpi_of_control(tab));
    for (int32_t index = count - 1; index >= 0; --index) {
        RECT client;
        GetClientRect(tab, &client);
        HWND page = page_of(tab, index);
        if (page)
            SetWindowPos(page, 0, 0, 0, client.right - trim,
                         client.bottom - PANEL.tab_height - trim,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
    }
    pages_background(tab);
}

// At a new DPI the tabs have the font of that DPI and another height: every page is placed under
// them again as it was when it was added.
void panel_rescaled(HWND tab, uint32_t dpi) {
    int32_t count = (int32_t)SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0);
    if (count <= 0)
        return;
    PANEL.tab_height = tab_bottom(tab, 0);
    RECT at;
    page_place(tab, dpi, &at);
    for (int32_t index = 0; index < count; ++index) {
        HWND page = page_of(tab, index);
        if (page)
            SetWindowPos(page, 0, at.left, at.top, at.right, at.bottom,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
    pages_background(tab);
}

// The tab control's notifications: a change of page by the user, and clicks, whose mouse button
// becomes the notification state. Any other code raises the panel's event only when a control
// has already notified in this wait.
void panel_notify(HWND tab, int32_t number, UINT code) {
    int32_t state = event_notification();
    switch (code) {
    case TCN_SELCHANGE:
        // Raised before the switch: the focus move below makes the field that loses the focus
        // notify its page, and that later event is the one the wait reports.
        event_notify(number, state);
        show_selected(tab);
        SetFocus(tab);
        return;
    case NM_CLICK:
        state = 0;
        break;
    case NM_DBLCLK:
        state = 2;
        break;
    case NM_RCLICK:
        state = 1;
        break;
    case NM_RDBLCLK:
        state = 3;
        break;
    default:
        break;
    }
    if (state != -1)
        event_notify(number, state);
}

const GadgetOps PANEL_OPS = {&panel_get_state, &panel_set_state, &panel_get_text, &panel_set_text,
                             &panel_add_item,  &panel_resized,   &panel_notify,   &panel_rescaled};
} // namespace

HWND panel_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height) {
    HWND tab = gadget_create_control(
        number, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | WS_TABSTOP,
        0, x, y, width, height, &PANEL_OPS);
    PANEL.page_count = 0;
    // Pushed even when the control failed, so the caller's gadget_list_close stays balanced.
    gadget_parent_push();
    if (!tab)
        return 0;
    // The tabs' height depends on the font and the theme: measure it with a throw-away tab.
    TCITEMA item = {};
    SendMessageA(tab, TCM_INSERTITEMA, 0, (LPARAM)&item);
    PANEL.tab_height = tab_bottom(tab, 0);
    SendMessageA(tab, TCM_DELETEITEM, 0, 0);
    return tab;
}

int32_t panel_add_page(int32_t number, int32_t position, const char* title) {
    return gadget_add_item(number, position, title);
}
