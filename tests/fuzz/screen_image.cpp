// Fuzzes the conversion of a whole bitmap file held in memory into a screen image. A refused
// file leaves the image untouched; an accepted one gives the image computed here from the rows,
// independently of the conversion.
#include "screen_image.h"
#include "test_bitmaps.h"
#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu)
        return 0;
    unsigned char* file = (unsigned char*)malloc(size ? size : 1);
    memcpy(file, data, size);
    unsigned char* image = (unsigned char*)malloc(SCREEN_IMAGE_SIZE);
    memset(image, 0x5A, SCREEN_IMAGE_SIZE);
    int outcome = screen_image_from_bitmap(file, (uint32_t)size, image);
    bool want = test_bitmaps::header_acceptable(file, size, (uint32_t)size);
    if (outcome != (want ? IMAGE_WRITTEN : BITMAP_NOT_SUPPORTED))
        abort();
    if (want) {
        test_bitmaps::Picture picture =
            test_bitmaps::picture_of_bitmap(test_bitmaps::Bytes(file, file + size));
        if (picture.size() != 320 * 240 ||
            memcmp(test_bitmaps::expected_image(picture).data(), image, SCREEN_IMAGE_SIZE) != 0)
            abort();
    } else {
        for (uint32_t i = 0; i < SCREEN_IMAGE_SIZE; ++i)
            if (image[i] != 0x5A)
                abort();
    }
    free(image);
    free(file);
    return 0;
}
