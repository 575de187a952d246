// wumpo-tool view: a screen image back into a bitmap or a PNG, so that a designer can see what an
// .IMG holds (neither form can show one).
#include "tool.h"
#include "bitmap_file.h"
#include "bitmap_header.h"
#include "heap.h"
#include "out.h"
#include "path.h"
#include "artwork.h"
#include "screen_image.h"
#include "file.h"

int tool_view(int count, char** args) {
    if (help_wanted(count, args))
        return help_print("view");
    if (count != 2)
        return help_usage("view", count < 2 ? "an image and a bitmap name are needed"
                                            : "too many arguments");
    const char* image_name = args[0];
    const char* bitmap_name = args[1];

    unsigned char* image = 0;
    uint32_t size = 0;
    int read = path_read_block(image_name, SCREEN_IMAGE_SIZE, SCREEN_IMAGE_SIZE, &image, &size);
    if (read != FILE_DONE) {
        // The image has no header: its size is the only sign that it is one.
        out_error(image_name, read == FILE_WRONG_SIZE ? "Error: Not a screen image file"
                                                      : "Error: Can't open image file");
        return TOOL_FAILED;
    }
    unsigned char* bitmap =
        (unsigned char*)heap_allocate(BITMAP_FILE_HEADER_BYTES + BITMAP_PIXEL_BYTES);
    if (!bitmap) {
        out_error(0, "Error: Not enough memory");
        return TOOL_FAILED;
    }
    uint32_t bitmap_size = bitmap_file_header(bitmap, SCREEN_IMAGE_WIDTH, SCREEN_IMAGE_HEIGHT);
    bitmap_file_from_image(image, bitmap + BITMAP_FILE_HEADER_BYTES);
    return artwork_write(bitmap_name, bitmap, bitmap_size) ? TOOL_DONE : TOOL_FAILED;
}
