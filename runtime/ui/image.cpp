// Numbered images and the image gadget kind. Owns the image table and the image kind's GadgetOps.
#include "image.h"
#include "gadget.h"
#include "image_decoder.h"
#include "numbered.h"
#include "program.h"

namespace {
enum { IMAGE_FIRST_CAPACITY = 10, IMAGE_GROWTH = 10, CLASS_NAME_SIZE = 16 };

struct ImageSlot {
    HANDLE handle; // bitmap or icon; 0 = no picture
    uint16_t width;
    uint16_t height;
    uint16_t depth; // bits per pixel as the platform holds the picture
};
static_assert(sizeof(ImageSlot) <= NUMBERED_SPARE_SIZE, "an image slot must fit the table");

struct ImageState {
    NumberedTable slots; // numbers that do not fit grow it to number + 10
};
ImageState IMAGES = {};

// The number's slot; an empty one (no picture, no size) for a number without a slot.
ImageSlot* slot_of(int32_t number) {
    return (ImageSlot*)numbered_record(&IMAGES.slots, number);
}

// A refused growth leaves the table as it was.
int grow_for(int32_t number) {
    return numbered_reserve(&IMAGES.slots, number);
}

int is_bitmap(HANDLE picture) {
    return GetObjectType(picture) == OBJ_BITMAP;
}

UINT picture_kind(HANDLE picture) {
    return is_bitmap(picture) ? IMAGE_BITMAP : IMAGE_ICON;
}

void show_image(HWND control, LONG_PTR value) {
    HANDLE picture = (HANDLE)value;
    if (picture)
        SendMessageA(control, STM_SETIMAGE, picture_kind(picture), (LPARAM)picture);
}

const GadgetOps IMAGE_OPS = {0, &show_image, 0, 0, 0, 0, 0};

// Gives the empty picture to a picture static that shows the handle passed in data.
BOOL CALLBACK clear_if_showing(HWND control, LPARAM data) {
    char name[CLASS_NAME_SIZE];
    if (!GetClassNameA(control, name, CLASS_NAME_SIZE) || lstrcmpiA(name, "Static") != 0)
        return TRUE;
    LONG type = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    WPARAM kind;
    if (type == SS_BITMAP)
        kind = IMAGE_BITMAP;
    else if (type == SS_ICON)
        kind = IMAGE_ICON;
    else
        return TRUE;
    if (SendMessageA(control, STM_GETIMAGE, kind, 0) == data)
        SendMessageA(control, STM_SETIMAGE, kind, 0);
    return TRUE;
}

BOOL CALLBACK clear_in_window(HWND window, LPARAM data) {
    EnumChildWindows(window, &clear_if_showing, data);
    return TRUE;
}

// Every picture static of the program's windows, whether its number still names it or not.
void clear_gadgets_showing(HANDLE picture) {
    EnumThreadWindows(GetCurrentThreadId(), &clear_in_window, (LPARAM)picture);
}

// The icon and the size of its colour bitmap (a monochrome icon has only the mask, which holds
// the picture above its mask: half its height).
HANDLE load_icon(const char* name, BITMAP* description) {
    HANDLE icon = LoadImageA(0, name, IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
    if (!icon)
        return 0;
    ICONINFO info;
    if (GetIconInfo((HICON)icon, &info)) {
        if (info.hbmColor) {
            GetObjectA(info.hbmColor, sizeof *description, description);
        } else if (info.hbmMask && GetObjectA(info.hbmMask, sizeof *description, description)) {
            description->bmHeight /= 2;
        }
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        if (info.hbmMask)
            DeleteObject(info.hbmMask);
    }
    return icon;
}

// A picture of a registered decoder, as a display-compatible bitmap.
HANDLE load_decoded(const char* name, BITMAP* description) {
    if (!image_decoder_open(name, 0))
        return 0;
    int32_t width = image_decoder_width();
    int32_t height = image_decoder_height();
    // Rows of 3-byte pixels, each starting on a 4-byte boundary as DIB rows do.
    uint64_t stride = 3 * (uint64_t)(uint32_t)width + (uint32_t)width % 4;
    uint64_t bytes = stride * ((uint64_t)(uint32_t)height + 1);
    void* buffer = 0;
    if (width > 0 && height > 0 && bytes <= 0x7FFFFFFF)
        buffer = GlobalAlloc(GMEM_FIXED, (SIZE_T)bytes);
    if (!buffer) {
        image_decoder_close();
        return 0;
    }
    image_decoder_read(buffer, (int32_t)stride, 0);
    HDC display = CreateDCA("DISPLAY", 0, 0, 0);
    HBITMAP bitmap = display ? CreateCompatibleBitmap(display, width, height) : 0;
    if (!bitmap) {
        if (display)
            DeleteDC(display);
        GlobalFree(buffer);
        return 0;
    }
    HDC memory = CreateCompatibleDC(0);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows top-down, as the decoder writes them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    if (memory) {
        SetDIBits(memory, bitmap, 0, (UINT)height, buffer, &info, DIB_RGB_COLORS);
        DeleteDC(memory);
    }
    GetObjectA(bitmap, sizeof *description, description);
    DeleteDC(display);
    GlobalFree(buffer);
    return bitmap;
}
} // namespace

int image_system_init(void) {
    return numbered_init(&IMAGES.slots, sizeof(ImageSlot), IMAGE_FIRST_CAPACITY, IMAGE_GROWTH);
}

HANDLE image_load(int32_t number, const char* name) {
    if (!grow_for(number))
        return 0;
    image_free(number);
    if (!name)
        name = "";
    SetCurrentDirectoryA(program_directory());
    // Exclusive access: a file another program is still writing is not taken half done.
    HANDLE file = CreateFileA(name, GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    unsigned char head[2] = {0, 0};
    DWORD got = 0;
    ReadFile(file, head, 2, &got, 0);
    CloseHandle(file);

    HANDLE picture;
    BITMAP description;
    ZeroMemory(&description, sizeof description);
    if (got == 2 && head[0] == 'B' && head[1] == 'M') {
        // A file that claims to be a bitmap is taken as one or not at all.
        picture = LoadImageA(0, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        if (picture)
            GetObjectA(picture, sizeof description, &description);
    } else {
        picture = load_icon(name, &description);
        if (!picture)
            picture = load_decoded(name, &description);
    }
    if (!picture)
        return 0;
    ImageSlot* slot = slot_of(number);
    slot->handle = picture;
    slot->width = (uint16_t)description.bmWidth;
    slot->height = (uint16_t)description.bmHeight;
    slot->depth = (uint16_t)description.bmBitsPixel;
    return picture;
}

HANDLE image_handle(int32_t number) {
    return slot_of(number)->handle;
}

void image_free(int32_t number) {
    ImageSlot* slot = slot_of(number);
    if (!slot->handle)
        return;
    HANDLE picture = slot->handle;
    slot->handle = 0;
    clear_gadgets_showing(picture);
    if (is_bitmap(picture))
        DeleteObject(picture);
    else
        DestroyIcon((HICON)picture);
}

HWND image_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, HANDLE image,
                  int32_t extended_style) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    style |= (!image || is_bitmap(image)) ? SS_BITMAP : SS_ICON;
    // Reserved first: a control the table cannot hold would be unreachable.
    if (!gadget_reserve(number))
        return 0;
    HWND control =
        CreateWindowExA((DWORD)extended_style, "STATIC", 0, style, x, y, width, height,
                        gadget_parent(), (HMENU)(UINT_PTR)(uint32_t)number, program_instance(), 0);
    if (!control)
        return 0;
    if (image)
        SendMessageA(control, STM_SETIMAGE, picture_kind(image), (LPARAM)image);
    gadget_record_set(number, control, &IMAGE_OPS);
    return control;
}

namespace {
enum { ROWS_MAX_SIDE = 16384 }; // keeps every size product of rows inside 32 bits

int rows_size_ok(int32_t width, int32_t height) {
    return width > 0 && height > 0 && width <= ROWS_MAX_SIDE && height <= ROWS_MAX_SIDE;
}

// Describes rows as image_rows_size counts them: bottom-up, 24 bits, no compression.
void rows_info(BITMAPINFO* info, int32_t width, int32_t height) {
    ZeroMemory(info, sizeof *info);
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 24;
    info->bmiHeader.biCompression = BI_RGB;
}
} // namespace

uint32_t image_rows_size(int32_t width, int32_t height) {
    if (!rows_size_ok(width, height))
        return 0;
    return (((uint32_t)width * 3 + 3) & ~3u) * (uint32_t)height;
}

int image_read_rows(int32_t number, unsigned char* rows, int32_t width, int32_t height) {
    ImageSlot* slot = slot_of(number);
    if (!slot->handle || !is_bitmap(slot->handle) || !rows || !rows_size_ok(width, height))
        return 0;
    BITMAP description;
    if (!GetObjectA(slot->handle, sizeof description, &description) ||
        description.bmWidth != width || description.bmHeight != height)
        return 0;
    HDC memory = CreateCompatibleDC(0);
    if (!memory)
        return 0;
    BITMAPINFO info;
    rows_info(&info, width, height);
    int lines =
        GetDIBits(memory, (HBITMAP)slot->handle, 0, (UINT)height, rows, &info, DIB_RGB_COLORS);
    DeleteDC(memory);
    return lines == height;
}

HANDLE image_from_rows(int32_t number, const unsigned char* rows, int32_t width, int32_t height) {
    if (!grow_for(number))
        return 0;
    image_free(number);
    if (!rows || !rows_size_ok(width, height))
        return 0;
    // A section keeps the pixels as given, whatever the display's depth: the picture shown is
    // exactly the rows.
    BITMAPINFO info;
    rows_info(&info, width, height);
    void* bits = 0;
    HBITMAP bitmap = CreateDIBSection(0, &info, DIB_RGB_COLORS, &bits, 0, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        return 0;
    }
    CopyMemory(bits, rows, image_rows_size(width, height));
    GdiFlush();
    ImageSlot* slot = slot_of(number);
    slot->handle = bitmap;
    slot->width = (uint16_t)width;
    slot->height = (uint16_t)height;
    slot->depth = 24;
    return bitmap;
}

int32_t image_capacity(void) {
    return IMAGES.slots.capacity;
}

int32_t image_width(int32_t number) {
    return slot_of(number)->width;
}

int32_t image_height(int32_t number) {
    return slot_of(number)->height;
}

int32_t image_depth(int32_t number) {
    return slot_of(number)->depth;
}
