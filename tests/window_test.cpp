// Numbered windows: style from the flags, client size and outer position, centring, the table's
// growth, reopening and closing, and the class template.
#include <doctest.h>
#include "event.h"
#include "heap.h"
#include "os.h"
#include "program.h"
#include "test_os_calls.h"
#include "test_support.h"
#include "ui_support.h"
#include "window.h"
#include <string>

namespace {
const DWORD FRAME_BITS = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                         WS_THICKFRAME | WS_POPUP | WS_CHILD;

DWORD frame_style(HWND window) {
    return (DWORD)GetWindowLongA(window, GWL_STYLE) & FRAME_BITS;
}

RECT outer(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

bool class_registered(const char* name) {
    WNDCLASSA wc;
    return GetClassInfoA(program_instance(), name, &wc) != 0;
}
} // namespace

TEST_CASE("window_open: the style follows the flags") {
    HWND plain = window_open(0, 10, 10, 200, 100, 0, "plain");
    REQUIRE(plain);
    CHECK(frame_style(plain) == (WS_VISIBLE | WS_CAPTION));
    CHECK(IsWindowVisible(plain));

    HWND hidden = window_open(1, 10, 10, 200, 100, WINDOW_INVISIBLE, "hidden");
    REQUIRE(hidden);
    CHECK(frame_style(hidden) == WS_CAPTION);
    CHECK_FALSE(IsWindowVisible(hidden));

    // The main bodies' flags: title bar, system menu, minimise box, no sizing border.
    HWND form = window_open(2, 100, 120, 500, 380, 0xCA0000, "form");
    REQUIRE(form);
    CHECK(frame_style(form) == 0x10CA0000u);
    RECT client;
    GetClientRect(form, &client);
    CHECK(client.right == 500);
    CHECK(client.bottom == 380);
    RECT r = outer(form);
    CHECK(r.left == 100);
    CHECK(r.top == 120);
    RECT expected = {0, 0, 500, 380};
    AdjustWindowRect(&expected, 0x10CA0000, FALSE);
    CHECK(r.right - r.left == expected.right - expected.left);
    CHECK(r.bottom - r.top == expected.bottom - expected.top);
    CHECK(ui_class(form) == "WindowClass_2");
    CHECK(ui_text(form) == "form");

    // Only a style without any bits of its own gets the title bar.
    HWND popup = window_open(3, 10, 10, 50, 50, (int32_t)(WINDOW_INVISIBLE | WS_POPUP), "popup");
    REQUIRE(popup);
    CHECK(frame_style(popup) == WS_POPUP);

    // A child style without a parent cannot be made: 0, the record stays empty.
    HWND last = window_last_handle();
    CHECK(window_open(4, 0, 0, 10, 10, WS_CHILD, "child") == nullptr);
    CHECK(window_last_handle() == last);
    CHECK(last == popup);
    window_hide(4, 1); // a number without a window: nothing happens

    for (int n = 0; n <= 4; ++n)
        window_close(n);
    CHECK_FALSE(IsWindow(plain));
    CHECK_FALSE(IsWindow(form));
    ui_settle();
}

TEST_CASE("window_open: centring on the screen and on the active window") {
    int screen_w = GetSystemMetrics(SM_CXSCREEN);
    int screen_h = GetSystemMetrics(SM_CYSCREEN);
    HWND centred = window_open(0, 5, 5, 300, 200, WINDOW_CENTER_SCREEN, "screen");
    REQUIRE(centred);
    RECT r = outer(centred);
    CHECK(r.left == (screen_w >> 1) - ((r.right - r.left) >> 1));
    CHECK(r.top == (screen_h >> 1) - ((r.bottom - r.top) >> 1));
    CHECK(frame_style(centred) == (WS_VISIBLE | WS_CAPTION)); // the bit left the style

    // Larger than the screen: centring on the screen is not clamped.
    HWND huge = window_open(1, 0, 0, screen_w + 200, 100, WINDOW_CENTER_SCREEN, "huge");
    REQUIRE(huge);
    CHECK(outer(huge).left < 0);
    window_close(1);

    HWND anchor = window_open(2, 300, 200, 400, 300, 0, "anchor");
    REQUIRE(anchor);
    REQUIRE(ui_activate(anchor, nullptr));
    RECT a = outer(anchor);
    // Both bits: the active window wins. (Sizes stay above the system's smallest window.)
    HWND on_active =
        window_open(3, 0, 0, 200, 150, WINDOW_CENTER_SCREEN | WINDOW_CENTER_ACTIVE, "on active");
    REQUIRE(on_active);
    r = outer(on_active);
    CHECK(r.left == a.left + ((a.right - a.left) >> 1) - ((r.right - r.left) >> 1));
    CHECK(r.top == a.top + ((a.bottom - a.top) >> 1) - ((r.bottom - r.top) >> 1));
    CHECK(frame_style(on_active) == (WS_VISIBLE | WS_CAPTION));

    // Centred on a small active window near the corner: never negative.
    HWND corner = window_open(4, 0, 0, 150, 100, 0, "corner");
    REQUIRE(ui_activate(corner, nullptr));
    HWND big = window_open(5, 500, 500, 600, 500, WINDOW_CENTER_ACTIVE, "big");
    REQUIRE(big);
    CHECK(outer(big).left == 0);
    CHECK(outer(big).top == 0);

    // No active window of this program: the screen.
    for (int n = 0; n <= 5; ++n)
        window_close(n);
    ui_settle();
    REQUIRE(GetActiveWindow() == nullptr);
    HWND alone = window_open(6, 0, 0, 300, 200, WINDOW_CENTER_ACTIVE, "alone");
    REQUIRE(alone);
    r = outer(alone);
    CHECK(r.left == (screen_w >> 1) - ((r.right - r.left) >> 1));
    CHECK(r.top == (screen_h >> 1) - ((r.bottom - r.top) >> 1));
    window_close(6);
    ui_settle();
}

TEST_CASE("window table: growth, reopening a number, closing, and a refused growth") {
    int32_t capacity = window_capacity();
    REQUIRE(capacity >= 10);
    int32_t number = capacity + 2;
    HWND first = window_open(number, 20, 20, 120, 80, 0, "first");
    REQUIRE(first);
    CHECK(window_capacity() == number + 10);
    CHECK(window_last_handle() == first);
    // The number equal to the old capacity is an empty record, not someone else's window.
    window_hide(capacity, 1);
    CHECK(IsWindowVisible(first));

    std::string name = "WindowClass_" + std::to_string(number);
    CHECK(class_registered(name.c_str()));
    CHECK(window_accelerators(first) != nullptr);

    // Reopening destroys the old window and makes a new one under a freshly registered class.
    HWND second = window_open(number, 40, 40, 120, 80, 0, "second");
    REQUIRE(second);
    CHECK_FALSE(IsWindow(first));
    CHECK(ui_text(second) == "second");
    CHECK(window_accelerators(second) != nullptr);
    CHECK(window_accelerators(first) == nullptr);

    window_hide(number, 1);
    CHECK_FALSE(IsWindowVisible(second));
    window_hide(number, 0);
    CHECK(IsWindowVisible(second));

    window_close(number);
    CHECK_FALSE(IsWindow(second));
    CHECK_FALSE(class_registered(name.c_str()));
    CHECK(window_accelerators(second) == nullptr);
    window_close(number); // closing twice does nothing

    // Negative numbers and a heap that refuses to grow the table: 0, table unchanged.
    CHECK(window_open(-1, 0, 0, 10, 10, 0, "negative") == nullptr);
    capacity = window_capacity();
    TestOsCalls calls;
    calls->heap_realloc = &test_refusing_realloc;
    CHECK(window_open(capacity + 5, 0, 0, 10, 10, 0, "refused") == nullptr);
    // Near the number whose table's byte count wraps to 0 in 32 bits: the growth asks for all it
    // needs or refuses by itself, never for a wrapped, small block.
    test_refused_least = TEST_NONE_ASKED;
    CHECK(window_open(268435444, 0, 0, 10, 10, 0, "wrapping") == nullptr);
    CHECK(test_refused_least > 268435444ull);
    calls.restore();
    CHECK(window_capacity() == capacity);
    ui_settle();
}

TEST_CASE("window_close_all: every window goes, and windows can be opened afterwards") {
    HWND a = window_open(0, 0, 0, 50, 50, 0, "a");
    HWND b = window_open(7, 0, 0, 50, 50, 0, "b");
    REQUIRE(a);
    REQUIRE(b);
    window_close_all();
    CHECK_FALSE(IsWindow(a));
    CHECK_FALSE(IsWindow(b));
    CHECK_FALSE(class_registered("WindowClass_0"));
    CHECK_FALSE(class_registered("WindowClass_7"));
    CHECK(window_capacity() == 0);
    HWND again = window_open(0, 0, 0, 50, 50, 0, "again");
    CHECK(again);
    CHECK(window_capacity() == 10);
    window_close(0);
    ui_settle();
}

TEST_CASE("class template: the toolkit procedure and a button-face brush that outlives closing") {
    WNDCLASSA wc;
    REQUIRE(GetClassInfoA(program_instance(), WINDOW_TEMPLATE_CLASS, &wc));
    CHECK((wc.lpfnWndProc == &event_window_procedure));
    CHECK(wc.style == 0u);
    CHECK(wc.cbClsExtra == 0);
    CHECK(wc.cbWndExtra == 0);
    CHECK(wc.hCursor == LoadCursorA(nullptr, IDC_ARROW));
    LOGBRUSH brush;
    REQUIRE(GetObjectA(wc.hbrBackground, sizeof brush, &brush) == sizeof brush);
    CHECK(brush.lbStyle == (UINT)BS_SOLID);
    CHECK(brush.lbColor == GetSysColor(COLOR_BTNFACE));

    // Unregistering a class deletes its brush: closing one window must not take the background
    // of the others, nor of the pages.
    HWND kept = window_open(0, 0, 0, 80, 60, 0, "kept");
    HWND closed = window_open(1, 0, 0, 80, 60, 0, "closed");
    REQUIRE(kept);
    REQUIRE(closed);
    REQUIRE(GetClassInfoA(program_instance(), "WindowClass_0", &wc));
    CHECK((wc.lpfnWndProc == &event_window_procedure));
    window_close(1);
    HBRUSH background = (HBRUSH)GetClassLongPtrA(kept, GCLP_HBRBACKGROUND);
    CHECK(GetObjectA(background, sizeof brush, &brush) == sizeof brush);
    CHECK(brush.lbColor == GetSysColor(COLOR_BTNFACE));
    REQUIRE(GetClassInfoA(program_instance(), WINDOW_TEMPLATE_CLASS, &wc));
    CHECK(GetObjectA(wc.hbrBackground, sizeof brush, &brush) == sizeof brush);
    window_close(0);
    ui_settle();
}
