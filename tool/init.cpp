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

// The files of the folder matching pattern (letter case aside), in name order. None when the
// folder and pattern together make a name too long to use.
int32_t find(const char* pattern) {
    names_clear(&INIT.found);
    char joined[TEXT_NAME_ROOM];
    if (!text_join(joined, sizeof joined, INIT.folder, pattern))
        return 0;
    path_each_match(joined, &add_found);
    names_sort(&INIT.found, 0);
    return INIT.found.count;
}

// The file base + extension in the folder, spelt as it is there (letter case aside), into out
// (room bytes); 0 when there is none. A name with wildcards in it matches only itself.
int beside(char* out, int32_t room, const char* base, const char* extension) {
    char name[TEXT_NAME_ROOM];
    int found = text_format(name, sizeof name, "%s%s", base, extension) &&
                !text_has_wildcard(name) && find(name) != 0 &&
                text_format(out, room, "%s", INIT.found.names[0]);
    names_clear(&INIT.found);
    return found;
}

// The screen image image (in the folder) as the PNG base.png; 1 when written.
int image_to_png(const char* image, const char* base) {
    char image_name[TEXT_NAME_ROOM], png[TEXT_NAME_ROOM];
    // A name too long to use is one that cannot be opened.
    int named = text_join(image_name, sizeof image_name, INIT.folder, image);
    named = text_join(png, sizeof png, INIT.folder, base) && named;
    named = text_add(png, sizeof png, ".png") && named;
    char* full = named ? path_full(image_name) : 0;
    unsigned char* bytes = 0;
    uint32_t size = 0;
    int read = file_read_whole_block(full, SCREEN_IMAGE_SIZE, SCREEN_IMAGE_SIZE, &bytes, &size);
    heap_free(full);
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
            done = artwork_write(png, bitmap, bitmap_size);
            if (done) {
                char line[TEXT_MESSAGE_ROOM];
                text_format(line, sizeof line, "%s -> %s (made from the screen image)", image_name,
                            png);
                out_line(line);
            }
            heap_free(bitmap);
        } else {
            out_error(0, "Error: Not enough memory");
        }
    }
    heap_free(bytes);
    return done;
}

// The picture of base for the pack, named as it lies in the folder, into out (room bytes):
// base.bmp, base.png, or a PNG made now from base.IMG. 0 when there is none.
int picture_of(char* out, int32_t room, const char* base) {
    if (beside(out, room, base, ".bmp") || beside(out, room, base, ".png"))
        return 1;
    char image[TEXT_NAME_ROOM];
    if (!beside(image, sizeof image, base, ".IMG"))
        return 0;
    if (image_to_png(image, base))
        return text_format(out, room, "%s.png", base);
    INIT.failed = 1;
    return 0;
}

// The level file (in the folder) as a level of the pack.
void add_level(const char* file) {
    char level[TEXT_NAME_ROOM], base[TEXT_NAME_ROOM];
    // A name too long to use is one that cannot be opened.
    int named = text_join(level, sizeof level, INIT.folder, file);
    named = text_base_name(base, sizeof base, file) && named;
    LevelValues values;
    int read = named ? tool_level_read(level, &values) : (int)FILE_NOT_OPENED;
    if (read != FILE_DONE) {
        tool_level_report(level, read);
        INIT.failed = 1;
        return;
    }
    char picture[TEXT_NAME_ROOM];
    if (!picture_of(picture, sizeof picture, base)) {
        char message[TEXT_MESSAGE_ROOM];
        text_format(message, sizeof message,
                    "Warning: No picture %s.bmp, %s.png or %s.IMG beside it; the pack names %s.png",
                    base, base, base, base);
        out_error(level, message);
        text_format(picture, sizeof picture, "%s.png", base);
    }
    LevelTexts texts;
    LevelFields fields;
    level_fields_of(&values, &texts, &fields);
    if (!pack_add(PACK_LEVEL, base, picture, &fields)) {
        out_error(0, "Error: Not enough memory");
        INIT.failed = 1;
    }
}

// The backdrops that the levels name and that are in the folder, once each.
void add_backdrops(void) {
    int32_t levels = pack_count();
    char base[TEXT_NAME_ROOM], picture[TEXT_NAME_ROOM];
    for (int32_t i = 0; i < levels; ++i) {
        const char* backdrop = pack_entry(i)->fields.backdrop_name;
        if (!backdrop || !str_has_extension(backdrop, ".img") ||
            !text_base_name(base, sizeof base, backdrop))
            continue;
        int known = 0;
        for (int32_t k = 0; k < pack_count() && !known; ++k)
            known = text_same_name(pack_entry(k)->name, base);
        if (!known && picture_of(picture, sizeof picture, base) &&
            !pack_add(PACK_BACKDROP, base, picture, 0)) {
            out_error(0, "Error: Not enough memory");
            INIT.failed = 1;
        }
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
    char pack[TEXT_NAME_ROOM];
    // A name too long to use is one that cannot be created.
    char* full = text_join(pack, sizeof pack, INIT.folder, PACK_FILE_NAME) ? path_full(pack) : 0;
    OsFileFacts facts;
    if (full && file_facts(full, &facts) && facts.kind != OS_MISSING) {
        out_error(pack, "Error: The pack file already exists; nothing was written");
        heap_free(full);
        return TOOL_FAILED;
    }
    if (find("*.LVL") == 0) {
        out_error(INIT.folder[0] ? INIT.folder : ".", "Error: No level files (.LVL) here");
        names_release(&INIT.found);
        heap_free(full);
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
        char line[TEXT_MESSAGE_ROOM];
        text_format(line, sizeof line, "Wrote %s: %d%s%d%s", pack, (int)levels,
                    levels == 1 ? " level, " : " levels, ", (int)backdrops,
                    backdrops == 1 ? " backdrop" : " backdrops");
        out_line(line);
    }
    names_release(&INIT.found);
    heap_free(full);
    pack_release();
    return status;
}
