// The image decoder registry. Owns the registered decoders, the current decoder and the decoder
// file.
#include "image_decoder.h"

namespace {
struct DecoderState {
    const ImageDecoder* decoders[IMAGE_DECODER_MAX];
    int32_t count;
    const ImageDecoder* current;
    FILE* file; // the stream of the file the current decoder accepted, until it is read
};
DecoderState DECODERS = {};
} // namespace

void image_decoders_reset(void) {
    image_decoder_close();
    DECODERS.count = 0;
    DECODERS.current = 0;
}

int image_decoder_register(const ImageDecoder* decoder) {
    if (!decoder || DECODERS.count >= IMAGE_DECODER_MAX)
        return 0;
    DECODERS.decoders[DECODERS.count++] = decoder;
    return 1;
}

int image_decoder_open(const char* name, const void* memory) {
    image_decoder_close();
    DECODERS.current = 0;
    if (name) {
        FILE* stream = fopen(name, "rb");
        if (!stream)
            return 0;
        for (int32_t i = 0; i < DECODERS.count; ++i) {
            fseek(stream, 0, SEEK_SET);
            if (DECODERS.decoders[i]->probe(stream, 0, name)) {
                DECODERS.current = DECODERS.decoders[i];
                DECODERS.file = stream;
                return 1;
            }
        }
        fclose(stream);
        return 0;
    }
    for (int32_t i = 0; i < DECODERS.count; ++i) {
        if (DECODERS.decoders[i]->probe(0, memory, 0)) {
            DECODERS.current = DECODERS.decoders[i];
            return 1;
        }
    }
    return 0;
}

int32_t image_decoder_width(void) {
    return DECODERS.current ? DECODERS.current->width() : 0;
}

int32_t image_decoder_height(void) {
    return DECODERS.current ? DECODERS.current->height() : 0;
}

int32_t image_decoder_read(void* buffer, int32_t stride, int32_t mode) {
    int32_t result = DECODERS.current ? DECODERS.current->decode(buffer, stride, mode) : 0;
    image_decoder_close();
    return result;
}

void image_decoder_close(void) {
    if (DECODERS.file) {
        fclose(DECODERS.file);
        DECODERS.file = 0;
    }
}
