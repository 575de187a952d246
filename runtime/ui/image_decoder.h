// The registry of image decoders: the extension point through which image_load reads picture
// formats other than Windows bitmaps and icons. Decoders are offered a source in registration
// order; the first that accepts it becomes the current decoder. The registry starts empty.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <stdio.h>

// One decoder: four operations with the platform's calling convention, so that a decoder may come
// from code built apart from the runtime.
struct ImageDecoder {
    // Non-zero when the decoder takes the source: (stream at its start, 0, name) for a file,
    // (0, memory, 0) for a block in memory.
    int32_t(WINAPI* probe)(FILE* stream, const void* memory, const char* name);
    // Writes the picture as rows of blue, green, red bytes, top row first, each row stride bytes
    // after the previous one. mode 0 is the only one the runtime uses.
    int32_t(WINAPI* decode)(void* buffer, int32_t stride, int32_t mode);
    int32_t(WINAPI* width)(void);  // pixels
    int32_t(WINAPI* height)(void); // pixels
};

enum { IMAGE_DECODER_MAX = 100 };

// Empties the registry and closes the decoder file, if one is open.
void image_decoders_reset(void);
// Appends decoder (which must outlive its registration). 1, or 0 when the registry is full or
// decoder is null.
int image_decoder_register(const ImageDecoder* decoder);
// Offers a file (name, opened "rb") or else a memory block to the decoders. 1 when one accepts it
// (for a file, the stream then stays open as the decoder file), else 0.
int image_decoder_open(const char* name, const void* memory);
// The current decoder's picture size; 0 without a current decoder.
int32_t image_decoder_width(void);
int32_t image_decoder_height(void);
// Decodes into buffer through the current decoder and closes the decoder file. decode's result,
// 0 without a current decoder.
int32_t image_decoder_read(void* buffer, int32_t stride, int32_t mode);
// Closes the decoder file without decoding (a load given up after the decoder accepted the file).
void image_decoder_close(void);
