// A level pack as a designer keeps it in version control: one JSON file naming an output folder,
// backdrops (name, picture, dither) and levels (name, picture, dither and the level's fields under
// the names of "level show --json"). This module reads and writes that file and a single level's
// JSON, and checks a level's values; it opens no file, so it can be fed any bytes. What it finds
// goes to the findings list. Owns the pack of one run: its entries and their texts.
#pragma once
#include <stdint.h>
#include "findings.h"
#include "level.h"

#define PACK_FILE_NAME "wumpo-pack.json"
// The JSON Schema of the pack file, which pack_write names under "$schema": editors look for it
// beside the pack file.
#define PACK_SCHEMA_NAME "wumpo-pack.schema.json"

enum PackEntryKind { PACK_LEVEL, PACK_BACKDROP };

struct PackEntry {
    int32_t kind;        // PackEntryKind
    int32_t index;       // its place in "levels" or "backdrops"
    const char* name;    // the file name without extension; 0 when missing or refused
    const char* picture; // as the pack names it; 0 when missing or refused
    LevelFields fields;  // levels: texts of the form's fields, starting values where left out
    int32_t dither;      // how its image is dithered (ScreenImageDither): DITHER_NONE unless given
    int is_object;       // 0 for an entry that is not even a JSON object (its checks are moot)
    // Where in the pack file the entry starts, and the values of its name, its picture and each
    // field (those not given: where the entry starts). All 0 for entries made by pack_add.
    FindingPlace at, name_at, picture_at;
    FindingPlace field_at[LEVEL_FIELD_COUNT];
};

// Reads the pack file's size bytes; problems go to the findings list. Returns 1 when it is a
// JSON object at all (the entries are then those read, each with what could be read of it), 0
// when not (no entries).
int pack_read(const unsigned char* bytes, uint32_t size);
// Reads one level's JSON, as "level show --json" prints it, into f (starting values for the
// fields left out; texts owned by this module). 1 when read without an error finding.
int pack_read_level(const unsigned char* bytes, uint32_t size, LevelFields* f);

// Empties the pack, for one to be made with the calls below.
void pack_start(void);
// The output folder as the pack names it; 0 when missing or refused.
const char* pack_output(void);
// Where the pack file gives the output folder (where the pack starts when it does not).
FindingPlace pack_output_place(void);
void pack_set_output(const char* folder);
// Adds an entry, copying the texts; 0 when memory is short.
int pack_add(int32_t kind, const char* name, const char* picture, const LevelFields* f);
int32_t pack_count(void);
// Entry i in the order read or added: backdrops first, then levels; 0 outside.
const PackEntry* pack_entry(int32_t i);
// The pack as JSON text, in the JSON module's block (see json_write_finish); 0 when memory is
// short.
const char* pack_write(uint32_t* size);
// Gives back everything the pack holds.
void pack_release(void);

// "levels[3]" or "backdrops[0]".
int pack_entry_label(char* out, int32_t room, const PackEntry* e);
// Checks a level's values by every rule of the level module, as a designer would want them before
// playing it, to the findings list under entry and name (either may be 0): a backdrop name the
// game cannot hold, an anti-gravity byte that the form cannot show, more Wumpo to save than come
// out, the start cloud or the exit not wholly on the picture below the status bar, a level time
// of 0, a description the level file cuts. (The words of a pack were held to their rule as they
// were read; those of a level file always keep it.)
// places: where each field is (LEVEL_FIELD_COUNT of them), or 0 for no place.
void pack_check_level(const char* entry, const char* name, const LevelFields* f,
                      const FindingPlace* places);
