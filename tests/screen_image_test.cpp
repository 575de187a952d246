// Bitmap to screen image conversion: colours and pixel positions as the game reads them, one
// image whatever header or row order the bitmap has, and refusals and failures that leave the
// earlier image alone.
#include <doctest.h>
#include "os.h"
#include "program.h"
#include "screen_image.h"
#include "test_bitmaps.h"
#include "test_os_calls.h"
#include "test_support.h"
#include <string>
#include <vector>

using namespace test_bitmaps;

namespace {
unsigned word_at(const Bytes& img, size_t offset) {
    return (unsigned)img[offset] | (unsigned)img[offset + 1] << 8;
}

int32_t element(int x, int y, int c) {
    PixelArray* a = program_pixel_array();
    return a->elements[x * a->table[0] + y * a->table[1] + c];
}

std::vector<int32_t> pixel_array_copy(void) {
    PixelArray* a = program_pixel_array();
    return std::vector<int32_t>(a->elements, a->elements + 321 * 241 * 4);
}

Bytes convert(const std::string& dir, const Bytes& bitmap, int* outcome = nullptr) {
    test_write_file(dir + "in.bmp", bitmap);
    test_remove_file(dir + "out.img");
    int result = screen_image_convert((dir + "in.bmp").c_str(), (dir + "out.img").c_str());
    if (outcome)
        *outcome = result;
    return test_read_file(dir + "out.img");
}

const OsCalls SYSTEM = *os_calls(); // the real calls, for the stand-ins below to pass on to

int write_calls_left = -1; // the write call fails, as on a full disk, once this reaches 0
int failing_write(OsFile f, const void* data, uint32_t count, uint32_t* done) {
    if (write_calls_left == 0) {
        *done = 0;
        return 0;
    }
    if (write_calls_left > 0)
        --write_calls_left;
    return SYSTEM.write(f, data, count, done);
}
int short_read(OsFile f, void* data, uint32_t count, uint32_t* done) {
    // Reads of a whole block of rows come back one byte short, as from a failing device.
    int ok = SYSTEM.read(f, data, count, done);
    if (ok && count > 1000 && *done > 0)
        --*done;
    return ok;
}
} // namespace

TEST_CASE("screen image: colours and pixel positions") {
    std::string dir = test_scratch_dir("image_pixels");
    Picture p(320 * 240, Rgb{0x12, 0x34, 0x56});
    // The bottom row, left to right: the colour table.
    const Rgb colours[] = {{0, 0, 0},       {255, 255, 255}, {255, 0, 0}, {0, 255, 0},
                           {0, 0, 255},     {7, 7, 7},       {8, 8, 8},   {0xF8, 0x07, 0x80},
                           {0x80, 0xF8, 7}, {7, 0x80, 0xF8}};
    const unsigned words[] = {0x0000, 0xFFFE, 0xF800, 0x07C0, 0x003E,
                              0x0000, 0x0842, 0xF820, 0x87C0, 0x043E};
    for (int i = 0; i < 10; ++i)
        pixel(p, i + 1, 1) = colours[i];
    int outcome = -1;
    Bytes img = convert(dir, bitmap_file(p), &outcome);
    CHECK(outcome == IMAGE_WRITTEN);
    REQUIRE(img.size() == 153600u);
    for (int i = 0; i < 10; ++i) {
        INFO("colour " << i);
        // Pixel (x, 1) starts its column: word (x - 1) * 240.
        CHECK(word_at(img, (size_t)i * 480) == words[i]);
    }
    CHECK(img[480] == 0xFE); // white, stored low byte first
    CHECK(img[481] == 0xFF);
    CHECK(img[960] == 0x00); // red
    CHECK(img[961] == 0xF8);

    // Every pixel of a varied picture in its place: the first word is (1, 1), the bottom-left
    // pixel, the second (1, 2), the 241st (2, 1).
    Picture v = varied_picture();
    img = convert(dir, bitmap_file(v), &outcome);
    CHECK(outcome == IMAGE_WRITTEN);
    CHECK(img == expected_image(v));
    REQUIRE(img.size() == 153600u);
    CHECK(word_at(img, 0) ==
          screen_image_pack(pixel(v, 1, 1).r, pixel(v, 1, 1).g, pixel(v, 1, 1).b));
    CHECK(word_at(img, 2) ==
          screen_image_pack(pixel(v, 1, 2).r, pixel(v, 1, 2).g, pixel(v, 1, 2).b));
    CHECK(word_at(img, 480) ==
          screen_image_pack(pixel(v, 2, 1).r, pixel(v, 2, 1).g, pixel(v, 2, 1).b));
    CHECK(screen_image_offset(2, 1) == 480u);
    CHECK(screen_image_offset(320, 240) == 153598u);
    // The PixelArray keeps the picture: component 1 red, 2 green, 3 blue.
    CHECK(element(17, 200, 1) == pixel(v, 17, 200).r);
    CHECK(element(17, 200, 2) == pixel(v, 17, 200).g);
    CHECK(element(17, 200, 3) == pixel(v, 17, 200).b);
    CHECK(element(320, 240, 1) == pixel(v, 320, 240).r);
}

TEST_CASE("screen image: widening a word back to 8-bit components and packing it again") {
    // Every word with bit 0 clear survives unpack then pack; the extremes widen to 0 and 255.
    int broken = 0;
    for (unsigned w = 0; w < 0x10000; w += 2) {
        ScreenPixel c = screen_image_unpack((uint16_t)w);
        if (screen_image_pack(c.red, c.green, c.blue) != w)
            ++broken;
    }
    CHECK(broken == 0);
    ScreenPixel white = screen_image_unpack(0xFFFE);
    CHECK((white.red == 255 && white.green == 255 && white.blue == 255));
    ScreenPixel some = screen_image_unpack(0x0842); // 1, 1, 1 -> 8, 8, 8
    CHECK((some.red == 8 && some.green == 8 && some.blue == 8));
    CHECK(screen_image_pack(0x1FF, 0x100, 0x107) == 0xF800); // only the low 8 bits count
}

TEST_CASE("screen image: one picture gives one image whatever the header and row order") {
    std::string dir = test_scratch_dir("image_shapes");
    Picture v = varied_picture(99);
    Bytes want = expected_image(v);
    struct Variant {
        const char* what;
        uint32_t info_size;
        bool top_down;
        uint32_t pixel_offset, surplus;
    } variants[] = {
        {"40, bottom-up", 40, false, 0, 0},
        {"40, top-down", 40, true, 0, 0},
        {"108, bottom-up", 108, false, 0, 0},
        {"124, bottom-up", 124, false, 0, 0},
        {"124, top-down", 124, true, 0, 0},
        {"rows after a gap", 40, false, 301, 0},
        {"surplus bytes after the rows", 124, false, 0, 777},
    };
    for (const Variant& variant : variants) {
        INFO(variant.what);
        Shape s;
        s.info_size = variant.info_size;
        s.top_down = variant.top_down;
        s.pixel_offset = variant.pixel_offset;
        s.surplus = variant.surplus;
        int outcome = -1;
        CHECK(convert(dir, bitmap_file(v, s), &outcome) == want);
        CHECK(outcome == IMAGE_WRITTEN);
        // The conversion over bytes in memory gives the same image.
        Bytes file = bitmap_file(v, s), image(SCREEN_IMAGE_SIZE);
        CHECK(screen_image_from_bitmap(file.data(), (uint32_t)file.size(), image.data()) ==
              IMAGE_WRITTEN);
        CHECK(image == want);
    }
    // A bitmap converted onto its own name: read whole before the image replaces it.
    test_write_file(dir + "self", bitmap_file(v));
    CHECK(screen_image_convert((dir + "self").c_str(), (dir + "self").c_str()) == IMAGE_WRITTEN);
    CHECK(test_read_file(dir + "self") == want);
}

TEST_CASE("screen image: refused and missing bitmaps leave the earlier image and the array") {
    std::string dir = test_scratch_dir("image_refused");
    std::string image = dir + "level.img";
    Picture v = varied_picture(5);
    Bytes good = bitmap_file(v);
    test_write_file(dir + "good.bmp", good);
    REQUIRE(screen_image_convert((dir + "good.bmp").c_str(), image.c_str()) == IMAGE_WRITTEN);
    const Bytes earlier = test_read_file(image);
    const std::vector<int32_t> pixels = pixel_array_copy();

    auto edited = [&](size_t at, uint32_t value, int width) {
        Bytes b = good;
        if (width == 2)
            put16(b, at, value);
        else
            put32(b, at, value);
        return b;
    };
    // An honest 8-bit bitmap: 256-colour palette, one byte per pixel.
    Bytes eight(14 + 40 + 1024 + 320 * 240, 0);
    std::copy(good.begin(), good.begin() + 54, eight.begin());
    put32(eight, 10, 14 + 40 + 1024);
    put16(eight, 28, 8);
    Bytes rle = eight;
    put32(rle, 30, 1);
    Bytes truncated(good.begin(), good.end() - 1);
    Bytes os2(good.begin(), good.begin() + 26);
    put32(os2, 10, 26);
    put32(os2, 14, 12);
    os2.insert(os2.end(), good.begin() + 54, good.end());
    struct Case {
        const char* what;
        Bytes bitmap;
    } cases[] = {
        {"wrong width", edited(18, 319, 4)},
        {"wrong height", edited(22, 200, 4)},
        {"8-bit", eight},
        {"RLE", rle},
        {"24-bit marked RLE", edited(30, 1, 4)},
        {"truncated", truncated},
        {"not a bitmap", Bytes(230454, 'x')},
        {"empty", Bytes()},
        {"OS/2 header", os2},
    };
    for (const Case& c : cases) {
        INFO(c.what);
        test_write_file(dir + "bad.bmp", c.bitmap);
        CHECK(screen_image_convert((dir + "bad.bmp").c_str(), image.c_str()) ==
              BITMAP_NOT_SUPPORTED);
        CHECK(test_read_file(image) == earlier);
        CHECK(test_count_files(dir) == 3);
        Bytes untouched(SCREEN_IMAGE_SIZE, 0x77);
        CHECK(screen_image_from_bitmap(c.bitmap.data(), (uint32_t)c.bitmap.size(),
                                       untouched.data()) == BITMAP_NOT_SUPPORTED);
        CHECK(untouched == Bytes(SCREEN_IMAGE_SIZE, 0x77));
    }
    CHECK(pixel_array_copy() == pixels);

    // A missing bitmap is not created, and no image is made for it.
    CHECK(screen_image_convert((dir + "missing.bmp").c_str(), image.c_str()) == BITMAP_NOT_OPENED);
    CHECK_FALSE(test_file_exists(dir + "missing.bmp"));
    CHECK(screen_image_convert((dir + "missing.bmp").c_str(), (dir + "new.img").c_str()) ==
          BITMAP_NOT_OPENED);
    CHECK_FALSE(test_file_exists(dir + "new.img"));
    CHECK(test_read_file(image) == earlier);
    CHECK(pixel_array_copy() == pixels);
}

TEST_CASE("screen image: failures after the bitmap was accepted") {
    std::string dir = test_scratch_dir("image_failures");
    std::string image = dir + "level.img", bitmap = dir + "in.bmp";
    Picture first = varied_picture(1), second = varied_picture(2);
    test_write_file(bitmap, bitmap_file(first));
    REQUIRE(screen_image_convert(bitmap.c_str(), image.c_str()) == IMAGE_WRITTEN);
    const Bytes earlier = test_read_file(image);
    test_write_file(bitmap, bitmap_file(second));
    TestOsCalls calls;

    // The image's write fails: the earlier image stays, and no temporary file is left behind.
    write_calls_left = 0;
    calls->write = failing_write;
    int outcome = screen_image_convert(bitmap.c_str(), image.c_str());
    calls.restore();
    CHECK(outcome == IMAGE_NOT_WRITTEN);
    CHECK(test_read_file(image) == earlier);
    CHECK(test_count_files(dir) == 2);

    // The rows cannot all be read after the header passed: nothing is made.
    calls->read = short_read;
    outcome = screen_image_convert(bitmap.c_str(), image.c_str());
    calls.restore();
    CHECK(outcome == BITMAP_NOT_OPENED);
    CHECK(test_read_file(image) == earlier);

    // The image cannot be created (its directory is missing): the array already holds the
    // bitmap.
    CHECK(screen_image_convert(bitmap.c_str(), test_path(dir + "none\\level.img").c_str()) ==
          IMAGE_NOT_CREATED);
    CHECK(element(1, 1, 1) == pixel(second, 1, 1).r);
    CHECK(element(300, 7, 3) == pixel(second, 300, 7).b);

    // Without a PixelArray (start-up could not have it) nothing is read or written.
    PixelArray* a = program_pixel_array();
    int32_t* elements = a->elements;
    a->elements = nullptr;
    outcome = screen_image_convert(bitmap.c_str(), (dir + "other.img").c_str());
    a->elements = elements;
    CHECK(outcome == BITMAP_NOT_OPENED);
    CHECK_FALSE(test_file_exists(dir + "other.img"));

    // And with the failures gone, the same files convert.
    CHECK(screen_image_convert(bitmap.c_str(), image.c_str()) == IMAGE_WRITTEN);
    CHECK(test_read_file(image) == expected_image(second));
}
