// Display scale: the DPI of a window and layout numbers at that DPI. The per-monitor calls exist
// from Windows 10 (1607) on; on older systems the programs are aware of the system DPI only, which
// the screen's device context tells.
#include "dpi.h"
#include <string.h>

namespace {
typedef UINT(WINAPI* DpiForWindowCall)(HWND window);
typedef BOOL(WINAPI* AdjustForDpiCall)(RECT* rect, DWORD style, BOOL menu, DWORD extended_style,
                                       UINT dpi);

// GetProcAddress gives every entry one type. The documented signature, calling convention
// included, is the type declared above; the address is copied into it rather than cast, which
// -Wcast-function-type rejects. 0 when the system lacks the call.
template <typename Call> Call user32_call(const char* name) {
    FARPROC address = GetProcAddress(GetModuleHandleA("user32.dll"), name);
    Call call = 0;
    static_assert(sizeof call == sizeof address, "an entry's address fits the typed pointer");
    if (address)
        memcpy(&call, &address, sizeof call);
    return call;
}

uint32_t system_dpi(void) {
    HDC screen = GetDC(0);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(0, screen);
    return dpi > 0 ? (uint32_t)dpi : (uint32_t)DPI_DESIGN;
}
} // namespace

uint32_t dpi_of_window(HWND window) {
    DpiForWindowCall for_window = window ? user32_call<DpiForWindowCall>("GetDpiForWindow") : 0;
    UINT dpi = for_window ? for_window(window) : 0;
    return dpi ? dpi : system_dpi();
}

uint32_t dpi_of_control(HWND control) {
    return dpi_of_window(GetAncestor(control, GA_ROOT));
}

int32_t dpi_scale(int32_t value, uint32_t dpi) {
    // MulDiv's rounding (halves away from zero) in 64 bits, where MulDiv would give -1 for a
    // result past 32 bits: a position typed into a field may be any 32-bit number.
    int64_t scaled = (int64_t)value * dpi;
    scaled = (scaled >= 0 ? scaled + DPI_DESIGN / 2 : scaled - DPI_DESIGN / 2) / DPI_DESIGN;
    if (scaled > INT32_MAX)
        return INT32_MAX;
    return scaled < INT32_MIN ? INT32_MIN : (int32_t)scaled;
}

void dpi_window_rect(RECT* rect, DWORD style, DWORD extended_style, uint32_t dpi) {
    // The frame the system draws for this program's own DPI is what AdjustWindowRectEx gives;
    // only a window on a monitor of another scale needs the newer call.
    AdjustForDpiCall for_dpi =
        dpi != system_dpi() ? user32_call<AdjustForDpiCall>("AdjustWindowRectExForDpi") : 0;
    if (!for_dpi || !for_dpi(rect, style, FALSE, extended_style, dpi))
        AdjustWindowRectEx(rect, style, FALSE, extended_style);
}
