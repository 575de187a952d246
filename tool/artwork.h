// The pictures a user names to the tool. A picture to read is taken as the forms take it when it
// is a bitmap they accept, so the tool's images stay byte for byte theirs; any other PNG or
// Windows bitmap is decoded (formats/picture.h) and then treated the same way. A picture to write
// is a 24-bit bitmap, or a PNG of it when its name ends in .png.
#pragma once
#include <stdint.h>
#include "bitmap_file.h"

// Reads the 320 x 240 picture name (as the user typed it) into *picture, its rows in the runtime
// heap. 1 when read (with a warning for pixels that are not fully opaque); 0 after reporting why
// not.
int artwork_read(const char* name, BitmapPicture* picture);
// Writes the 24-bit bitmap file bitmap (size bytes, with the header of bitmap_file_header) as
// name: as it is, or as a PNG of its picture when name ends in .png (in any letter case). 1 when
// written; 0 after reporting why not.
int artwork_write(const char* name, const unsigned char* bitmap, uint32_t size);
// Reads the picture file name (as the user typed it) whole into *bytes (a runtime heap block) and
// *size, reporting nothing: a FileOutcome (FILE_DONE when read).
int artwork_file(const char* name, unsigned char** bytes, uint32_t* size);
// Reports under name why its file could not be read (read: what artwork_file gave).
void artwork_file_error(const char* name, int read);
// Reports under name what a picture's decoding gave: the refusal of a picture it could not use,
// the warning for pixels that are not fully opaque. 1 when the picture can be used.
int artwork_report(const char* name, int outcome, int32_t width, int32_t height, int translucent);
// What keeps a picture whose decoding gave outcome (a PictureOutcome other than PICTURE_DECODED)
// from being converted, without the "Error: " the tool's messages put before it: "Picture is
// 640 x 480 pixels; it has to be 320 x 240", the RLE refusal, or "Cannot read picture".
int artwork_problem(char* out, int32_t room, int outcome, int32_t width, int32_t height);
// The warning's text for a picture with pixels that are not fully opaque, without "Warning: ".
extern const char* const ARTWORK_TRANSLUCENT;
