// Writing and reading the level record through the current file, one value at a time, in the
// order the game's format fixes. The texts read are produced in the temporary string area.
#include "level.h"
#include "file.h"
#include "str.h"

void level_record_write(const LevelValues* v) {
    // The description padded to its field here rather than in the string area, so the writer
    // needs no room there whatever the caller keeps in it.
    char description[LEVEL_DESCRIPTION_LENGTH + 1];
    int32_t n = 0;
    for (; n < LEVEL_DESCRIPTION_LENGTH && v->description[n]; ++n)
        description[n] = v->description[n];
    for (; n < LEVEL_DESCRIPTION_LENGTH; ++n)
        description[n] = ' ';
    description[n] = 0;
    file_write_string(description);
    file_write_byte(0);
    for (int32_t i = 0; i < LEVEL_WORD_COUNT; ++i)
        file_write_word(v->words[i]);
    file_write_byte(v->anti_gravity);

    // The name ends at its first zero byte; the fill keeps the terminator at offset 53.
    for (n = 0; n < LEVEL_BACKDROP_LENGTH && v->backdrop_name[n]; ++n)
        file_write_byte((unsigned char)v->backdrop_name[n]);
    for (; n < LEVEL_BACKDROP_LENGTH; ++n)
        file_write_byte(0);
    file_write_byte(0);

    file_write_word(v->gravity_switch_times);
}

void level_record_read(LevelFields* f) {
    // The reader positions itself absolutely at 24 and 54, so the strings' contents cannot shift
    // the numbers.
    f->description = file_read_string();
    str_step();
    file_seek(LEVEL_START_X_OFFSET);
    for (int32_t i = 0; i < LEVEL_WORD_COUNT; ++i) {
        f->words[i] = int_to_str(file_read_word(), str_position());
        str_step();
    }
    f->anti_gravity = file_read_byte();
    // No seek: the name follows the byte just read.
    f->backdrop_name = file_read_string();
    str_step();
    file_seek(LEVEL_GRAVITY_SWITCH_OFFSET);
    f->gravity_switch_times = int_to_str(file_read_word(), str_position());
    str_step();
}
