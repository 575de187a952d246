// Which reader reads which picture file, and the screen image of a picture. Pure: no platform
// call.
#include "picture.h"
#include "bitmap_header.h"
#include "bitmap_read.h"
#include "png.h"
#include "screen_image_dither.h"

int picture_decode(const unsigned char* bytes, uint32_t size, PictureResult* result) {
    result->width = result->height = 0;
    result->translucent = 0;
    if (png_signature(bytes, size))
        return png_decode(bytes, size, result);
    if (bytes && size >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return bitmap_read_decode(bytes, size, result);
    return PICTURE_NOT_READ;
}

int picture_image(const unsigned char* bytes, uint32_t size, int32_t dither, PictureResult* result,
                  unsigned char image[SCREEN_IMAGE_SIZE]) {
    // A bitmap the forms take is packed from the rows where the file has them, undithered as
    // their in-memory conversion packs it, so the tool's image is byte for byte theirs.
    BitmapLayout layout;
    if (bitmap_header_check(bytes, size, size, &layout)) {
        BitmapPicture picture = {bytes + layout.pixel_offset, PICTURE_WIDTH, PICTURE_HEIGHT,
                                 PICTURE_ROW_BYTES, layout.top_down};
        result->width = PICTURE_WIDTH;
        result->height = PICTURE_HEIGHT;
        result->translucent = 0;
        result->picture = picture;
        screen_image_from_rows_dithered(&picture, dither, image);
        return PICTURE_DECODED;
    }
    int outcome = picture_decode(bytes, size, result);
    if (outcome == PICTURE_DECODED)
        screen_image_from_rows_dithered(&result->picture, dither, image);
    return outcome;
}
