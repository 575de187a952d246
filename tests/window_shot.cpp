// window_shot TITLE OUT.BMP [--close]: waits for a top-level window of that title, saves what the
// screen shows of it as a 24-bit BMP and, with --close, closes it as the close box would.
// Used by the run script to show a program on a virtual screen.
#include "app_driver.h"
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: window_shot TITLE OUT.BMP [--close]\n");
        return 2;
    }
    HWND window = 0;
    for (int i = 0; i < 600 && !window; ++i) {
        window = FindWindowA(0, argv[1]);
        if (!window)
            Sleep(100);
    }
    if (!window) {
        fprintf(stderr, "window_shot: no window \"%s\" appeared\n", argv[1]);
        return 1;
    }
    DWORD_PTR result;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    Sleep(500); // let the controls finish painting
    int ok = app_screenshot(window, argv[2]);
    if (argc > 3 && strcmp(argv[3], "--close") == 0)
        PostMessageA(window, WM_CLOSE, 0, 0);
    return ok ? 0 : 1;
}
