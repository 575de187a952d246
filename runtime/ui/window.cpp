// Numbered top-level windows. Owns the window table, the class template with its background brush,
// and the last window handle.
#include "window.h"
#include "dpi.h"
#include "event.h"
#include "gadget.h"
#include "heap.h"
#include "numbered.h"
#include "program.h"
#include <shellapi.h>

namespace {
const char* const BACKGROUND_PROPERTY = "Wumpo.Background";

enum { WINDOW_FIRST_CAPACITY = 10, WINDOW_GROWTH = 10, CLASS_NAME_SIZE = 50, ACCEL_COUNT = 4 };

struct WindowRecord {
    HWND handle;          // 0 = no window
    int32_t accel_count;  // ACCEL_COUNT once the accelerators exist
    ACCEL* accel_entries; // heap block of accel_count entries
    HACCEL accel_table;
};
static_assert(sizeof(WindowRecord) <= NUMBERED_SPARE_SIZE, "a window record must fit the table");

struct WindowState {
    NumberedTable records; // numbers that do not fit grow it to number + 10
    HWND last_handle;
    HBRUSH background;
    WNDCLASSA class_template;
};
WindowState WINDOWS = {};

// The number's record; an empty one for a number without a window.
WindowRecord* record_of(int32_t number) {
    return (WindowRecord*)numbered_record(&WINDOWS.records, number);
}

void class_name_of(int32_t number, char* name) {
    wsprintfA(name, "WindowClass_%ld", (long)number);
}

HBRUSH button_face_brush(void) {
    LOGBRUSH brush = {BS_SOLID, GetSysColor(COLOR_BTNFACE), 0};
    return CreateBrushIndirect(&brush);
}

// The system deletes a class's background brush when the class is unregistered, so a brush shared
// with the numbered classes would vanish at the first window_close: each numbered class gets a
// brush of its own, and only "TemplateClass" (never unregistered) keeps the start-up one.
void register_class(const char* name, HBRUSH background) {
    WNDCLASSA wc = WINDOWS.class_template;
    wc.lpszClassName = name;
    wc.hbrBackground = background;
    // Already registered (its window could not be made before): the class keeps its own brush.
    if (!RegisterClassA(&wc) && background != WINDOWS.background)
        DeleteObject(background);
}

// Removes the centring bits and gives a window without any frame style a title bar.
DWORD style_of(int32_t flags, int32_t* centring) {
    uint32_t bits = (uint32_t)flags;
    *centring = 0;
    if (bits & WINDOW_CENTER_SCREEN) {
        *centring = WINDOW_CENTER_SCREEN;
        bits &= ~(uint32_t)WINDOW_CENTER_SCREEN;
    }
    if (bits & WINDOW_CENTER_ACTIVE) {
        *centring = WINDOW_CENTER_ACTIVE;
        bits &= ~(uint32_t)WINDOW_CENTER_ACTIVE;
    }
    if (bits == 0 || bits == (uint32_t)WINDOW_INVISIBLE)
        bits |= WS_CAPTION;
    return (DWORD)(bits ^ (uint32_t)WINDOW_INVISIBLE);
}

void centre_on_screen(int32_t width, int32_t height, int32_t* x, int32_t* y) {
    *x = (GetSystemMetrics(SM_CXSCREEN) >> 1) - (width >> 1);
    *y = (GetSystemMetrics(SM_CYSCREEN) >> 1) - (height >> 1);
}

void centre_on_active(int32_t width, int32_t height, int32_t* x, int32_t* y) {
    RECT r;
    HWND active = GetActiveWindow();
    if (!active || !GetWindowRect(active, &r)) {
        centre_on_screen(width, height, x, y);
        return;
    }
    // Never above or left of the screen's corner, so the title bar stays reachable.
    *x = r.left + ((r.right - r.left) >> 1) - (width >> 1);
    *y = r.top + ((r.bottom - r.top) >> 1) - (height >> 1);
    if (*x < 0)
        *x = 0;
    if (*y < 0)
        *y = 0;
}

// The outer rectangle of a window whose client area is width x height at (x, y), all layout
// numbers, at dpi: what AdjustWindowRect gives at 96 DPI.
void outer_rect(int32_t x, int32_t y, int32_t width, int32_t height, DWORD style, uint32_t dpi,
                RECT* outer) {
    int32_t left = dpi_scale(x, dpi), top = dpi_scale(y, dpi);
    RECT r = {left, top, left + dpi_scale(width, dpi), top + dpi_scale(height, dpi)};
    dpi_window_rect(&r, style, 0, dpi);
    *outer = r;
}

void build_accelerators(WindowRecord* record) {
    record->accel_count = ACCEL_COUNT;
    record->accel_entries = (ACCEL*)heap_allocate(ACCEL_COUNT * sizeof(ACCEL));
    if (!record->accel_entries) {
        // Without entries there is nothing to free later: the window simply has no Tab moves.
        record->accel_count = 0;
        record->accel_table = 0;
        return;
    }
    record->accel_entries[0].fVirt = FVIRTKEY | FNOINVERT;
    record->accel_entries[0].key = VK_TAB;
    record->accel_entries[0].cmd = ACCEL_FOCUS_NEXT;
    record->accel_entries[1].fVirt = FVIRTKEY | FNOINVERT | FSHIFT;
    record->accel_entries[1].key = VK_TAB;
    record->accel_entries[1].cmd = ACCEL_FOCUS_PREVIOUS;
    // Enter and Ctrl+O become key events for the layer above the loop. As accelerators they never
    // reach an edit field, which would only beep at them.
    record->accel_entries[2].fVirt = FVIRTKEY | FNOINVERT;
    record->accel_entries[2].key = VK_RETURN;
    record->accel_entries[2].cmd = ACCEL_PRESS_DEFAULT;
    record->accel_entries[3].fVirt = FVIRTKEY | FNOINVERT | FCONTROL;
    record->accel_entries[3].key = 'O';
    record->accel_entries[3].cmd = ACCEL_BROWSE;
    record->accel_table = CreateAcceleratorTableA(record->accel_entries, ACCEL_COUNT);
}
} // namespace

int window_system_init(void) {
    ZeroMemory(&WINDOWS, sizeof WINDOWS);
    event_reset();
    int ok =
        numbered_init(&WINDOWS.records, sizeof(WindowRecord), WINDOW_FIRST_CAPACITY, WINDOW_GROWTH);
    WINDOWS.background = button_face_brush();
    WNDCLASSA* wc = &WINDOWS.class_template;
    wc->style = 0;
    wc->lpfnWndProc = &event_window_procedure;
    wc->hInstance = program_instance();
    wc->hIcon = LoadIconA(program_instance(), MAKEINTRESOURCEA(1));
    wc->hCursor = LoadCursorA(0, IDC_ARROW);
    wc->hbrBackground = WINDOWS.background;
    // Already registered when the runtime is started again in one process: that one serves.
    register_class(WINDOW_TEMPLATE_CLASS, WINDOWS.background);
    return ok;
}

HWND window_open(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, int32_t flags,
                 const char* title) {
    // A refused growth leaves the table as it was and the number without a record.
    if (!numbered_reserve(&WINDOWS.records, number))
        return 0;
    if (record_of(number)->handle)
        window_close(number);
    char name[CLASS_NAME_SIZE];
    class_name_of(number, name);
    register_class(name, button_face_brush());

    int32_t centring;
    DWORD style = style_of(flags, &centring);
    // Laid out at the system's DPI; a window that the system puts on a monitor of another scale
    // is laid out again for that one below.
    uint32_t dpi = dpi_of_window(0);
    RECT outer;
    outer_rect(x, y, width, height, style, dpi, &outer);
    int32_t outer_width = outer.right - outer.left;
    int32_t outer_height = outer.bottom - outer.top;
    int32_t left = dpi_scale(x, dpi), top = dpi_scale(y, dpi);
    if (centring == WINDOW_CENTER_ACTIVE)
        centre_on_active(outer_width, outer_height, &left, &top);
    else if (centring == WINDOW_CENTER_SCREEN)
        centre_on_screen(outer_width, outer_height, &left, &top);

    HWND window = CreateWindowExA(0, name, title ? title : "", style, left, top, outer_width,
                                  outer_height, 0, 0, program_instance(), 0);
    WindowRecord* record = record_of(number);
    record->handle = window;
    if (!window)
        return 0;
    uint32_t shown_at = dpi_of_window(window);
    if (shown_at != dpi) {
        outer_rect(x, y, width, height, style, shown_at, &outer);
        SetWindowPos(window, 0, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    WINDOWS.last_handle = window;
    build_accelerators(record);
    return window;
}

void window_rescale(HWND window, uint32_t dpi, const RECT* suggested) {
    if (!window)
        return;
    if (suggested)
        SetWindowPos(window, 0, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    gadget_rescale(window, dpi);
}

void window_set_background(HWND window, HBRUSH brush) {
    HANDLE old = RemovePropA(window, BACKGROUND_PROPERTY);
    if (old)
        DeleteObject(old);
    if (brush)
        SetPropA(window, BACKGROUND_PROPERTY, brush);
    InvalidateRect(window, 0, TRUE);
}

HBRUSH window_background(HWND window) {
    return (HBRUSH)GetPropA(window, BACKGROUND_PROPERTY);
}

void window_accept_files(int32_t number) {
    HWND window = record_of(number)->handle;
    if (window)
        DragAcceptFiles(window, TRUE);
}

HWND window_last_handle(void) {
    return WINDOWS.last_handle;
}

void window_hide(int32_t number, int32_t hide) {
    HWND window = record_of(number)->handle;
    if (window)
        ShowWindow(window, hide ? SW_HIDE : SW_SHOWNORMAL);
}

void window_close(int32_t number) {
    WindowRecord* record = record_of(number);
    HWND window = record->handle;
    if (!window)
        return;
    // Cleared first: destruction sends messages, and nothing may find the dying window here.
    record->handle = 0;
    DestroyWindow(window);
    char name[CLASS_NAME_SIZE];
    class_name_of(number, name);
    UnregisterClassA(name, program_instance());
    if (record->accel_count) {
        heap_free(record->accel_entries);
        DestroyAcceleratorTable(record->accel_table);
        record->accel_count = 0;
        record->accel_entries = 0;
        record->accel_table = 0;
    }
}

void window_close_all(void) {
    for (int32_t n = WINDOWS.records.capacity - 1; n >= 0; --n)
        window_close(n);
    // The end step: the table goes too, so nothing refers to it once the heap is destroyed.
    numbered_release(&WINDOWS.records);
}

HACCEL window_accelerators(HWND window) {
    if (!window)
        return 0;
    for (int32_t n = 0; n < WINDOWS.records.capacity; ++n) {
        WindowRecord* record = record_of(n);
        if (record->handle == window)
            return record->accel_table;
    }
    return 0;
}

int32_t window_capacity(void) {
    return WINDOWS.records.capacity;
}
