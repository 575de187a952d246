// wumpo-tool pack init: a pack file made from the level files already in a folder, so a pack
// kept by hand until now can move into version control. Each level keeps its fields; its picture
// is NAME.bmp or NAME.png beside it, or, when there is only the screen image NAME.IMG, a PNG
// made from that (converting it gives the same image again). The backdrops the levels name are
// taken the same way when they are in the folder. Owns the list of level files of one run.
#include "tool.h"
#include "bitmap_file.h"
#include "bitmap_header.h"
#include "heap.h"
#include "names.h"
#include "os.h"
#include "out.h"
#include "pack.h"
#include "path.h"
#include "artwork.h"
#include "screen_image.h"
#include "store.h"
#include "str.h"
#include "text.h"

namespace {
struct InitState {
    NameList found;     // file names (no folder) that the last search found
    const char* folder; // the folder as the user named it ("" for the current one)
    int failed;         // a file could not be read or written
};
InitState INIT;

void add_found(const char*, int32_t, const char* file_name) {
    names_add(&INIT.found, "", 0, file_name);
}

// The files of the folder matching pattern (letter case aside), in name order.
int32_t find(const char* pattern) {
    names_clear(&INIT.found);
    // The pattern may end right at the current position.
    char* start = str_position();
    str_step();
    path_each_match(text_join(INIT.folder, pattern), &add_found);
    str_set_position(start);
    names_sort(&INIT.found, 0);
    return INIT.found.count;
}

// The file base + extension in the folder, spelt as it is there (letter case aside); produced
// in the string area, 0 when there is none. A name with wildcards in it matches only itself.
char* beside(const char* base, const char* extension) {
    char* start = str_position();
    *start = 0;
    str_concat(base);
    str_concat(extension);
    if (text_has_wildcard(start) || find(start) == 0) {
        names_clear(&INIT.found);
        str_set_position(start);
        return 0;
    }
    char* name = str_left(INIT.found.names[0], str_length(INIT.found.names[0]), start);
    names_clear(&INIT.found);
    return name;
}

// The screen image image (in the folder) as the PNG base.png; 1 when written.
int image_to_png(const char* image, const char* base) {
    char* start = str_position();
    char* image_name = text_join(INIT.folder, image);
    str_step();
    unsigned char* bytes = 0;
    uint32_t size = 0;
    int read = file_read_whole_block(path_full(image_name), SCREEN_IMAGE_SIZE, SCREEN_IMAGE_SIZE,
                                     &bytes, &size);
    int done = 0;
    if (read != FILE_DONE) {
        out_error(image_name, read == FILE_WRONG_SIZE ? "Error: Not a screen image file"
                                                      : "Error: Can't open image file");
    } else {
        unsigned char* bitmap =
            (unsigned char*)heap_allocate(BITMAP_FILE_HEADER_BYTES + BITMAP_PIXEL_BYTES);
        if (bitmap) {
            uint32_t bitmap_size =
                bitmap_file_header(bitmap, SCREEN_IMAGE_WIDTH, SCREEN_IMAGE_HEIGHT);
            bitmap_file_from_image(bytes, bitmap + BITMAP_FILE_HEADER_BYTES);
            char* png = text_join(INIT.folder, base);
            str_concat(".png");
            done = artwork_write(png, bitmap, bitmap_size);
            if (done) {
                str_step();
                char* line = str_position();
                *line = 0;
                str_concat(image_name);
                str_concat(" -> ");
                str_concat(png);
                str_concat(" (made from the screen image)");
                out_line(line);
            }
            heap_free(bitmap);
        } else {
            out_error(0, "Error: Not enough memory");
        }
    }
    heap_free(bytes);
    str_set_position(start);
    return done;
}

// The picture of base for the pack, named as it lies in the folder: base.bmp, base.png, or a
// PNG made now from base.IMG. Produced in the string area; 0 when there is none.
char* picture_of(const char* base) {
    char* start = str_position();
    char* picture = beside(base, ".bmp");
    if (!picture)
        picture = beside(base, ".png");
    if (picture)
        return picture;
    char* image = beside(base, ".IMG");
    if (image) {
        str_step();
        if (image_to_png(image, base)) {
            str_set_position(start);
            *start = 0;
            str_concat(base);
            str_concat(".png");
            return start;
        }
        INIT.failed = 1;
    }
    str_set_position(start);
    return 0;
}

// The level file (in the folder) as a level of the pack.
void add_level(const char* file) {
    char* start = str_position();
    char* level = text_join(INIT.folder, file);
    str_step();
    LevelFields fields;
    LevelTexts texts;
    int read = tool_level_read(level, &fields, &texts);
    if (read != FILE_DONE) {
        char message[TEXT_MESSAGE_ROOM];
        text_format(message, sizeof message, "Error: %s", tool_level_problem(read));
        out_error(level, message);
        INIT.failed = 1;
        str_set_position(start);
        return;
    }
    char* base = text_base_name(file);
    str_step();
    char* picture = picture_of(base);
    if (!picture) {
        str_step();
        char* message = str_position();
        *message = 0;
        str_concat("Warning: No picture ");
        str_concat(base);
        str_concat(".bmp, ");
        str_concat(base);
        str_concat(".png or ");
        str_concat(base);
        str_concat(".IMG beside it; the pack names ");
        str_concat(base);
        str_concat(".png");
        out_error(level, message);
        str_step();
        picture = str_position();
        *picture = 0;
        str_concat(base);
        str_concat(".png");
    }
    str_step();
    if (!pack_add(PACK_LEVEL, base, picture, &fields)) {
        out_error(0, "Error: Not enough memory");
        INIT.failed = 1;
    }
    str_set_position(start);
}

// The backdrops that the levels name and that are in the folder, once each.
void add_backdrops(void) {
    int32_t levels = pack_count();
    for (int32_t i = 0; i < levels; ++i) {
        const char* backdrop = pack_entry(i)->fields.backdrop_name;
        if (!backdrop || !str_has_extension(backdrop, ".img"))
            continue;
        char* start = str_position();
        char* base = text_base_name(backdrop);
        str_step();
        int known = 0;
        for (int32_t k = 0; k < pack_count() && !known; ++k)
            known = text_same_name(pack_entry(k)->name, base);
        char* picture = known ? 0 : picture_of(base);
        if (picture && !pack_add(PACK_BACKDROP, base, picture, 0)) {
            out_error(0, "Error: Not enough memory");
            INIT.failed = 1;
        }
        str_set_position(start);
    }
}
} // namespace

int tool_pack_init(int count, char** args) {
    if (help_wanted(count, args))
        return help_print("pack init");
    if (count > 1)
        return help_usage("pack init", "one folder at a time");
    if (count == 1 && args[0][0] == '-' && args[0][1] == '-')
        return help_usage("pack init", "unknown option");
    INIT = InitState{{0, 0, 0}, count == 1 ? args[0] : "", 0};
    if (count == 1 && !path_is_directory(INIT.folder)) {
        out_error(INIT.folder, "Error: Directory not found");
        return TOOL_FAILED;
    }
    char* start = str_position();
    char* pack = text_join(INIT.folder, PACK_FILE_NAME);
    str_step();
    char* full = path_full(pack);
    OsFileFacts facts;
    if (full && file_facts(full, &facts) && facts.kind != OS_MISSING) {
        out_error(pack, "Error: The pack file already exists; nothing was written");
        str_set_position(start);
        return TOOL_FAILED;
    }
    if (find("*.LVL") == 0) {
        out_error(INIT.folder[0] ? INIT.folder : ".", "Error: No level files (.LVL) here");
        str_set_position(start);
        return TOOL_FAILED;
    }
    // The list is taken over before add_level searches again for pictures.
    NameList levels_found = INIT.found;
    INIT.found = NameList{0, 0, 0};

    pack_start();
    pack_set_output("build");
    for (int32_t i = 0; i < levels_found.count; ++i)
        add_level(levels_found.names[i]);
    add_backdrops();
    names_release(&levels_found);

    int32_t levels = 0, backdrops = 0;
    for (int32_t i = 0; i < pack_count(); ++i) {
        if (pack_entry(i)->kind == PACK_LEVEL)
            ++levels;
        else
            ++backdrops;
    }
    int status = INIT.failed ? TOOL_FAILED : TOOL_DONE;
    uint32_t size = 0;
    const char* text = levels ? pack_write(&size) : 0;
    int written = text ? store_write(full, text, size) : FILE_NOT_WRITTEN;
    if (levels == 0) {
        out_error(pack, "Error: No level file could be read; nothing was written");
        status = TOOL_FAILED;
    } else if (written != FILE_DONE) {
        out_error(pack, store_write_error_text(written));
        status = TOOL_FAILED;
    } else {
        char* line = str_position();
        *line = 0;
        str_concat("Wrote ");
        str_concat(pack);
        str_concat(": ");
        int_to_str(levels, str_position());
        str_concat(levels == 1 ? " level, " : " levels, ");
        int_to_str(backdrops, str_position());
        str_concat(backdrops == 1 ? " backdrop" : " backdrops");
        out_line(line);
    }
    names_release(&INIT.found);
    heap_free(full);
    pack_release();
    str_set_position(start);
    return status;
}
