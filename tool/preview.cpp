// wumpo-tool preview: the Level Creator's Preview Level as a bitmap or PNG file. The level
// picture, then the start sprite, the exit sprite and the status bar with the level's numbers,
// each drawn over what is already there at the place where Preview Level puts its picture gadget.
#include "tool.h"
#include "bitmap_file.h"
#include "bitmap_header.h"
#include "heap.h"
#include "out.h"
#include "path.h"
#include "artwork.h"
#include "program.h"
#include "screen_image.h"
#include "screen_image_dither.h"
#include "status_bar.h"
#include "file.h"
#include "text.h"
#include "str.h"

namespace {
// Bigger files are refused rather than read whole; no 24-bit picture the tool can take is near.
enum { PREVIEW_FILE_MAX = 64 * 1024 * 1024 };

// The page position of a sprite gadget is the level position + 10, the picture gadget's own
// position; the picture position is therefore the level position itself.
int32_t picture_position(int32_t position) {
    int32_t page = position + 10;
    // A page position of -1 is the gadget move's sign for "keep the current one", which in a
    // form just opened is the sprite's starting place at the picture's corner.
    if (page == -1)
        page = 10;
    return page - 10;
}

// A picture of the images folder beside the program (name is relative to the program's
// directory, where the image loader finds it for the form).
int read_program_picture(const char* name, BitmapPicture* picture) {
    unsigned char* bytes = 0;
    uint32_t size = 0;
    char full[TEXT_NAME_ROOM];
    int whole = text_format(full, sizeof full, "%s%s", program_directory(), name);
    int read = whole ? file_read_whole_block(full, 0, PREVIEW_FILE_MAX, &bytes, &size)
                     : (int)FILE_NOT_OPENED;
    if (read == FILE_DONE && bitmap_file_picture(bytes, size, picture))
        return 1;
    out_error(full, read == FILE_NOT_OPENED || read == FILE_NOT_READ
                        ? "Error: Cannot open bitmap file"
                        : "Error: Bitmap has to be 24-bit, no compression");
    return 0;
}
} // namespace

int tool_preview(int count, char** args) {
    if (help_wanted(count, args))
        return help_print("preview");
    const char* names[3] = {0, 0, 0};
    int named = 0, as_game = 0, options = 1;
    int32_t dither = DITHER_NONE;
    for (int i = 0; i < count; ++i) {
        if (options && text_equal(args[i], "--")) {
            options = 0;
        } else if (options && text_equal(args[i], "--as-game")) {
            as_game = 1;
        } else if (options && text_equal(args[i], "--dither")) {
            // Only the screen image is dithered, so the picture is shown as the game shows it.
            dither = i + 1 < count ? screen_image_dither_find(args[i + 1]) : -1;
            if (dither < 0)
                return help_usage("preview", "--dither needs none, ordered or diffusion");
            as_game = 1;
            ++i;
        } else if (options && args[i][0] == '-' && args[i][1] == '-') {
            return help_usage("preview", "unknown option");
        } else if (named == 3) {
            return help_usage("preview", "too many arguments");
        } else {
            names[named++] = args[i];
        }
    }
    if (named < 3)
        return help_usage("preview", "a level file, a bitmap and an output name are needed");
    const char* level_name = names[0];
    const char* bitmap_name = names[1];
    const char* out_name = names[2];

    LevelValues level;
    int read = tool_level_read(level_name, &level);
    if (read != FILE_DONE) {
        tool_level_report(level_name, read);
        return TOOL_FAILED;
    }
    int32_t start_x = picture_position(level_value_word(&level, LEVEL_FIELD_START_X));
    int32_t start_y = picture_position(level_value_word(&level, LEVEL_FIELD_START_Y));
    int32_t exit_x = picture_position(level_value_word(&level, LEVEL_FIELD_EXIT_X));
    int32_t exit_y = picture_position(level_value_word(&level, LEVEL_FIELD_EXIT_Y));
    // Only the state 1 is a ticked box; any other byte shows the plain exit.
    const char* exit_sprite = level.anti_gravity == 1 ? PATH_IMAGES LEVEL_EXIT_GRAVITY_SPRITE
                                                      : PATH_IMAGES LEVEL_EXIT_SPRITE;
    StatusBarValues numbers = {level_value_word(&level, LEVEL_FIELD_LEVEL_TIME),
                               level_value_word(&level, LEVEL_FIELD_WUMPO_TO_CREATE),
                               level_value_word(&level, LEVEL_FIELD_WUMPO_TO_SAVE),
                               level_value_word(&level, LEVEL_FIELD_DRAW_MATERIAL)};

    BitmapPicture picture, cloud, exit, status_bar;
    if (!artwork_read(bitmap_name, &picture) ||
        !read_program_picture(PATH_IMAGES LEVEL_START_SPRITE, &cloud) ||
        !read_program_picture(exit_sprite, &exit) ||
        !read_program_picture(PATH_IMAGES LEVEL_STATUS_BAR, &status_bar))
        return TOOL_FAILED;

    unsigned char* canvas =
        (unsigned char*)heap_allocate(BITMAP_FILE_HEADER_BYTES + BITMAP_PIXEL_BYTES);
    unsigned char* image = as_game ? (unsigned char*)heap_allocate(SCREEN_IMAGE_SIZE) : 0;
    if (!canvas || (as_game && !image)) {
        out_error(0, "Error: Not enough memory");
        return TOOL_FAILED;
    }
    uint32_t size = bitmap_file_header(canvas, BITMAP_WIDTH, BITMAP_HEIGHT);
    unsigned char* rows = canvas + BITMAP_FILE_HEADER_BYTES;
    bitmap_file_draw(rows, BITMAP_WIDTH, BITMAP_HEIGHT, &picture, 0, 0);
    if (as_game) {
        // The picture as its screen image keeps it (5 bits a colour, dithered as convert would
        // dither it), widened back as view shows an image; the sprites and the bar are the
        // game's own and stay as they are.
        BitmapPicture drawn = {rows, BITMAP_WIDTH, BITMAP_HEIGHT, bitmap_file_stride(BITMAP_WIDTH),
                               0};
        screen_image_from_rows_dithered(&drawn, dither, image);
        bitmap_file_from_image(image, rows);
        heap_free(image);
    }
    bitmap_file_draw(rows, BITMAP_WIDTH, BITMAP_HEIGHT, &cloud, start_x, start_y);
    bitmap_file_draw(rows, BITMAP_WIDTH, BITMAP_HEIGHT, &exit, exit_x, exit_y);
    bitmap_file_draw(rows, BITMAP_WIDTH, BITMAP_HEIGHT, &status_bar, 0, 0);
    status_bar_draw(rows, BITMAP_WIDTH, BITMAP_HEIGHT, 0, 0, &numbers);

    return artwork_write(out_name, canvas, size) ? TOOL_DONE : TOOL_FAILED;
}
