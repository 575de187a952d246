// smoke_driver FOLDER\ EXE TITLE [--convert IMAGE_BASE BITMAP]
// smoke_driver --reference BITMAP OUT.IMG
// A short check of an installed program, for builds that can only be run slowly (the 32-bit one
// under emulation) and for the unpacked release package: the program starts in FOLDER and shows
// its window with TITLE; with --convert, the Backdrop Convertor converts BITMAP into
// IMAGE_BASE.IMG and says so; closing the window ends it with exit code 0.
// Prints one line per check and exits 0 only when every check held.
// With --reference it converts BITMAP in this process, through the formats of this build, so the
// program's result can be compared with it byte for byte.
#include "app_driver.h"
#include "program.h"
#include "screen_image.h"
#include <stdio.h>
#include <string.h>

namespace {
int failures = 0;
void report(bool ok, const char* what, const std::string& seen) {
    printf("%s: %s (%s)\n", ok ? "ok" : "FAILED", what, seen.c_str());
    fflush(stdout);
    if (!ok)
        ++failures;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--reference") == 0) {
        if (program_start() != PROGRAM_STARTED)
            return 1;
        int outcome = screen_image_convert(argv[2], argv[3]);
        program_release();
        report(outcome == IMAGE_WRITTEN, "reference image written", argv[3]);
        return failures == 0 ? 0 : 1;
    }
    if (argc != 4 && !(argc == 7 && strcmp(argv[4], "--convert") == 0)) {
        fprintf(stderr, "usage: smoke_driver FOLDER\\ EXE TITLE [--convert IMAGE_BASE BITMAP]\n");
        return 2;
    }
    // Emulated programs take about a minute to start.
    App app = app_launch(argv[1], argv[2], argv[3], 600000);
    report(app.window != 0, "window shown", app.window ? app_text(app.window) : "none");
    if (!app.window) {
        app_kill(app);
        return 1;
    }
    if (argc == 7) {
        app_set_text(app_control(app, 1), argv[5]);
        app_set_text(app_control(app, 2), argv[6]);
        app_click(app_control(app, 4));
        Box box = app_answer_box(app, 600000);
        report(box.found && box.title == "Done" && box.text == "Backdrop image file created",
               "conversion reported", box.title + " / " + box.text);
    }
    int code = app_close(app, 600000);
    report(code == 0, "closed with exit code 0", std::to_string(code));
    return failures == 0 ? 0 : 1;
}
