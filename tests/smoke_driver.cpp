// smoke_driver FOLDER\ EXE TITLE [--convert IMAGE_BASE BITMAP | --create LEVEL BITMAP]
// smoke_driver --reference BITMAP OUT.IMG
// smoke_driver --pictures FOLDER (with its final backslash)
// A short check of an installed program, for builds that can only be run slowly (the 32-bit one
// under emulation) and for the unpacked release package: the program starts in FOLDER and shows
// its window with TITLE; with --convert, the Backdrop Convertor converts BITMAP into
// IMAGE_BASE.IMG and says so; with --create, the Level Creator writes LEVEL.LVL and converts
// BITMAP into LEVEL.IMG and says so; closing the window ends it with exit code 0.
// Prints one line per check and exits 0 only when every check held.
// With --reference it converts BITMAP in this process, through the formats of this build, so the
// program's result can be compared with it byte for byte. With --pictures it writes into FOLDER the
// pictures for a run of wumpo-tool: good.png (a PNG of a picture of many colours), good.expected
// (its screen image, computed here independently of the tool) and hostile.png (a PNG that a
// decoder trusting its palette count would wrap a size with).
#include "app_driver.h"
#include "program.h"
#include "screen_image.h"
#include "test_bitmaps.h"
#include "test_support.h"
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

// Writes the pictures of --pictures into dir.
void write_pictures(const std::string& dir) {
    using namespace test_bitmaps;
    Picture picture = varied_picture(11);
    Bytes scanlines;
    for (int y = 240; y >= 1; --y) {
        scanlines.push_back(0);
        for (int x = 1; x <= 320; ++x) {
            const Rgb& c = pixel(picture, x, y);
            scanlines.insert(scanlines.end(), {c.r, c.g, c.b});
        }
    }
    test_write_file(dir + "good.png", png_file(320, 8, 2, {}, {}, scanlines));
    test_write_file(dir + "good.expected", expected_image(picture));
    test_write_file(dir + "hostile.png", hostile_png());
    report(true, "pictures written", dir);
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
    if (argc == 3 && strcmp(argv[1], "--pictures") == 0) {
        write_pictures(argv[2]);
        return 0;
    }
    bool convert = argc == 7 && strcmp(argv[4], "--convert") == 0;
    bool create = argc == 7 && strcmp(argv[4], "--create") == 0;
    if (argc != 4 && !convert && !create) {
        fprintf(stderr, "usage: smoke_driver FOLDER\\ EXE TITLE [--convert IMAGE_BASE BITMAP | "
                        "--create LEVEL BITMAP]\n");
        return 2;
    }
    // Emulated programs take about a minute to start.
    App app = app_launch(argv[1], argv[2], argv[3], 600000);
    report(app.window != 0, "window shown", app.window ? app_text(app.window) : "none");
    if (!app.window) {
        app_kill(app);
        return 1;
    }
    // Both forms: field 1 names what is written, the picture field the bitmap, and the first
    // page's button (4) makes it.
    if (convert || create) {
        app_set_text(app_control(app, 1), argv[5]);
        app_set_text(app_control(app, create ? 3 : 2), argv[6]);
        app_click(app_control(app, 4));
    }
    if (convert) {
        Box box = app_answer_box(app, 600000);
        report(box.found && box.title == "Done" && box.text == "Backdrop image file created",
               "conversion reported", box.title + " / " + box.text);
    }
    if (create) {
        Box level = app_answer_box(app, 600000);
        report(level.found && level.title == "Done" && level.text == "Level data file created",
               "level file reported", level.title + " / " + level.text);
        Box image = app_answer_box(app, 600000);
        report(image.found && image.title == "Done" && image.text == "Level image file created",
               "level image reported", image.title + " / " + image.text);
    }
    int code = app_close(app, 600000);
    report(code == 0, "closed with exit code 0", std::to_string(code));
    return failures == 0 ? 0 : 1;
}
