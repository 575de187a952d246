// Create Level: the form's settings as NAME.LVL, the level bitmap as NAME.IMG.
#include "level_creator.h"
#include "file.h"
#include "gadget.h"
#include "level.h"
#include "message.h"
#include "os.h"
#include "screen_image.h"
#include "str.h"

namespace {
char* field_text(int32_t gadget) {
    char* text = gadget_get_text(gadget);
    str_step();
    return text;
}

// "Error: Wumpo Start X has to be ...", from the level's rule that the form's text broke.
void report_rule(int32_t rule, const LevelFields* f) {
    char message[128] = "Error: ";
    level_rule_message(rule, f, message + 7, (int32_t)sizeof message - 7);
    message_box("Level Settings", message, 0);
}

// A text field's text as the level file holds it (Windows-1252), converted in place: the
// characters the record keeps, and for the backdrop name one more, so that its length rule sees
// a longer one. 0 when a letter has no byte there.
int field_record_text(int32_t field, char* text) {
    int32_t most =
        field == LEVEL_FIELD_DESCRIPTION ? LEVEL_DESCRIPTION_LENGTH : LEVEL_BACKDROP_LENGTH + 1;
    return level_text_take(text, most, os_text_is_utf8(), text);
}

// "Error: Level Description has a letter that the level file's code page ...": refused rather
// than stored as '?' or a look-alike letter.
void report_code_page(int32_t field) {
    char* start = str_position();
    int32_t n = 0;
    const char* label = level_field_message_label(field, &n);
    str_concat("Error: ");
    str_left(label, n, str_position());
    str_concat(LEVEL_TEXT_NOT_IN_CODE_PAGE);
    message_box("Level Settings", start, 0);
    str_set_position(start);
}

// The game stores 16-bit words and looks the backdrop up by name: a value that would be cut or
// wrapped is refused before anything is written, rather than stored as something else. The
// level's rules are applied one field at a time, in their order, stopping at the first broken;
// the check box's rule always holds, its gadget having two states. The texts must have their
// letters in the level file's code page, the backdrop's before its length is judged.
int settings_valid(void) {
    char* start = str_position();
    for (int32_t i = 0; i < level_rule_count(); ++i) {
        const LevelRuleInfo* rule = level_rule_info(i);
        if (rule->severity != LEVEL_RULE_ERROR || rule->kind == LEVEL_RULE_CHECK_BOX)
            continue;
        LevelFields f = {};
        char* text = gadget_get_text(level_field_info(rule->field)->gadget);
        if (level_field_info(rule->field)->kind == LEVEL_KIND_TEXT &&
            !field_record_text(rule->field, text)) {
            str_set_position(start);
            report_code_page(rule->field);
            return 0;
        }
        *level_field_text(&f, rule->field) = text;
        // A field read is cut at GADGET_TEXT_MAX characters, so a number that long may have
        // lost digits that the rule never saw: refused rather than stored as some other value.
        int ok = level_rule_holds(i, &f) &&
                 !(rule->kind == LEVEL_RULE_WORD && str_length(text) >= GADGET_TEXT_MAX);
        str_set_position(start);
        if (!ok) {
            report_rule(i, &f);
            return 0;
        }
    }
    int storable = field_record_text(LEVEL_FIELD_DESCRIPTION, gadget_get_text(GADGET_DESCRIPTION));
    str_set_position(start);
    if (!storable)
        report_code_page(LEVEL_FIELD_DESCRIPTION);
    return storable;
}

void write_level_file(void) {
    char* start = str_position();
    gadget_get_text(GADGET_LEVEL_NAME);
    str_concat(".LVL");
    HANDLE created = file_create(0, start);
    str_set_position(start);
    if (!created) {
        message_box("File Access", "Error: Can't create file", 0);
        return;
    }
    // Each text becomes its value as soon as it is read, so the string area holds one field's
    // text at a time whatever the fields hold.
    LevelValues values;
    for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        const LevelFieldInfo* info = level_field_info(i);
        char* text = info->kind != LEVEL_KIND_CHECK ? gadget_get_text(info->gadget) : 0;
        if (info->kind == LEVEL_KIND_TEXT)
            field_record_text(i, text); // refused above when it cannot be
        if (text)
            level_value_take(&values, i, text);
        str_set_position(start);
    }
    values.anti_gravity = (uint8_t)gadget_get_state(GADGET_ANTI_GRAVITY);
    level_record_write(&values);
    str_set_position(start);
    if (file_close(0))
        message_box("Done", "Level data file created", 0);
    else
        message_box("File Access", "Error: Can't write file", 0);
}

void write_level_image(void) {
    char* start = str_position();
    char* bitmap = field_text(GADGET_BITMAP_NAME);
    char* image = gadget_get_text(GADGET_LEVEL_NAME);
    str_concat(".IMG");
    int outcome = screen_image_convert(bitmap, image);
    str_set_position(start);
    const char* error = screen_image_error_text(outcome);
    if (error)
        message_box("File Access", error, 0);
    else
        message_box("Done", "Level image file created", 0);
}
} // namespace

void level_create(void) {
    if (!settings_valid())
        return;
    // Two independent halves: the image is converted whether or not the level file was written.
    write_level_file();
    write_level_image();
}
