// End-to-end tests of the real backdrop-convertor.exe, driven from outside its process: layout,
// converting, refused bitmaps, the Browse button and Enter.
#include <doctest.h>
#include "app_checks.h"
#include "test_bitmaps.h"
#include "test_support.h"
#include <algorithm>
#include <iterator>
#include <string.h>
#include <string>
#include <vector>

namespace {
typedef std::vector<unsigned char> Bytes;
const char* TITLE = "Wumpo Backdrop Convertor";

struct Running {
    App app;
    Running(const char* name) { app = app_start(name, "backdrop-convertor.exe", TITLE); }
    ~Running() { app_kill(app); }
    HWND operator[](int id) const { return app_control(app, id); }
    void set(int id, const std::string& text) { app_set_text(app_control(app, id), text); }
    Box convert() {
        app_click(app_control(app, 4));
        return app_answer_box(app);
    }
    std::string path(const std::string& name) const { return app.folder + name; }
};

void put32(Bytes& b, size_t at, uint32_t v) {
    memcpy(&b[at], &v, 4);
}
} // namespace

TEST_CASE("backdrop convertor: window and form") {
    Running bc("bc-layout");
    REQUIRE(bc.app.window != 0);
    CHECK(app_text(bc.app.window) == TITLE);
    RECT client;
    GetClientRect(bc.app.window, &client);
    CHECK(client.right == 500);
    CHECK(client.bottom == 380);
    RECT outer;
    GetWindowRect(bc.app.window, &outer);
    CHECK(outer.left == 100);
    CHECK(outer.top == 120);
    CHECK(((DWORD)GetWindowLongA(bc.app.window, GWL_STYLE) & 0xFFFF0000) == 0x14CA0000);

    HWND tab = bc[0];
    REQUIRE(tab != 0);
    CHECK(TabCtrl_GetItemCount(tab) == 1);
    CHECK(app_tab_caption(bc.app, 0) == "Locations && Convert");

    struct {
        int id;
        const char* cls;
        int x, y, w, h;
        const char* text;
        DWORD style, ex;
    } rows[] = {
        {1, "Edit", 5, 30, 475, 20, "", 0x50030080, 0x200},
        {2, "Edit", 5, 75, 475, 20, "", 0x50030080, 0x200},
        {4, "Button", 5, 260, 475, 20, "Convert Backdrop!", 0x50030000, 0},
    };
    HWND page = 0;
    for (auto& r : rows) {
        CAPTURE(r.id);
        HWND c = bc[r.id];
        REQUIRE(c != 0);
        CHECK(app_class(c) == r.cls);
        CHECK(app_text(c) == r.text);
        CHECK((DWORD)GetWindowLongA(c, GWL_STYLE) == r.style);
        CHECK((DWORD)GetWindowLongA(c, GWL_EXSTYLE) == r.ex);
        RECT p = app_rect_in_parent(c);
        CHECK(p.left == r.x);
        CHECK(p.top == r.y);
        CHECK(p.right - p.left == r.w);
        CHECK(p.bottom - p.top == r.h);
        if (!page)
            page = GetParent(c);
        CHECK(GetParent(c) == page);
    }
    CHECK(GetParent(page) == tab);
    CHECK(IsWindowVisible(page));
    CHECK_FALSE(bc[3]);
    std::vector<HWND> labels = app_controls(bc.app, 9999);
    REQUIRE(labels.size() == 2);
    CHECK(app_text(labels[0]) == "Exported Backdrop Filename (no extension):");
    CHECK(app_text(labels[1]) == "Name Of Backdrop File");
    RECT l = app_rect_in_parent(labels[1]);
    CHECK(l.left == 5);
    CHECK(l.top == 55);
    CHECK(l.right - l.left == 300);
    CHECK(l.bottom - l.top == 40);
    RECT logo = app_rect_in_parent(bc[1000]);
    CHECK(logo.left == 5);
    CHECK(logo.top == 5);

    std::string shots = test_program_dir() + "..\\screenshots\\";
    CreateDirectoryA(shots.c_str(), 0);
    bc.set(1, "SPACE");
    bc.set(2, "samples\\backdrop1.bmp");
    app_settle(bc.app);
    Sleep(200);
    CHECK(app_screenshot(bc.app.window, shots + "backdrop-convertor.bmp"));
    CHECK(app_close(bc.app) == 0);
    CHECK_FALSE(test_file_exists(bc.path("SPACE.IMG")));
}

TEST_CASE("backdrop convertor: converting, overwriting, converting onto itself") {
    Running bc("bc-convert");
    REQUIRE(bc.app.window != 0);
    // Computed here from the bitmap's pixels, independently of the conversion under test.
    Bytes expected = test_bitmaps::expected_image(
        test_bitmaps::picture_of_bitmap(test_read_file(bc.path("samples\\backdrop1.bmp"))));
    REQUIRE(expected.size() == 153600);
    bc.set(1, "SPACE");
    bc.set(2, "samples\\backdrop1.bmp");
    Box b = bc.convert();
    CHECK(b.title == "Done");
    CHECK(b.text == "Backdrop image file created");
    CHECK(b.buttons == 1);
    CHECK(app_no_box(bc.app));
    CHECK(test_read_file(bc.path("SPACE.IMG")) == expected);

    // Pressing again writes the same image over the first.
    test_write_file(bc.path("SPACE.IMG"), Bytes(10, 1));
    CHECK(bc.convert().text == "Backdrop image file created");
    CHECK(test_read_file(bc.path("SPACE.IMG")) == expected);

    // An extension typed into field 1 is kept: the name gets ".IMG" after it.
    bc.set(1, "space.bin");
    CHECK(bc.convert().text == "Backdrop image file created");
    CHECK(test_read_file(bc.path("space.bin.IMG")) == expected);

    // The image name equal to the bitmap's: read whole and closed before the image is made.
    CopyFileA(bc.path("samples\\backdrop1.bmp").c_str(), bc.path("self.IMG").c_str(), FALSE);
    bc.set(1, "self");
    bc.set(2, "self.IMG");
    CHECK(bc.convert().text == "Backdrop image file created");
    CHECK(test_read_file(bc.path("self.IMG")) == expected);
    CHECK(app_close(bc.app) == 0);
}

TEST_CASE("backdrop convertor: every refused bitmap leaves the existing image untouched") {
    Running bc("bc-refused");
    REQUIRE(bc.app.window != 0);
    Bytes earlier(153600, 0x5A);
    test_write_file(bc.path("OLD.IMG"), earlier);
    Bytes good = test_read_file(bc.path("samples\\backdrop1.bmp"));
    REQUIRE(good.size() == 230454);

    Bytes small = good;
    put32(small, 18, 319);
    Bytes eight = good;
    eight[28] = 8;
    Bytes rle = good;
    put32(rle, 30, 1);
    Bytes cut(good.begin(), good.end() - 1);
    Bytes text(300, 'x');
    struct {
        const char* name;
        const Bytes* bytes;
        const char* message;
    } cases[] = {
        {"small.bmp", &small, "Error: Bitmap has to be 320 x 240, 24-bit, no compression"},
        {"eight.bmp", &eight, "Error: Bitmap has to be 320 x 240, 24-bit, no compression"},
        {"rle.bmp", &rle, "Error: Bitmap has to be 320 x 240, 24-bit, no compression"},
        {"cut.bmp", &cut, "Error: Bitmap has to be 320 x 240, 24-bit, no compression"},
        {"text.bmp", &text, "Error: Bitmap has to be 320 x 240, 24-bit, no compression"},
        {"missing.bmp", nullptr, "Error: Cannot open bitmap file"},
        {"", nullptr, "Error: Cannot open bitmap file"},
    };
    bc.set(1, "OLD");
    for (auto& c : cases) {
        CAPTURE(c.name);
        if (c.bytes)
            test_write_file(bc.path(c.name), *c.bytes);
        bc.set(2, c.name);
        Box b = bc.convert();
        CHECK(b.title == "File Access");
        CHECK(b.text == c.message);
        CHECK(app_no_box(bc.app, 200));
        CHECK(test_read_file(bc.path("OLD.IMG")) == earlier);
    }
    CHECK_FALSE(test_file_exists(bc.path("missing.bmp")));

    // An image that cannot be created: a folder that does not exist.
    bc.set(1, "no such folder\\OLD");
    bc.set(2, "samples\\backdrop1.bmp");
    Box b = bc.convert();
    CHECK(b.title == "File Access");
    CHECK(b.text == "Error: Can't create file");

    // Empty field 1: the image is called ".IMG".
    bc.set(1, "");
    CHECK(bc.convert().text == "Backdrop image file created");
    CHECK(test_read_file(bc.path(".IMG")).size() == 153600);
    CHECK(app_close(bc.app) == 0);
}

TEST_CASE("backdrop convertor: Browse fills the bitmap's name, Enter converts") {
    Running bc("bc-browse");
    REQUIRE(bc.app.window != 0);
    // On the label row, right-aligned with field 2, out of the Tab cycle.
    HWND button = bc[5];
    REQUIRE(button != 0);
    CHECK(app_class(button) == "Button");
    CHECK(app_text(button) == "Browse...");
    CHECK((DWORD)GetWindowLongA(button, GWL_STYLE) == 0x50020000);
    CHECK(GetParent(button) == GetParent(bc[2]));
    RECT b = app_rect_in_parent(button), f = app_rect_in_parent(bc[2]);
    CHECK(b.left == 400);
    CHECK(b.right == f.right);
    CHECK(b.bottom - b.top == 20);
    CHECK(b.bottom <= f.top);

    app_click(button);
    HWND dialog = app_find_dialog(bc.app, "Open Backdrop Bitmap");
    REQUIRE(dialog != 0);
    CHECK(app_open_file(dialog, "samples\\backdrop1.bmp"));
    app_settle(bc.app);
    CHECK(app_text(bc[2]) == "samples\\backdrop1.bmp");
    // Ctrl+O in the field opens the same dialog; Cancel keeps the name.
    app_focus(bc.app, bc[2]);
    app_chord(VK_CONTROL, 'O');
    dialog = app_find_dialog(bc.app, "Open Backdrop Bitmap");
    REQUIRE(dialog != 0);
    CHECK(app_cancel(dialog));
    app_settle(bc.app);
    CHECK(app_text(bc[2]) == "samples\\backdrop1.bmp");

    // Enter in a field presses "Convert Backdrop!".
    bc.set(1, "SPACE");
    app_focus(bc.app, bc[1]);
    app_keys({VK_RETURN});
    Box done = app_answer_box(bc.app);
    CHECK(done.text == "Backdrop image file created");
    CHECK(test_read_file(bc.path("SPACE.IMG")) ==
          test_bitmaps::expected_image(
              test_bitmaps::picture_of_bitmap(test_read_file(bc.path("samples\\backdrop1.bmp")))));
    CHECK(app_close(bc.app) == 0);
}

namespace {
// The colours the logo shows inside its sunken edge, sorted, each once.
std::vector<unsigned> logo_colours(HWND logo) {
    RECT outer, client;
    GetWindowRect(logo, &outer);
    GetClientRect(logo, &client);
    POINT corner = {0, 0};
    ClientToScreen(logo, &corner);
    Shot shown = app_capture(logo);
    std::vector<unsigned> colours;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            colours.push_back(shown.at(corner.x - outer.left + x, corner.y - outer.top + y));
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    return colours;
}
} // namespace

TEST_CASE("backdrop convertor: at 200 % the window and every gadget double, the logo unsmoothed") {
    std::vector<Placed> placed_96;
    std::vector<unsigned> colours_96;
    {
        Running bc("bc-scale-96");
        REQUIRE(bc.app.window != 0);
        placed_96 = app_placed(bc.app);
        colours_96 = logo_colours(bc[1000]);
        CHECK(app_close(bc.app) == 0);
    }
    AppDisplayDpi scale(192);
    REQUIRE(scale.set);
    Running bc("bc-scale-192");
    REQUIRE(bc.app.window != 0);
    app_check_scaled(bc.app, placed_96, 500, 380, 192);
    // Nearest-neighbour scaling makes no colour of its own, where smoothing would blend
    // neighbours into hundreds of new ones: the logo shows the colours it shows at 96 DPI.
    std::vector<unsigned> colours = logo_colours(bc[1000]);
    REQUIRE(colours_96.size() > 16);
    // Those of its picture too: squeezed into its edge at 96 DPI, the logo leaves a few columns
    // out.
    Bytes picture = test_read_file(bc.path("images\\logo.bmp"));
    const size_t stride = (490 * 3 + 3) & ~3u;
    REQUIRE(picture.size() == 54 + stride * 50);
    for (size_t row = 0; row < 50; ++row)
        for (size_t at = 54 + row * stride; at < 54 + row * stride + 490 * 3; at += 3)
            colours_96.push_back((unsigned)picture[at + 2] << 16 | (unsigned)picture[at + 1] << 8 |
                                 picture[at]);
    std::sort(colours_96.begin(), colours_96.end());
    std::vector<unsigned> foreign;
    std::set_difference(colours.begin(), colours.end(), colours_96.begin(), colours_96.end(),
                        std::back_inserter(foreign));
    CHECK(foreign.size() == 0);
    CHECK(app_close(bc.app) == 0);
}

TEST_CASE("backdrop convertor: a file dropped on the window names the bitmap, nothing is written") {
    Running bc("bc-drop");
    REQUIRE(bc.app.window != 0);
    bc.set(1, "DROPPED");
    app_drop_files(bc.app, {bc.path("samples\\backdrop1.bmp"), bc.path("samples\\level1.bmp")});
    app_settle(bc.app);
    CHECK(app_text(bc[2]) == "samples\\backdrop1.bmp");
    std::string outside = test_scratch_dir("bc-drop-outside") + "sky.png";
    test_write_file(outside, Bytes(10, 1));
    app_drop_files(bc.app, {outside});
    app_settle(bc.app);
    CHECK(app_text(bc[2]) == outside);
    app_drop_files(bc.app, {bc.path("samples")});
    app_drop_files(bc.app, {bc.path("missing.bmp")});
    app_settle(bc.app);
    CHECK(app_text(bc[2]) == outside);
    CHECK(app_no_box(bc.app));
    CHECK_FALSE(test_file_exists(bc.path("DROPPED.IMG")));
    CHECK(app_close(bc.app) == 0);
}
