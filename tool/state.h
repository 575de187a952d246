// The build state: what a build needs to know, next time, to tell that an output is still the
// one its sources make. It is one small JSON file in the output folder, written after the
// outputs, so it never vouches for a file that is not in place: a build stopped between files
// leaves the state of the build before, and the next build makes again what that does not
// vouch for (writing only what differs from the file on disk). Pure: the caller reads and
// writes the file. Owns the records read.
#pragma once
#include <stdint.h>

#define STATE_FILE_NAME "wumpo-build.state"

struct StateFile {
    const char* file;    // the output's name in the output folder, "cave.IMG"
    const char* picture; // an image's picture, by its full name; "" for a level file
    // The picture as it was read: size, time of its last write and of its last change, identity.
    uint64_t picture_size, picture_time, picture_change, picture_volume, picture_index;
    uint64_t hash;       // of the picture's bytes, or of the level file's 56 bytes
    uint64_t size, time; // the output file as the build left it
    int32_t dither;      // an image's dithering (ScreenImageDither); DITHER_NONE for a level file
};

// Reads a state file's bytes. A file that is not a state of this version of the tool, or is
// damaged in any way, counts as no state. Returns the number of records.
int32_t state_read(const unsigned char* bytes, uint32_t size, const char* version);
// The record of the image file, or 0. hint: where it is likely to be (its place last time).
const StateFile* state_find(const char* file, int32_t hint);
// Record i in the order read; 0 outside.
const StateFile* state_record(int32_t i);
// Gives back the records.
void state_release(void);
// The state file's text for count records, in the JSON module's block (see json_write_finish).
const char* state_write(const StateFile* files, int32_t count, const char* version, uint32_t* size);
