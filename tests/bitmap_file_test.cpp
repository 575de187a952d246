// Bitmap files of any size: the header written is one the programs' check and the reader take,
// rows are found for any size and row order and refused when broken, a screen image becomes rows
// in the conversion's order, and drawing cuts at every edge without touching anything outside;
// the status bar's numbers in their windows. Pictures as paint programs save them: one picture in
// every bitmap layout and as PNG decodes to the screen image computed here from its colours, and
// broken or hostile files are refused.
#include <doctest.h>
#include "bitmap_file.h"
#include "bitmap_header.h"
#include "picture.h"
#include "png.h"
#include "screen_image.h"
#include "screen_image_dither.h"
#include "status_bar.h"
#include "test_bitmaps.h"
#include "test_status_bar.h"
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <zlib.h>
#include <chrono>
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

// Sixteen colours on the 16-bit grid (5 bits red and blue, 6 green), so that every bitmap depth
// holds them exactly; entry 3 is half transparent where a depth has alpha.
test_bitmaps::Rgb colour(unsigned i) {
    return test_bitmaps::Rgb{(unsigned char)(i * 16 + 8), (unsigned char)(252 - i * 12),
                             (unsigned char)(i * 40 % 256 & 0xF8)};
}
// The palette index of pixel (x, y) from the top-left, below entries.
unsigned index_at(int x, int y, unsigned entries) {
    return (unsigned)(x * 7 + y * 3 + x / 40) % entries;
}
// The picture of index_at.
test_bitmaps::Picture indexed_picture(unsigned entries) {
    test_bitmaps::Picture p(320 * 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            test_bitmaps::pixel(p, x + 1, 240 - y) = colour(index_at(x, y, entries));
    return p;
}

struct BmpKind {
    uint32_t header, bits, compression;
    bool top_down;
    uint32_t gap; // bytes of 0x77 between the palette or masks and the rows
};

// The indexed picture (as many entries as the depth allows, 16 at most) as a bitmap file of that
// kind, written here field by field: masks after a 40-byte header and inside larger ones, palette
// entries of 3 bytes after a 12-byte header and of 4 after the others.
Bytes bmp_file(const BmpKind& k) {
    bool core = k.header == 12;
    unsigned entries = k.bits == 1 ? 2 : 16;
    uint32_t masks = k.compression == 3 && k.header == 40 ? 12 : 0;
    uint32_t palette = k.bits <= 8 ? entries * (core ? 3 : 4) : 0;
    uint32_t offset = 14 + k.header + masks + palette + k.gap;
    uint32_t stride = (320 * k.bits + 31) / 32 * 4;
    Bytes b(offset + stride * 240, 0);
    memset(&b[offset - k.gap], 0x77, k.gap);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, (uint32_t)b.size());
    put32(b, 10, offset);
    put32(b, 14, k.header);
    if (core) {
        test_bitmaps::put16(b, 18, 320);
        test_bitmaps::put16(b, 20, 240);
        test_bitmaps::put16(b, 22, 1);
        test_bitmaps::put16(b, 24, k.bits);
    } else {
        put32(b, 18, 320);
        put32(b, 22, k.top_down ? (uint32_t)-240 : 240);
        test_bitmaps::put16(b, 26, 1);
        test_bitmaps::put16(b, 28, k.bits);
        put32(b, 30, k.compression);
    }
    if (k.compression == 3) {
        const uint32_t m16[] = {0xF800, 0x07E0, 0x001F, 0};
        const uint32_t m32[] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
        for (int i = 0; i < (k.header == 40 ? 3 : 4); ++i)
            put32(b, 54 + i * 4, k.bits == 16 ? m16[i] : m32[i]);
    }
    for (unsigned i = 0; k.bits <= 8 && i < entries; ++i) {
        unsigned char* e = &b[14 + k.header + i * (core ? 3 : 4)];
        e[0] = colour(i).b;
        e[1] = colour(i).g;
        e[2] = colour(i).r;
    }
    for (int row = 0; row < 240; ++row) {
        int y = k.top_down ? row : 239 - row;
        unsigned char* r = &b[offset + row * stride];
        for (int x = 0; x < 320; ++x) {
            unsigned i = index_at(x, y, entries);
            test_bitmaps::Rgb c = colour(i);
            uint32_t v = (uint32_t)c.r << 16 | (uint32_t)c.g << 8 | c.b;
            if (k.bits <= 8)
                r[x * k.bits / 8] |= (unsigned char)(i << (8 - k.bits - x * k.bits % 8));
            else if (k.bits == 16)
                test_bitmaps::put16(b, offset + row * stride + x * 2,
                                    (uint32_t)(c.r >> 3) << 11 | (c.g >> 2) << 5 | c.b >> 3);
            else if (k.bits == 24)
                memcpy(r + x * 3, &v, 3); // blue, green, red on this little-endian machine
            else
                put32(b, offset + row * stride + x * 4, v | (i == 3 ? 0x80u : 0xFFu) << 24);
        }
    }
    return b;
}

int decode(const Bytes& b, PictureResult* r) {
    return picture_decode(b.data(), (uint32_t)b.size(), r);
}

// The screen image of a decoded picture.
Bytes image_of(const PictureResult& r) {
    Bytes image(SCREEN_IMAGE_SIZE);
    screen_image_from_rows(&r.picture, image.data());
    return image;
}

// The word of pixel (x, y) of a screen image, 1-based, y = 1 the bottom row.
uint16_t word_of(const Bytes& image, int x, int y) {
    size_t at = screen_image_offset((uint32_t)x, (uint32_t)y);
    return (uint16_t)(image[at] | image[at + 1] << 8);
}

// How far a screen image's colours stray from its picture's where the eye averages them: for
// each aligned 4 x 4 block, the largest of its three colours' differences between the average
// shade the image shows (widened back) and the picture's average. Whole sixteenths of a shade.
struct BlockDistance {
    uint64_t total; // over the 80 x 60 blocks
    uint32_t worst;
};
BlockDistance block_distance(test_bitmaps::Picture& picture, const Bytes& image) {
    BlockDistance d = {0, 0};
    for (int left = 1; left <= 320; left += 4)
        for (int bottom = 1; bottom <= 240; bottom += 4) {
            int32_t sums[3] = {0, 0, 0};
            for (int x = left; x < left + 4; ++x)
                for (int y = bottom; y < bottom + 4; ++y) {
                    ScreenPixel shown = screen_image_unpack(word_of(image, x, y));
                    const test_bitmaps::Rgb& c = test_bitmaps::pixel(picture, x, y);
                    sums[0] += shown.red - c.r;
                    sums[1] += shown.green - c.g;
                    sums[2] += shown.blue - c.b;
                }
            uint32_t block = 0;
            for (int32_t sum : sums)
                block = (uint32_t)(sum < 0 ? -sum : sum) > block ? (uint32_t)(sum < 0 ? -sum : sum)
                                                                 : block;
            d.total += block;
            d.worst = block > d.worst ? block : d.worst;
        }
    return d;
}

// The dithered screen image of a picture's bitmap file, into bytes that held something else.
Bytes dithered(const Bytes& file, int32_t kind) {
    BitmapPicture p;
    REQUIRE(bitmap_file_picture(file.data(), (uint32_t)file.size(), &p));
    Bytes image(SCREEN_IMAGE_SIZE, (unsigned char)(0x5A + kind));
    screen_image_from_rows_dithered(&p, kind, image.data());
    return image;
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

TEST_CASE("picture: one picture in every bitmap layout gives one image; broken bitmaps refused") {
    // Gaps: an unused colour table before the rows of a 16-bit picture, as paint programs write
    // it, and room after a palette, which the reader must not take for more colours in use.
    const BmpKind kinds[] = {
        {12, 4, 0, false, 0},    {12, 8, 0, false, 0},     {40, 1, 0, false, 0},
        {40, 4, 0, true, 0},     {40, 8, 0, false, 0},     {124, 8, 0, false, 0},
        {12, 24, 0, false, 0},   {40, 16, 3, false, 0},    {56, 16, 3, true, 0},
        {108, 16, 3, false, 0},  {56, 24, 0, false, 0},    {40, 32, 0, true, 0},
        {124, 32, 3, false, 0},  {40, 16, 3, false, 1024}, {124, 16, 3, true, 64},
        {40, 8, 0, false, 2000},
    };
    Bytes sixteen = test_bitmaps::expected_image(indexed_picture(16));
    static PictureResult r;
    for (const BmpKind& k : kinds) {
        CAPTURE(k.header);
        CAPTURE(k.bits);
        CAPTURE(k.top_down);
        CAPTURE(k.gap);
        Bytes file = bmp_file(k);
        REQUIRE(decode(file, &r) == PICTURE_DECODED);
        CHECK(image_of(r) ==
              (k.bits == 1 ? test_bitmaps::expected_image(indexed_picture(2)) : sixteen));
        // Only the 32-bit kinds carry alpha; a 40-byte header's fourth byte counts as alpha too.
        CHECK(r.translucent == (k.bits == 32));
        // Every byte of the rows must be in the file.
        CHECK(decode(Bytes(file.begin(), file.end() - 1), &r) == PICTURE_NOT_READ);
    }
    // An index past the palette names no colour of the file.
    for (uint32_t header : {12u, 40u}) {
        Bytes file = bmp_file({header, 8, 0, false, 0});
        file[file.size() - 1] = 16;
        CHECK(decode(file, &r) == PICTURE_NOT_READ);
    }
    Bytes rle = bmp_file({40, 8, 1, false, 0});
    CHECK(decode(rle, &r) == PICTURE_RLE);
    put32(rle, 30, 2);
    CHECK(decode(rle, &r) == PICTURE_RLE);
    // Masks that no reading of a pixel could come from: none for red, or more than 8 bits.
    for (uint32_t red : {0u, 0x1FF000u}) {
        Bytes masked = bmp_file({124, 32, 3, false, 0});
        put32(masked, 54, red);
        CHECK(decode(masked, &r) == PICTURE_NOT_READ);
    }

    // Sides from the header alone, however large, before any pixel is looked at.
    Bytes file = bmp_file({40, 24, 0, true, 0});
    put32(file, 18, 0x7FFFFFFF);
    REQUIRE(decode(Bytes(file.begin(), file.begin() + 54), &r) == PICTURE_WRONG_SIZE);
    CHECK(r.width == 0x7FFFFFFF);
    CHECK(r.height == 240);
    for (uint32_t width : {0u, 0x80000000u}) {
        put32(file, 18, width);
        CHECK(decode(file, &r) == PICTURE_NOT_READ);
    }
    for (Bytes junk : {Bytes(), Bytes{'B', 'M'}, Bytes(100, 'B'), Bytes(54, 0)})
        CHECK(decode(junk, &r) == PICTURE_NOT_READ);
    // Sums of header fields that wrap in 32 bits: the rows' end, and the palette's entries.
    Bytes wrapping = test_bitmaps::wrapping_bitmap();
    CHECK(decode(wrapping, &r) == PICTURE_NOT_READ);
    BitmapPicture untouched = {0, -7, -7, 0, 0};
    CHECK(picture(wrapping, &untouched) == 0);
}

TEST_CASE("picture: PNG written and read back; short palettes, cut and altered files refused") {
    using test_bitmaps::png_file;
    static PictureResult r;
    test_bitmaps::Picture varied = test_bitmaps::varied_picture(5);
    Bytes rows = test_bitmaps::bitmap_file(varied);
    BitmapPicture bottom_up = {rows.data() + 54, 320, 240, 960, 0};
    uint32_t size = 0;
    unsigned char* block = png_encode(&bottom_up, &size);
    REQUIRE(block);
    Bytes png(block, block + size);
    png_free(block);
    REQUIRE(decode(png, &r) == PICTURE_DECODED);
    CHECK(image_of(r) == test_bitmaps::expected_image(varied));
    CHECK(r.translucent == 0);

    // IHDR, then the first chunk after it (the encoder's IDAT) at offset 33.
    Bytes cut(png.begin(), png.end() - 1), flipped = png, longer = png;
    flipped[33 + 8 + 10] ^= 1;
    longer[33 + 3] += 1;
    for (const Bytes& broken : {cut, flipped, longer})
        CHECK(decode(broken, &r) == PICTURE_NOT_READ);

    // A 2-bit palette of three entries: fine while no pixel uses index 3.
    Bytes palette;
    for (unsigned i = 0; i < 3; ++i)
        palette.insert(palette.end(), {colour(i).r, colour(i).g, colour(i).b});
    Bytes scanlines;
    for (int y = 0; y < 240; ++y) {
        scanlines.push_back(0);
        for (int x = 0; x < 320; x += 4) {
            unsigned char packed = 0;
            for (int i = 0; i < 4; ++i)
                packed |= (unsigned char)(index_at(x + i, y, 3) << (6 - 2 * i));
            scanlines.push_back(packed);
        }
    }
    Bytes three = png_file(320, 2, 3, palette, {}, scanlines);
    REQUIRE(decode(three, &r) == PICTURE_DECODED);
    CHECK(image_of(r) == test_bitmaps::expected_image(indexed_picture(3)));
    CHECK(r.translucent == 0);
    three[33 + 8] ^= 0x10; // a colour of PLTE, whose checksum then no longer holds
    CHECK(decode(three, &r) == PICTURE_NOT_READ);
    CHECK(decode(png_file(320, 2, 3, palette, {255, 0}, scanlines), &r) == PICTURE_DECODED);
    CHECK(r.translucent == 1);
    CHECK(decode(png_file(320, 2, 3, palette, {255, 255, 255, 255}, scanlines), &r) ==
          PICTURE_NOT_READ);
    Bytes stray = scanlines;
    stray[240 * 81 - 1] |= 3; // the last pixel: index 3
    CHECK(decode(png_file(320, 2, 3, palette, {}, stray), &r) == PICTURE_NOT_READ);

    CHECK(decode(png_file(0x7FFFFFFF, 8, 2, {}, {}, {}), &r) == PICTURE_WRONG_SIZE);
    CHECK(r.width == 0x7FFFFFFF);
    CHECK(decode(png_file(0x80000000u, 8, 2, {}, {}, {}), &r) == PICTURE_NOT_READ);
}

TEST_CASE("picture: the PNG gate refuses what the PNG rules do not allow; data past the picture "
          "is not inflated") {
    using test_bitmaps::png_file;
    static PictureResult r;
    // 8-bit grey rows of the picture's top-left corner colour codes; each row starts with its
    // filter byte.
    auto grey_rows = [](unsigned char filter) {
        Bytes rows;
        for (int y = 0; y < 240; ++y) {
            rows.push_back(filter);
            for (int x = 0; x < 320; ++x)
                rows.push_back((unsigned char)(x + y));
        }
        return rows;
    };
    Bytes grey = grey_rows(0), plte(3 * 4, 0x10), key = {0, 7};
    REQUIRE(decode(png_file(320, 8, 0, {}, key, grey), &r) == PICTURE_DECODED);
    CHECK(r.translucent == 1); // grey 7 is the transparent one, and pixel (7, 0) has it
    // A chunk put before IEND, with its checksum right.
    auto with_chunk = [](Bytes png, const char* type) {
        Bytes chunk;
        test_bitmaps::add_chunk(chunk, type, {'x'});
        png.insert(png.end() - 12, chunk.begin(), chunk.end());
        return png;
    };
    Bytes plain = png_file(320, 8, 0, {}, {}, grey);
    CHECK(decode(with_chunk(plain, "tEXt"), &r) == PICTURE_DECODED);
    // IDAT chunks must follow one another: a second one after another chunk is refused.
    Bytes apart = with_chunk(plain, "tEXt");
    apart.insert(apart.end() - 12, plain.begin() + 33, plain.end() - 12);

    // Header fields the rules refuse, in pictures of 640 pixels: a gate that let one through
    // would report the size instead.
    auto wide = [](unsigned depth, unsigned colour, const Bytes& palette, const Bytes& alpha,
                   unsigned interlace) {
        return png_file(640, depth, colour, palette, alpha, {}, interlace);
    };
    struct Refused {
        const char* what;
        Bytes png;
    } refused[] = {
        {"a 16-bit palette with 257 entries", test_bitmaps::hostile_png()},
        {"a 16-bit palette", wide(16, 3, plte, {}, 0)},
        {"257 palette entries", wide(8, 3, Bytes(257 * 3, 1), {}, 0)},
        {"a 1-bit palette of 3 entries", wide(1, 3, Bytes(9, 1), {}, 0)},
        {"a palette in a grey picture", wide(8, 0, plte, {}, 0)},
        {"no palette in a palette picture", wide(8, 3, {}, {}, 0)},
        {"tRNS in a picture with alpha", wide(8, 4, {}, key, 0)},
        {"tRNS of a grey picture, 3 bytes", wide(8, 0, {}, {0, 7, 0}, 0)},
        {"tRNS longer than the palette", wide(8, 3, plte, Bytes(5, 0), 0)},
        {"colour type 5", wide(8, 5, {}, {}, 0)},
        {"RGB of 4 bits", wide(4, 2, {}, {}, 0)},
        {"interlace method 2", wide(8, 0, {}, {}, 2)},
        {"a critical chunk not known", with_chunk(png_file(640, 8, 0, {}, {}, {}), "TEXT")},
        {"IDAT chunks apart", apart},
        {"filter type 5 in a row", png_file(320, 8, 0, {}, {}, grey_rows(5))},
        {"image data a byte short",
         png_file(320, 8, 0, {}, {}, Bytes(grey.begin(), grey.end() - 1))},
    };
    for (const Refused& c : refused) {
        CAPTURE(c.what);
        CHECK(decode(c.png, &r) == PICTURE_NOT_READ);
    }
    CHECK(decode(wide(8, 3, plte, Bytes(4, 0), 0), &r) == PICTURE_WRONG_SIZE);

    // The rows the picture needs, then 1.5 GB of zeros in the same stream: each megabyte
    // compressed on its own (a full flush ends it), so that one piece repeated makes a 1.5 MB
    // file. Only the picture's rows may be inflated, well within a second.
    Bytes stream(compressBound((uLong)grey.size()) + 64);
    z_stream z;
    memset(&z, 0, sizeof z);
    REQUIRE(deflateInit(&z, 9) == Z_OK);
    z.next_in = grey.data();
    z.avail_in = (uInt)grey.size();
    z.next_out = stream.data();
    z.avail_out = (uInt)stream.size();
    REQUIRE(deflate(&z, Z_FULL_FLUSH) == Z_OK);
    stream.resize(stream.size() - z.avail_out);
    Bytes zeros(1 << 20, 0), piece(8192);
    z.next_in = zeros.data();
    z.avail_in = (uInt)zeros.size();
    z.next_out = piece.data();
    z.avail_out = (uInt)piece.size();
    REQUIRE(deflate(&z, Z_FULL_FLUSH) == Z_OK);
    deflateEnd(&z);
    piece.resize(piece.size() - z.avail_out);
    for (int i = 0; i < 1500; ++i)
        stream.insert(stream.end(), piece.begin(), piece.end());
    Bytes bomb = test_bitmaps::png_of_stream(320, 8, 0, {}, {}, stream);
    CHECK(bomb.size() < 2000000);
    auto started = std::chrono::steady_clock::now();
    REQUIRE(decode(bomb, &r) == PICTURE_DECODED);
    CHECK(std::chrono::steady_clock::now() - started < std::chrono::seconds(1));
    CHECK(r.rows[239 * 960 + 319 * 3] == (unsigned char)(319 + 239));
}

TEST_CASE("dither: a gradient's 4 x 4 blocks twice as near its picture, shades kept, the ordered "
          "pattern tiling") {
    using namespace test_bitmaps;
    Picture gradient = gradient_picture();
    Shape top_down;
    top_down.top_down = true;
    Bytes file = bitmap_file(gradient), flipped = bitmap_file(gradient, top_down);
    Bytes none = dithered(file, DITHER_NONE);
    CHECK(none == expected_image(gradient)); // no dithering: the forms' bytes
    BlockDistance plain = block_distance(gradient, none);
    // A picture whose colours are all shades the image shows: nothing to mix.
    Picture shades(320 * 240);
    Bytes varied = expected_image(varied_picture(7));
    for (int y = 1; y <= 240; ++y)
        for (int x = 1; x <= 320; ++x) {
            ScreenPixel c = screen_image_unpack(word_of(varied, x, y));
            pixel(shades, x, y) = Rgb{c.red, c.green, c.blue};
        }
    for (int32_t kind : {DITHER_ORDERED, DITHER_DIFFUSION}) {
        CAPTURE(kind);
        Bytes image = dithered(file, kind);
        BlockDistance d = block_distance(gradient, image);
        CHECK(2 * d.total <= plain.total);
        CHECK(2 * d.worst <= plain.worst);
        // The same bytes again, and from the rows stored the other way up.
        CHECK(dithered(file, kind) == image);
        CHECK(dithered(flipped, kind) == image);
        CHECK(dithered(bitmap_file(shades), kind) == varied);
    }
    // A flat colour between two shades: a pattern of 8 x 8 pixels, from whichever corner, so a
    // picture that tiles makes an image that tiles.
    Bytes flat = dithered(bitmap_file(Picture(320 * 240, Rgb{100, 150, 203})), DITHER_ORDERED);
    int repeated = 0, mixed = 0;
    for (int y = 1; y <= 240; ++y)
        for (int x = 1; x <= 320; ++x) {
            repeated += word_of(flat, x, y) == word_of(flat, (x - 1) % 8 + 1, (y - 1) % 8 + 1);
            mixed += word_of(flat, x, y) != word_of(flat, 1, 1);
        }
    CHECK(repeated == 320 * 240);
    CHECK(mixed > 0);

    for (int32_t kind = 0; kind < DITHER_KIND_COUNT; ++kind)
        CHECK(screen_image_dither_find(screen_image_dither_name(kind)) == kind);
    for (const char* other : {"", "Ordered", "order", "diffusions"})
        CHECK(screen_image_dither_find(other) == -1);
    CHECK(screen_image_dither_name(DITHER_KIND_COUNT) == nullptr);
}
