// The panel: a tab control whose tabs each own a page window of the class "TemplateClass". Pages
// are added in call order; the page shown is always the topmost child of the tab control and the
// others are hidden. Pages are not gadgets: they have no number.
#pragma once
#include <windows.h>
#include <stdint.h>

// Creates the tab control in the current parent and saves the current parent on the parent stack
// (gadget_list_close restores it after the pages are built). The handle, or 0.
HWND panel_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height);
// Appends a page with a tab titled title to the panel number (the panel created last) and makes
// the page the current parent; the first page is shown at once. position is not used: pages
// appear in call order. Non-zero when a page was added, 0 when number names no panel or the page
// could not be made.
int32_t panel_add_page(int32_t number, int32_t position, const char* title);
