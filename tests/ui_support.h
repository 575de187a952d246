// Helpers of the toolkit tests: driving the event loop without ever blocking in it, activating a
// window, typing keys, and writing the picture files the image tests load.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

// Runs event_wait for every queued message, then once more on a marker of its own, until the
// marker comes back as the result (nothing queued, nothing pending). The results seen before it.
std::vector<int32_t> ui_settle(DWORD timeout_ms = 3000);
// Runs event_wait whenever a message is queued (never blocking) until it returns code; true when
// it did within the time. *seen (when given) collects every result.
bool ui_wait_for_event(int32_t code, DWORD timeout_ms = 3000, std::vector<int32_t>* seen = nullptr);
// Runs the event loop the same way until done() is true; true when it became so in time.
template <class Done> bool ui_pump_until(Done done, DWORD timeout_ms = 3000);
// The marker message of ui_settle (a thread message, so no window sees it).
enum { UI_MARKER = WM_APP + 0x177 };
// Handles at most one queued message through event_wait, waiting up to wait_ms for one.
// Returns true when a message was handled (its result in *result).
bool ui_step(DWORD wait_ms, int32_t* result);

// Brings window to the foreground as the active window and gives control the focus; true when
// both hold.
bool ui_activate(HWND window, HWND control);
// Presses and releases a virtual key (with Shift, or Ctrl, held around it when set), as typed.
void ui_key(WORD key, bool shift = false, bool control = false);

// Class name, window text and position of a control within its parent's client area.
std::string ui_class(HWND control);
std::string ui_text(HWND control);
RECT ui_rect_in_parent(HWND control);

// A 24-bit bottom-up Windows bitmap file of width x height; pixel (x, y) (top row y = 0) has the
// colour pixel(x, y) gives as 0x00RRGGBB.
template <class Pixel>
std::vector<unsigned char> ui_bitmap_file(int width, int height, Pixel pixel);
// A one-image icon file, 32 x 32: 32-bit colour with an opaque mask, or 1-bit (monochrome).
std::vector<unsigned char> ui_icon_file(bool monochrome);

// ---- templates

template <class Done> bool ui_pump_until(Done done, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout_ms)
            return false;
        int32_t result;
        ui_step(20, &result);
    }
    return true;
}

template <class Pixel>
std::vector<unsigned char> ui_bitmap_file(int width, int height, Pixel pixel) {
    int stride = (width * 3 + 3) & ~3;
    uint32_t image = (uint32_t)(stride * height);
    std::vector<unsigned char> f(54 + image, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + i] = (unsigned char)(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, (uint32_t)f.size());
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)width);
    put32(22, (uint32_t)height);
    f[26] = 1;  // planes
    f[28] = 24; // bits per pixel
    put32(34, image);
    for (int y = 0; y < height; ++y) {
        size_t row = 54 + (size_t)(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            uint32_t c = pixel(x, y);
            f[row + 3 * x] = (unsigned char)c;             // blue
            f[row + 3 * x + 1] = (unsigned char)(c >> 8);  // green
            f[row + 3 * x + 2] = (unsigned char)(c >> 16); // red
        }
    }
    return f;
}
