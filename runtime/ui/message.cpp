// Message boxes. Owns nothing.
#include "message.h"
#include <windows.h>

int message_box(const char* title, const char* text, int32_t flags) {
    return MessageBoxA(GetForegroundWindow(), text ? text : "", title ? title : "", (UINT)flags);
}
