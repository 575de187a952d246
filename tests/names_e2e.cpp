// Names in every script, from outside the programs: the three programs in a folder named in
// Cyrillic and CJK, started from another folder, with pictures and levels named so. This test
// program runs under the UTF-8 code page itself (its own manifest), so the names below reach the
// system whole.
#include <doctest.h>
#include "app_checks.h"
#include "test_bitmaps.h"
#include "test_support.h"
#include <string>
#include <vector>

namespace {
typedef std::vector<unsigned char> Bytes;
const char* LEVEL_CREATOR = "Wumpo Level Creator";
const char* BACKDROP_CONVERTOR = "Wumpo Backdrop Convertor";

// The description "Café olé" as the level file holds it: Windows-1252, padded to 23.
std::string cafe_record(void) {
    std::string d = "Caf\xE9 ol\xE9";
    d.resize(23, ' ');
    return d;
}

// A program started here, ended however the test ends.
struct Started {
    App app;
    ~Started() { app_kill(app); }
};

Shot logo_of(const App& app) {
    return app_capture(app_control(app, 1000));
}

// Answers the next box and gives its text.
std::string answered(const App& app) {
    return app_answer_box(app).text;
}
} // namespace

TEST_CASE("names in every script: the programs in a folder named in Cyrillic and CJK") {
    REQUIRE(GetACP() == CP_UTF8); // this test's own manifest, honoured as the programs' is
    std::string root = test_scratch_dir("names");
    std::string folder = root + "\xD0\xA3\xD1\x80\xD0\xBE\xD0\xB2\xD0\xBD\xD0\xB8 " // Уровни
                                "\xE6\xBC\xA2\xE5\xAD\x97\\";                       // 漢字
    app_copy_ready(folder);
    std::string art = "\xD0\xB0\xD1\x80\xD1\x82";                     // арт
    std::string sky = art + "\\\xD0\xBD\xD0\xB5\xD0\xB1\xD0\xBE.bmp"; // арт\небо.bmp
    CreateDirectoryA((folder + art).c_str(), 0);
    Bytes bitmap = test_read_file(folder + "samples\\level1.bmp");
    REQUIRE(bitmap.size() > 54);
    test_write_file(folder + sky, bitmap);
    Bytes image = test_bitmaps::expected_image(test_bitmaps::picture_of_bitmap(bitmap));
    std::string cave = "\xD0\x9F\xD0\xB5\xD1\x89\xD0\xB5\xD1\x80\xD0\xB0"; // Пещера

    // The logos as they show from a folder with a plain name: the same pixels from this one.
    Started plain = {app_start("names-plain", "level-creator.exe", LEVEL_CREATOR)};
    REQUIRE(plain.app.window != 0);
    Shot logo = logo_of(plain.app);
    CHECK(app_close(plain.app) == 0);
    plain.app = app_start("names-plain", "backdrop-convertor.exe", BACKDROP_CONVERTOR);
    REQUIRE(plain.app.window != 0);
    Shot backdrop_logo = logo_of(plain.app);
    CHECK(app_close(plain.app) == 0);

    {
        Started started = {app_launch(folder, "level-creator.exe", LEVEL_CREATOR, 20000, root)};
        App& lc = started.app;
        REQUIRE(lc.window != 0);
        CHECK(app_scaled_differences(logo_of(lc), logo, 1) == 0);
        app_set_text(app_control(lc, 1), cave);
        app_set_text(app_control(lc, 2), "Caf\xC3\xA9 ol\xC3\xA9"); // UTF-8, as typed
        app_set_text(app_control(lc, 3), sky);
        app_click(app_control(lc, 4));
        CHECK(answered(lc) == "Level data file created");
        CHECK(answered(lc) == "Level image file created");
        Bytes level = test_read_file(folder + cave + ".LVL");
        REQUIRE(level.size() == 56u);
        CHECK(std::string(level.begin(), level.begin() + 23) == cafe_record());
        CHECK(test_read_file(folder + cave + ".IMG") == image);

        // A letter Windows-1252 lacks: refused, naming the field, and neither file written.
        app_set_text(app_control(lc, 1), "\xC5\x81\xC3\xB3"
                                         "d\xC5\xBA"); // Łódź
        app_set_text(app_control(lc, 2), "\xC5\x81\xC3\xB3"
                                         "d\xC5\xBA");
        app_click(app_control(lc, 4));
        Box refused = app_answer_box(lc);
        CHECK(refused.title == "Level Settings");
        CHECK(refused.text == "Error: Level Description has a letter that the level file's code "
                              "page (Windows-1252) does not have");
        CHECK(app_no_box(lc));
        CHECK_FALSE(test_file_exists(folder + "\xC5\x81\xC3\xB3"
                                              "d\xC5\xBA.LVL"));
        CHECK_FALSE(test_file_exists(folder + "\xC5\x81\xC3\xB3"
                                              "d\xC5\xBA.IMG"));

        // Load Level reads it back, the description in the form's own text.
        app_set_text(app_control(lc, 23), cave + ".LVL");
        app_click(app_control(lc, 24));
        CHECK(answered(lc) == "Level file loaded");
        CHECK(app_text(app_control(lc, 1)) == cave);
        CHECK(app_text(app_control(lc, 2)) == "Caf\xC3\xA9 ol\xC3\xA9               ");
        CHECK(app_close(lc) == 0);
    }

    {
        Started started = {
            app_launch(folder, "backdrop-convertor.exe", BACKDROP_CONVERTOR, 20000, root)};
        App& bc = started.app;
        REQUIRE(bc.window != 0);
        CHECK(app_scaled_differences(logo_of(bc), backdrop_logo, 1) == 0);
        std::string backdrop = "\xD0\x9D\xD0\xB5\xD0\xB1\xD0\xBE"; // Небо
        app_set_text(app_control(bc, 1), backdrop);
        app_set_text(app_control(bc, 2), sky);
        app_click(app_control(bc, 4));
        CHECK(answered(bc) == "Backdrop image file created");
        CHECK(test_read_file(folder + backdrop + ".IMG") == image);
        CHECK(app_close(bc) == 0);
    }

    // The tool: names in its arguments and in its messages, UTF-8 in a file.
    std::string tool = folder + "wumpo-tool.exe";
    std::string out, err;
    std::string output = "\xD0\xB2\xD1\x8B\xD1\x85\xD0\xBE\xD0\xB4"; // выход
    CreateDirectoryA((folder + output).c_str(), 0);
    CHECK(test_run_program(tool, folder, {"convert", art + "/*.bmp", "--out", output}, &out,
                           &err) == 0);
    CHECK(test_read_file(folder + output + "\\\xD0\xBD\xD0\xB5\xD0\xB1\xD0\xBE.IMG") == image);
    CHECK(test_run_program(tool, folder, {"level", "show", cave + ".LVL"}, &out, &err) == 0);
    CHECK(out.find("Level Description: \"Caf\xC3\xA9 ol\xC3\xA9               \"") == 0);
    CHECK(test_run_program(tool, folder, {"level", "show", "\xD0\x9D\xD0\xB5\xD1\x82.LVL"}, &out,
                           &err) == 1); // Нет.LVL
    CHECK(err == "\xD0\x9D\xD0\xB5\xD1\x82.LVL: Error: Can't open level file\r\n");
    CHECK(test_run_program(tool, folder,
                           {"level", "create", "\xD0\x9D\xD0\xBE\xD0\xB2.LVL", // Нов.LVL
                            "description=\xC5\x81\xC3\xB3"
                            "d\xC5\xBA"},
                           &out, &err) == 1);
    CHECK(err == "\xD0\x9D\xD0\xBE\xD0\xB2.LVL: Error: Level Description has a letter that the "
                 "level file's code page (Windows-1252) does not have\r\n");
    CHECK_FALSE(test_file_exists(folder + "\xD0\x9D\xD0\xBE\xD0\xB2.LVL"));
}
