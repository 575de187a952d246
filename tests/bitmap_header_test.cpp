// The bitmap header check: the headers paint programs write are taken, every other kind refused,
// and no input, however broken or short, makes it read outside the bytes it was given.
#include <doctest.h>
#include "bitmap_header.h"
#include "screen_image.h"
#include "test_bitmaps.h"
#include "test_support.h"
#include <windows.h>
#include <stdio.h>
#include <string>

using namespace test_bitmaps;

namespace {
int check(const Bytes& b, uint32_t file_size, BitmapLayout* layout = nullptr) {
    BitmapLayout unused;
    return bitmap_header_check(b.data(), (uint32_t)b.size(), file_size, layout ? layout : &unused);
}

// Three pages: no access, the input's page, no access. An input copied to the end of the middle
// page faults on any read past its end; one copied to its start, on any read before it.
struct Guarded {
    unsigned char* base;
    size_t page;
    Guarded() {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        page = si.dwPageSize;
        base = (unsigned char*)VirtualAlloc(0, 3 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD old;
        VirtualProtect(base, page, PAGE_NOACCESS, &old);
        VirtualProtect(base + 2 * page, page, PAGE_NOACCESS, &old);
    }
    ~Guarded() { VirtualFree(base, 0, MEM_RELEASE); }
    const unsigned char* at_end(const Bytes& b) {
        unsigned char* p = base + 2 * page - b.size();
        if (!b.empty())
            memcpy(p, b.data(), b.size());
        return p;
    }
    const unsigned char* at_start(const Bytes& b) {
        if (!b.empty())
            memcpy(base + page, b.data(), b.size());
        return base + page;
    }
};

// A read outside the input ends the test run with a message naming the case.
long fuzz_case = -1;
LONG CALLBACK report_fault(EXCEPTION_POINTERS* e) {
    if (e->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && fuzz_case >= 0) {
        fprintf(stderr, "bitmap_header_check read outside its input in case %ld\n", fuzz_case);
        fflush(stderr);
        ExitProcess(3);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

uint32_t u16(const Bytes& b, size_t at) {
    return at + 2 <= b.size() ? (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 : 0;
}
uint32_t u32(const Bytes& b, size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

// The rule, stated field by field, as the reference for the randomized cases.
bool acceptable(const Bytes& b, uint32_t file_size) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return false;
    uint64_t offset = u32(b, 10), info = u32(b, 14);
    int32_t height = (int32_t)u32(b, 22);
    return info >= 40 && u32(b, 18) == 320 && (height == 240 || height == -240) &&
           u16(b, 26) == 1 && u16(b, 28) == 24 && u32(b, 30) == 0 && offset >= 14 + info &&
           offset + 230400 <= file_size;
}

struct Random {
    uint32_t state;
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    uint32_t below(uint32_t n) { return next() % n; }
};
} // namespace

TEST_CASE("bitmap header: the 40-, 108- and 124-byte headers, bottom-up and top-down") {
    for (uint32_t info : {40u, 108u, 124u}) {
        for (bool top_down : {false, true}) {
            Shape s;
            s.info_size = info;
            s.top_down = top_down;
            Bytes h = bitmap_headers(s);
            BitmapLayout layout = {0, -1};
            CHECK(check(h, 14 + info + 230400, &layout) == 1);
            CHECK(layout.pixel_offset == 14 + info);
            CHECK(layout.top_down == (top_down ? 1 : 0));
        }
    }
    // Rows further on, past a gap; surplus bytes after the rows; the header's size field is not
    // what counts, the file's real size is.
    Shape gap;
    gap.pixel_offset = 200;
    Bytes h = bitmap_headers(gap);
    BitmapLayout layout = {};
    CHECK(check(h, 200 + 230400, &layout) == 1);
    CHECK(layout.pixel_offset == 200);
    CHECK(check(h, 200 + 230400 + 5000) == 1);
    put32(h, 2, 0);
    CHECK(check(h, 200 + 230400) == 1);
    put32(h, 2, 0xFFFFFFFF);
    CHECK(check(h, 200 + 230399) == 0);
}

TEST_CASE("bitmap header: every other kind is refused") {
    const uint32_t full = 54 + 230400;
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        int width; // 2 or 4 bytes
    } cases[] = {
        {"not BM", 0, 'B' | 'A' << 8, 2},
        {"OS/2 core header", 14, 12, 4},
        {"info header 39", 14, 39, 4},
        {"width 321", 18, 321, 4},
        {"width -320", 18, (uint32_t)-320, 4},
        {"height 200", 22, 200, 4},
        {"height 239", 22, 239, 4},
        {"height 241", 22, 241, 4},
        {"height -239", 22, (uint32_t)-239, 4},
        {"height -241", 22, (uint32_t)-241, 4},
        {"2 planes", 26, 2, 2},
        {"8-bit", 28, 8, 2},
        {"32-bit", 28, 32, 2},
        {"RLE8", 30, 1, 4},
        {"RLE4", 30, 2, 4},
        {"bit fields", 30, 3, 4},
        {"rows inside the header", 10, 53, 4},
        {"rows past the end", 10, 55, 4},
        {"rows at a huge offset", 10, 0xFFFFFFF0u, 4},
        {"info header wrapping the offset", 14, 0xFFFFFFF8u, 4},
    };
    for (const Case& c : cases) {
        INFO(c.what);
        Bytes h = bitmap_headers(Shape());
        if (c.width == 2)
            put16(h, c.at, c.value);
        else
            put32(h, c.at, c.value);
        CHECK(check(h, full) == 0);
    }
    Bytes h = bitmap_headers(Shape());
    CHECK(check(h, full - 1) == 0); // one pixel byte missing
    h.pop_back();
    CHECK(check(h, full) == 0); // fewer than 54 bytes to look at
    CHECK(bitmap_header_check(nullptr, 54, full, nullptr) == 0);
}

TEST_CASE("bitmap header: randomized broken and short inputs, never read outside them") {
    Guarded guard;
    // The guard pages really refuse reads, so a stray read cannot go unnoticed.
    REQUIRE(IsBadReadPtr(guard.base + 2 * guard.page, 1));
    REQUIRE(IsBadReadPtr(guard.base + guard.page - 1, 1));
    PVOID handler = AddVectoredExceptionHandler(1, report_fault);

    Random random = {0x5EED1234u};
    const uint32_t interesting[] = {0,
                                    1,
                                    12,
                                    24,
                                    40,
                                    54,
                                    108,
                                    124,
                                    138,
                                    239,
                                    240,
                                    241,
                                    320,
                                    0xFFFF,
                                    0x7FFFFFFF,
                                    0x80000000,
                                    (uint32_t)-239,
                                    (uint32_t)-240,
                                    (uint32_t)-241,
                                    0xFFFFFFFF,
                                    230454,
                                    230400};
    const uint32_t interesting_count = sizeof interesting / sizeof interesting[0];
    const uint32_t info_sizes[] = {40, 108, 124};
    int accepted = 0, refused = 0, mismatches = 0;
    long first_mismatch = -1;
    auto run = [&](const Bytes& input, uint32_t file_size) {
        bool want = acceptable(input, file_size);
        BitmapLayout a = {}, b = {};
        int end = bitmap_header_check(guard.at_end(input), (uint32_t)input.size(), file_size, &a);
        int start =
            bitmap_header_check(guard.at_start(input), (uint32_t)input.size(), file_size, &b);
        if (end != (want ? 1 : 0) || start != end || (end && a.pixel_offset != u32(input, 10))) {
            if (first_mismatch < 0)
                first_mismatch = fuzz_case;
            ++mismatches;
        }
        (end ? accepted : refused) += 1;
        ++fuzz_case;
    };
    fuzz_case = 0;

    // Every length from 0 to 200: a real header's start followed by noise, both as a whole small
    // file and as the first bytes of a file large enough to hold the rows.
    for (uint32_t n = 0; n <= 200; ++n) {
        Shape s;
        s.info_size = 124;
        Bytes b = bitmap_headers(s);
        b.resize(n);
        for (uint32_t i = 54; i < n; ++i)
            b[i] = (unsigned char)random.next();
        run(b, n);
        run(b, 138 + 230400);
    }

    // Mutated headers of every kind, cut short at random.
    for (int i = 0; i < 20000; ++i) {
        Shape s;
        s.info_size = info_sizes[random.below(3)];
        s.top_down = random.below(2);
        if (random.below(4) == 0)
            s.pixel_offset = 14 + s.info_size + random.below(64);
        Bytes b = bitmap_headers(s);
        uint32_t file_size = (uint32_t)b.size() + 230400;
        for (uint32_t m = random.below(4); m > 0; --m) {
            switch (random.below(4)) {
            case 0: // a random byte anywhere in the first 64
                b[random.below(64 < b.size() ? 64 : (uint32_t)b.size())] =
                    (unsigned char)random.next();
                break;
            case 1: // a field given a value near a boundary
                put32(b, 2 + 4 * random.below(13), interesting[random.below(interesting_count)]);
                break;
            case 2: // a 16-bit field
                put16(b, 26 + 2 * random.below(3), interesting[random.below(interesting_count)]);
                break;
            default: // the real size off by a little, or anything
                file_size = random.below(2) ? file_size + random.below(9) - 4 : random.next();
                break;
            }
        }
        if (random.below(3) == 0)
            b.resize(random.below((uint32_t)b.size() + 1));
        run(b, file_size);
    }
    fuzz_case = -1;
    RemoveVectoredExceptionHandler(handler);
    INFO("first mismatch in case " << first_mismatch);
    CHECK(mismatches == 0);
    // Both verdicts were exercised in quantity.
    CHECK(accepted > 2000);
    CHECK(refused > 2000);
}

TEST_CASE("bitmap header: files of every length from 0 to 200 bytes and mutated whole files") {
    std::string dir = test_scratch_dir("bitmap_fuzz");
    std::string image = dir + "keep.img", bitmap = dir + "in.bmp";
    const Bytes earlier(1000, 0x5A);
    test_write_file(image, earlier);

    Random random = {0xC0FFEEu};
    Shape s;
    s.info_size = 124;
    Bytes whole = bitmap_file(varied_picture(), s);
    int short_wrong = 0;
    for (uint32_t n = 0; n <= 200; ++n) {
        Bytes b(whole.begin(), whole.begin() + n);
        for (uint32_t i = 54; i < n; ++i)
            b[i] = (unsigned char)random.next();
        test_write_file(bitmap, b);
        if (screen_image_convert(bitmap.c_str(), image.c_str()) != BITMAP_NOT_SUPPORTED)
            ++short_wrong;
    }
    CHECK(short_wrong == 0);
    CHECK(test_read_file(image) == earlier);

    // The converter takes exactly the files the check takes, and a refused one changes nothing.
    int converted = 0, disagreements = 0, touched = 0;
    for (int i = 0; i < 60; ++i) {
        Bytes b = whole;
        for (uint32_t m = 1 + random.below(2); m > 0; --m)
            b[random.below(54)] = (unsigned char)random.next();
        if (random.below(4) == 0)
            b.resize(b.size() - 1 - random.below(300));
        test_write_file(bitmap, b);
        test_write_file(image, earlier);
        int outcome = screen_image_convert(bitmap.c_str(), image.c_str());
        bool want = acceptable(Bytes(b.begin(), b.begin() + 54), (uint32_t)b.size());
        if ((outcome == IMAGE_WRITTEN) != want ||
            (outcome != IMAGE_WRITTEN && outcome != BITMAP_NOT_SUPPORTED))
            ++disagreements;
        if (outcome == IMAGE_WRITTEN)
            ++converted;
        else if (test_read_file(image) != earlier)
            ++touched;
    }
    CHECK(disagreements == 0);
    CHECK(touched == 0);
    CHECK(converted > 0);
    CHECK(converted < 60);
}
