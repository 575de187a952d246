// The level record's field table, the checks applied to the form's texts before a record is
// written, and the record's bytes made and read in memory. Pure: no platform call, so the rules are
// tested on their own.
#include "level.h"
#include "str.h"

namespace {
// Labels are the form's own texts, used by callers in messages and listings.
const LevelFieldInfo FIELDS[LEVEL_FIELD_COUNT] = {
    {"description", "Level Description", 2, LEVEL_DESCRIPTION_OFFSET, LEVEL_KIND_TEXT},
    {"start_x", "Wumpo Start X:", 5, LEVEL_START_X_OFFSET, LEVEL_KIND_WORD},
    {"start_y", "Wumpo Start Y:", 6, LEVEL_START_Y_OFFSET, LEVEL_KIND_WORD},
    {"exit_x", "Wumpo Exit X:", 7, LEVEL_EXIT_X_OFFSET, LEVEL_KIND_WORD},
    {"exit_y", "Wumpo Exit Y:", 8, LEVEL_EXIT_Y_OFFSET, LEVEL_KIND_WORD},
    {"draw_material", "Amount of draw material:", 9, LEVEL_DRAW_MATERIAL_OFFSET, LEVEL_KIND_WORD},
    {"wumpo_to_create", "Amount of Wumpo to create:", 10, LEVEL_WUMPO_TO_CREATE_OFFSET,
     LEVEL_KIND_WORD},
    {"wumpo_to_save", "Amount of Wumpo you need to save:", 11, LEVEL_WUMPO_TO_SAVE_OFFSET,
     LEVEL_KIND_WORD},
    {"level_time", "Level time in seconds:", 12, LEVEL_TIME_OFFSET, LEVEL_KIND_WORD},
    {"anti_gravity", "Anti-Gravity mode?", 21, LEVEL_ANTI_GRAVITY_OFFSET, LEVEL_KIND_CHECK},
    {"backdrop_name", "Name of backdrop to use: (SPACE.IMG = default)", 22, LEVEL_BACKDROP_OFFSET,
     LEVEL_KIND_TEXT},
    {"gravity_switch_times", "Switch Gravity Times:", 25, LEVEL_GRAVITY_SWITCH_OFFSET,
     LEVEL_KIND_WORD},
};

int same_text(const char* a, const char* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

void put_word(unsigned char* at, int32_t value) {
    at[0] = (unsigned char)value;
    at[1] = (unsigned char)(value >> 8);
}
} // namespace

const LevelFieldInfo* level_field_info(int32_t index) {
    if (index < 0 || index >= LEVEL_FIELD_COUNT)
        return 0;
    return &FIELDS[index];
}

int32_t level_field_of_gadget(int32_t gadget) {
    for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        if (FIELDS[i].gadget == gadget)
            return i;
    }
    return -1;
}

const char* level_field_message_label(int32_t index, int32_t* length) {
    if (index < 0 || index >= LEVEL_FIELD_COUNT)
        return 0;
    // The form's label says what the default is; a message needs only the field's name.
    static const char BACKDROP[] = "Name of backdrop";
    if (index == LEVEL_FIELD_BACKDROP_NAME) {
        *length = (int32_t)sizeof BACKDROP - 1;
        return BACKDROP;
    }
    const char* label = FIELDS[index].label;
    int32_t n = str_length(label);
    if (n > 0 && (label[n - 1] == ':' || label[n - 1] == '?'))
        --n;
    *length = n;
    return label;
}

void level_starting_values(LevelFields* f) {
    *f = LevelFields{"", {"", "", "", "", "", "", "", ""}, 0, LEVEL_STARTING_BACKDROP, ""};
}

int32_t level_field_find(const char* name) {
    if (!name)
        return -1;
    for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        if (same_text(FIELDS[i].name, name))
            return i;
    }
    return -1;
}

const char** level_field_text(LevelFields* f, int32_t index) {
    if (!f)
        return 0;
    switch (index) {
    case LEVEL_FIELD_DESCRIPTION:
        return &f->description;
    case LEVEL_FIELD_BACKDROP_NAME:
        return &f->backdrop_name;
    case LEVEL_FIELD_GRAVITY_SWITCH_TIMES:
        return &f->gravity_switch_times;
    default:
        if (index >= LEVEL_FIELD_START_X && index <= LEVEL_FIELD_LEVEL_TIME)
            return &f->words[index - LEVEL_FIELD_START_X];
        return 0;
    }
}

int level_number_check(const char* text) {
    if (!text)
        return 1;
    // Spaces only, as the string runtime's number reading skips spaces only (a tab ends it).
    while (*text == ' ')
        ++text;
    if (!*text)
        return 1;
    int negative = 0;
    if (*text == '-' || *text == '+') {
        negative = *text == '-';
        ++text;
    }
    if (*text < '0' || *text > '9')
        return 0;
    // The value stops growing once it is out of range, so any number of digits is safe.
    int32_t value = 0;
    while (*text >= '0' && *text <= '9') {
        if (value <= 65536)
            value = value * 10 + (*text - '0');
        ++text;
    }
    while (*text == ' ')
        ++text;
    if (*text)
        return 0;
    return negative ? value <= 32768 : value <= 65535;
}

int level_backdrop_check(const char* text) {
    if (!text)
        return 1;
    int32_t n = 0;
    while (text[n] && n <= LEVEL_BACKDROP_LENGTH)
        ++n;
    return n <= LEVEL_BACKDROP_LENGTH;
}

void level_record_bytes(const LevelFields* f, unsigned char record[LEVEL_RECORD_SIZE]) {
    for (int32_t i = 0; i < LEVEL_RECORD_SIZE; ++i)
        record[i] = 0;
    // As the writer's str_pad_right and str_left: cut at the length, spaces after a shorter
    // description, zero bytes after a shorter backdrop name.
    const char* text = f->description ? f->description : "";
    for (int32_t i = 0; i < LEVEL_DESCRIPTION_LENGTH; ++i)
        record[LEVEL_DESCRIPTION_OFFSET + i] = *text ? (unsigned char)*text++ : ' ';
    for (int32_t i = 0; i < LEVEL_WORD_COUNT; ++i)
        put_word(record + LEVEL_START_X_OFFSET + 2 * i, str_to_int(f->words[i]));
    record[LEVEL_ANTI_GRAVITY_OFFSET] = (unsigned char)f->anti_gravity;
    text = f->backdrop_name ? f->backdrop_name : "";
    for (int32_t i = 0; i < LEVEL_BACKDROP_LENGTH && text[i]; ++i)
        record[LEVEL_BACKDROP_OFFSET + i] = (unsigned char)text[i];
    put_word(record + LEVEL_GRAVITY_SWITCH_OFFSET, str_to_int(f->gravity_switch_times));
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

// The signed little-endian word at offset in decimal, as the file runtime reads a word.
void record_word(const unsigned char* record, int32_t offset, char out[8]) {
    int32_t value = (int16_t)(uint16_t)(record[offset] | record[offset + 1] << 8);
    char digits[8];
    int32_t n = 0;
    uint32_t magnitude = value < 0 ? (uint32_t)-value : (uint32_t)value;
    do {
        digits[n++] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int32_t at = 0;
    if (value < 0)
        out[at++] = '-';
    while (n)
        out[at++] = digits[--n];
    out[at] = 0;
}
} // namespace

void level_record_texts(const unsigned char record[LEVEL_RECORD_SIZE], LevelTexts* texts,
                        LevelFields* f) {
    record_text(record, LEVEL_DESCRIPTION_OFFSET, texts->description);
    f->description = texts->description;
    for (int32_t i = 0; i < LEVEL_WORD_COUNT; ++i) {
        record_word(record, LEVEL_START_X_OFFSET + 2 * i, texts->words[i]);
        f->words[i] = texts->words[i];
    }
    f->anti_gravity = record[LEVEL_ANTI_GRAVITY_OFFSET];
    record_text(record, LEVEL_BACKDROP_OFFSET, texts->backdrop_name);
    f->backdrop_name = texts->backdrop_name;
    record_word(record, LEVEL_GRAVITY_SWITCH_OFFSET, texts->gravity_switch_times);
    f->gravity_switch_times = texts->gravity_switch_times;
}
