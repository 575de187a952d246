// What a build does with each output, decided from what it found and what the last build
// recorded, and nothing else: no file is opened here and nothing is written, so every rule can be
// tried in process. build.cpp gathers the facts, runs the conversions and the writes these call
// for, and records what the next build needs.
#pragma once
#include <stdint.h>
#include "os.h"
#include "state.h"

// One output as found.
struct DecideFacts {
    int image;                 // 1 for a NAME.IMG made from a picture, 0 for a level file
    OsFileFacts output;        // the output file now (kind OS_MISSING when there is none)
    const char* picture;       // an image's picture, by its full name
    OsFileFacts picture_facts; // ... and what the system says of it now
    const StateFile* record;   // the last build's record of this output's name, or 0
    int force;                 // --force: nothing recorded is trusted
    int building;              // build; 0 for check, which writes nothing
    int32_t dither;            // how the pack dithers an image (ScreenImageDither)
};

struct Decision {
    const StateFile* record; // the record that still describes this output's sources, or 0
    int vouched;             // the picture is the very file recorded, unchanged since: not read
    int intact;              // the output file is the one the last build left
    int convert;             // the picture is read (and converted)
    int check_hash;          // a picture read whose bytes hash as recorded is not converted
};

Decision decide_output(const DecideFacts* facts);
// After the conversion: whether a level file's bytes (of that hash) go to disk.
int decide_write_level(const Decision* decision, uint64_t hash);
// The write time to record for a picture read at now: 0 (trust nothing next time, but hash the
// bytes) when its last write or change is too recent for a file system's time steps to show a
// change made just after, or lies ahead.
uint64_t decide_recorded_time(const OsFileFacts* picture, uint64_t now);
