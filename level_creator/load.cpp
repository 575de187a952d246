// Load Level: a level file back into the form.
#include "level_creator.h"
#include "file.h"
#include "gadget.h"
#include "level.h"
#include "message.h"
#include "os.h"
#include "str.h"

void level_load(void) {
    char* start = str_position();
    char* name = gadget_get_text(GADGET_LOAD_NAME);
    if (!file_open_read(0, name)) {
        str_set_position(start);
        message_box("File Access", "Error: " LEVEL_FILE_NOT_OPENED, 0);
        return;
    }
    // Any other length would fill the form with whatever the file holds.
    if (file_size() != LEVEL_RECORD_SIZE) {
        file_close(0);
        str_set_position(start);
        message_box("File Access", "Error: " LEVEL_FILE_WRONG_SIZE, 0);
        return;
    }
    int32_t n = str_length(name);
    // Only a ".LVL" ending (in any letter case) is dropped, so a name typed without the
    // extension stays whole and the next Create Level writes to the same file.
    if (str_has_extension(name, ".lvl"))
        str_left(name, n - 4, name);
    gadget_set_text(GADGET_LEVEL_NAME, name);
    str_set_position(start);

    LevelFields fields;
    level_record_read(&fields);
    // The file's texts are Windows-1252, the form's the system's code page.
    char shown[3 * LEVEL_RECORD_SIZE + 1];
    level_text_show(fields.description, os_text_is_utf8(), shown, (int32_t)sizeof shown);
    gadget_set_text(GADGET_DESCRIPTION, shown);
    for (int i = 0; i < 8; ++i)
        gadget_set_text(GADGET_START_X + i, fields.words[i]);
    gadget_set_state(GADGET_ANTI_GRAVITY, fields.anti_gravity);
    level_text_show(fields.backdrop_name, os_text_is_utf8(), shown, (int32_t)sizeof shown);
    gadget_set_text(GADGET_BACKDROP, shown);
    gadget_set_text(GADGET_SWITCH_GRAVITY, fields.gravity_switch_times);
    str_set_position(start);
    file_close(0);
    message_box("Done", "Level file loaded", 0);
}
