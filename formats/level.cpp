// The level record's field table, the checks applied to the form's texts before a record is
// written, and the record's bytes made and read in memory. Pure: no platform call, so the rules are
// tested on their own.
#include "level.h"
#include "code_page.h"
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

// In the order they are applied: the form's fields as it checks them (the words, the check box,
// which the form's own gadget keeps to two states, the last word, the backdrop), then the pack's.
// A message's marks: %L the field's label as messages name it, %v the field's word as the level
// file keeps it, %c the Wumpo to create, %N the sprite ("The start cloud", "The exit"), %w and
// %h its size, %l and %u where its corner may be, %P the picture's width, %B the status bar's
// height, %n the description's length, %D what the file keeps of it.
const LevelRuleInfo RULES[] = {
    {LEVEL_FIELD_START_X, LEVEL_RULE_WORD, LEVEL_RULE_ERROR,
     "%L has to be a whole number from -32768 to 65535"},
    {LEVEL_FIELD_START_Y, LEVEL_RULE_WORD, LEVEL_RULE_ERROR,
     "%L has to be a whole number from -32768 to 65535"},
    {LEVEL_FIELD_EXIT_X, LEVEL_RULE_WORD, LEVEL_RULE_ERROR,
     "%L has to be a whole number from -32768 to 65535"},
    {LEVEL_FIELD_EXIT_Y, LEVEL_RULE_WORD, LEVEL_RULE_ERROR,
     "%L has to be a whole number from -32768 to 65535"},
    {LEVEL_FIELD_DRAW_MATERIAL, LEVEL_RULE_WORD, LEVEL_RULE_ERROR,
     "%L has to be a whole number from -32768 to 65535"},
    {LEVEL_FIELD_WUMPO_TO_CREATE, LEVEL_RULE_WORD, LEVEL_RULE_ERROR,
     "%L has to be a whole number from -32768 to 65535"},
    {LEVEL_FIELD_WUMPO_TO_SAVE, LEVEL_RULE_WORD, LEVEL_RULE_ERROR,
     "%L has to be a whole number from -32768 to 65535"},
    {LEVEL_FIELD_LEVEL_TIME, LEVEL_RULE_WORD, LEVEL_RULE_ERROR,
     "%L has to be a whole number from -32768 to 65535"},
    {LEVEL_FIELD_ANTI_GRAVITY, LEVEL_RULE_CHECK_BOX, LEVEL_RULE_ERROR, "%L has to be 0 or 1"},
    {LEVEL_FIELD_GRAVITY_SWITCH_TIMES, LEVEL_RULE_WORD, LEVEL_RULE_ERROR,
     "%L has to be a whole number from -32768 to 65535"},
    {LEVEL_FIELD_BACKDROP_NAME, LEVEL_RULE_BACKDROP, LEVEL_RULE_ERROR,
     "%L has to be 12 characters or fewer"},
    {LEVEL_FIELD_WUMPO_TO_SAVE, LEVEL_RULE_SAVE, LEVEL_RULE_PACK_ERROR,
     "%v Wumpo to save, but only %c are created"},
    {LEVEL_FIELD_START_X, LEVEL_RULE_START, LEVEL_RULE_PACK_WARNING,
     "%N (%w x %h) at x = %v is not wholly on the %P-pixel-wide picture (x from %l to %u)"},
    {LEVEL_FIELD_START_Y, LEVEL_RULE_START, LEVEL_RULE_PACK_WARNING,
     "%N (%w x %h) at y = %v is not wholly on the picture below the %B-pixel status bar (y from %l "
     "to %u)"},
    {LEVEL_FIELD_EXIT_X, LEVEL_RULE_EXIT, LEVEL_RULE_PACK_WARNING,
     "%N (%w x %h) at x = %v is not wholly on the %P-pixel-wide picture (x from %l to %u)"},
    {LEVEL_FIELD_EXIT_Y, LEVEL_RULE_EXIT, LEVEL_RULE_PACK_WARNING,
     "%N (%w x %h) at y = %v is not wholly on the picture below the %B-pixel status bar (y from %l "
     "to %u)"},
    {LEVEL_FIELD_LEVEL_TIME, LEVEL_RULE_TIME, LEVEL_RULE_PACK_WARNING, "%L is 0"},
    {LEVEL_FIELD_DESCRIPTION, LEVEL_RULE_DESCRIPTION, LEVEL_RULE_PACK_WARNING,
     "%L has %n characters; the level file keeps the first %D"},
};
const int32_t RULE_COUNT = (int32_t)(sizeof RULES / sizeof RULES[0]);

// A message made in out, room bytes: each piece is added while it fits, and a piece that does not
// is cut, the text always ended.
struct Message {
    char* out;
    int32_t room, used;
    int whole;
};

void add_text(Message* m, const char* text, int32_t n) {
    for (int32_t i = 0; i < n && text[i]; ++i) {
        if (m->used + 1 >= m->room) {
            m->whole = 0;
            break;
        }
        m->out[m->used++] = text[i];
    }
    if (m->room > 0)
        m->out[m->used] = 0;
}

void add(Message* m, const char* text) {
    add_text(m, text, 0x7FFFFFFF);
}

void add_number(Message* m, int32_t value) {
    char digits[12];
    add(m, str_decimal(value, digits));
}

// The word of a field as the level file keeps it.
int32_t kept_word(const LevelFields* f, int32_t field) {
    LevelValues v;
    level_value_take(&v, field, *level_field_text((LevelFields*)f, field));
    return level_value_word(&v, field);
}

// Where a sprite's corner may be, on one axis, for the picture below the status bar.
void place_range(const LevelRuleInfo* rule, int32_t* low, int32_t* high) {
    int horizontal = rule->field == LEVEL_FIELD_START_X || rule->field == LEVEL_FIELD_EXIT_X;
    int start = rule->kind == LEVEL_RULE_START;
    int32_t size = horizontal ? (start ? LEVEL_START_WIDTH : LEVEL_EXIT_WIDTH)
                              : (start ? LEVEL_START_HEIGHT : LEVEL_EXIT_HEIGHT);
    *low = horizontal ? 0 : LEVEL_STATUS_BAR_HEIGHT;
    *high = (horizontal ? LEVEL_PICTURE_WIDTH : LEVEL_PICTURE_HEIGHT) - size;
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

void level_value_take(LevelValues* v, int32_t index, const char* text) {
    const LevelFieldInfo* info = level_field_info(index);
    if (!info || info->kind == LEVEL_KIND_CHECK)
        return;
    if (info->kind == LEVEL_KIND_WORD) {
        int16_t word = (int16_t)(uint16_t)str_to_int(text);
        if (index == LEVEL_FIELD_GRAVITY_SWITCH_TIMES)
            v->gravity_switch_times = word;
        else
            v->words[index - LEVEL_FIELD_START_X] = word;
        return;
    }
    int description = index == LEVEL_FIELD_DESCRIPTION;
    char* out = description ? v->description : v->backdrop_name;
    int32_t most = description ? LEVEL_DESCRIPTION_LENGTH : LEVEL_BACKDROP_LENGTH;
    int32_t n = 0;
    for (; text && n < most && text[n]; ++n)
        out[n] = text[n];
    out[n] = 0;
}

int32_t level_value_word(const LevelValues* v, int32_t index) {
    if (index == LEVEL_FIELD_GRAVITY_SWITCH_TIMES)
        return v->gravity_switch_times;
    if (index >= LEVEL_FIELD_START_X && index <= LEVEL_FIELD_LEVEL_TIME)
        return v->words[index - LEVEL_FIELD_START_X];
    return 0;
}

void level_values_of(const LevelFields* f, LevelValues* v) {
    for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        if (i != LEVEL_FIELD_ANTI_GRAVITY)
            level_value_take(v, i, *level_field_text((LevelFields*)f, i));
    }
    v->anti_gravity = (uint8_t)f->anti_gravity;
}

void level_fields_of(const LevelValues* v, LevelTexts* texts, LevelFields* f) {
    f->description = v->description;
    for (int32_t i = 0; i < LEVEL_WORD_COUNT; ++i)
        f->words[i] = str_decimal(v->words[i], texts->words[i]);
    f->anti_gravity = v->anti_gravity;
    f->backdrop_name = v->backdrop_name;
    f->gravity_switch_times = str_decimal(v->gravity_switch_times, texts->gravity_switch_times);
}

int32_t level_rule_count(void) {
    return RULE_COUNT;
}

const LevelRuleInfo* level_rule_info(int32_t index) {
    return index >= 0 && index < RULE_COUNT ? &RULES[index] : 0;
}

int32_t level_rule_find(int32_t field, int32_t kind) {
    for (int32_t i = 0; i < RULE_COUNT; ++i) {
        if (RULES[i].field == field && RULES[i].kind == kind)
            return i;
    }
    return -1;
}

int level_rule_holds(int32_t index, const LevelFields* f) {
    const LevelRuleInfo* rule = level_rule_info(index);
    if (!rule)
        return 1;
    int32_t low = 0, high = 0;
    switch (rule->kind) {
    case LEVEL_RULE_WORD:
        return level_number_check(*level_field_text((LevelFields*)f, rule->field));
    case LEVEL_RULE_CHECK_BOX:
        return f->anti_gravity == 0 || f->anti_gravity == 1;
    case LEVEL_RULE_BACKDROP:
        return level_backdrop_check(f->backdrop_name);
    case LEVEL_RULE_SAVE:
        return kept_word(f, LEVEL_FIELD_WUMPO_TO_SAVE) <= kept_word(f, LEVEL_FIELD_WUMPO_TO_CREATE);
    case LEVEL_RULE_START:
    case LEVEL_RULE_EXIT:
        place_range(rule, &low, &high);
        return kept_word(f, rule->field) >= low && kept_word(f, rule->field) <= high;
    case LEVEL_RULE_TIME:
        return kept_word(f, LEVEL_FIELD_LEVEL_TIME) != 0;
    default:
        return str_length(f->description) <= LEVEL_DESCRIPTION_LENGTH;
    }
}

int level_rule_message(int32_t index, const LevelFields* f, char* out, int32_t room) {
    Message m = {out, room, 0, room > 0};
    if (room > 0)
        out[0] = 0;
    const LevelRuleInfo* rule = level_rule_info(index);
    if (!rule)
        return m.whole;
    int32_t low = 0, high = 0;
    place_range(rule, &low, &high);
    int start = rule->kind == LEVEL_RULE_START;
    for (const char* p = rule->message; *p; ++p) {
        if (*p != '%') {
            add_text(&m, p, 1);
            continue;
        }
        int32_t n = 0;
        const char* label = 0;
        switch (*++p) {
        case 'L':
            label = level_field_message_label(rule->field, &n);
            add_text(&m, label, n);
            continue;
        case 'N':
            add(&m, start ? "The start cloud" : "The exit");
            continue;
        case 'v':
            n = kept_word(f, rule->field);
            break;
        case 'c':
            n = kept_word(f, LEVEL_FIELD_WUMPO_TO_CREATE);
            break;
        case 'w':
            n = start ? LEVEL_START_WIDTH : LEVEL_EXIT_WIDTH;
            break;
        case 'h':
            n = start ? LEVEL_START_HEIGHT : LEVEL_EXIT_HEIGHT;
            break;
        case 'l':
            n = low;
            break;
        case 'u':
            n = high;
            break;
        case 'P':
            n = LEVEL_PICTURE_WIDTH;
            break;
        case 'B':
            n = LEVEL_STATUS_BAR_HEIGHT;
            break;
        case 'n':
            n = str_length(f->description);
            break;
        default:
            n = LEVEL_DESCRIPTION_LENGTH;
            break;
        }
        add_number(&m, n);
    }
    return m.whole;
}

int level_text_take(const char* text, int32_t most, int utf8, char* out) {
    if (utf8)
        return code_page_1252_of_utf8(text, most, out);
    const char* t = text ? text : "";
    int32_t n = 0;
    for (; t[n] && (most < 0 || n < most); ++n)
        out[n] = t[n];
    out[n] = 0;
    return 1;
}

int level_text_show(const char* text, int utf8, char* out, int32_t room) {
    if (utf8)
        return code_page_utf8_of_1252(text, out, room);
    if (room < 1)
        return 0;
    const char* t = text ? text : "";
    int32_t n = 0;
    for (; t[n] && n + 1 < room; ++n)
        out[n] = t[n];
    out[n] = 0;
    return t[n] == 0;
}
