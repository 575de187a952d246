// Bitmap files of any size: the header written is one the programs' check and the reader take,
// rows are found for any size and row order and refused when broken, a screen image becomes rows
// in the conversion's order, and drawing cuts at every edge without touching anything outside;
// the status bar's numbers in their windows.
#include <doctest.h>
#include "bitmap_file.h"
#include "bitmap_header.h"
#include "screen_image.h"
#include "status_bar.h"
#include "test_status_bar.h"
#include <stddef.h>
#include <stdint.h>
#include <vector>

namespace {
typedef std::vector<unsigned char> Bytes;

uint32_t u32(const Bytes& b, size_t at) {
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 |
           (uint32_t)b[at + 3] << 24;
}
void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = (unsigned char)(v >> (8 * i));
}

// A width x height picture file whose pixel (x, y) from the top-left has the colour code
// x * 16 + y + base in all three bytes; row padding is 0xEE, so a wrong stride shows.
Bytes picture_file(int width, int height, unsigned char base, bool top_down = false) {
    Bytes b(BITMAP_FILE_HEADER_BYTES);
    uint32_t size = bitmap_file_header(b.data(), width, height);
    b.resize(size, 0xEE);
    uint32_t stride = bitmap_file_stride(width);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            size_t row = top_down ? y : height - 1 - y;
            unsigned char* p = &b[54 + row * stride + x * 3];
            p[0] = p[1] = p[2] = (unsigned char)(x * 16 + y + base);
        }
    if (top_down)
        put32(b, 22, (uint32_t)-height);
    return b;
}

int picture(const Bytes& b, BitmapPicture* p) {
    return bitmap_file_picture(b.data(), (uint32_t)b.size(), p);
}
} // namespace

TEST_CASE("bitmap file: the header written, and the rows found or refused") {
    Bytes full(BITMAP_FILE_HEADER_BYTES + BITMAP_PIXEL_BYTES, 0);
    CHECK(bitmap_file_header(full.data(), 320, 240) == full.size());
    CHECK(full[0] == 'B');
    CHECK(full[1] == 'M');
    CHECK(u32(full, 2) == full.size());
    CHECK(u32(full, 10) == 54);
    CHECK(u32(full, 14) == 40);
    CHECK(u32(full, 18) == 320);
    CHECK(u32(full, 22) == 240);
    CHECK(u32(full, 26) == (24u << 16 | 1u));
    CHECK(u32(full, 30) == 0);
    BitmapLayout layout;
    CHECK(bitmap_header_check(full.data(), (uint32_t)full.size(), (uint32_t)full.size(), &layout));
    CHECK(layout.pixel_offset == 54);
    CHECK(layout.top_down == 0);

    // Rows of 5 pixels take 15 bytes and are stored in 16.
    CHECK(bitmap_file_stride(5) == 16);
    CHECK(bitmap_file_stride(4) == 12);
    Bytes small = picture_file(5, 3, 1);
    CHECK(small.size() == 54 + 16 * 3);
    BitmapPicture p;
    REQUIRE(picture(small, &p));
    CHECK(p.rows == small.data() + 54);
    CHECK(p.width == 5);
    CHECK(p.height == 3);
    CHECK(p.stride == 16);
    CHECK(p.top_down == 0);
    REQUIRE(picture(picture_file(5, 3, 1, true), &p));
    CHECK(p.height == 3);
    CHECK(p.top_down == 1);

    unsigned char header[BITMAP_FILE_HEADER_BYTES] = {};
    CHECK(bitmap_file_header(header, 0, 10) == 0);
    CHECK(bitmap_file_header(header, 10, BITMAP_FILE_MAX_SIDE + 1) == 0);
    CHECK(header[0] == 0);

    struct Broken {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const Broken broken[] = {
        {"not BM", 0, 'B' | 'A' << 8},
        {"8 bits", 28, 8},
        {"compressed", 30, 1},
        {"OS/2 header", 14, 12},
        {"rows inside the headers", 10, 53},
        {"rows past the end", 10, 55},
        {"no width", 18, 0},
        {"no height", 22, 0},
        {"the most negative height", 22, 0x80000000u},
        {"too wide", 18, BITMAP_FILE_MAX_SIDE + 1},
    };
    for (const Broken& b : broken) {
        CAPTURE(b.what);
        Bytes file = small;
        if (b.at == 0) {
            file[0] = (unsigned char)b.value;
            file[1] = (unsigned char)(b.value >> 8);
        } else if (b.at == 28) {
            file[28] = (unsigned char)b.value;
        } else {
            put32(file, b.at, b.value);
        }
        BitmapPicture untouched = {0, -7, -7, 0, 0};
        CHECK(picture(file, &untouched) == 0);
        CHECK(untouched.width == -7);
    }
    CHECK(picture(Bytes(small.begin(), small.end() - 1), &p) == 0);
    CHECK(picture(Bytes(small.begin(), small.begin() + 53), &p) == 0);
}

TEST_CASE("bitmap file: a screen image's rows, bottom row first, components widened") {
    Bytes image(SCREEN_IMAGE_SIZE, 0);
    struct Marked {
        uint32_t x, y;
        uint16_t word;
    };
    const Marked marks[] = {{1, 1, screen_image_pack(255, 0, 0)},
                            {320, 1, screen_image_pack(0, 255, 0)},
                            {1, 240, screen_image_pack(0, 0, 255)},
                            {2, 3, screen_image_pack(8, 16, 136)}};
    for (const Marked& m : marks) {
        uint32_t at = screen_image_offset(m.x, m.y);
        image[at] = (unsigned char)m.word;
        image[at + 1] = (unsigned char)(m.word >> 8);
    }
    Bytes rows(BITMAP_PIXEL_BYTES, 0xAA);
    bitmap_file_from_image(image.data(), rows.data());
    for (const Marked& m : marks) {
        CAPTURE(m.x);
        CAPTURE(m.y);
        const unsigned char* p = &rows[(m.y - 1) * 960 + (m.x - 1) * 3];
        ScreenPixel want = screen_image_unpack(m.word);
        CHECK(p[0] == want.blue);
        CHECK(p[1] == want.green);
        CHECK(p[2] == want.red);
        CHECK(screen_image_pack(p[2], p[1], p[0]) == m.word);
    }
    CHECK(rows[(3 - 1) * 960 + (2 - 1) * 3 + 2] == 0x08); // 8 >> 3 = 1 widens to 8
    CHECK(rows[(3 - 1) * 960 + (2 - 1) * 3 + 0] == 0x8C); // 136 >> 3 = 17 widens to 140
    CHECK(rows[5 * 960 + 7 * 3] == 0);                    // every other pixel black
}

TEST_CASE("bitmap file: drawing a picture cuts it at every edge and keeps its row order") {
    const int W = 7, H = 6; // rows of 21 bytes stored in 24
    for (bool top_down : {false, true}) {
        Bytes sprite = picture_file(3, 2, 100, top_down);
        BitmapPicture s;
        REQUIRE(picture(sprite, &s));
        const int places[][2] = {{2, 2},  {-1, -1}, {6, 5},
                                 {-2, 4}, {7, -1},  {-3, 0},
                                 {8, 0},  {0, 6},   {-40000, 2000000000}};
        for (const auto& at : places) {
            CAPTURE(top_down);
            CAPTURE(at[0]);
            CAPTURE(at[1]);
            Bytes canvas = picture_file(W, H, 0);
            bitmap_file_draw(canvas.data() + 54, W, H, &s, at[0], at[1]);
            BitmapPicture c;
            REQUIRE(picture(canvas, &c));
            int wrong = 0;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    int sx = x - at[0], sy = y - at[1];
                    bool inside = sx >= 0 && sx < 3 && sy >= 0 && sy < 2;
                    unsigned char want = (unsigned char)(inside ? sx * 16 + sy + 100 : x * 16 + y);
                    const unsigned char* p = c.rows + (H - 1 - y) * c.stride + x * 3;
                    wrong += p[0] != want || p[1] != want || p[2] != want;
                }
            CHECK(wrong == 0);
            // The padding after each row is left alone.
            for (int row = 0; row < H; ++row)
                CHECK(canvas[54 + row * c.stride + W * 3] == 0xEE);
        }
    }
}

TEST_CASE("status bar: each value in its window in the bar's digits, dashes where it cannot show") {
    using test_status_bar::Shown;
    struct Case {
        StatusBarValues values;
        Shown shown;
        int width, height, x, y; // the canvas, and where the bar's corner lies on it
    };
    const Case cases[] = {
        {{61, 7, 10000, -1}, {" 1:01", {"   7", "----", "----"}}, 330, 30, 5, 7},
        {{5999, 9999, 0, 250}, {"99:59", {"9999", "   0", " 250"}}, 320, 20, 0, 0},
        // Only the corner of the last window lies on this canvas.
        {{6000, 20, 5, 1}, {"--:--", {"  20", "   5", "   1"}}, 40, 15, -290, -8},
    };
    for (const Case& c : cases) {
        CAPTURE(c.shown.time);
        Bytes canvas = picture_file(c.width, c.height, 0);
        status_bar_draw(canvas.data() + 54, c.width, c.height, c.x, c.y, &c.values);
        BitmapPicture p;
        REQUIRE(picture(canvas, &p));
        int wrong = 0, lit = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                unsigned grey = (unsigned char)(x * 16 + y);
                unsigned own = grey << 16 | grey << 8 | grey;
                int bx = x - c.x, by = y - c.y;
                bool on_bar = bx >= 0 && bx < STATUS_BAR_WIDTH && by >= 0 && by < STATUS_BAR_HEIGHT;
                unsigned want = on_bar ? test_status_bar::colour(c.shown, bx, by, own) : own;
                const unsigned char* q = p.rows + (c.height - 1 - y) * p.stride + x * 3;
                unsigned got = (unsigned)q[2] << 16 | (unsigned)q[1] << 8 | q[0];
                wrong += got != want;
                lit += want == test_status_bar::LIT;
            }
        CHECK(wrong == 0);
        CHECK(lit > 0);
        if (p.stride > (uint32_t)c.width * 3) // the padding after each row is left alone
            for (int row = 0; row < c.height; ++row)
                CHECK(canvas[54 + row * p.stride + c.width * 3] == 0xEE);
    }
}
