// Fuzz target: picture_decode on any bytes. It must neither crash nor read outside them, and what
// it reports must hold together: a decoded picture is 320 x 240 with its rows in the result, a
// wrong size is a size that is not 320 x 240.
#include "picture.h"
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static PictureResult result;
    if (size > UINT32_MAX)
        return 0;
    int outcome = picture_decode(data, (uint32_t)size, &result);
    int right_size = result.width == PICTURE_WIDTH && result.height == PICTURE_HEIGHT;
    if (outcome == PICTURE_DECODED &&
        (!right_size || result.picture.rows != result.rows || result.picture.top_down != 1))
        abort();
    if (outcome == PICTURE_WRONG_SIZE && (right_size || result.width < 1 || result.height < 1))
        abort();
    return 0;
}
