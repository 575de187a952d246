// Load Level: a level file back into the form.
#include "level_creator.h"
#include "file.h"
#include "gadget.h"
#include "level_record.h"
#include "message.h"
#include "str.h"

namespace {
// Whether the name ends in ".LVL", in any letter case: only then is it dropped, so a name typed
// without the extension stays whole and the next Create Level writes to the same file.
int has_level_extension(const char* name, int32_t n) {
    if (n < 4 || name[n - 4] != '.')
        return 0;
    const char* ext = name + n - 3;
    return (ext[0] | 0x20) == 'l' && (ext[1] | 0x20) == 'v' && (ext[2] | 0x20) == 'l';
}
} // namespace

void level_load(void) {
    char* start = str_position();
    char* name = gadget_get_text(GADGET_LOAD_NAME);
    if (!file_open_read(0, name)) {
        str_set_position(start);
        message_box("File Access", "Error: Can't open level file", 0);
        return;
    }
    // Any other length would fill the form with whatever the file holds.
    if (file_size() != LEVEL_RECORD_SIZE) {
        file_close(0);
        str_set_position(start);
        message_box("File Access", "Error: Not a level file", 0);
        return;
    }
    int32_t n = str_length(name);
    if (has_level_extension(name, n))
        str_left(name, n - 4, name);
    gadget_set_text(GADGET_LEVEL_NAME, name);
    str_set_position(start);

    LevelFields fields;
    level_record_read(&fields);
    gadget_set_text(GADGET_DESCRIPTION, fields.description);
    for (int i = 0; i < 8; ++i)
        gadget_set_text(GADGET_START_X + i, fields.words[i]);
    gadget_set_state(GADGET_ANTI_GRAVITY, fields.anti_gravity);
    gadget_set_text(GADGET_BACKDROP, fields.backdrop_name);
    gadget_set_text(GADGET_SWITCH_GRAVITY, fields.gravity_switch_times);
    str_set_position(start);
    file_close(0);
    message_box("Done", "Level file loaded", 0);
}
