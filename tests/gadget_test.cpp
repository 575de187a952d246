// Gadgets: each kind's control, the table and its labels, the generic text and state operations,
// the digits-only field, and moving and sizing.
#include <doctest.h>
#include "event.h"
#include "gadget.h"
#include "heap.h"
#include "os.h"
#include "str.h"
#include "test_os_calls.h"
#include "test_support.h"
#include "ui_support.h"
#include "window.h"
#include <string>

namespace {
DWORD style_of(HWND control) {
    return (DWORD)GetWindowLongA(control, GWL_STYLE);
}
DWORD ex_style_of(HWND control) {
    return (DWORD)GetWindowLongA(control, GWL_EXSTYLE);
}

std::string text_of(int32_t number) {
    char* mark = str_position();
    std::string text = gadget_get_text(number);
    CHECK(str_position() == mark + text.size()); // the position rests on the terminator
    str_set_position(mark);
    return text;
}

int count_children(HWND parent) {
    int n = 0;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        ++n;
    return n;
}

struct Form {
    HWND window;
    Form() {
        window = window_open(0, 40, 40, 400, 300, 0xCA0000, "gadgets");
        REQUIRE(window);
        REQUIRE(gadget_list_create(window_last_handle()) == window);
    }
    ~Form() {
        window_close(0);
        ui_settle();
    }
};
} // namespace

TEST_CASE("gadget kinds: class, style, extended style, identifier, font and position") {
    Form form;
    HFONT font = (HFONT)GetStockObject(ANSI_VAR_FONT);
    struct Kind {
        HWND control;
        const char* class_name;
        DWORD style;
        DWORD ex_style;
        int32_t number;
        RECT at;
    };
    Kind kinds[] = {
        {text_gadget(1, 5, 6, 100, 16, "label"), "Static", 0x50020000, 0, 1, {5, 6, 105, 22}},
        {string_gadget(2, 5, 30, 120, 20, "field"),
         "Edit",
         0x50030080,
         WS_EX_CLIENTEDGE,
         2,
         {5, 30, 125, 50}},
        {string_gadget(3, 5, 60, 120, 20, "12", STRING_NUMERIC),
         "Edit",
         0x50032080,
         WS_EX_CLIENTEDGE,
         3,
         {5, 60, 125, 80}},
        {string_gadget(4, 5, 90, 120, 20, "bare", STRING_BORDERLESS),
         "Edit",
         0x50030080,
         0,
         4,
         {5, 90, 125, 110}},
        {button_gadget(5, 150, 10, 90, 25, "Press"),
         "Button",
         0x50030000,
         0,
         5,
         {150, 10, 240, 35}},
        {checkbox_gadget(6, 150, 40, 90, 20, "Tick"),
         "Button",
         0x50030003,
         0,
         6,
         {150, 40, 240, 60}},
    };
    for (const Kind& k : kinds) {
        CAPTURE(k.number);
        REQUIRE(k.control);
        CHECK(gadget_handle(k.number) == k.control);
        CHECK(GetParent(k.control) == form.window);
        CHECK(_stricmp(ui_class(k.control).c_str(), k.class_name) == 0);
        CHECK(style_of(k.control) == k.style);
        CHECK((ex_style_of(k.control) & WS_EX_CLIENTEDGE) == k.ex_style);
        CHECK(GetDlgCtrlID(k.control) == k.number);
        CHECK((HFONT)SendMessageA(k.control, WM_GETFONT, 0, 0) == font);
        RECT r = ui_rect_in_parent(k.control);
        CHECK(r.left == k.at.left);
        CHECK(r.top == k.at.top);
        CHECK(r.right == k.at.right);
        CHECK(r.bottom == k.at.bottom);
    }
}

TEST_CASE("gadget table: growth, labels sharing 9999, a refused growth") {
    Form form;
    int32_t capacity = gadget_capacity();
    REQUIRE(capacity >= 30);
    HWND zero = button_gadget(0, 5, 5, 50, 20, "zero");
    int32_t big = capacity + 1000;
    HWND distant = button_gadget(big, 5, 30, 50, 20, "far");
    REQUIRE(distant);
    CHECK(gadget_capacity() == big + 30);
    CHECK(gadget_handle(0) == zero); // existing records stay
    CHECK(gadget_handle(big) == distant);

    HWND first = text_gadget(GADGET_LABEL, 5, 60, 100, 16, "first");
    HWND second = text_gadget(GADGET_LABEL, 5, 80, 100, 16, "second");
    REQUIRE(first);
    REQUIRE(second);
    CHECK(gadget_capacity() >= GADGET_LABEL + 1);
    CHECK(IsWindow(first));
    CHECK(gadget_handle(GADGET_LABEL) == second);
    gadget_set_text(GADGET_LABEL, "changed");
    CHECK(ui_text(second) == "changed");
    CHECK(ui_text(first) == "first");

    // The heap refuses: no control is made, the table stays as it was.
    capacity = gadget_capacity();
    int children = count_children(form.window);
    TestOsCalls calls;
    calls->heap_realloc = &test_refusing_realloc;
    CHECK(button_gadget(capacity + 3, 0, 0, 10, 10, "refused") == nullptr);
    // Near the number whose table's byte count wraps in 32 bits (2^29 records of 8 bytes).
    test_refused_least = TEST_NONE_ASKED;
    CHECK(button_gadget(536870880, 0, 0, 10, 10, "wrapping") == nullptr);
    CHECK(test_refused_least > 536870880ull);
    calls.restore();
    CHECK(gadget_capacity() == capacity);
    CHECK(count_children(form.window) == children);
    CHECK(gadget_handle(capacity + 3) == nullptr);
}

TEST_CASE("gadget text and state: each kind, and numbers that name no gadget") {
    Form form;
    text_gadget(1, 5, 5, 100, 16, "label");
    string_gadget(2, 5, 25, 150, 20, "field");
    button_gadget(3, 5, 50, 80, 24, "Press");
    checkbox_gadget(4, 5, 80, 120, 20, "Tick");
    string_gadget(5, 5, 110, 150, 20, "");

    CHECK(text_of(1) == "label");
    CHECK(text_of(2) == "field");
    CHECK(text_of(3) == "Press");
    CHECK(text_of(4) == "Tick");
    char* mark = str_position();
    CHECK(std::string(gadget_get_text(5)) == "");
    CHECK(str_position() == mark); // an empty text leaves the position where it was

    gadget_set_text(1, "new label");
    gadget_set_text(2, "new field");
    gadget_set_text(3, "New caption");
    gadget_set_text(4, nullptr);
    CHECK(text_of(1) == "new label");
    CHECK(text_of(2) == "new field");
    CHECK(text_of(3) == "New caption");
    CHECK(text_of(4) == "");

    CHECK(gadget_get_state(1) == 0);
    CHECK(gadget_get_state(2) == 0);
    CHECK(gadget_get_state(4) == 0);
    gadget_set_state(4, 1);
    CHECK(gadget_get_state(4) == 1);
    CHECK(SendMessageA(gadget_handle(4), BM_GETCHECK, 0, 0) == BST_CHECKED);
    gadget_set_state(4, 0);
    CHECK(gadget_get_state(4) == 0);
    gadget_set_state(2, 1); // no state of its own: nothing happens
    CHECK(text_of(2) == "new field");

    // Numbers without a gadget: nothing done, 0 or the empty text.
    const int32_t none[] = {-1, 17, gadget_capacity(), gadget_capacity() + 100};
    for (int32_t n : none) {
        CAPTURE(n);
        mark = str_position();
        CHECK(std::string(gadget_get_text(n)) == "");
        CHECK(str_position() == mark);
        CHECK(gadget_get_state(n) == 0);
        gadget_set_state(n, 1);
        gadget_set_text(n, "nothing");
        gadget_resize(n, 1, 2, 3, 4);
        CHECK(gadget_handle(n) == nullptr);
    }
}

TEST_CASE("gadget_get_text: the read is cut where the string area ends") {
    Form form;
    std::string long_text(3000, 'k');
    string_gadget(1, 5, 5, 200, 20, long_text.c_str());
    char* saved = str_position();
    char* last = saved + str_free(); // the area's last byte: a terminator at most
    str_set_position(last - 10);
    char* text = gadget_get_text(1);
    CHECK(text == last - 10);
    CHECK(std::string(text) == std::string(10, 'k'));
    CHECK(str_position() == last);
    CHECK(*last == 0);
    str_set_position(last);
    CHECK(std::string(gadget_get_text(1)) == "");
    str_set_position(saved);
    CHECK(text_of(1) == long_text);
}

TEST_CASE("digits-only field: a typed letter is refused, a digit taken") {
    Form form;
    HWND numeric = string_gadget(1, 5, 5, 100, 20, "", STRING_NUMERIC);
    HWND plain = string_gadget(2, 5, 35, 100, 20, "");
    REQUIRE(ui_activate(form.window, numeric));
    ui_key('A');
    ui_key('7');
    CHECK(ui_pump_until([&] { return ui_text(numeric) == "7"; }));
    ui_settle();
    CHECK(ui_text(numeric) == "7");
    // The same keys reach an ordinary field whole.
    REQUIRE(ui_activate(form.window, plain));
    ui_key('A');
    ui_key('7');
    CHECK(ui_pump_until([&] { return ui_text(plain) == "a7"; }));
}

TEST_CASE("gadget_resize: -1 keeps a value, buttons and fields alike") {
    Form form;
    HWND button = button_gadget(1, 10, 20, 80, 25, "Move");
    HWND field = string_gadget(2, 10, 60, 100, 20, "");
    gadget_resize(1, 30, 40, -1, -1);
    RECT r = ui_rect_in_parent(button);
    CHECK(r.left == 30);
    CHECK(r.top == 40);
    CHECK(r.right - r.left == 80);
    CHECK(r.bottom - r.top == 25);
    gadget_resize(1, -1, -1, 120, 30);
    r = ui_rect_in_parent(button);
    CHECK(r.left == 30);
    CHECK(r.top == 40);
    CHECK(r.right - r.left == 120);
    CHECK(r.bottom - r.top == 30);
    gadget_resize(2, -1, 90, 150, -1);
    r = ui_rect_in_parent(field);
    CHECK(r.left == 10);
    CHECK(r.top == 90);
    CHECK(r.right - r.left == 150);
    CHECK(r.bottom - r.top == 20);
    gadget_resize(2, 0, 0, 0, 0);
    r = ui_rect_in_parent(field);
    CHECK(r.left == 0);
    CHECK(r.right - r.left == 0);
}

TEST_CASE("gadget list: the parent stack") {
    Form form;
    HWND other = window_open(1, 0, 0, 100, 100, WINDOW_INVISIBLE, "other");
    REQUIRE(other);
    gadget_list_close(); // empty stack: nothing changes
    CHECK(gadget_parent() == form.window);
    gadget_parent_push();
    gadget_list_create(other);
    CHECK(GetParent(button_gadget(1, 0, 0, 10, 10, "in other")) == other);
    gadget_list_close();
    CHECK(GetParent(button_gadget(2, 0, 0, 10, 10, "in form")) == form.window);
    CHECK(gadget_list_create(nullptr) == nullptr);
    CHECK(button_gadget(3, 0, 0, 10, 10, "no parent") == nullptr);
    CHECK(gadget_handle(3) == nullptr);
    window_close(1);
}
