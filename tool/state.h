// The build state: what a build needs to know, next time, to tell that an image is still the
// one its picture makes. It is one small JSON file in the output folder, written after the
// outputs (so a build stopped between files finds only what it finished itself recorded). The
// level files need no record: their 56 bytes are made again and compared with the file. Pure:
// the caller reads and writes the file. Owns the records read.
#pragma once
#include <stdint.h>

#define STATE_FILE_NAME "wumpo-build.state"

struct StateImage {
    const char* file;    // the image's name in the output folder, "cave.IMG"
    const char* picture; // the full name of the picture it was made from
    uint64_t picture_size, picture_time, picture_hash; // the picture as it was read
    uint64_t size, time;                               // the image file as the build left it
};

// Reads a state file's bytes. A file that is not a state of this version of the tool, or is
// damaged in any way, counts as no state. Returns the number of records.
int32_t state_read(const unsigned char* bytes, uint32_t size, const char* version);
// The record of the image file, or 0. hint: where it is likely to be (its place last time).
const StateImage* state_find(const char* file, int32_t hint);
// Record i in the order read; 0 outside.
const StateImage* state_record(int32_t i);
// Gives back the records.
void state_release(void);
// The state file's text for count records, in the JSON module's block (see json_write_finish).
const char* state_write(const StateImage* images, int32_t count, const char* version,
                        uint32_t* size);
