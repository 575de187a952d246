// Keyboard focus moves of Tab and Shift+Tab through the focusable controls of the active window:
// its enabled, visible descendants with WS_TABSTOP, in the platform's enumeration order (creation
// order for controls), wrapping at both ends.
#pragma once

// Focus to the candidate after the focused one; the first when the focus is on the last candidate,
// on none, or outside the active window. Nothing without candidates.
void focus_next(void);
// Focus to the candidate before the focused one; the last when the focus is on the first
// candidate, on none, or outside the active window. Nothing without candidates.
void focus_previous(void);
