// Message boxes: every outcome either program reports reaches the user through message_box.
#pragma once
#include <stdint.h>

// Shows a modal box owned by the foreground window with title, text and the MessageBoxA flags;
// returns the identifier of the button pressed. Null texts are empty.
int message_box(const char* title, const char* text, int32_t flags);
