// Pictures in and out of the command-line tool.
#include "pictures.h"
#include "bitmap_header.h"
#include "heap.h"
#include "out.h"
#include "path.h"
#include "picture.h"
#include "screen_image.h"
#include "store.h"
#include "str.h"

namespace {
// Bigger files are refused rather than read whole; no 320 x 240 picture is near.
enum { PICTURE_FILE_MAX = 64 * 1024 * 1024 };

const char* const CANNOT_READ = "Error: Cannot read picture";

// A picture file as read: either a bitmap for the forms' own conversion, or decoded.
struct Loaded {
    unsigned char* bytes; // the whole file
    uint32_t size;
    PictureResult* decoded; // 0 for a bitmap the forms take
};

// "Error: Picture is 640 x 480 pixels; it has to be 320 x 240", reported under name.
void report_size(const char* name, const PictureResult* r) {
    char* start = str_position();
    str_concat("Error: Picture is ");
    int_to_str(r->width, str_position());
    str_concat(" x ");
    int_to_str(r->height, str_position());
    str_concat(" pixels; it has to be 320 x 240");
    out_error(name, start);
    str_set_position(start);
}

// Reads and sorts the picture name; 1 when it can be converted, 0 after reporting why not.
int load(const char* name, Loaded* l) {
    l->bytes = 0;
    l->size = 0;
    l->decoded = 0;
    int read = store_read(path_full(name), 0, PICTURE_FILE_MAX, &l->bytes, &l->size);
    if (read != STORE_DONE) {
        out_error(name, read == STORE_WRONG_SIZE ? CANNOT_READ
                                                 : screen_image_error_text(BITMAP_NOT_OPENED));
        return 0;
    }
    if (bitmap_header_check(l->bytes, l->size, l->size, 0))
        return 1;
    l->decoded = (PictureResult*)heap_allocate(sizeof(PictureResult));
    if (!l->decoded) {
        out_error(0, "Error: Not enough memory");
        return 0;
    }
    int outcome = picture_decode(l->bytes, l->size, l->decoded);
    if (outcome == PICTURE_DECODED) {
        // The screen image has no alpha: such pixels keep their colour, and the user may not
        // expect that.
        if (l->decoded->translucent)
            out_error(name, "Warning: Picture has pixels that are not fully opaque; their "
                            "transparency is ignored");
        return 1;
    }
    if (outcome == PICTURE_WRONG_SIZE)
        report_size(name, l->decoded);
    else if (outcome == PICTURE_RLE)
        out_error(name, "Error: RLE-compressed bitmaps are not read; save the picture "
                        "uncompressed");
    else
        out_error(name, CANNOT_READ);
    return 0;
}

void release(Loaded* l) {
    heap_free(l->bytes);
    heap_free(l->decoded);
}
} // namespace

int pictures_convert(const char* picture_name, const char* image_name) {
    Loaded l;
    int done = load(picture_name, &l);
    if (done && !l.decoded) {
        int outcome = screen_image_convert(path_full(picture_name), path_full(image_name));
        const char* error = screen_image_error_text(outcome);
        if (error) {
            int about_picture = outcome == BITMAP_NOT_OPENED || outcome == BITMAP_NOT_SUPPORTED;
            out_error(about_picture ? picture_name : image_name, error);
        }
        done = error == 0;
    } else if (done) {
        unsigned char* image = (unsigned char*)heap_allocate(SCREEN_IMAGE_SIZE);
        int written = STORE_NOT_WRITTEN;
        if (image) {
            bitmap_file_to_image(&l.decoded->picture, image);
            written = store_write(path_full(image_name), image, SCREEN_IMAGE_SIZE);
            if (written != STORE_DONE)
                out_error(image_name, store_write_error_text(written));
        } else {
            out_error(0, "Error: Not enough memory");
        }
        heap_free(image);
        done = written == STORE_DONE;
    }
    release(&l);
    return done;
}

int pictures_read(const char* name, BitmapPicture* picture) {
    Loaded l;
    if (!load(name, &l)) {
        release(&l);
        return 0;
    }
    if (l.decoded) {
        // The rows stay with the caller; the file's bytes are no longer needed.
        heap_free(l.bytes);
        *picture = l.decoded->picture;
        return 1;
    }
    if (bitmap_file_picture(l.bytes, l.size, picture))
        return 1;
    out_error(name, CANNOT_READ);
    release(&l);
    return 0;
}

int pictures_write(const char* name, const unsigned char* bitmap, uint32_t size) {
    const unsigned char* bytes = bitmap;
    unsigned char* png = 0;
    BitmapPicture picture;
    if (str_has_extension(name, ".png")) {
        if (!bitmap_file_picture(bitmap, size, &picture) || !(png = picture_png(&picture, &size))) {
            out_error(0, "Error: Not enough memory");
            return 0;
        }
        bytes = png;
    }
    int written = store_write(path_full(name), bytes, size);
    picture_free(png);
    if (written != STORE_DONE) {
        out_error(name, store_write_error_text(written));
        return 0;
    }
    return 1;
}
