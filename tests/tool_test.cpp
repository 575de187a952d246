// wumpo-tool run as a child process from the ready-to-run folder, in a working directory of its
// own, so every relative name must resolve against that directory and every picture of the
// images folder against the program's. Each command on good and bad input: exit statuses, the
// messages on standard error, progress on standard output, and the files, compared with what the
// programs' own code makes or with pictures decoded here independently.
#include <doctest.h>
#include "level.h"
#include "os.h"
#include "path.h"
#include "screen_image.h"
#include "screen_image_dither.h"
#include "test_bitmaps.h"
#include "test_status_bar.h"
#include "test_support.h"
#include "text.h"
#include <string>
#include <vector>

using namespace test_bitmaps;

namespace {
struct Run {
    int status;
    std::string out, err;
};

std::string tool_exe() {
    return test_tool_dir() + "wumpo-tool" + TEST_EXE;
}

// The text with LF line ends, as the checks below write it. The Windows tool ends each line with
// CR LF, as console programs there do, the POSIX one with LF alone; anything else is a fault.
std::string plain_lines(const std::string& text) {
    std::string r;
    int wrong = 0;
    for (size_t i = 0; i < text.size(); ++i) {
#ifdef _WIN32
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        wrong += text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
#else
        wrong += text[i] == '\r';
#endif
        r += text[i];
    }
    CHECK(wrong == 0);
    return r;
}

// The screen image of picture dithered by kind, made here through the library the tool is built on.
Bytes dithered_image(const Picture& picture, int32_t kind) {
    Bytes file = bitmap_file(picture), image(SCREEN_IMAGE_SIZE);
    BitmapPicture rows = {file.data() + 54, 320, 240, 960, 0};
    screen_image_from_rows_dithered(&rows, kind, image.data());
    return image;
}

// Runs exe with args in directory dir.
Run run_program(const std::string& exe, const std::string& dir,
                const std::vector<std::string>& args) {
    Run r = {-1, "", ""};
    r.status = test_run_program(exe, dir, args, &r.out, &r.err);
    REQUIRE(r.status != -1);
    r.out = plain_lines(r.out);
    r.err = plain_lines(r.err);
    return r;
}

Run tool(const std::string& dir, const std::vector<std::string>& args) {
    return run_program(tool_exe(), dir, args);
}

// The tool with standard input read from the file input.
Run tool_with_input(const std::string& dir, const std::vector<std::string>& args,
                    const std::string& input) {
    Run r = {-1, "", ""};
    r.status = test_run_program(tool_exe(), dir, args, &r.out, &r.err, 60000, input);
    REQUIRE(r.status != -1);
    r.out = plain_lines(r.out);
    r.err = plain_lines(r.err);
    return r;
}

// The image the programs make of a bitmap file, computed here from its pixels, independently of
// the conversion under test.
Bytes programs_image(const std::string& dir, const std::string& bitmap) {
    Picture picture = picture_of_bitmap(test_read_file(dir + test_path(bitmap)));
    REQUIRE(picture.size() == 320 * 240);
    return expected_image(picture);
}

uint32_t u32(const Bytes& b, size_t at) {
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 |
           (uint32_t)b[at + 3] << 24;
}

// A 24-bit bitmap decoded here: pixel (x, y) from the top-left, 0-based.
struct Decoded {
    int width = 0, height = 0;
    Bytes file;
    Rgb at(int x, int y) const {
        size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
        size_t row = height - 1 - y; // bottom-up: the pictures here all are
        const unsigned char* p = file.data() + u32(file, 10) + row * stride + (size_t)x * 3;
        return Rgb{p[2], p[1], p[0]};
    }
};
Decoded decode(const Bytes& file) {
    Decoded d;
    REQUIRE(file.size() >= 54);
    REQUIRE(file[0] == 'B');
    REQUIRE(file[1] == 'M');
    REQUIRE(u32(file, 14) >= 40);
    REQUIRE((file[28] | file[29] << 8) == 24);
    REQUIRE(u32(file, 30) == 0);
    REQUIRE((int32_t)u32(file, 22) > 0);
    d.width = (int)u32(file, 18);
    d.height = (int)u32(file, 22);
    REQUIRE(file.size() >= u32(file, 10) + (((size_t)d.width * 3 + 3) & ~(size_t)3) * d.height);
    d.file = file;
    return d;
}

bool same(const Rgb& a, const Rgb& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// A level file written here byte by byte, as the game's layout fixes it.
Bytes level_bytes(const std::string& description, const std::vector<unsigned>& words,
                  unsigned char anti_gravity, const std::string& backdrop, unsigned gravity) {
    Bytes b(LEVEL_RECORD_SIZE, 0);
    for (int i = 0; i < 23; ++i)
        b[i] = i < (int)description.size() ? (unsigned char)description[i] : ' ';
    for (int i = 0; i < 8; ++i) {
        b[24 + 2 * i] = (unsigned char)words[i];
        b[25 + 2 * i] = (unsigned char)(words[i] >> 8);
    }
    b[40] = anti_gravity;
    for (size_t i = 0; i < backdrop.size() && i < 12; ++i)
        b[41 + i] = (unsigned char)backdrop[i];
    b[54] = (unsigned char)gravity;
    b[55] = (unsigned char)(gravity >> 8);
    return b;
}

// The value after "name": in a JSON listing: a string's text (escapes undone, \u back into the
// code page) or a number's digits.
std::string json_value(const std::string& json, const std::string& name) {
    size_t at = json.find("\"" + name + "\": ");
    REQUIRE(at != std::string::npos);
    at += name.size() + 4;
    std::string v;
    if (json[at] != '"') {
        while (json[at] == '-' || (json[at] >= '0' && json[at] <= '9'))
            v += json[at++];
        return v;
    }
    std::vector<unsigned> units;
    for (++at; json[at] != '"'; ++at) {
        if (json[at] != '\\') {
            units.push_back((unsigned char)json[at]);
            continue;
        }
        char e = json[++at];
        if (e == 'u') {
            units.push_back((unsigned)std::stoul(json.substr(at + 1, 4), nullptr, 16));
            at += 4;
        } else {
            units.push_back(e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : (unsigned)e);
        }
    }
    return test_code_page_text(units);
}
} // namespace

TEST_CASE("tool convert: programs' bytes, progress, a refused bitmap among good ones, --out") {
    std::string dir = test_scratch_dir("tool_convert");
    Picture one = varied_picture(3), two = varied_picture(40);
    test_write_file(dir + "one.bmp", bitmap_file(one));
    test_make_dir(dir + "sub");
    Shape top_down;
    top_down.top_down = true;
    test_write_file(dir + test_path("sub\\two.bmp"), bitmap_file(two, top_down));
    Bytes rle = bitmap_file(one);
    rle[30] = 1; // RLE8, which the tool does not read
    test_write_file(dir + "bad.bmp", rle);

    SUBCASE("one bitmap: its image in the current directory, nothing printed") {
        Run r = tool(dir, {"convert", "one.bmp"});
        CHECK(r.status == 0);
        CHECK(r.out == "");
        CHECK(r.err == "");
        CHECK(test_read_file(dir + "one.IMG") == programs_image(dir, "one.bmp"));
        CHECK(test_read_file(dir + "one.IMG") == expected_image(one));
    }
    SUBCASE("several, one refused: the others still converted, each told, exit 1") {
        test_make_dir(dir + "out");
        Run r =
            tool(dir, {"convert", "one.bmp", "bad.bmp", test_path("sub\\two.bmp"), "--out", "out"});
        CHECK(r.status == 1);
        CHECK(r.out == test_path("[1/3] one.bmp -> out\\one.IMG\n"
                                 "[2/3] bad.bmp -> out\\bad.IMG\n"
                                 "[3/3] sub\\two.bmp -> out\\two.IMG\n"
                                 "Converted 2 of 3 bitmaps\n"));
        CHECK(r.err == "bad.bmp: Error: RLE-compressed bitmaps are not read; save the picture "
                       "uncompressed\n");
        CHECK(test_read_file(dir + test_path("out\\one.IMG")) == programs_image(dir, "one.bmp"));
        CHECK(test_read_file(dir + test_path("out\\two.IMG")) ==
              programs_image(dir, "sub\\two.bmp"));
        CHECK_FALSE(test_file_exists(dir + test_path("out\\bad.IMG")));
        CHECK_FALSE(test_file_exists(dir + "one.IMG"));
    }
    SUBCASE("--dither: none the forms' bytes; each kind its own, the same alone and on threads") {
        Picture gradient = gradient_picture();
        test_write_file(dir + "sky.bmp", bitmap_file(gradient));
        test_write_file(dir + test_path("sub\\sky2.bmp"), bitmap_file(gradient));
        Run r = tool(dir, {"convert", "--dither", "none", "sky.bmp"});
        CHECK(r.status == 0);
        CHECK(test_read_file(dir + "sky.IMG") == expected_image(gradient));
        for (int32_t kind : {DITHER_ORDERED, DITHER_DIFFUSION}) {
            const char* name = screen_image_dither_name(kind);
            CAPTURE(name);
            Bytes want = dithered_image(gradient, kind);
            CHECK(want != expected_image(gradient));
            r = tool(dir, {"convert", "sky.bmp", "--dither", name, "--jobs", "1"});
            CHECK(r.status == 0);
            CHECK(test_read_file(dir + "sky.IMG") == want);
            r = tool(dir, {"convert", "sky.bmp", test_path("sub\\sky2.bmp"), "--dither", name,
                           "--jobs", "2", "--out", "sub"});
            CHECK(r.status == 0);
            CHECK(test_read_file(dir + test_path("sub\\sky.IMG")) == want);
            CHECK(test_read_file(dir + test_path("sub\\sky2.IMG")) == want);
        }
    }
    SUBCASE("a missing bitmap and a pattern: reported, the matches converted in name order") {
        Run r = tool(dir, {"convert", test_path("sub\\*.bmp"), "gone.bmp", "none*.bmp"});
        CHECK(r.status == 1);
        CHECK(r.out == test_path("[1/2] sub\\two.bmp -> two.IMG\n[2/2] gone.bmp -> gone.IMG\n") +
                           "Converted 1 of 2 bitmaps\n");
        CHECK(r.err == "none*.bmp: Error: No file matches\n"
                       "gone.bmp: Error: Cannot open bitmap file\n");
        CHECK(test_read_file(dir + "two.IMG") == programs_image(dir, "sub\\two.bmp"));
        CHECK_FALSE(test_file_exists(dir + "gone.bmp"));
    }
    SUBCASE("hostile pictures are refused at once, and nothing is written") {
        test_write_file(dir + "hostile.png", hostile_png());
        test_write_file(dir + "wrapping.bmp", wrapping_bitmap());
        Run r = tool(dir, {"convert", "hostile.png", "wrapping.bmp"});
        CHECK(r.status == 1);
        CHECK(r.err == "hostile.png: Error: Cannot read picture\n"
                       "wrapping.bmp: Error: Cannot read picture\n");
        CHECK(r.out.find("Converted 0 of 2 bitmaps") != std::string::npos);
        CHECK_FALSE(test_file_exists(dir + "hostile.IMG"));
        CHECK_FALSE(test_file_exists(dir + "wrapping.IMG"));
    }
    SUBCASE("an image that would be written over a picture: refused, nothing written") {
        test_write_file(dir + "SPACE.IMG", bitmap_file(one));
        Run r = tool(dir, {"convert", "one.bmp", "SPACE.IMG"});
        CHECK(r.status == 1);
        CHECK(r.out == "");
        CHECK(r.err == "SPACE.IMG: Error: The image would be written over the picture SPACE.IMG\n");
        CHECK(test_read_file(dir + "SPACE.IMG") == bitmap_file(one));
        CHECK_FALSE(test_file_exists(dir + "one.IMG"));
    }
    SUBCASE("an image that cannot be created is named") {
        test_make_dir(dir + "one.IMG");
        Run r = tool(dir, {"convert", "one.bmp"});
        CHECK(r.status == 1);
        CHECK(r.err == "one.IMG: Error: Can't create file\n");
    }
    SUBCASE("usage errors change nothing and exit 2; a missing --out directory exits 1") {
        for (const std::vector<std::string>& args :
             std::vector<std::vector<std::string>>{{"convert"},
                                                   {"convert", "one.bmp", "--out"},
                                                   {"convert", "one.bmp", "--outdir", "x"},
                                                   {"convert", "one.bmp", "--dither", "floyd"},
                                                   {"convert", "one.bmp", "--dither"}}) {
            Run r = tool(dir, args);
            CHECK(r.status == 2);
            CHECK(r.out == "");
            CHECK(r.err.find("Usage: wumpo-tool convert BITMAP... [--out DIR]") !=
                  std::string::npos);
        }
        Run r = tool(dir, {"convert", "one.bmp", "--out", "nowhere"});
        CHECK(r.status == 1);
        CHECK(r.err == "nowhere: Error: Directory not found\n");
        CHECK_FALSE(test_file_exists(dir + "one.IMG"));

        // Two bitmaps whose images would have one name, letter case aside: the second would
        // replace the first, so nothing is converted.
        test_write_file(dir + test_path("sub\\One.bmp"), bitmap_file(two));
        Run clash = tool(dir, {"convert", "one.bmp", test_path("sub\\two.bmp"),
                               test_path("sub\\One.bmp"), "--out", "sub"});
        CHECK(clash.status == 2);
        CHECK(clash.out == "");
        CHECK(clash.err.find(test_path("wumpo-tool: one.bmp and sub\\One.bmp would both be "
                                       "converted into sub\\one.IMG\n")) == 0);
        CHECK_FALSE(test_file_exists(dir + test_path("sub\\one.IMG")));
        CHECK_FALSE(test_file_exists(dir + test_path("sub\\two.IMG")));
    }
}

TEST_CASE("tool view: a screen image as a bitmap the right way up, converting back to it") {
    std::string dir = test_scratch_dir("tool_view");
    // Every 5-bit value in every component, bit 0 clear as the conversion leaves it.
    Bytes image(SCREEN_IMAGE_SIZE);
    for (size_t i = 0; i < image.size(); i += 2) {
        unsigned w = (unsigned)((i / 2) * 2654435761u >> 7) & 0xFFFEu;
        image[i] = (unsigned char)w;
        image[i + 1] = (unsigned char)(w >> 8);
    }
    test_write_file(dir + "SKY.IMG", image);

    Run r = tool(dir, {"view", "SKY.IMG", "sky.bmp"});
    REQUIRE(r.status == 0);
    CHECK(r.out == "");
    CHECK(r.err == "");
    Bytes bmp = test_read_file(dir + "sky.bmp");
    CHECK(bmp.size() == 54 + 230400);
    Decoded d = decode(bmp);
    CHECK(d.width == 320);
    CHECK(d.height == 240);
    // Image row y = 1 is the picture's bottom row; components widened as (v << 3) | (v >> 2).
    for (int x : {1, 2, 160, 320})
        for (int y : {1, 2, 120, 240}) {
            size_t at = screen_image_offset(x, y);
            unsigned w = image[at] | image[at + 1] << 8;
            unsigned r5 = w >> 11 & 31, g5 = w >> 6 & 31, b5 = w >> 1 & 31;
            Rgb want{(unsigned char)(r5 << 3 | r5 >> 2), (unsigned char)(g5 << 3 | g5 >> 2),
                     (unsigned char)(b5 << 3 | b5 >> 2)};
            CHECK(same(d.at(x - 1, 240 - y), want));
        }
    CHECK(programs_image(dir, "sky.bmp") == image);
    r = tool(dir, {"convert", "sky.bmp"});
    CHECK(r.status == 0);
    CHECK(test_read_file(dir + "sky.IMG") == image);

    SUBCASE("refused: a file of another size, a missing one, a bitmap that cannot be made") {
        Bytes short_image(image.begin(), image.end() - 1);
        test_write_file(dir + "SHORT.IMG", short_image);
        r = tool(dir, {"view", "SHORT.IMG", "short.bmp"});
        CHECK(r.status == 1);
        CHECK(r.err == "SHORT.IMG: Error: Not a screen image file\n");
        CHECK_FALSE(test_file_exists(dir + "short.bmp"));
        r = tool(dir, {"view", "GONE.IMG", "gone.bmp"});
        CHECK(r.status == 1);
        CHECK(r.err == "GONE.IMG: Error: Can't open image file\n");
        r = tool(dir, {"view", "SKY.IMG", test_path("nowhere\\sky.bmp")});
        CHECK(r.status == 1);
        CHECK(r.err == test_path("nowhere\\sky.bmp: Error: Can't create file\n"));
        r = tool(dir, {"view", "SKY.IMG"});
        CHECK(r.status == 2);
        r = tool(dir, {"view", "SKY.IMG", "a.bmp", "b.bmp"});
        CHECK(r.status == 2);
        CHECK_FALSE(test_file_exists(dir + "a.bmp"));
    }
}

TEST_CASE("tool level show: labels, JSON, numbers as Load Level shows them") {
    std::string dir = test_scratch_dir("tool_show");
    // A quote, a backslash and a character beyond ASCII (e acute in the Western code page).
    test_write_file(dir + "CAVE.LVL",
                    level_bytes("Say \"hi\" \\ caf\xE9", {40, 30, 0x9C40, 0xFFFF, 250, 20, 10, 300},
                                1, "SKY.IMG", 3));

    Run r = tool(dir, {"level", "show", "CAVE.LVL"});
    CHECK(r.status == 0);
    CHECK(r.err == "");
    // The tool's text is UTF-8 (the Windows tool's under its manifest's code page): e acute is
    // two bytes there, one in the level file.
    const std::string cafe = "caf\xC3\xA9";
    CHECK(r.out == "Level Description: \"Say \\\"hi\\\" \\\\ " + cafe +
                       "        \"\n"
                       "Wumpo Start X: 40\n"
                       "Wumpo Start Y: 30\n"
                       "Wumpo Exit X: -25536\n"
                       "Wumpo Exit Y: -1\n"
                       "Amount of draw material: 250\n"
                       "Amount of Wumpo to create: 20\n"
                       "Amount of Wumpo you need to save: 10\n"
                       "Level time in seconds: 300\n"
                       "Anti-Gravity mode? 1\n"
                       "Name of backdrop to use: (SPACE.IMG = default): \"SKY.IMG\"\n"
                       "Switch Gravity Times: 3\n");

    r = tool(dir, {"level", "show", "--json", "CAVE.LVL"});
    CHECK(r.status == 0);
    CHECK(r.out == "{\n"
                   "  \"description\": \"Say \\\"hi\\\" \\\\ caf\\u00E9        \",\n"
                   "  \"start_x\": 40,\n"
                   "  \"start_y\": 30,\n"
                   "  \"exit_x\": -25536,\n"
                   "  \"exit_y\": -1,\n"
                   "  \"draw_material\": 250,\n"
                   "  \"wumpo_to_create\": 20,\n"
                   "  \"wumpo_to_save\": 10,\n"
                   "  \"level_time\": 300,\n"
                   "  \"anti_gravity\": 1,\n"
                   "  \"backdrop_name\": \"SKY.IMG\",\n"
                   "  \"gravity_switch_times\": 3\n"
                   "}\n");

    SUBCASE("a file of 55 or 57 bytes, or none, is refused and nothing is listed") {
        Bytes level = test_read_file(dir + "CAVE.LVL");
        test_write_file(dir + "SHORT.LVL", Bytes(level.begin(), level.end() - 1));
        level.push_back(0);
        test_write_file(dir + "LONG.LVL", level);
        for (const char* name : {"SHORT.LVL", "LONG.LVL"}) {
            r = tool(dir, {"level", "show", name, "--json"});
            CHECK(r.status == 1);
            CHECK(r.out == "");
            CHECK(r.err == std::string(name) + ": Error: Not a level file\n");
        }
        r = tool(dir, {"level", "show", "GONE.LVL"});
        CHECK(r.status == 1);
        CHECK(r.err == "GONE.LVL: Error: Can't open level file\n");
        CHECK_FALSE(test_file_exists(dir + "GONE.LVL"));
        CHECK(tool(dir, {"level", "show"}).status == 2);
        CHECK(tool(dir, {"level", "show", "CAVE.LVL", "--xml"}).status == 2);
        CHECK(tool(dir, {"level", "show", "CAVE.LVL", "LONG.LVL"}).status == 2);
    }
}

TEST_CASE("tool level create: defaults, the Level Creator's checks, show and create round trip") {
    std::string dir = test_scratch_dir("tool_create");

    SUBCASE("no fields: the form's starting values") {
        Run r = tool(dir, {"level", "create", "EMPTY.LVL"});
        CHECK(r.status == 0);
        CHECK(r.out == "");
        CHECK(r.err == "");
        CHECK(test_read_file(dir + "EMPTY.LVL") ==
              level_bytes("", {0, 0, 0, 0, 0, 0, 0, 0}, 0, "SPACE.IMG", 0));
    }
    SUBCASE("named fields in any order, the description cut at 23") {
        Run r = tool(dir, {"level", "create", "sub.LVL", "level_time=300", "anti_gravity=1",
                           "description=A description longer than 23", "start_x=40", "exit_y=65535",
                           "gravity_switch_times=-5", "backdrop_name=", "wumpo_to_save= 7 "});
        CHECK(r.status == 0);
        CHECK(r.err == "");
        CHECK(test_read_file(dir + "sub.LVL") == level_bytes("A description longer th",
                                                             {40, 0, 0, 0xFFFF, 0, 0, 7, 300}, 1,
                                                             "", 0xFFFB));
    }
    SUBCASE("refused values: each reported in the Level Creator's words, nothing written") {
        test_write_file(dir + "KEEP.LVL", Bytes(LEVEL_RECORD_SIZE, 0x55));
        Run r = tool(dir, {"level", "create", "KEEP.LVL", "start_x=70000", "level_time=12abc",
                           "anti_gravity=2", "backdrop_name=BACKDROP1.IMG"});
        CHECK(r.status == 1);
        CHECK(r.out == "");
        CHECK(r.err == "KEEP.LVL: Error: Wumpo Start X has to be a whole number from -32768 to "
                       "65535\n"
                       "KEEP.LVL: Error: Level time in seconds has to be a whole number from "
                       "-32768 to 65535\n"
                       "KEEP.LVL: Error: Anti-Gravity mode has to be 0 or 1\n"
                       "KEEP.LVL: Error: Name of backdrop has to be 12 characters or fewer\n");
        CHECK(test_read_file(dir + "KEEP.LVL") == Bytes(LEVEL_RECORD_SIZE, 0x55));
    }
    SUBCASE("unknown field names and words without = are usage errors") {
        for (const char* bad : {"start=5", "start_x", "Start_X=5"}) {
            Run r = tool(dir, {"level", "create", "U.LVL", "start_y=1", bad});
            CHECK(r.status == 2);
            CHECK(r.err.find("Usage: wumpo-tool level create") != std::string::npos);
        }
        CHECK(tool(dir, {"level", "create"}).status == 2);
        CHECK_FALSE(test_file_exists(dir + "U.LVL"));
        Run r = tool(dir, {"level", "create", test_path("nowhere\\U.LVL")});
        CHECK(r.status == 1);
        CHECK(r.err == test_path("nowhere\\U.LVL: Error: Can't create file\n"));
    }
    SUBCASE("the values that show prints give the same file again") {
        Bytes original =
            level_bytes("  Say \"hi\" \\ caf\xE9", {0x8000, 0x7FFF, 0, 319, 239, 1, 0xFFFE, 0}, 1,
                        "ABCDEFGHIJKL", 0x9C40);
        test_write_file(dir + "ORIGINAL.LVL", original);
        Run shown = tool(dir, {"level", "show", "--json", "ORIGINAL.LVL"});
        REQUIRE(shown.status == 0);
        std::vector<std::string> args = {"level", "create", "COPY.LVL"};
        for (int i = 0; i < LEVEL_FIELD_COUNT; ++i) {
            std::string name = level_field_info(i)->name;
            args.push_back(name + "=" + json_value(shown.out, name));
        }
        Run r = tool(dir, args);
        CHECK(r.status == 0);
        CHECK(r.err == "");
        CHECK(test_read_file(dir + "COPY.LVL") == original);
    }
}

TEST_CASE("tool level create --from: what show --json prints gives the same file, byte for byte") {
    std::string dir = test_scratch_dir("tool_from");
    // Quotes, backslashes, a tab, DEL, bytes above 127 (the euro sign, bytes that Windows-1252
    // leaves without a character, e acute, y diaeresis), the extremes of every word.
    const Bytes levels[] = {
        level_bytes("  Say \"hi\" \\ caf\xE9", {0x8000, 0x7FFF, 0, 319, 239, 1, 0xFFFE, 0}, 1,
                    "ABCDEFGHIJKL", 0x9C40),
        level_bytes("\x80\x81\x8D\xFF\t\x7F end", {1, 2, 3, 4, 5, 6, 7, 8}, 0, "SP\xC9\\CE.IMG",
                    0xFFFF),
        level_bytes("", {0, 0, 0, 0, 0, 0, 0, 0}, 0, "", 0),
    };
    for (size_t i = 0; i < sizeof levels / sizeof levels[0]; ++i) {
        CAPTURE(i);
        test_write_file(dir + "ORIGINAL.LVL", levels[i]);
        Run shown = tool(dir, {"level", "show", "ORIGINAL.LVL", "--json"});
        REQUIRE(shown.status == 0);
        test_write_text(dir + "level.json", shown.out);
        test_remove_file(dir + "COPY.LVL");
        Run r = tool(dir, {"level", "create", "COPY.LVL", "--from", "level.json"});
        CHECK(r.status == 0);
        CHECK(r.err == "");
        CHECK(test_read_file(dir + "COPY.LVL") == levels[i]);
        // The same through standard input, as in a pipe from show.
        test_remove_file(dir + "PIPED.LVL");
        r = tool_with_input(dir, {"level", "create", "PIPED.LVL", "--from", "-"},
                            dir + "level.json");
        CHECK(r.status == 0);
        CHECK(test_read_file(dir + "PIPED.LVL") == levels[i]);
    }

    // Fields on the command line go over the JSON's.
    Run r = tool(dir, {"level", "create", "OVER.LVL", "start_x=7", "--from", "level.json",
                       "backdrop_name=SKY.IMG"});
    CHECK(r.status == 0);
    CHECK(test_read_file(dir + "OVER.LVL") ==
          level_bytes("", {7, 0, 0, 0, 0, 0, 0, 0}, 0, "SKY.IMG", 0));

    SUBCASE("JSON that is not a level's is refused with the key named, and nothing written") {
        test_write_text(dir + "typo.json", "{\"strat_x\": 3, \"start_y\": 70000, \"exit_x\": \"4\","
                                           " \"anti_gravity\": 2, \"description\": \"\\u4E2D\"}");
        r = tool(dir, {"level", "create", "TYPO.LVL", "--from", "typo.json"});
        CHECK(r.status == 1);
        CHECK(r.err ==
              "typo.json:1:2: strat_x: Error: Unknown key (did you mean \"start_x\"?)\n"
              "typo.json:1:27: start_y: Error: Wumpo Start Y has to be a whole number from "
              "-32768 to 65535\n"
              "typo.json:1:44: exit_x: Error: Wumpo Exit X has to be a whole number from "
              "-32768 to 65535\n"
              "typo.json:1:65: anti_gravity: Error: Anti-Gravity mode has to be 0 or 1\n"
              "typo.json:1:83: description: Error: Level Description has a character that "
              "the level file's code page does not have\n");
        test_write_text(dir + "broken.json", "{\"start_x\": 3,\n \"start_y\" 4}");
        r = tool_with_input(dir, {"level", "create", "TYPO.LVL", "--from", "-"},
                            dir + "broken.json");
        CHECK(r.status == 1);
        CHECK(r.err == "standard input: Error: Not JSON: line 2, column 12: Missing a colon after "
                       "a name of object member.\n");
        CHECK_FALSE(test_file_exists(dir + "TYPO.LVL"));
        CHECK(tool(dir, {"level", "create", "TYPO.LVL", "--from"}).status == 2);
        r = tool(dir, {"level", "create", "TYPO.LVL", "--from", "gone.json"});
        CHECK(r.status == 1);
        CHECK(r.err == "gone.json: Error: Can't open file\n");
        CHECK_FALSE(test_file_exists(dir + "TYPO.LVL"));
    }
}

TEST_CASE("tool preview: the level bitmap, the sprites where Preview Level puts them, the bar "
          "with the level's numbers") {
    std::string dir = test_scratch_dir("tool_preview");
    std::string images = test_tool_images();
    Decoded cloud = decode(test_read_file(images + "cloud.bmp"));
    Decoded exit = decode(test_read_file(images + "exit.bmp"));
    Decoded exitgrav = decode(test_read_file(images + "exitgrav.bmp"));
    Decoded bar = decode(test_read_file(images + "statbar.bmp"));
    REQUIRE(exit.file != exitgrav.file);
    // The sizes the pack's placement warnings measure are the sprites' own.
    CHECK((cloud.width == LEVEL_START_WIDTH && cloud.height == LEVEL_START_HEIGHT));
    CHECK((exit.width == LEVEL_EXIT_WIDTH && exit.height == LEVEL_EXIT_HEIGHT));
    CHECK((exitgrav.width == LEVEL_EXIT_WIDTH && exitgrav.height == LEVEL_EXIT_HEIGHT));
    CHECK((bar.width == LEVEL_PICTURE_WIDTH && bar.height == LEVEL_STATUS_BAR_HEIGHT));
    Picture picture = varied_picture(9);
    test_write_file(dir + "level.bmp", bitmap_file(picture));

    struct Case {
        const char* name;
        std::vector<unsigned> words;
        unsigned char anti_gravity;
        int start_x, start_y, exit_x, exit_y;
        const Decoded* exit;
        test_status_bar::Shown bar; // time, Wumpo out, Wumpo to save, draw material
    };
    // Plain; then sprites hanging over the right and bottom edges and above the top, the
    // anti-gravity exit, and a start X of -11, which the form's gadget move takes as "stay";
    // numbers the bar cannot show (a time of -1, 10000 to save, draw material -32768).
    // clang-format off
    const Case cases[] = {
        {"PLAIN", {100, 50, 200, 120, 250, 20, 5, 300}, 0, 100, 50, 200, 120, &exit,
         {" 5:00", {"  20", "   5", " 250"}}},
        {"EDGES", {0xFFF5, 230, 310, 0xFFF0, 0x8000, 0, 10000, 0xFFFF}, 1, 0, 230, 310, -16,
         &exitgrav, {"--:--", {"   0", "----", "----"}}},
    };
    // clang-format on
    // As the game shows the picture: 5 bits of each colour, widened back as (v << 3) | (v >> 2).
    auto as_game = [](Rgb c) {
        auto widen = [](unsigned char v) { return (unsigned char)((v & 0xF8) | v >> 5); };
        return Rgb{widen(c.r), widen(c.g), widen(c.b)};
    };
    // Dithered, the picture as the image that convert dithers the same way shows it.
    const Bytes ordered = dithered_image(picture, DITHER_ORDERED);
    const Bytes diffused = dithered_image(picture, DITHER_DIFFUSION);
    auto image_colour = [](const Bytes& image, int x, int y) {
        size_t at = screen_image_offset((uint32_t)x, (uint32_t)y);
        ScreenPixel c = screen_image_unpack((uint16_t)(image[at] | image[at + 1] << 8));
        return Rgb{c.red, c.green, c.blue};
    };
    // 0: as it is; 1: --as-game; 2 and 3: --dither ordered and diffusion, without --as-game.
    for (int game = 0; game < 4; ++game)
        for (const Case& c : cases) {
            CAPTURE(c.name);
            CAPTURE(game);
            std::string level = std::string(c.name) + ".LVL";
            test_write_file(dir + level, level_bytes("", c.words, c.anti_gravity, "SPACE.IMG", 0));
            std::vector<std::string> args = {"preview", level, "level.bmp", "out.bmp"};
            if (game == 1)
                args.insert(args.begin() + 1, "--as-game");
            if (game >= 2)
                args.insert(args.end(), {"--dither", game == 2 ? "ordered" : "diffusion"});
            Run r = tool(dir, args);
            REQUIRE(r.status == 0);
            CHECK(r.err == "");
            Bytes file = test_read_file(dir + "out.bmp");
            CHECK(file.size() == 54 + 230400);
            Decoded out = decode(file);
            REQUIRE(out.width == 320);
            REQUIRE(out.height == 240);
            int wrong = 0;
            for (int y = 0; y < 240; ++y)
                for (int x = 0; x < 320; ++x) {
                    // Later pictures lie over earlier ones: picture, start, exit, status bar.
                    Rgb want = pixel(picture, x + 1, 240 - y);
                    if (game == 1)
                        want = as_game(want);
                    if (game >= 2)
                        want = image_colour(game == 2 ? ordered : diffused, x + 1, 240 - y);
                    if (x >= c.start_x && x < c.start_x + cloud.width && y >= c.start_y &&
                        y < c.start_y + cloud.height)
                        want = cloud.at(x - c.start_x, y - c.start_y);
                    if (x >= c.exit_x && x < c.exit_x + c.exit->width && y >= c.exit_y &&
                        y < c.exit_y + c.exit->height)
                        want = c.exit->at(x - c.exit_x, y - c.exit_y);
                    if (y < bar.height) {
                        Rgb own = bar.at(x, y);
                        unsigned shown = test_status_bar::colour(
                            c.bar, x, y, (unsigned)own.r << 16 | own.g << 8 | own.b);
                        want = Rgb{(unsigned char)(shown >> 16), (unsigned char)(shown >> 8),
                                   (unsigned char)shown};
                    }
                    wrong += !same(out.at(x, y), want);
                }
            CHECK(wrong == 0);
        }

    SUBCASE("refused inputs: nothing written") {
        Bytes wide = bitmap_file(picture);
        wide[18] = 0x41; // 321 pixels wide
        test_write_file(dir + "wide.bmp", wide);
        test_remove_file(dir + "out.bmp");
        Run r = tool(dir, {"preview", "PLAIN.LVL", "wide.bmp", "out.bmp"});
        CHECK(r.status == 1);
        CHECK(r.err == "wide.bmp: Error: Picture is 321 x 240 pixels; it has to be 320 x 240\n");
        r = tool(dir, {"preview", "PLAIN.LVL", "gone.bmp", "out.bmp"});
        CHECK(r.status == 1);
        CHECK(r.err == "gone.bmp: Error: Cannot open bitmap file\n");
        test_write_file(dir + "LONG.LVL", Bytes(57, 0));
        r = tool(dir, {"preview", "LONG.LVL", "level.bmp", "out.bmp"});
        CHECK(r.status == 1);
        CHECK(r.err == "LONG.LVL: Error: Not a level file\n");
        CHECK_FALSE(test_file_exists(dir + "out.bmp"));
        CHECK(tool(dir, {"preview", "PLAIN.LVL", "level.bmp"}).status == 2);
        CHECK(tool(dir, {"preview", "PLAIN.LVL", "level.bmp", "out.bmp", "--dither", "bayer"})
                  .status == 2);
    }
    SUBCASE("the sprites come from images beside the program, whatever the current directory") {
        std::string alone = test_scratch_dir("tool_alone");
        std::string copy = alone + "wumpo-tool" + TEST_EXE;
        REQUIRE(test_copy_file(tool_exe(), copy));
        Run r = run_program(copy, dir, {"preview", "PLAIN.LVL", "level.bmp", "alone.bmp"});
        CHECK(r.status == 1);
        CHECK(r.err == alone + PATH_IMAGES "cloud.bmp: Error: Cannot open bitmap file\n");
        CHECK_FALSE(test_file_exists(dir + "alone.bmp"));
    }
}

TEST_CASE("tool build: a pack's files as level create and convert make them, rewritten only "
          "where they changed") {
    std::string dir = test_scratch_dir("tool_build");
    test_make_dir(dir + "art");
    Picture one = varied_picture(5), two = varied_picture(77);
    test_write_file(dir + test_path("art\\one.bmp"), bitmap_file(one));
    Shape top_down;
    top_down.top_down = true;
    test_write_file(dir + test_path("art\\two.bmp"), bitmap_file(two, top_down));
    // A PNG, decoded rather than taken by the forms' conversion: the one view makes of a screen
    // image, which converts back into that image.
    Bytes sky = expected_image(varied_picture(200));
    test_write_file(dir + "sky.IMG", sky);
    REQUIRE(tool(dir, {"view", "sky.IMG", test_path("art\\sky.png")}).status == 0);
    const std::string pack_text =
        "{\n"
        "  \"output\": \"out\",\n"
        "  \"backdrops\": [{\"name\": \"SKY\", \"picture\": \"art/sky.png\"}],\n"
        "  \"levels\": [\n"
        "    {\"name\": \"ONE\", \"picture\": \"art/one.bmp\",\n"
        "     \"description\": \"Say \\\"hi\\\" \\\\ caf\\u00e9\", \"start_x\": 40, \"start_y\": "
        "30,\n"
        "     \"exit_x\": 270, \"exit_y\": 150, \"wumpo_to_create\": 20, \"wumpo_to_save\": 10,\n"
        "     \"level_time\": 300, \"anti_gravity\": 1, \"backdrop_name\": \"SKY.IMG\",\n"
        "     \"gravity_switch_times\": -5},\n"
        "    {\"name\": \"TWO\", \"picture\": \"art/two.bmp\", \"start_y\": 40, \"exit_y\": 60,\n"
        "     \"level_time\": 90, \"backdrop_name\": \"SKY.IMG\"}\n"
        "  ]\n"
        "}\n";
    test_write_text(dir + "wumpo-pack.json", pack_text);
    Bytes one_level = level_bytes("Say \"hi\" \\ caf\xE9", {40, 30, 270, 150, 0, 20, 10, 300}, 1,
                                  "SKY.IMG", 0xFFFB);
    Bytes two_level = level_bytes("", {0, 40, 0, 60, 0, 0, 0, 90}, 0, "SKY.IMG", 0);
    auto same_files = [&](const Bytes& two_level_now, const Picture& two_now) {
        CHECK(test_read_file(dir + test_path("out\\ONE.LVL")) == one_level);
        CHECK(test_read_file(dir + test_path("out\\ONE.IMG")) == expected_image(one));
        CHECK(test_read_file(dir + test_path("out\\TWO.LVL")) == two_level_now);
        CHECK(test_read_file(dir + test_path("out\\TWO.IMG")) == expected_image(two_now));
        CHECK(test_read_file(dir + test_path("out\\SKY.IMG")) == sky);
    };

    Run r = tool(dir, {"build", "--jobs", "3"});
    CHECK(r.status == 0);
    CHECK(r.err == "");
    CHECK(r.out == test_path("Wrote out\\SKY.IMG\nWrote out\\ONE.LVL\nWrote out\\ONE.IMG\n"
                             "Wrote out\\TWO.LVL\nWrote out\\TWO.IMG\n") +
                       "Wrote 5 of 5 files\n");
    same_files(two_level, two);
    // level create makes the same level file from the same fields.
    // e acute as this test program spells it (its Windows code page is Western), which the tool
    // takes as UTF-8.
#ifdef _WIN32
    const char* cafe = "caf\xE9";
#else
    const char* cafe = "caf\xC3\xA9";
#endif
    r = tool(dir, {"level", "create", "ONE.LVL", std::string("description=Say \"hi\" \\ ") + cafe,
                   "start_x=40", "start_y=30", "exit_x=270", "exit_y=150", "wumpo_to_create=20",
                   "wumpo_to_save=10", "level_time=300", "anti_gravity=1", "backdrop_name=SKY.IMG",
                   "gravity_switch_times=-5"});
    CHECK(test_read_file(dir + "ONE.LVL") == test_read_file(dir + test_path("out\\ONE.LVL")));

    // Nothing changed: nothing is written.
    r = tool(dir, {"build"});
    CHECK(r.status == 0);
    CHECK(r.out == "out: up to date (5 files)\n");

    // One picture's bytes (not its size) and one level's field changed: those files alone.
    pixel(two, 160, 120) = Rgb{255, 0, 0};
    test_write_file(dir + test_path("art\\two.bmp"), bitmap_file(two, top_down));
    std::string changed = pack_text;
    changed.replace(changed.find("\"level_time\": 90"), 16, "\"level_time\": 91");
    test_write_text(dir + "wumpo-pack.json", changed);
    Bytes two_changed = level_bytes("", {0, 40, 0, 60, 0, 0, 0, 91}, 0, "SKY.IMG", 0);
    r = tool(dir, {"build", "wumpo-pack.json"});
    CHECK(r.status == 0);
    CHECK(r.out == test_path("Wrote out\\TWO.LVL\nWrote out\\TWO.IMG\n") + "Wrote 2 of 5 files\n");
    same_files(two_changed, two);

    // A build killed before it wrote an image and its state, with the image's temporary file
    // left half written and named in the folder's journal: the next one removes that and writes
    // the image alone (the others, made again, are found to be what is on disk). Nothing the
    // journal does not name as a temporary of the folder is removed, whatever its name.
    test_remove_file(dir + test_path("out\\ONE.IMG"));
    test_remove_file(dir + test_path("out\\wumpo-build.state"));
    test_write_file(dir + test_path("out\\ONE.IMG.~2e63-b2.tmp"), Bytes(1000, 7));
    test_write_file(dir + test_path("out\\TWO.IMG.~2e63-b4.tmp"), Bytes(10, 1));
    test_write_text(dir + test_path("out\\wumpo-build.lock"),
                    "wumpo-build journal 1\nONE.IMG.~2e63-b2.tmp\nTWO.LVL\n../wumpo-pack.json\n"
                    "..\\wumpo-pack.json\nSKY.IMG");
    r = tool(dir, {"build", "--jobs", "1"});
    CHECK(r.status == 0);
    CHECK(r.out == test_path("Removed out\\ONE.IMG.~2e63-b2.tmp, left by a build that was "
                             "stopped\nWrote out\\ONE.IMG\n") +
                       "Wrote 1 of 5 files\n");
    CHECK_FALSE(test_file_exists(dir + test_path("out\\ONE.IMG.~2e63-b2.tmp")));
    CHECK(test_read_file(dir + test_path("out\\TWO.IMG.~2e63-b4.tmp")) == Bytes(10, 1));
    CHECK(test_file_exists(dir + "wumpo-pack.json"));
    same_files(two_changed, two);

    // While another build holds the folder's lock, a build waits (still running here when it is
    // stopped, having written nothing), or with --no-wait refuses at once.
    {
        std::string lock_name = dir + test_path("out\\wumpo-build.lock");
        OsFile held = os_calls()->lock_open(lock_name.c_str());
        REQUIRE(held != nullptr);
        REQUIRE(os_calls()->lock_take(held) == 1);
        test_remove_file(dir + test_path("out\\ONE.LVL"));
        r = tool(dir, {"build", "--no-wait"});
        CHECK(r.status == 1);
        CHECK(r.out == "");
        CHECK(r.err == "out: Error: Another build is writing this folder\n");
        std::string out, err;
        CHECK(test_run_program(tool_exe(), dir, {"build"}, &out, &err, 3000) == -2);
        CHECK_FALSE(test_file_exists(dir + test_path("out\\ONE.LVL")));
        os_calls()->close(held);
        r = tool(dir, {"build", "--no-wait"});
        CHECK(r.status == 0);
        CHECK(r.out == test_path("Wrote out\\ONE.LVL\n") + "Wrote 1 of 5 files\n");
    }

    r = tool(dir, {"build", "--force"});
    CHECK(r.status == 0);
    CHECK(r.out.find("Wrote 5 of 5 files\n") != std::string::npos);

    SUBCASE("an error stops the build before anything is written") {
        Bytes wide = bitmap_file(one);
        wide[18] = 0x41; // 321 pixels wide
        test_write_file(dir + test_path("art\\wide.bmp"), wide);
        std::string broken = changed;
        broken.replace(broken.find("art/two.bmp"), 11, "art/wide.bmp");
        broken.replace(broken.find("\"start_x\": 40"), 13, "\"start_x\": 41");
        test_write_text(dir + "wumpo-pack.json", broken);
        r = tool(dir, {"build"});
        CHECK(r.status == 1);
        CHECK(r.out == "");
        CHECK(r.err ==
              "wumpo-pack.json:10:32: levels[1] \"TWO\": picture: Error: Picture is 321 x 240 "
              "pixels; it has to be 320 x 240\n"
              "wumpo-pack.json: Nothing was written: 1 error\n");
        same_files(two_changed, two);
    }
    SUBCASE("an output that is a picture is refused, however the pack spells the picture") {
        test_write_file(dir + test_path("art\\one.IMG"), bitmap_file(one));
        test_write_text(dir + "over.json", "{\"output\": \"art\", \"backdrops\": [{\"name\": "
                                           "\"one\", \"picture\": \"./out/../art/one.IMG\"}]}");
        r = tool(dir, {"build", "over.json"});
        CHECK(r.status == 1);
        CHECK(r.err.find(
                  test_path("over.json:1:12: output: Error: art\\one.IMG would be written over "
                            "the picture of backdrops[0] \"one\"\n")) == 0);
        CHECK(test_read_file(dir + test_path("art\\one.IMG")) == bitmap_file(one));
    }
    SUBCASE("pack init: the level files of a folder as a pack that builds them again") {
        std::string from = dir + "levels" + TEST_SEPARATOR;
        test_make_dir(from);
        REQUIRE(test_copy_file(dir + test_path("out\\ONE.LVL"), from + "ONE.LVL"));
        REQUIRE(test_copy_file(dir + test_path("out\\ONE.IMG"), from + "ONE.IMG"));
        REQUIRE(test_copy_file(dir + test_path("out\\TWO.LVL"), from + "TWO.LVL"));
        REQUIRE(test_copy_file(dir + test_path("art\\two.bmp"), from + "two.bmp"));
        REQUIRE(test_copy_file(dir + test_path("out\\SKY.IMG"), from + "SKY.IMG"));
        r = tool(dir, {"pack", "init", "levels"});
        CHECK(r.status == 0);
        CHECK(r.err == "");
        CHECK(r.out == test_path("levels\\ONE.IMG -> levels\\ONE.png (made from the screen "
                                 "image)\n"
                                 "levels\\SKY.IMG -> levels\\SKY.png (made from the screen "
                                 "image)\n"
                                 "Wrote levels\\wumpo-pack.json: 2 levels, 1 backdrop\n"));
        r = tool(dir, {"build", "levels"});
        CHECK(r.status == 0);
        CHECK(r.err == "");
        for (const char* file : {"ONE.LVL", "ONE.IMG", "TWO.LVL", "TWO.IMG", "SKY.IMG"})
            CHECK(test_read_file(from + test_path("build\\") + file) ==
                  test_read_file(dir + test_path("out\\") + file));
        // An existing pack file is never replaced.
        r = tool(dir, {"pack", "init", "levels"});
        CHECK(r.status == 1);
        CHECK(r.err == test_path("levels\\wumpo-pack.json: Error: The pack file already exists; "
                                 "nothing was written\n"));
    }
}

TEST_CASE("tool build: a picture is vouched for only while it is the same file, unchanged since") {
    std::string dir = test_scratch_dir("tool_build_facts");
    test_make_dir(dir + "art");
    const long long old_time = 1600000000; // one time for all, as an unzip or a checkout gives
    for (int i = 0; i < 3; ++i) {
        std::string name = dir + test_path("art\\") + (char)('a' + i) + ".bmp";
        test_write_file(name, bitmap_file(varied_picture(i + 1)));
        REQUIRE(test_set_file_time(name, old_time));
    }
    test_write_text(
        dir + "wumpo-pack.json",
        "{\"output\": \"out\", \"backdrops\": [{\"name\": \"A\", \"picture\": "
        "\"art/a.bmp\"}, {\"name\": \"B\", \"picture\": \"art/b.bmp\"}, {\"name\": \"C\", "
        "\"picture\": \"art/c.bmp\"}]}");
    // Past the time within which a change is not trusted, so the state vouches for them.
    os_sleep(3200);
    Run r = tool(dir, {"build"});
    CHECK(r.out.find("Wrote 3 of 3 files\n") != std::string::npos);
    CHECK(tool(dir, {"build"}).out == "out: up to date (3 files)\n");

    // a and b swapped: each name has the other's size and time. c rewritten in place and given
    // its old time back. All three images are made again.
    std::string a = dir + test_path("art\\a.bmp"), b = dir + test_path("art\\b.bmp");
    REQUIRE(test_rename_file(a, a + ".x"));
    REQUIRE(test_rename_file(b, a));
    REQUIRE(test_rename_file(a + ".x", b));
    std::string c = dir + test_path("art\\c.bmp");
    test_write_file(c, bitmap_file(varied_picture(9)));
    REQUIRE(test_set_file_time(c, old_time));
    r = tool(dir, {"build"});
    CHECK(r.status == 0);
    CHECK(r.out == test_path("Wrote out\\A.IMG\nWrote out\\B.IMG\nWrote out\\C.IMG\n") +
                       "Wrote 3 of 3 files\n");
    CHECK(test_read_file(dir + test_path("out\\A.IMG")) == expected_image(varied_picture(2)));
    CHECK(test_read_file(dir + test_path("out\\C.IMG")) == expected_image(varied_picture(9)));
    // A new time alone changes nothing.
    REQUIRE(test_set_file_time(a, old_time + 100));
    CHECK(tool(dir, {"build"}).out == "out: up to date (3 files)\n");
}

TEST_CASE("tool build: an entry's dither makes its image so; changing it rewrites that image") {
    std::string dir = test_scratch_dir("tool_build_dither");
    test_make_dir(dir + "art");
    Picture sky = gradient_picture(), cave = varied_picture(12);
    test_write_file(dir + test_path("art\\sky.bmp"), bitmap_file(sky));
    test_write_file(dir + test_path("art\\cave.bmp"), bitmap_file(cave));
    // The pack, with what follows each entry's picture.
    auto pack = [&](const std::string& sky_more, const std::string& cave_more) {
        test_write_text(dir + "wumpo-pack.json",
                        "{\"output\": \"out\", \"backdrops\": [{\"name\": \"SKY\", \"picture\": "
                        "\"art/sky.bmp\"" +
                            sky_more +
                            "}], \"levels\": [{\"name\": \"CAVE\", \"picture\": \"art/cave.bmp\", "
                            "\"backdrop_name\": \"SKY.IMG\", \"level_time\": 60, \"start_y\": 40" +
                            cave_more + "}]}");
    };
    auto images = [&](const Bytes& sky_image, const Bytes& cave_image) {
        CHECK(test_read_file(dir + test_path("out\\SKY.IMG")) == sky_image);
        CHECK(test_read_file(dir + test_path("out\\CAVE.IMG")) == cave_image);
    };
    auto state = [&]() {
        Bytes b = test_read_file(dir + test_path("out\\wumpo-build.state"));
        return std::string(b.begin(), b.end());
    };
    const std::string up_to_date = "out: up to date (3 files)\n";
    pack("", "");
    Run r = tool(dir, {"build"});
    CHECK(r.status == 0);
    images(expected_image(sky), expected_image(cave));
    // A pack that dithers nothing keeps the state it had before there was dithering.
    const std::string plain_state = state();
    CHECK(plain_state.find("\"dither\"") == std::string::npos);

    // The picture's bytes are the same, its image is not: made again, whatever the hash says.
    pack(", \"dither\": \"ordered\"", "");
    r = tool(dir, {"build"});
    CHECK(r.status == 0);
    CHECK(r.out == test_path("Wrote out\\SKY.IMG\n") + "Wrote 1 of 3 files\n");
    images(dithered_image(sky, DITHER_ORDERED), expected_image(cave));
    CHECK(state().find("\"dither\": \"ordered\"") != std::string::npos);
    CHECK(tool(dir, {"build"}).out == up_to_date);

    pack(", \"dither\": \"diffusion\"", ", \"dither\": \"diffusion\"");
    r = tool(dir, {"build", "--jobs", "1"});
    CHECK(r.out == test_path("Wrote out\\SKY.IMG\nWrote out\\CAVE.IMG\n") + "Wrote 2 of 3 files\n");
    images(dithered_image(sky, DITHER_DIFFUSION), dithered_image(cave, DITHER_DIFFUSION));
    CHECK(tool(dir, {"build"}).out == up_to_date);
    // The same bytes on two threads.
    r = tool(dir, {"build", "--force", "--jobs", "2"});
    CHECK(r.status == 0);
    images(dithered_image(sky, DITHER_DIFFUSION), dithered_image(cave, DITHER_DIFFUSION));

    // Back to none, given or left out: the forms' bytes again, and the state as it was.
    pack("", ", \"dither\": \"none\"");
    r = tool(dir, {"build"});
    CHECK(r.out == test_path("Wrote out\\SKY.IMG\nWrote out\\CAVE.IMG\n") + "Wrote 2 of 3 files\n");
    images(expected_image(sky), expected_image(cave));
    CHECK(state().find("\"dither\"") == std::string::npos);
    CHECK(tool(dir, {"build"}).out == up_to_date);
}

TEST_CASE("tool check: every finding with its entry and key, as text and as JSON") {
    std::string dir = test_scratch_dir("tool_check");
    test_make_dir(dir + "art");
    test_write_file(dir + test_path("art\\one.bmp"), bitmap_file(varied_picture(1)));
    test_write_text(dir + "wumpo-pack.json",
                    "{\"output\": \"out\", \"outptu\": 1,\n"
                    " \"backdrops\": [{\"name\": \"LONGNAME1\", \"picture\": \"art/one.bmp\"}],\n"
                    " \"levels\": [\n"
                    "  {\"name\": \"ONE\", \"picture\": \"art/one.bmp\", \"strat_x\": 3,\n"
                    "   \"start_y\": \"30\", \"wumpo_to_create\": 5, \"wumpo_to_save\": 6,\n"
                    "   \"level_time\": 10, \"exit_y\": 20, \"backdrop_name\": \"NOWHERE.IMG\"},\n"
                    "  {\"name\": \"one\", \"picture\": \"art/gone.png\", \"start_x\": 300,\n"
                    "   \"start_y\": 230, \"exit_x\": 301, \"exit_y\": 201,\n"
                    "   \"backdrop_name\": \"ABCDEFGHIJKLM\"}\n"
                    " ]}\n");
    // Each with the line and column of the key, or of the value, it is about; a level rule that
    // no given field breaks, at the entry.
    const char* const found[] = {
        ":1:19: outptu: Error: Unknown key (did you mean \"output\"?)",
        ":2:25: backdrops[0] \"LONGNAME1\": name: Error: LONGNAME1.IMG has more than 12 "
        "characters, "
        "so no level's backdrop_name can name it",
        ":4:45: levels[0] \"ONE\": strat_x: Error: Unknown key (did you mean \"start_x\"?)",
        ":5:15: levels[0] \"ONE\": start_y: Error: Wumpo Start Y has to be a whole number from "
        "-32768 "
        "to 65535",
        ":5:60: levels[0] \"ONE\": wumpo_to_save: Error: 6 Wumpo to save, but only 5 are created",
        ":5:15: levels[0] \"ONE\": start_y: Warning: The start cloud (40 x 14) at y = 0 is not "
        "wholly "
        "on the picture below the 20-pixel status bar (y from 20 to 226)",
        ":6:53: levels[0] \"ONE\": backdrop_name: Warning: NOWHERE.IMG is neither a backdrop of "
        "the "
        "pack nor a file in out",
        ":7:12: levels[1] \"one\": name: Error: one.IMG is also made by levels[0] \"ONE\"",
        ":9:21: levels[1] \"one\": backdrop_name: Error: Name of backdrop has to be 12 characters "
        "or "
        "fewer",
        ":7:57: levels[1] \"one\": start_x: Warning: The start cloud (40 x 14) at x = 300 is not "
        "wholly on the 320-pixel-wide picture (x from 0 to 280)",
        ":8:15: levels[1] \"one\": start_y: Warning: The start cloud (40 x 14) at y = 230 is not "
        "wholly on the picture below the 20-pixel status bar (y from 20 to 226)",
        ":8:30: levels[1] \"one\": exit_x: Warning: The exit (20 x 40) at x = 301 is not wholly on "
        "the "
        "320-pixel-wide picture (x from 0 to 300)",
        ":8:45: levels[1] \"one\": exit_y: Warning: The exit (20 x 40) at y = 201 is not wholly on "
        "the "
        "picture below the 20-pixel status bar (y from 20 to 200)",
        ":7:3: levels[1] \"one\": level_time: Warning: Level time in seconds is 0",
        ":7:30: levels[1] \"one\": picture: Error: Cannot open \"art/gone.png\"",
    };
    std::string want;
    for (const char* f : found)
        want += std::string("wumpo-pack.json") + f + "\n";
    Run r = tool(dir, {"check"});
    CHECK(r.status == 1);
    CHECK(r.err == want);
    CHECK(r.out == "Checked 2 levels and 1 backdrop: 8 errors, 7 warnings\n");

    r = tool(dir, {"check", "--json", "wumpo-pack.json"});
    CHECK(r.status == 1);
    CHECK(r.err == "");
    CHECK(r.out.rfind("{\n  \"errors\": 8,\n  \"warnings\": 7,\n  \"findings\": [\n", 0) == 0);
    CHECK(r.out.find("    {\n"
                     "      \"file\": \"wumpo-pack.json\",\n"
                     "      \"entry\": null,\n"
                     "      \"name\": null,\n"
                     "      \"key\": \"outptu\",\n"
                     "      \"severity\": \"error\",\n"
                     "      \"message\": \"Unknown key (did you mean \\\"output\\\"?)\",\n"
                     "      \"line\": 1,\n"
                     "      \"column\": 19\n"
                     "    },\n") != std::string::npos);
    CHECK(r.out.find("      \"entry\": \"levels[1]\",\n"
                     "      \"name\": \"one\",\n"
                     "      \"key\": \"level_time\",\n"
                     "      \"severity\": \"warning\",\n") != std::string::npos);
    CHECK(r.out.size() > 2);
    CHECK(r.out.substr(r.out.size() - 6) == "  ]\n}\n");

    SUBCASE("names every system can hold as files, and names in JSON as the system spells them") {
        std::string longest(225, 'n'), longer(226, 'n');
        std::string pack = "{\"output\": \"out\", \"backdrops\": [{\"name\": \"caf\\u00e9 of 12\", "
                           "\"picture\": \"art/one.bmp\"}], \"levels\": [";
        const char* const names[] = {"CON",   "lpt9.old", "Aux .x", "nul",  "COM0",
                                     "LPT10", "end.",     "end ",   "con-x"};
        for (const char* name : names)
            pack += std::string("{\"name\": \"") + name + "\", \"picture\": \"art/one.bmp\"},";
        pack += "{\"name\": \"" + longest + "\", \"picture\": \"art/one.bmp\"},";
        pack += "{\"name\": \"" + longer + "\", \"picture\": \"art/one.bmp\"}]}";
        test_write_text(dir + "names.json", pack);
        r = tool(dir, {"check", "names.json"});
        CHECK(r.status == 1);
        const char* device = "name: Error: The name is a device on Windows (CON, PRN, AUX, NUL, "
                             "COM1 to COM9, LPT1 to LPT9), which no file can be\n";
        const char* end = "name: Error: The name has to end in neither a dot nor a space, which "
                          "Windows drops\n";
        std::vector<std::string> lines;
        // A name refused is not repeated in the messages about its entry.
        for (const char* line : {"levels[0]: ", "levels[1]: ", "levels[2]: ", "levels[3]: "})
            lines.push_back(std::string(line) + device);
        lines.push_back(std::string("levels[6]: ") + end);
        lines.push_back(std::string("levels[7]: ") + end);
        lines.push_back("levels[10]: name: Error: The name is longer than 225 bytes: its files' "
                        "names would pass the 255 bytes a file name may have\n");
        for (const std::string& line : lines) {
            CAPTURE(line);
            CHECK(r.err.find(": " + line) != std::string::npos);
        }
        for (std::string fine :
             {std::string("COM0"), std::string("LPT10"), std::string("con-x"), longest})
            CHECK(r.err.find("\"" + fine + "\": name:") == std::string::npos);
        r = tool(dir, {"check", "--json", "names.json"});
        CHECK(r.out.find("      \"name\": \"caf\\u00E9 of 12\",\n") != std::string::npos);
        CHECK(r.out.find("      \"message\": \"caf\\u00E9 of 12.IMG has more than 12 characters") !=
              std::string::npos);
    }
    SUBCASE("dither: a name it does not know, with the one it is likely a slip for; another type") {
        test_write_text(
            dir + "dither.json",
            "{\"output\": \"out\",\n"
            " \"backdrops\": [{\"name\": \"SKY\", \"picture\": \"art/one.bmp\", "
            "\"dither\": \"ordred\"}],\n"
            " \"levels\": [{\"name\": \"ONE\", \"picture\": \"art/one.bmp\",\n"
            "   \"dither\": 2, \"dihter\": \"none\"},\n"
            "  {\"name\": \"TWO\", \"picture\": \"art/one.bmp\", \"dither\": \"bayer\"}]}\n");
        r = tool(dir, {"check", "dither.json"});
        CHECK(r.status == 1);
        const char* const lines[] = {
            ":2:68: backdrops[0] \"SKY\": dither: Error: The dither has to be \"none\", "
            "\"ordered\" or \"diffusion\" (did you mean \"ordered\"?)\n",
            ":4:14: levels[0] \"ONE\": dither: Error: The dither has to be a text in double "
            "quotes: \"none\", \"ordered\" or \"diffusion\"\n",
            ":4:17: levels[0] \"ONE\": dihter: Error: Unknown key (did you mean \"dither\"?)\n",
            ":5:55: levels[1] \"TWO\": dither: Error: The dither has to be \"none\", \"ordered\" "
            "or \"diffusion\"\n"};
        for (const char* line : lines) {
            CAPTURE(line);
            CHECK(r.err.find(std::string("dither.json") + line) != std::string::npos);
        }
        CHECK(r.out.find("Checked 2 levels and 1 backdrop: 4 errors") == 0);
    }
    SUBCASE("a pack that is not JSON, and level files") {
        test_write_text(dir + "broken.json", "{\"output\": \"out\",,}");
        r = tool(dir, {"check", "broken.json"});
        CHECK(r.status == 1);
        CHECK(r.err == "broken.json: Error: Not JSON: line 1, column 18: Missing a name for "
                       "object member.\n");
        // Nesting past what any pack has costs the parser memory for each level: refused.
        test_write_text(dir + "deep.json", "{\"output\": " + std::string(40, '['));
        r = tool(dir, {"check", "deep.json"});
        CHECK(r.status == 1);
        CHECK(r.err == "deep.json: Error: Not JSON: line 1, column 43: Nested more than 32 levels "
                       "deep.\n");
        // The second half of a surrogate pair alone, which RapidJSON 1.1.0 would not refuse.
        test_write_text(dir + "lone.json", "{\"output\": \"a\\udc00\"}");
        r = tool(dir, {"check", "lone.json"});
        CHECK(r.status == 1);
        CHECK(r.err == "lone.json: Error: Not JSON: line 1, column 14: The surrogate pair in "
                       "string is invalid.\n");
        test_write_file(dir + "GOOD.LVL",
                        level_bytes("", {40, 30, 270, 150, 0, 20, 10, 300}, 0, "SKY.IMG", 0));
        test_write_file(dir + "SKY.IMG", Bytes(SCREEN_IMAGE_SIZE, 0));
        r = tool(dir, {"check", "GOOD.LVL"});
        CHECK(r.status == 0);
        CHECK(r.err == "");
        CHECK(r.out == "Checked 1 level file: no problems found\n");
        test_write_file(dir + "BAD.LVL",
                        level_bytes("", {40, 30, 270, 150, 0, 5, 6, 0}, 2, "SPACE.IMG", 0));
        r = tool(dir, {"check", "GOOD.LVL", "BAD.LVL"});
        CHECK(r.status == 1);
        // In the order of the level's rules, which the forms and level create apply too.
        CHECK(r.err == "BAD.LVL: anti_gravity: Error: Anti-Gravity mode has to be 0 or 1\n"
                       "BAD.LVL: wumpo_to_save: Error: 6 Wumpo to save, but only 5 are created\n"
                       "BAD.LVL: level_time: Warning: Level time in seconds is 0\n"
                       "BAD.LVL: backdrop_name: Warning: SPACE.IMG is not a file beside the "
                       "level file\n");
        CHECK(r.out == "Checked 2 level files: 2 errors, 2 warnings\n");
        // Beside a level file in another folder: the folder goes into the name looked for, and
        // not into the message.
        test_make_dir(dir + "far");
        test_write_file(dir + "far/BAD.LVL", test_read_file(dir + "BAD.LVL"));
        r = tool(dir, {"check", std::string("far") + TEST_SEPARATOR + "BAD.LVL"});
        CHECK(
            r.err.find("backdrop_name: Warning: SPACE.IMG is not a file beside the level file\n") !=
            std::string::npos);
        CHECK(tool(dir, {"check", "GOOD.LVL", "wumpo-pack.json"}).status == 2);
    }
}

TEST_CASE("tool help: the tool and every command; wrong command lines exit 2") {
    std::string dir = test_scratch_dir("tool_help");
    Run r = tool(dir, {"--help"});
    CHECK(r.status == 0);
    CHECK(r.err == "");
    CHECK(r.out.rfind("Usage: wumpo-tool COMMAND [ARGUMENTS]\n", 0) == 0);
    for (const char* command :
         {"convert BITMAP", "view IMAGE", "level show FILE", "level create", "preview FILE",
          "build [PACK.json]", "check [PACK.json", "pack init [DIR]"})
        CHECK(r.out.find(std::string("  ") + command) != std::string::npos);
    std::string every = r.out;
    r = tool(dir, {"--version"});
    CHECK((r.status == 0 && r.out == "wumpo-tool " WUMPO_TOOL_VERSION "\n"));

    struct Topic {
        std::vector<std::string> args;
        const char* usage;
    };
    const Topic topics[] = {
        {{"convert", "--help"},
         "Usage: wumpo-tool convert BITMAP... [--out DIR] [--jobs N] [--dither KIND]\n"},
        {{"view", "-h"}, "Usage: wumpo-tool view IMAGE.IMG OUT.BMP\n"},
        {{"level", "--help"}, "Usage: wumpo-tool level show FILE.LVL [--json]\n"},
        {{"level", "show", "--help"}, "Usage: wumpo-tool level show FILE.LVL [--json]\n"},
        {{"level", "create", "X.LVL", "--help"},
         "Usage: wumpo-tool level create FILE.LVL [field=value...]\n"},
        {{"preview", "--help"},
         "Usage: wumpo-tool preview FILE.LVL BITMAP OUT.BMP [--as-game] [--dither KIND]\n"},
        {{"build", "--help"},
         "Usage: wumpo-tool build [PACK.json] [--jobs N] [--force] [--no-wait] [--format "
         "FORMAT]\n"},
        {{"check", "-h"},
         "Usage: wumpo-tool check [PACK.json | FILE.LVL...] [--json] [--format FORMAT]\n"},
        {{"pack", "--help"}, "Usage: wumpo-tool pack init [DIR]\n"},
        {{"pack", "init", "--help"}, "Usage: wumpo-tool pack init [DIR]\n"},
    };
    for (const Topic& t : topics) {
        CAPTURE(t.usage);
        r = tool(dir, t.args);
        CHECK(r.status == 0);
        CHECK(r.err == "");
        CHECK(r.out.rfind(t.usage, 0) == 0);
        CHECK(r.out.size() > std::string(t.usage).size() + 80);
        every += r.out;
    }
    // The program and the folder of pictures as each system names them.
    bool windows = TEST_SEPARATOR == '\\';
    CHECK((every.find("wumpo-tool.exe") != std::string::npos) == windows);
    CHECK((every.find("images\\") != std::string::npos) == windows);
    CHECK(every.find(test_path("images\\exitgrav.bmp")) != std::string::npos);
    // Every field the create command takes is listed, with its form label.
    r = tool(dir, {"level", "create", "--help"});
    for (int i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        CHECK(r.out.find(std::string("  ") + level_field_info(i)->name) != std::string::npos);
        CHECK(r.out.find(level_field_info(i)->label) != std::string::npos);
    }
    CHECK_FALSE(test_file_exists(dir + "X.LVL"));

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frob"},
                                               {"level"},
                                               {"level", "delete", "X.LVL"},
                                               {"pack"},
                                               {"pack", "make"},
                                               {"build", "--jobs", "0"},
                                               {"build", "--jobs", "065"},
                                               {"convert", "A.BMP", "--jobs", "65"},
                                               {"convert", "A.BMP", "--jobs", "1x"},
                                               {"convert", "A.BMP", "--jobs"},
                                               {"build", "--fast"},
                                               {"check", "--xml"}}) {
        r = tool(dir, args);
        CHECK(r.status == 2);
        CHECK(r.out == "");
        CHECK(r.err.find("Usage: wumpo-tool") != std::string::npos);
    }
}

TEST_CASE(
    "tool text: wildcards match as on Windows; Western text and UTF-8 names to UTF-16 and back") {
    struct Match {
        const char* pattern;
        const char* name;
        int matches;
    } matches[] = {
        {"*.bmp", "cave.bmp", 1},
        {"*.bmp", "CAVE.BMP", 1},
        {"*.bmp", "cave.bmp.bak", 0},
        {"*.BMP", "x.bmp", 1},
        {"c?ve*", "cave.bmp", 1},
        {"c?ve", "cve", 0},
        {"*", ".hidden", 1},
        {"*.*", "README", 1},
        {"a*.*", "abc", 1},
        {"*a*b", "xaxxb", 1},
        {"*a*b", "xaxxbc", 0},
        {"", "", 1},
        {"?", "", 0},
        {"caf\xC9*", "caf\xE9.bmp", 1},
        {"**x", "yx", 1},
    };
    for (const Match& m : matches) {
        CAPTURE(m.pattern);
        CAPTURE(m.name);
        CHECK(text_matches(m.pattern, m.name) == m.matches);
    }
#ifndef _WIN32
    // POSIX systems' code page, Windows-1252: 0x80 is the euro sign, 0x81 has no character and
    // stays itself, 0xE9 is e acute. (On Windows the system converts.)
    wchar_t wide[8];
    CHECK(os_code_page_widen("\x80\x81\xE9", wide, 8) == 4);
    CHECK(((unsigned)wide[0] == 0x20AC && (unsigned)wide[1] == 0x81 && (unsigned)wide[2] == 0xE9 &&
           wide[3] == 0));
    CHECK(os_code_page_widen("abc", wide, 3) == 0); // no room for the terminator

    // Back into the code page: every byte from its unit, the five without a character from
    // themselves; a unit the code page lacks (U+0080 among them) refuses the whole text.
    char narrow[8];
    const wchar_t back[] = {0x20AC, 0x81, 0xE9, 0x178, 'a'};
    CHECK(os_code_page_narrow(back, 5, narrow, 8) == 1);
    CHECK(std::string(narrow) == "\x80\x81\xE9\x9F"
                                 "a");
    for (wchar_t lost : {(wchar_t)0x80, (wchar_t)0x4E2D, (wchar_t)0})
        CHECK(os_code_page_narrow(&lost, 1, narrow, 8) == 0);
    CHECK(os_code_page_narrow(back, 5, narrow, 5) == 0); // no room for the terminator
#endif

    // File names on POSIX systems are UTF-8: a character outside the BMP is one surrogate pair;
    // a lone surrogate, an overlong form or a cut sequence is no name.
    const wchar_t pair[] = {'x', 0xD83C, 0xDF0C, 0xE9};
    char utf8[16];
    CHECK(text_utf8_of_units(pair, 4, utf8) == 1);
    CHECK(std::string(utf8) == "x\xF0\x9F\x8C\x8C\xC3\xA9");
    wchar_t units[8];
    CHECK(text_units_of_utf8(utf8, units, 8) == 4);
    CHECK(((unsigned)units[1] == 0xD83C && (unsigned)units[2] == 0xDF0C && units[4] == 0));
    CHECK(text_utf8_of_units(pair + 2, 1, utf8) == 0);
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80"})
        CHECK(text_units_of_utf8(bad, units, 8) == -1);
    CHECK(text_units_of_utf8("abc", units, 3) == -1); // no room for the terminator

    // Bounded texts: a result that does not fit is told, so that a cut name is never opened.
    char out[16];
    CHECK(text_join(out, sizeof out, "levels/", "CAVE.IMG") == 1);
    CHECK(std::string(out) == "levels/CAVE.IMG");
    CHECK(text_join(out, sizeof out, "levels", "CAVES.IMG") == 0); // the separator is one too many
    CHECK(std::string(out).size() == sizeof out - 1);
    CHECK(text_quote(out, sizeof out, "a\"b\n") == 1);
    CHECK(std::string(out) == "\"a\\\"b\\n\"");
    CHECK(text_quote(out, sizeof out, "\x01\x01\x01") == 0); // 20 bytes of escapes
    CHECK(out[sizeof out - 1] == 0);
    CHECK(text_base_name(out, sizeof out, "art/cave.v2.bmp") == 1);
    CHECK(std::string(out) == "cave.v2");
    const char* value = 0;
    CHECK(text_field_name(out, sizeof out, "level_time=90", &value) == 1);
    CHECK((std::string(out) == "level_time" && std::string(value) == "90"));
    CHECK(text_field_name(out, sizeof out, "level_time", &value) == 0);
    CHECK(text_format(out, sizeof out, "%s: %d", "x", 42) == 1);
    CHECK(text_add(out, sizeof out, " and %s", "more text") == 0);
    CHECK(std::string(out) == "x: 42 and more ");
}
