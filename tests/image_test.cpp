// Images: loading bitmaps and icons against the program directory, the files that are refused,
// the number emptied by a failed load, the decoder registry, image gadgets and the rule that a
// released picture leaves no gadget; message boxes.
#include <doctest.h>
#include "event.h"
#include "gadget.h"
#include "heap.h"
#include "os.h"
#include "image.h"
#include "image_decoder.h"
#include "message.h"
#include "program.h"
#include "test_os_calls.h"
#include "test_support.h"
#include "ui_support.h"
#include "window.h"
#include <string>

namespace {
uint32_t pattern(int x, int y) {
    return (uint32_t)((x * 40) << 16 | (y * 50) << 8 | 0x33);
}

// The colour of a bitmap's pixel as 0x00RRGGBB.
uint32_t pixel_of(HANDLE bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return (uint32_t)(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
}

bool released(HANDLE picture) {
    return GetObjectType(picture) == 0;
}

// A tiny test format: "WUMP", width and height bytes, then blue-green-red triplets, top row first.
struct TestDecoder {
    int probes = 0;
    bool stream_given = false;
    bool memory_given = false;
    std::string name;
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
    int32_t stride = 0, mode = -1;
};
TestDecoder DECODED;
FILE* decoder_stream = nullptr;

int32_t WINAPI test_probe(FILE* stream, const void* memory, const char* name) {
    ++DECODED.probes;
    DECODED.stream_given = stream != nullptr;
    DECODED.memory_given = memory != nullptr;
    DECODED.name = name ? name : "";
    unsigned char head[6] = {};
    if (memory) {
        memcpy(head, memory, 6);
    } else if (!stream || fread(head, 1, 6, stream) != 6) {
        return 0;
    }
    if (memcmp(head, "WUMP", 4) != 0)
        return 0;
    DECODED.width = head[4];
    DECODED.height = head[5];
    DECODED.pixels.assign((size_t)DECODED.width * DECODED.height * 3, 0);
    if (stream)
        fread(DECODED.pixels.data(), 1, DECODED.pixels.size(), stream);
    decoder_stream = stream;
    return 1;
}
int32_t WINAPI test_decode(void* buffer, int32_t stride, int32_t mode) {
    DECODED.stride = stride;
    DECODED.mode = mode;
    unsigned char* out = (unsigned char*)buffer;
    for (int y = 0; y < DECODED.height; ++y)
        memcpy(out + (size_t)y * stride, &DECODED.pixels[(size_t)y * DECODED.width * 3],
               (size_t)DECODED.width * 3);
    return 7;
}
int32_t WINAPI test_width(void) {
    return DECODED.width;
}
int32_t WINAPI test_height(void) {
    return DECODED.height;
}
const ImageDecoder TEST_DECODER = {&test_probe, &test_decode, &test_width, &test_height};

// No other handle is open on the file (the loader and the decoders closed theirs).
bool closed_everywhere(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

struct Pictures {
    std::string dir = test_scratch_dir("images");
    std::string rel = "scratch\\images\\"; // the same folder, relative to the program directory
    Pictures() {
        test_write_file(dir + "pattern.bmp", ui_bitmap_file(7, 5, pattern));
        test_write_file(dir + "other.bmp",
                        ui_bitmap_file(3, 2, [](int, int) { return 0xFF0000u; }));
        test_write_file(dir + "colour.ico", ui_icon_file(false));
        test_write_file(dir + "mono.ico", ui_icon_file(true));
        test_write_file(dir + "one.bin", {'B'});
        test_write_text(dir + "fake.bmp", "BM but nothing like a bitmap follows here");
        test_write_text(dir + "plain.txt", "neither a bitmap nor an icon");
        std::vector<unsigned char> wump = {'W', 'U', 'M', 'P', 5, 2};
        for (int i = 0; i < 5 * 2; ++i) {
            wump.push_back((unsigned char)(10 * i));  // blue
            wump.push_back(0x80);                     // green
            wump.push_back((unsigned char)(255 - i)); // red
        }
        test_write_file(dir + "picture.wump", wump);
    }
};
} // namespace

TEST_CASE("image_load: a 24-bit bitmap, relative to the program directory") {
    Pictures p;
    SetCurrentDirectoryA("C:\\");
    HANDLE bitmap = image_load(3, (p.rel + "pattern.bmp").c_str());
    REQUIRE(bitmap);
    CHECK(image_handle(3) == bitmap);
    CHECK(GetObjectType(bitmap) == OBJ_BITMAP);
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    CHECK(std::string(cwd) + "\\" == std::string(program_directory()));
    CHECK(image_width(3) == 7);
    CHECK(image_height(3) == 5);
    HDC screen = GetDC(nullptr);
    CHECK(image_depth(3) == GetDeviceCaps(screen, BITSPIXEL)); // follows the display
    ReleaseDC(nullptr, screen);
    CHECK(pixel_of(bitmap, 0, 0) == pattern(0, 0));
    CHECK(pixel_of(bitmap, 6, 4) == pattern(6, 4));
    CHECK(pixel_of(bitmap, 3, 1) == pattern(3, 1));
    CHECK(closed_everywhere(p.dir + "pattern.bmp"));

    // Loading the number again releases the first picture before the second is read.
    HANDLE again = image_load(3, (p.dir + "other.bmp").c_str());
    REQUIRE(again);
    CHECK(released(bitmap));
    CHECK(image_width(3) == 3);
    image_free(3);
    CHECK(image_handle(3) == nullptr);
    CHECK(released(again));
    image_free(3); // an empty number: nothing
}

TEST_CASE("image_load: icons, colour and monochrome") {
    Pictures p;
    HANDLE icon = image_load(4, (p.rel + "colour.ico").c_str());
    REQUIRE(icon);
    CHECK(GetObjectType(icon) != OBJ_BITMAP);
    ICONINFO info;
    REQUIRE(GetIconInfo((HICON)icon, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    CHECK(image_width(4) == 32);
    CHECK(image_height(4) == 32);
    CHECK(image_depth(4) > 1);

    HANDLE mono = image_load(5, (p.rel + "mono.ico").c_str());
    REQUIRE(mono);
    CHECK(image_width(5) == 32);
    CHECK(image_height(5) == 32);
    image_free(4);
    image_free(5);
}

TEST_CASE("image_load: refused files leave the number empty") {
    Pictures p;
    struct Case {
        const char* name;
        bool decoder_asked;
    };
    const Case cases[] = {
        {"missing.bmp", false}, // cannot be opened
        {"one.bin", true},      // too short for anything
        {"fake.bmp", false},    // "BM" but not a bitmap: no other way is tried
        {"plain.txt", true},    // neither: the decoders are asked, none accepts
    };
    image_decoders_reset();
    REQUIRE(image_decoder_register(&TEST_DECODER));
    for (const Case& c : cases) {
        CAPTURE(c.name);
        HANDLE previous = image_load(6, (p.rel + "pattern.bmp").c_str());
        REQUIRE(previous);
        DECODED = TestDecoder{};
        CHECK(image_load(6, (p.rel + c.name).c_str()) == nullptr);
        CHECK(image_handle(6) == nullptr);
        CHECK(released(previous));
        CHECK(DECODED.probes == (c.decoder_asked ? 1 : 0));
        if (c.decoder_asked) {
            CHECK(DECODED.stream_given);
            CHECK_FALSE(DECODED.memory_given);
            CHECK(DECODED.name == p.rel + c.name);
            CHECK(closed_everywhere(p.dir + c.name));
        }
    }
    CHECK(image_load(6, nullptr) == nullptr);
    image_decoders_reset();
}

TEST_CASE("image_load: a registered decoder's picture becomes a display bitmap") {
    Pictures p;
    image_decoders_reset();
    DECODED = TestDecoder{};
    // With the registry empty the file is refused.
    CHECK(image_load(7, (p.rel + "picture.wump").c_str()) == nullptr);
    REQUIRE(image_decoder_register(&TEST_DECODER));
    HANDLE picture = image_load(7, (p.rel + "picture.wump").c_str());
    REQUIRE(picture);
    CHECK(GetObjectType(picture) == OBJ_BITMAP);
    CHECK(DECODED.stride == 16); // 3 x 5 rounded up to a multiple of 4
    CHECK(DECODED.mode == 0);
    CHECK(image_width(7) == 5);
    CHECK(image_height(7) == 2);
    for (int i = 0; i < 10; ++i) {
        CAPTURE(i);
        uint32_t expected = (uint32_t)((255 - i) << 16 | 0x80 << 8 | (10 * i));
        CHECK(pixel_of(picture, i % 5, i / 5) == expected);
    }
    CHECK(closed_everywhere(p.dir + "picture.wump"));

    // The registry itself: memory blocks, the current decoder's answers, its limit.
    const unsigned char block[6] = {'W', 'U', 'M', 'P', 9, 4};
    CHECK(image_decoder_open(nullptr, block) == 1);
    CHECK(DECODED.memory_given);
    CHECK(image_decoder_width() == 9);
    CHECK(image_decoder_height() == 4);
    const unsigned char other[6] = {'G', 'I', 'F', '8', '9', 'a'};
    CHECK(image_decoder_open(nullptr, other) == 0);
    CHECK(image_decoder_width() == 0);
    image_decoders_reset();
    CHECK(image_decoder_open(nullptr, block) == 0);
    for (int i = 0; i < IMAGE_DECODER_MAX; ++i)
        REQUIRE(image_decoder_register(&TEST_DECODER));
    CHECK(image_decoder_register(&TEST_DECODER) == 0);
    CHECK(image_decoder_register(nullptr) == 0);
    image_decoders_reset();
    image_free(7);
}

TEST_CASE("image table: growth, numbers without a slot, a refused growth") {
    Pictures p;
    int32_t capacity = image_capacity();
    REQUIRE(capacity >= 10);
    int32_t number = capacity + 989;
    HANDLE distant = image_load(number, (p.rel + "other.bmp").c_str());
    REQUIRE(distant);
    CHECK(image_capacity() == number + 10);
    CHECK(image_handle(number) == distant);
    CHECK(image_handle(-1) == nullptr);
    CHECK(image_handle(image_capacity()) == nullptr);
    image_free(-1);
    image_free(image_capacity() + 5);
    CHECK(image_load(-2, (p.rel + "other.bmp").c_str()) == nullptr);

    capacity = image_capacity();
    TestOsCalls calls;
    calls->heap_realloc = &test_refusing_realloc;
    CHECK(image_load(capacity + 1, (p.rel + "other.bmp").c_str()) == nullptr);
    // Near the number whose table's byte count wraps to 8 in 32 bits (12-byte slots).
    test_refused_least = TEST_NONE_ASKED;
    CHECK(image_load(357913931, (p.rel + "other.bmp").c_str()) == nullptr);
    CHECK(test_refused_least > 357913931ull);
    calls.restore();
    CHECK(image_capacity() == capacity);
    image_free(number);
}

TEST_CASE("image gadgets: style by picture kind, set state, and released pictures") {
    Pictures p;
    HWND window = window_open(0, 30, 30, 300, 200, 0, "images");
    REQUIRE(window);
    gadget_list_create(window);
    HANDLE bitmap = image_load(1, (p.rel + "pattern.bmp").c_str());
    HANDLE icon = image_load(2, (p.rel + "colour.ico").c_str());
    REQUIRE(bitmap);
    REQUIRE(icon);

    HWND empty = image_gadget(20, 5, 5, 50, 40, nullptr, WS_EX_CLIENTEDGE);
    REQUIRE(empty);
    CHECK((DWORD)GetWindowLongA(empty, GWL_STYLE) == (DWORD)(WS_CHILD | WS_VISIBLE | SS_BITMAP));
    CHECK(((DWORD)GetWindowLongA(empty, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
    CHECK(ui_class(empty) == "Static");
    CHECK(GetDlgCtrlID(empty) == 20);
    CHECK(gadget_handle(20) == empty);
    CHECK(SendMessageA(empty, STM_GETIMAGE, IMAGE_BITMAP, 0) == 0);
    CHECK(SendMessageA(empty, WM_GETFONT, 0, 0) == 0); // image gadgets get no font
    gadget_set_state(20, 0);
    CHECK(SendMessageA(empty, STM_GETIMAGE, IMAGE_BITMAP, 0) == 0);
    gadget_set_state(20, (LONG_PTR)bitmap);
    CHECK((HANDLE)SendMessageA(empty, STM_GETIMAGE, IMAGE_BITMAP, 0) == bitmap);
    gadget_set_state(20, 0); // 0 keeps the picture
    CHECK((HANDLE)SendMessageA(empty, STM_GETIMAGE, IMAGE_BITMAP, 0) == bitmap);
    CHECK(gadget_get_state(20) == 0);

    HWND shows_bitmap = image_gadget(21, 60, 5, 50, 40, bitmap);
    HWND shows_icon = image_gadget(22, 120, 5, 32, 32, icon);
    REQUIRE(shows_bitmap);
    REQUIRE(shows_icon);
    CHECK(((DWORD)GetWindowLongA(shows_bitmap, GWL_STYLE) & SS_TYPEMASK) == (DWORD)SS_BITMAP);
    CHECK(((DWORD)GetWindowLongA(shows_icon, GWL_STYLE) & SS_TYPEMASK) == (DWORD)SS_ICON);
    CHECK((HANDLE)SendMessageA(shows_bitmap, STM_GETIMAGE, IMAGE_BITMAP, 0) == bitmap);
    CHECK((HANDLE)SendMessageA(shows_icon, STM_GETIMAGE, IMAGE_ICON, 0) == icon);
    // The picture static takes the bitmap's own size.
    RECT r = ui_rect_in_parent(shows_bitmap);
    CHECK(r.right - r.left == 7);
    CHECK(r.bottom - r.top == 5);

    // A gadget whose number was taken by a later one still shows the picture too.
    HWND orphan = image_gadget(23, 200, 5, 10, 10, bitmap);
    image_gadget(23, 200, 50, 10, 10, nullptr);
    REQUIRE(orphan);

    // A failed reload of image 1 releases its bitmap: no gadget may go on showing it.
    CHECK(image_load(1, (p.rel + "missing.bmp").c_str()) == nullptr);
    CHECK(released(bitmap));
    CHECK(SendMessageA(empty, STM_GETIMAGE, IMAGE_BITMAP, 0) == 0);
    CHECK(SendMessageA(shows_bitmap, STM_GETIMAGE, IMAGE_BITMAP, 0) == 0);
    CHECK(SendMessageA(orphan, STM_GETIMAGE, IMAGE_BITMAP, 0) == 0);
    CHECK((HANDLE)SendMessageA(shows_icon, STM_GETIMAGE, IMAGE_ICON, 0) == icon);
    UpdateWindow(window); // painting the cleared gadgets draws no released bitmap
    ui_settle();

    // An empty picture is shown until the gadget gets a new one.
    HANDLE fresh = image_load(1, (p.rel + "other.bmp").c_str());
    REQUIRE(fresh);
    gadget_set_state(21, (LONG_PTR)image_handle(1));
    CHECK((HANDLE)SendMessageA(shows_bitmap, STM_GETIMAGE, IMAGE_BITMAP, 0) == fresh);

    image_load(2, (p.rel + "missing.ico").c_str());
    CHECK(SendMessageA(shows_icon, STM_GETIMAGE, IMAGE_ICON, 0) == 0);
    window_close(0);
    image_free(1);
    ui_settle();
}

namespace {
struct BoxSeen {
    DWORD main_thread = 0;
    std::string title, text;
    HWND owner = nullptr;
    int buttons = 0;
    bool found = false;
};

BOOL CALLBACK count_buttons(HWND child, LPARAM data) {
    char name[32] = "";
    GetClassNameA(child, name, sizeof name);
    if (_stricmp(name, "Button") == 0 && IsWindowVisible(child))
        ++*(int*)data;
    return TRUE;
}

BOOL CALLBACK find_box(HWND window, LPARAM data) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770")
        return TRUE;
    *(HWND*)data = window;
    return FALSE;
}

// Waits for the box on the program's thread, reads it, and presses OK.
DWORD WINAPI close_box(LPVOID data) {
    BoxSeen* seen = (BoxSeen*)data;
    HWND box = nullptr;
    for (int i = 0; i < 500 && !box; ++i) {
        EnumThreadWindows(seen->main_thread, &find_box, (LPARAM)&box);
        if (!box || !IsWindowVisible(box)) {
            box = nullptr;
            Sleep(20);
        }
    }
    if (!box)
        return 1;
    seen->found = true;
    seen->title = ui_text(box);
    seen->text = ui_text(GetDlgItem(box, 0xFFFF));
    seen->owner = GetWindow(box, GW_OWNER);
    EnumChildWindows(box, &count_buttons, (LPARAM)&seen->buttons);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}
} // namespace

TEST_CASE("message_box: title, text, one OK button, owned by the foreground window") {
    HWND window = window_open(0, 30, 30, 300, 200, 0, "owner");
    REQUIRE(window);
    REQUIRE(ui_activate(window, nullptr));
    BoxSeen seen;
    seen.main_thread = GetCurrentThreadId();
    HANDLE helper = CreateThread(nullptr, 0, &close_box, &seen, 0, nullptr);
    REQUIRE(helper);
    int result = message_box("File Access", "Error: Can't create file", 0);
    CHECK(WaitForSingleObject(helper, 10000) == WAIT_OBJECT_0);
    CloseHandle(helper);
    CHECK(seen.found);
    CHECK(result == IDOK);
    CHECK(seen.title == "File Access");
    CHECK(seen.text == "Error: Can't create file");
    CHECK(seen.buttons == 1);
    CHECK(seen.owner == window);
    window_close(0);
    ui_settle();
}
