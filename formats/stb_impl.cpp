// The one place where stb_image and stb_image_write are compiled, with only what the tool uses:
// PNG and Windows bitmaps from memory, and PNG out to memory. The headers come from Debian's
// libstb-dev, taken as system headers, so that their own warnings do not stop the build.
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_SIMD            // only its JPEG decoder uses it
#define STBI_NO_THREAD_LOCALS   // one thread; and no thread-local storage in the Windows builds
#define STBI_NO_FAILURE_STRINGS // callers see only a refusal, never the reason
// The tool decodes only 320 x 240 pictures (the size is read from the header first); larger
// sides than this are refused by the decoder before any size arithmetic.
#define STBI_MAX_DIMENSIONS 65535
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
