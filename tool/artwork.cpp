// Pictures in and out of the command-line tool.
#include "artwork.h"
#include <string.h>
#include "heap.h"
#include "out.h"
#include "path.h"
#include "picture.h"
#include "png.h"
#include "screen_image.h"
#include "screen_image_dither.h"
#include "store.h"
#include "str.h"
#include "text.h"

namespace {
// Bigger files are refused rather than read whole; no 320 x 240 picture is near.
enum { PICTURE_FILE_MAX = 64 * 1024 * 1024 };

const char* const CANNOT_READ = "Cannot read picture";

// A picture file as read: its bytes and what was made of them, both heap blocks (or 0).
struct Loaded {
    unsigned char* bytes;
    PictureResult* result;
};

// Reads the picture name whole and decodes it, and when image is not 0 makes its screen image
// there (for a single picture; convert makes many at once through the job threads). 1 when it can
// be used; 0 after reporting why not. The caller gives back l's blocks.
int load(const char* name, unsigned char* image, Loaded* l) {
    l->bytes = 0;
    l->result = 0;
    uint32_t size = 0;
    int read = artwork_file(name, &l->bytes, &size);
    if (read != FILE_DONE) {
        artwork_file_error(name, read);
        return 0;
    }
    l->result = (PictureResult*)heap_allocate(sizeof(PictureResult));
    if (!l->result) {
        out_error(0, "Error: Not enough memory");
        return 0;
    }
    int outcome = image ? picture_image(l->bytes, size, DITHER_NONE, l->result, image)
                        : picture_decode(l->bytes, size, l->result);
    return artwork_report(name, outcome, l->result->width, l->result->height,
                          l->result->translucent);
}

void release(Loaded* l) {
    heap_free(l->bytes);
    heap_free(l->result);
}
} // namespace

const char* const ARTWORK_TRANSLUCENT =
    "Picture has pixels that are not fully opaque; their transparency is ignored";

int artwork_problem(char* out, int32_t room, int outcome, int32_t width, int32_t height) {
    if (outcome == PICTURE_WRONG_SIZE)
        return text_format(out, room, "Picture is %d x %d pixels; it has to be 320 x 240",
                           (int)width, (int)height);
    if (outcome == PICTURE_RLE)
        return text_format(out, room,
                           "RLE-compressed bitmaps are not read; save the picture uncompressed");
    return text_format(out, room, "%s", CANNOT_READ);
}

int artwork_file(const char* name, unsigned char** bytes, uint32_t* size) {
    return path_read_block(name, 0, PICTURE_FILE_MAX, bytes, size);
}

void artwork_file_error(const char* name, int read) {
    // A file too large for any picture the tool takes is one it cannot read.
    if (read == FILE_WRONG_SIZE)
        artwork_report(name, PICTURE_NOT_READ, 0, 0, 0);
    else
        out_error(name, screen_image_error_text(BITMAP_NOT_OPENED));
}

int artwork_report(const char* name, int outcome, int32_t width, int32_t height, int translucent) {
    char message[TEXT_MESSAGE_ROOM];
    // The screen image has no alpha: such pixels keep their colour, and the user may not expect
    // that.
    if (outcome == PICTURE_DECODED && translucent) {
        text_format(message, sizeof message, "Warning: %s", ARTWORK_TRANSLUCENT);
        out_error(name, message);
    } else if (outcome != PICTURE_DECODED) {
        char problem[TEXT_MESSAGE_ROOM];
        artwork_problem(problem, sizeof problem, outcome, width, height);
        text_format(message, sizeof message, "Error: %s", problem);
        out_error(name, message);
    }
    return outcome == PICTURE_DECODED;
}

int artwork_read(const char* name, BitmapPicture* picture) {
    Loaded l;
    if (!load(name, 0, &l)) {
        release(&l);
        return 0;
    }
    // The rows stay with the caller; the file's bytes are no longer needed.
    heap_free(l.bytes);
    *picture = l.result->picture;
    return 1;
}

int artwork_write(const char* name, const unsigned char* bitmap, uint32_t size) {
    const unsigned char* bytes = bitmap;
    unsigned char* png = 0;
    BitmapPicture picture;
    if (str_has_extension(name, ".png")) {
        if (!bitmap_file_picture(bitmap, size, &picture) || !(png = png_encode(&picture, &size))) {
            out_error(0, "Error: Not enough memory");
            return 0;
        }
        bytes = png;
    }
    char* full = path_full(name);
    int written = store_write(full, bytes, size);
    heap_free(full);
    png_free(png);
    if (written != FILE_DONE) {
        out_error(name, store_write_error_text(written));
        return 0;
    }
    return 1;
}
