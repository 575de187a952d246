// Fuzzes the pack reader of "wumpo-tool build" and "check" with any bytes, and the two other
// JSON readers of the tool on the same bytes: a level's JSON ("level create --from") and the
// build state. The rules: a pack read without an error finding has a plain name and a picture in
// every entry and only values the level file can hold, and the writer's text of it reads back,
// again without an error, into the same pack; a level read without an error has only such values;
// every state record has its names. The pack reader's entries cannot outnumber the input's bytes.
#include "findings.h"
#include "json.h"
#include "level.h"
#include "pack.h"
#include "program.h"
#include "state.h"
#include "str.h"
#include "text.h"
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {
// A pack's entries and output as plain copies, to compare two readings: names, pictures and the
// level files the entries make.
struct Copy {
    std::string output;
    std::vector<std::string> texts;
};

std::string text_of(const char* text) {
    return text ? std::string(text) : std::string("<none>");
}

Copy copy_pack(void) {
    Copy c;
    c.output = text_of(pack_output());
    for (int32_t i = 0; i < pack_count(); ++i) {
        const PackEntry* e = pack_entry(i);
        LevelFields f = e->fields;
        c.texts.push_back(std::to_string(e->kind) + ":" + std::to_string(e->index));
        c.texts.push_back(text_of(e->name));
        c.texts.push_back(text_of(e->picture));
        if (e->kind != PACK_LEVEL)
            continue;
        // A field left out ("") and written back (0) are the same level: the record decides.
        unsigned char record[LEVEL_RECORD_SIZE];
        LevelValues v;
        level_values_of(&f, &v);
        level_encode(&v, record);
        c.texts.push_back(std::string((const char*)record, LEVEL_RECORD_SIZE));
    }
    return c;
}

// The values of a level read without an error are ones a level file holds.
void check_values(const LevelFields* f) {
    LevelFields copy = *f;
    for (int32_t k = 0; k < LEVEL_FIELD_COUNT; ++k) {
        if (level_field_info(k)->kind == LEVEL_KIND_WORD &&
            !level_number_check(*level_field_text(&copy, k)))
            abort();
    }
    if (f->anti_gravity != 0 && f->anti_gravity != 1)
        abort();
}

bool plain(const char* name) {
    return name && *name && !strpbrk(name, "\\/:*?\"<>|");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return program_start() == PROGRAM_STARTED ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1024 * 1024)
        return 0;
    char* start = str_position();
    findings_start("pack.json");
    if (pack_read(data, (uint32_t)size)) {
        if ((size_t)pack_count() > size)
            abort();
        if (findings_errors() == 0) {
            for (int32_t i = 0; i < pack_count(); ++i) {
                const PackEntry* e = pack_entry(i);
                if (!plain(e->name) || !e->picture || !e->picture[0])
                    abort();
                if (e->kind == PACK_LEVEL)
                    check_values(&e->fields);
            }
            Copy first = copy_pack();
            uint32_t written = 0;
            const char* text = pack_write(&written);
            if (!text)
                abort();
            std::string again(text, written);
            findings_start("again.json");
            if (!pack_read((const unsigned char*)again.data(), (uint32_t)again.size()) ||
                findings_errors() != 0)
                abort();
            Copy second = copy_pack();
            if (first.output != second.output || first.texts != second.texts)
                abort();
        }
    }
    pack_release();

    findings_start("level.json");
    LevelFields f;
    if (pack_read_level(data, (uint32_t)size, &f)) {
        if (findings_errors() != 0)
            abort();
        check_values(&f);
        LevelValues v;
        level_values_of(&f, &v);
        unsigned char record[LEVEL_RECORD_SIZE];
        level_encode(&v, record);
    }
    pack_release();

    int32_t records = state_read(data, (uint32_t)size, "1.0.0");
    if (records > 0) {
        std::vector<StateFile> kept;
        std::vector<std::string> names;
        for (int32_t i = 0; i < records; ++i) {
            const StateFile* s = state_record(i);
            if (!s || !s->file || !s->picture)
                abort();
            kept.push_back(*s);
            names.push_back(std::string(s->file) + "\n" + s->picture);
        }
        // What the build would write of these records is read back into the same records.
        uint32_t written = 0;
        const char* text = state_write(kept.data(), records, "1.0.0", &written);
        std::string again = text ? std::string(text, written) : std::string();
        state_release();
        if (state_read((const unsigned char*)again.data(), (uint32_t)again.size(), "1.0.0") !=
            records)
            abort();
        for (int32_t i = 0; i < records; ++i) {
            const StateFile* s = state_record(i);
            if (names[i] != std::string(s->file) + "\n" + s->picture ||
                s->picture_size != kept[i].picture_size ||
                s->picture_time != kept[i].picture_time ||
                s->picture_change != kept[i].picture_change ||
                s->picture_volume != kept[i].picture_volume ||
                s->picture_index != kept[i].picture_index || s->hash != kept[i].hash ||
                s->size != kept[i].size || s->time != kept[i].time)
                abort();
        }
    }
    state_release();
    findings_start(0);
    json_release();
    str_set_position(start);
    return 0;
}
