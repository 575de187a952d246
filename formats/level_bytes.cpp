// The level record's 56 bytes made from the level's values and taken back into them, in memory.
// Pure; apart from the level module's table so that a window program, which writes and reads the
// record through the file runtime, does not carry it.
#include "level.h"

namespace {
void put_word(unsigned char* at, int32_t value) {
    at[0] = (unsigned char)value;
    at[1] = (unsigned char)(value >> 8);
}
} // namespace

void level_encode(const LevelValues* v, unsigned char record[LEVEL_RECORD_SIZE]) {
    for (int32_t i = 0; i < LEVEL_RECORD_SIZE; ++i)
        record[i] = 0;
    // A text decoded from a damaged record may be longer than its field: cut, as the form's
    // writer cuts what was typed.
    const char* text = v->description;
    for (int32_t i = 0; i < LEVEL_DESCRIPTION_LENGTH; ++i)
        record[LEVEL_DESCRIPTION_OFFSET + i] = *text ? (unsigned char)*text++ : ' ';
    for (int32_t i = 0; i < LEVEL_WORD_COUNT; ++i)
        put_word(record + LEVEL_START_X_OFFSET + 2 * i, v->words[i]);
    record[LEVEL_ANTI_GRAVITY_OFFSET] = v->anti_gravity;
    text = v->backdrop_name;
    for (int32_t i = 0; i < LEVEL_BACKDROP_LENGTH && text[i]; ++i)
        record[LEVEL_BACKDROP_OFFSET + i] = (unsigned char)text[i];
    put_word(record + LEVEL_GRAVITY_SWITCH_OFFSET, v->gravity_switch_times);
}

namespace {
// The text at offset, to the first byte that ends a line of the file runtime, or the record's end.
void record_text(const unsigned char* record, int32_t offset, char* out) {
    int32_t n = 0;
    for (int32_t i = offset; i < LEVEL_RECORD_SIZE; ++i) {
        unsigned char c = record[i];
        if (c == 0x00 || c == 0x0A || c == 0x0D)
            break;
        out[n++] = (char)c;
    }
    out[n] = 0;
}

int16_t record_word(const unsigned char* record, int32_t offset) {
    return (int16_t)(uint16_t)(record[offset] | record[offset + 1] << 8);
}
} // namespace

void level_decode(const unsigned char record[LEVEL_RECORD_SIZE], LevelValues* v) {
    record_text(record, LEVEL_DESCRIPTION_OFFSET, v->description);
    for (int32_t i = 0; i < LEVEL_WORD_COUNT; ++i)
        v->words[i] = record_word(record, LEVEL_START_X_OFFSET + 2 * i);
    v->anti_gravity = record[LEVEL_ANTI_GRAVITY_OFFSET];
    record_text(record, LEVEL_BACKDROP_OFFSET, v->backdrop_name);
    v->gravity_switch_times = record_word(record, LEVEL_GRAVITY_SWITCH_OFFSET);
}
