// Writing and reading the level record through the current file, one value at a time, in the
// order the game's format fixes. The texts are produced in the temporary string area.
#include "level.h"
#include "file.h"
#include "str.h"

void level_record_write(const LevelFields* f) {
    // The caller's texts may end right at the current position (a fetched text whose terminator
    // the position rests on): step once so nothing produced here can overwrite one of them.
    char* saved = str_position();
    str_step();
    char* start = str_position();

    file_write_string(str_pad_right(f->description, LEVEL_DESCRIPTION_LENGTH, " ", start));
    file_write_byte(0);
    for (int32_t i = 0; i < LEVEL_WORD_COUNT; ++i)
        file_write_word(str_to_int(f->words[i]));
    file_write_byte(f->anti_gravity);

    // The name ends at its first zero byte; the fill keeps the terminator at offset 53.
    file_write_string(str_left(f->backdrop_name, LEVEL_BACKDROP_LENGTH, start));
    for (int32_t n = str_length(f->backdrop_name); n < LEVEL_BACKDROP_LENGTH; ++n)
        file_write_byte(0);
    file_write_byte(0);

    file_write_word(str_to_int(f->gravity_switch_times));
    str_set_position(saved);
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
