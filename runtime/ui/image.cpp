// Numbered images and the image gadget kind. Owns the image table, the image kind's GadgetOps and
// the scaled copies that image gadgets show at a DPI other than 96.
#include "image.h"
#include "dpi.h"
#include "gadget.h"
#include "heap.h"
#include "image_decoder.h"
#include "numbered.h"
#include "program.h"
#include <commctrl.h>

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

// What an image gadget shows is kept on its control: the picture the program gave it, and the
// copy made of it for the window's DPI, which the gadget owns.
const char* const SOURCE_PROPERTY = "Wumpo.ImageSource";
const char* const COPY_PROPERTY = "Wumpo.ImageCopy";

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

// A bitmap of rows of width x height. A section keeps the pixels as given, whatever the display's
// depth: the picture shown is exactly the rows. 0 when the system refused.
HBITMAP section_of(const unsigned char* rows, int32_t width, int32_t height) {
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
    return bitmap;
}

// The pixels of a bitmap of width x height (its own size) into rows. 1 when read.
int bitmap_rows(HBITMAP bitmap, unsigned char* rows, int32_t width, int32_t height) {
    HDC memory = CreateCompatibleDC(0);
    if (!memory)
        return 0;
    BITMAPINFO info;
    rows_info(&info, width, height);
    int lines = GetDIBits(memory, bitmap, 0, (UINT)height, rows, &info, DIB_RGB_COLORS);
    DeleteDC(memory);
    return lines == height;
}

// Nearest-neighbour scaling of rows of width x height into scaled, rows of scaled_width x
// scaled_height: the pixel at (x, y) from the top-left takes the one at (x * width /
// scaled_width, y * height / scaled_height), rounded down. Never smoothed: at twice the size
// every pixel becomes exactly 2 x 2.
void scale_rows(const unsigned char* rows, int32_t width, int32_t height, unsigned char* scaled,
                int32_t scaled_width, int32_t scaled_height) {
    uint32_t stride = image_rows_size(width, 1), scaled_stride = image_rows_size(scaled_width, 1);
    for (int32_t y = 0; y < scaled_height; ++y) {
        // Counted from the top, as on the screen; the rows are stored bottom-up.
        int32_t from_top = (int32_t)((int64_t)y * height / scaled_height);
        const unsigned char* from = rows + (uint32_t)(height - 1 - from_top) * stride;
        unsigned char* to = scaled + (uint32_t)(scaled_height - 1 - y) * scaled_stride;
        for (int32_t x = 0; x < scaled_width; ++x, to += 3) {
            const unsigned char* pixel = from + (uint32_t)((int64_t)x * width / scaled_width) * 3;
            to[0] = pixel[0];
            to[1] = pixel[1];
            to[2] = pixel[2];
        }
    }
}

// The bitmap scaled by dpi / 96 with nearest-neighbour scaling, which keeps every pixel of a
// pixel-art picture sharp; 0 when it could not be made.
HBITMAP scaled_copy(HBITMAP picture, uint32_t dpi) {
    BITMAP description;
    if (!GetObjectA(picture, sizeof description, &description))
        return 0;
    int32_t width = description.bmWidth, height = description.bmHeight;
    int32_t scaled_width = dpi_scale(width, dpi), scaled_height = dpi_scale(height, dpi);
    if (!rows_size_ok(width, height) || !rows_size_ok(scaled_width, scaled_height))
        return 0;
    unsigned char* rows = (unsigned char*)heap_allocate(image_rows_size(width, height));
    unsigned char* scaled =
        (unsigned char*)heap_allocate(image_rows_size(scaled_width, scaled_height));
    HBITMAP copy = 0;
    if (rows && scaled && bitmap_rows(picture, rows, width, height)) {
        scale_rows(rows, width, height, scaled, scaled_width, scaled_height);
        copy = section_of(scaled, scaled_width, scaled_height);
    }
    heap_free(scaled);
    heap_free(rows);
    return copy;
}

// Shows picture (0: none) in the control: itself at 96 DPI, a copy scaled to dpi at another (an
// icon as it is). The copy shown before is released once the control shows another.
void show_picture(HWND control, HANDLE picture, uint32_t dpi) {
    HANDLE copy = 0;
    if (picture && dpi != DPI_DESIGN && is_bitmap(picture))
        copy = scaled_copy((HBITMAP)picture, dpi);
    HANDLE shown = copy ? copy : picture;
    WPARAM kind =
        (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON ? IMAGE_ICON : IMAGE_BITMAP;
    SendMessageA(control, STM_SETIMAGE, shown ? picture_kind(shown) : kind, (LPARAM)shown);
    HANDLE old_copy = RemovePropA(control, COPY_PROPERTY);
    if (old_copy)
        DeleteObject(old_copy);
    if (copy)
        SetPropA(control, COPY_PROPERTY, copy);
    if (picture)
        SetPropA(control, SOURCE_PROPERTY, picture);
    else
        RemovePropA(control, SOURCE_PROPERTY);
}

void show_image(HWND control, LONG_PTR value) {
    HANDLE picture = (HANDLE)value;
    if (!picture)
        return;
    // The static takes its picture's size, which gadget_resize then keeps as the gadget's own.
    BITMAP description;
    if (is_bitmap(picture) && GetObjectA(picture, sizeof description, &description))
        gadget_layout_size(control, description.bmWidth, description.bmHeight);
    show_picture(control, picture, dpi_of_control(control));
}

// At a new DPI the picture is scaled again from the one the program gave.
void image_rescaled(HWND control, uint32_t dpi) {
    HANDLE picture = GetPropA(control, SOURCE_PROPERTY);
    if (picture)
        show_picture(control, picture, dpi);
}

const GadgetOps IMAGE_OPS = {0, &show_image, 0, 0, 0, 0, 0, &image_rescaled};

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
    if (GetPropA(control, SOURCE_PROPERTY) == (HANDLE)data)
        show_picture(control, 0, DPI_DESIGN); // an image gadget, which may show a scaled copy of it
    else if (SendMessageA(control, STM_GETIMAGE, kind, 0) == data)
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

namespace {
// Image gadgets may overlap (the preview's sprites and status bar stand on its level picture), and
// no image gadget clips its siblings, so whichever paints last shows. Paint order is the system's
// to choose, and a picture repainted alone (a late or a repeated WM_PAINT, or the immediate redraw
// of a new picture) would hide the sprites on it: after every paint of an image gadget, the image
// gadgets made after it that overlap it and show a picture are drawn again at once, so the later
// one always shows.
enum { IMAGE_SUBCLASS_ID = 1 };

// Siblings further down the z-order were made later (a new control goes below the ones before it).
void redraw_later_overlapping(HWND control) {
    RECT mine;
    if (!IsWindowVisible(control) || !GetWindowRect(control, &mine))
        return;
    for (HWND later = GetWindow(control, GW_HWNDNEXT); later;
         later = GetWindow(later, GW_HWNDNEXT)) {
        RECT theirs, both;
        if (!GetPropA(later, SOURCE_PROPERTY) || !IsWindowVisible(later) ||
            !GetWindowRect(later, &theirs) || !IntersectRect(&both, &mine, &theirs))
            continue;
        MapWindowPoints(HWND_DESKTOP, later, (POINT*)&both, 2);
        RedrawWindow(later, &both, 0, RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

LRESULT CALLBACK image_subclass(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                UINT_PTR id, DWORD_PTR data) {
    (void)id;
    (void)data;
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(control, &image_subclass, IMAGE_SUBCLASS_ID);
    LRESULT result = DefSubclassProc(control, message, wparam, lparam);
    if (message == WM_PAINT || message == STM_SETIMAGE)
        redraw_later_overlapping(control);
    return result;
}
} // namespace

HWND image_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, HANDLE image,
                  int32_t extended_style) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    style |= (!image || is_bitmap(image)) ? SS_BITMAP : SS_ICON;
    // Reserved first: a control the table cannot hold would be unreachable.
    if (!gadget_reserve(number))
        return 0;
    HWND control = gadget_make_control(number, "STATIC", 0, style, (DWORD)extended_style, x, y,
                                       width, height, &IMAGE_OPS, 0);
    if (!control)
        return 0;
    SetWindowSubclass(control, &image_subclass, IMAGE_SUBCLASS_ID, 0);
    show_image(control, (LONG_PTR)image);
    gadget_record_set(number, control, &IMAGE_OPS);
    return control;
}

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
    return bitmap_rows((HBITMAP)slot->handle, rows, width, height);
}

HANDLE image_from_rows(int32_t number, const unsigned char* rows, int32_t width, int32_t height) {
    if (!grow_for(number))
        return 0;
    image_free(number);
    if (!rows || !rows_size_ok(width, height))
        return 0;
    HBITMAP bitmap = section_of(rows, width, height);
    if (!bitmap)
        return 0;
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
