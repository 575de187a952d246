// Display scale. Every layout number a program gives the toolkit (window sizes, gadget positions
// and sizes) is in pixels of a 96-DPI display; the toolkit shows it at the DPI of the window's
// monitor, scaled by DPI / 96. Owns nothing.
#pragma once
#include <windows.h>
#include <stdint.h>

enum { DPI_DESIGN = 96 }; // the DPI the programs' layout numbers are written for

// The DPI window is shown at: its monitor's on Windows 10 (1607) and later, where a program that
// is aware of each monitor's scale gets it; the system's elsewhere, and for window 0.
uint32_t dpi_of_window(HWND window);
// The DPI of the window that control is in (or, for a window being made, its parent's).
uint32_t dpi_of_control(HWND control);
// A layout number at dpi: value * dpi / 96, rounded to the nearest pixel as MulDiv rounds, kept
// inside the 32-bit range.
int32_t dpi_scale(int32_t value, uint32_t dpi);
// Grows the client rectangle rect into the outer rectangle of a window with style and
// extended_style shown at dpi (frame and caption as the system draws them at that DPI).
void dpi_window_rect(RECT* rect, DWORD style, DWORD extended_style, uint32_t dpi);
