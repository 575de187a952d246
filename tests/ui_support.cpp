#include "ui_support.h"
#include "event.h"

bool ui_step(DWORD wait_ms, int32_t* result) {
    MSG msg;
    if (!PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait_ms, QS_ALLINPUT);
        if (!PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE))
            return false;
    }
    *result = event_wait();
    return true;
}

std::vector<int32_t> ui_settle(DWORD timeout_ms) {
    std::vector<int32_t> seen;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        MSG msg;
        if (PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE)) {
            seen.push_back(event_wait());
            continue;
        }
        PostThreadMessageA(GetCurrentThreadId(), UI_MARKER, 0, 0);
        int32_t result = event_wait();
        if (result == UI_MARKER)
            return seen;
        seen.push_back(result);
    }
    seen.push_back(-1); // never settled
    return seen;
}

bool ui_wait_for_event(int32_t code, DWORD timeout_ms, std::vector<int32_t>* seen) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        int32_t result;
        if (!ui_step(20, &result))
            continue;
        if (seen)
            seen->push_back(result);
        if (result == code)
            return true;
    }
    return false;
}

bool ui_activate(HWND window, HWND control) {
    return ui_pump_until(
        [&] {
            if (GetForegroundWindow() != window || GetActiveWindow() != window) {
                SetForegroundWindow(window);
                SetActiveWindow(window);
            }
            if (control && GetFocus() != control)
                SetFocus(control);
            return GetForegroundWindow() == window && GetActiveWindow() == window &&
                   (!control || GetFocus() == control);
        },
        5000);
}

void ui_key(WORD key, bool shift, bool control) {
    INPUT inputs[6] = {};
    int n = 0;
    auto add = [&](WORD vk, bool up) {
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wVk = vk;
        inputs[n].ki.wScan = (WORD)MapVirtualKeyA(vk, 0);
        inputs[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++n;
    };
    if (control)
        add(VK_CONTROL, false);
    if (shift)
        add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift)
        add(VK_SHIFT, true);
    if (control)
        add(VK_CONTROL, true);
    SendInput((UINT)n, inputs, sizeof(INPUT));
}

std::string ui_class(HWND control) {
    char name[128] = "";
    GetClassNameA(control, name, sizeof name);
    return name;
}

std::string ui_text(HWND control) {
    char text[1024] = "";
    GetWindowTextA(control, text, sizeof text);
    return text;
}

RECT ui_rect_in_parent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), (POINT*)&r, 2);
    return r;
}

std::vector<unsigned char> ui_icon_file(bool monochrome) {
    const int size = 32;
    int bits = monochrome ? 1 : 32;
    int colours = monochrome ? 2 : 0;
    int xor_stride = monochrome ? 4 : size * 4;
    int and_stride = 4;
    uint32_t body = 40 + colours * 4 + xor_stride * size + and_stride * size;
    std::vector<unsigned char> f(6 + 16 + body, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        f[at] = (unsigned char)v;
        f[at + 1] = (unsigned char)(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    put16(2, 1); // icon
    put16(4, 1); // one image
    f[6] = size;
    f[7] = size;
    f[8] = (unsigned char)colours;
    put16(10, 1);
    put16(12, (uint32_t)bits);
    put32(14, body);
    put32(18, 22);
    size_t h = 22;
    put32(h, 40);
    put32(h + 4, size);
    put32(h + 8, size * 2); // colour and mask rows
    put16(h + 12, 1);
    put16(h + 14, (uint32_t)bits);
    size_t pixels = h + 40;
    if (monochrome) {
        put32(pixels, 0x000000);     // colour 0 black
        put32(pixels + 4, 0xFFFFFF); // colour 1 white
        pixels += 8;
        for (int y = 0; y < size; ++y)
            for (int i = 0; i < 4; ++i)
                f[pixels + y * 4 + i] = (y & 1) ? 0xFF : 0x0F;
    } else {
        for (int i = 0; i < size * size; ++i)
            put32(pixels + 4 * (size_t)i, 0xFF2080C0); // opaque
    }
    // The AND mask stays all zero: every pixel opaque.
    return f;
}
