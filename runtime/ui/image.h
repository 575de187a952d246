// Numbered images and image gadgets. A program loads a picture file (a Windows bitmap, an icon, or
// any format a registered decoder takes) under a number of its choice and shows the handle in
// image gadgets, static controls that display one picture without owning it. Image numbers that
// name no picture give 0.
#pragma once
#include <windows.h>
#include <stdint.h>

// Allocates the image table (10 numbers). 1 on success, 0 when the heap refused it.
int image_system_init(void);
// Releases the number's picture, then loads name (resolved against the program directory, which
// becomes the current directory) as a bitmap when it starts with "BM", else as an icon, else
// through the decoders. The bitmap or icon handle, or 0 (the number is then empty).
HANDLE image_load(int32_t number, const char* name);
// The number's picture handle, 0 when it holds none.
HANDLE image_handle(int32_t number);
// Releases the number's picture, if any, and empties the number. Every image gadget still showing
// the picture is given the empty picture first, so none goes on drawing a released handle.
void image_free(int32_t number);
// Creates an image gadget in the current parent showing image (0: none yet): a "STATIC" with
// SS_BITMAP for a bitmap or no picture, SS_ICON for an icon. At a DPI other than 96 it shows a copy
// of a bitmap scaled by nearest-neighbour scaling to the window's DPI, made again when that
// changes. The control handle, or 0 (the gadget table is then untouched). Its state
// (gadget_set_state) is the picture handle it shows; 0 keeps the picture.
HWND image_gadget(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, HANDLE image,
                  int32_t extended_style = 0);

// Pictures in memory, as rows of a bottom-up 24-bit picture: the first row is the bottom one, each
// pixel blue, green, red, each row padded to a multiple of 4 bytes.
// Bytes of all the rows of a picture of width x height; 0 when a side is outside 1..16384.
uint32_t image_rows_size(int32_t width, int32_t height);
// Copies the number's bitmap, width x height pixels (its own size), into rows. 1 when done; 0 when
// the number holds no bitmap (none, or an icon) or of another size, or its pixels could not be
// read (rows then unchanged).
int image_read_rows(int32_t number, unsigned char* rows, int32_t width, int32_t height);
// Releases the number's picture (as image_free), then makes a bitmap of width x height pixels from
// rows under the number. The handle, or 0 (the number is then empty).
HANDLE image_from_rows(int32_t number, const unsigned char* rows, int32_t width, int32_t height);

// The current table capacity.
int32_t image_capacity(void);
// The recorded size and depth of the number's picture (low 16 bits of the platform's values);
// 0 for a number without a slot.
int32_t image_width(int32_t number);
int32_t image_height(int32_t number);
int32_t image_depth(int32_t number);
