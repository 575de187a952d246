// The pack file and a level's JSON, read through the JSON module into entries whose texts live
// in this module's text store; and the checks of a level's values. Pure but for the runtime heap:
// no file is opened here.
#include "pack.h"
#include <string.h>
#include "order.h"
#include "findings.h"
#include "heap.h"
#include "json.h"
#include "screen_image_dither.h"
#include "str.h"
#include "text.h"

namespace {
// Texts are kept in chunks that never move, so a text's address holds until pack_release.
struct TextChunk {
    TextChunk* next;
    uint32_t used, room;
    // the texts follow
};
enum { CHUNK_ROOM = 8192 };

enum PackSize {
    KEY_NAME_MOST = 40 // a key longer than this is shown cut and gets no suggestion
};

struct PackState {
    PackEntry* entries;
    int32_t count, capacity;
    const char* output;
    FindingPlace output_at;
    TextChunk* chunks;
    int memory_short; // a text or an entry could not be kept
};
PackState PACK;

// What a finding is about while one object is read.
struct Place {
    const char* entry; // "levels[3]", or 0 at the top
    const char* name;  // the entry's name when it could be read
};

// A copy of n bytes of text (and a terminator) in the text store; 0 when the heap refuses.
const char* keep(const char* text, uint32_t n) {
    TextChunk* c = PACK.chunks;
    if (!c || c->room - c->used < n + 1) {
        uint32_t room = n + 1 > CHUNK_ROOM ? n + 1 : (uint32_t)CHUNK_ROOM;
        c = (TextChunk*)heap_allocate(sizeof(TextChunk) + room);
        if (!c) {
            PACK.memory_short = 1;
            return 0;
        }
        c->room = room;
        c->next = PACK.chunks;
        PACK.chunks = c;
    }
    char* out = (char*)(c + 1) + c->used;
    for (uint32_t i = 0; i < n; ++i)
        out[i] = text[i];
    out[n] = 0;
    c->used += n + 1;
    return out;
}

const char* keep_text(const char* text) {
    return text ? keep(text, (uint32_t)strlen(text)) : 0;
}

// Adds e (its texts already kept) to the entries; 0 when the heap refuses.
int append(const PackEntry* e) {
    if (!heap_table_room((void**)&PACK.entries, PACK.count, &PACK.capacity, sizeof(PackEntry),
                         64)) {
        PACK.memory_short = 1;
        return 0;
    }
    PACK.entries[PACK.count++] = *e;
    return 1;
}

void report(int32_t severity, const Place* at, const char* key, FindingPlace where, int32_t kind,
            const char* message) {
    findings_add_at(severity, at->entry, at->name, key, where, kind, message);
}

FindingPlace place_of(const JsonValue* v) {
    FindingPlace p = {0, 0};
    json_place(v, &p.line, &p.column);
    return p;
}

FindingPlace key_place(const JsonValue* object, uint32_t index) {
    FindingPlace p = {0, 0};
    json_key_place(object, index, &p.line, &p.column);
    return p;
}

// The key as the messages show it: ASCII as it is, anything else as '?', cut at
// KEY_NAME_MOST, so it always fits the KEY_SHOWN_ROOM bytes at out.
enum { KEY_SHOWN_ROOM = KEY_NAME_MOST + 1 };
const char* key_shown(const JsonText* key, char* out) {
    uint32_t n = key->count < KEY_NAME_MOST ? key->count : (uint32_t)KEY_NAME_MOST;
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t u = (uint32_t)key->units[i];
        out[i] = u >= 0x20 && u < 0x7F ? (char)u : '?';
    }
    out[n] = 0;
    return out;
}

// Edits (one character changed, added, dropped, or two neighbours swapped) from a to b.
uint32_t distance(const JsonText* a, const char* b) {
    uint32_t m = a->count, n = (uint32_t)strlen(b);
    if (m > KEY_NAME_MOST || n > KEY_NAME_MOST)
        return 99;
    uint32_t rows[3][KEY_NAME_MOST + 1];
    for (uint32_t j = 0; j <= n; ++j)
        rows[0][j] = j;
    for (uint32_t i = 1; i <= m; ++i) {
        uint32_t* row = rows[i % 3];
        const uint32_t* up = rows[(i + 2) % 3];
        const uint32_t* up2 = rows[(i + 1) % 3];
        row[0] = i;
        for (uint32_t j = 1; j <= n; ++j) {
            uint32_t ca = (uint32_t)a->units[i - 1], cb = (unsigned char)b[j - 1];
            uint32_t best = up[j - 1] + (ca == cb ? 0 : 1);
            if (up[j] + 1 < best)
                best = up[j] + 1;
            if (row[j - 1] + 1 < best)
                best = row[j - 1] + 1;
            if (i > 1 && j > 1 && ca == (unsigned char)b[j - 2] &&
                (uint32_t)a->units[i - 2] == cb && up2[j - 2] + 1 < best)
                best = up2[j - 2] + 1;
            row[j] = best;
        }
    }
    return rows[m % 3][n];
}

// The keys an object may have: the top of a pack, a backdrop, a level (name, picture and the
// level's fields), a level on its own (the fields alone).
enum ObjectKind { OBJECT_PACK, OBJECT_BACKDROP, OBJECT_LEVEL, OBJECT_LEVEL_ONLY };
const char* const PACK_KEYS[] = {"output", "backdrops", "levels"};
const char* const ENTRY_KEYS[] = {"name", "picture", "dither"};

// Takes name as *best when it is fewer edits from text than *best_distance, which starts at 3:
// a slip is two edits at most.
void keep_nearer(const JsonText* text, const char* name, const char** best,
                 uint32_t* best_distance) {
    uint32_t d = distance(text, name);
    if (d < *best_distance) {
        *best = name;
        *best_distance = d;
    }
}

// The nearest allowed key, two edits at most away; 0 when none is that near.
const char* nearest_key(const JsonText* key, int32_t kind) {
    const char* best = 0;
    uint32_t best_distance = 3;
    uint32_t count = kind == OBJECT_PACK         ? sizeof PACK_KEYS / sizeof *PACK_KEYS
                     : kind == OBJECT_LEVEL_ONLY ? 0
                                                 : sizeof ENTRY_KEYS / sizeof *ENTRY_KEYS;
    for (uint32_t i = 0; i < count; ++i)
        keep_nearer(key, kind == OBJECT_PACK ? PACK_KEYS[i] : ENTRY_KEYS[i], &best, &best_distance);
    if (kind == OBJECT_LEVEL || kind == OBJECT_LEVEL_ONLY) {
        for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i)
            keep_nearer(key, level_field_info(i)->name, &best, &best_distance);
    }
    return best;
}

// "Unknown key (did you mean "start_x"?)", under the key as given.
void report_unknown(const Place* at, const JsonText* key, FindingPlace where, int32_t kind) {
    char shown[KEY_SHOWN_ROOM];
    char message[TEXT_MESSAGE_ROOM];
    text_format(message, sizeof message, "Unknown key");
    const char* near = nearest_key(key, kind);
    if (near)
        text_add(message, sizeof message, " (did you mean \"%s\"?)", near);
    report(FINDING_ERROR, at, key_shown(key, shown), where, FINDING_KIND_UNKNOWN_KEY, message);
}

void report_twice(const Place* at, const JsonText* key, FindingPlace where) {
    char shown[KEY_SHOWN_ROOM];
    report(FINDING_ERROR, at, key_shown(key, shown), where, FINDING_KIND_GIVEN_TWICE,
           "Given twice");
}

// Member a's key before member b's: shorter first, then by their UTF-16 units.
int key_before(const void* data, int32_t a, int32_t b) {
    JsonText x = {0, 0}, y = {0, 0};
    json_member((const JsonValue*)data, (uint32_t)a, &x);
    json_member((const JsonValue*)data, (uint32_t)b, &y);
    if (x.count != y.count)
        return x.count < y.count;
    for (uint32_t k = 0; k < x.count; ++k) {
        if (x.units[k] != y.units[k])
            return x.units[k] < y.units[k];
    }
    return 0;
}

// For each of the object's count members, 1 when an earlier member has its key, in a heap
// block; 0 when memory is short (or there are no members).
unsigned char* given_twice(const JsonValue* object, uint32_t count) {
    int32_t* order = order_indices((int32_t)count, &key_before, object);
    unsigned char* twice = order ? (unsigned char*)heap_allocate((size_t)count) : 0;
    for (uint32_t i = 1; twice && i < count; ++i) {
        // Equal keys stand together, the first given first.
        if (!key_before(object, order[i - 1], order[i]))
            twice[order[i]] = 1;
    }
    heap_free(order);
    return twice;
}

// A text value as the code page's text (file_name: as a file name), kept; 0 after reporting why
// not. label names the value in the messages ("Level Description", "The picture").
const char* read_text(const JsonValue* v, const Place* at, const char* key, const char* label,
                      int file_name) {
    JsonText text = {0, 0};
    char message[TEXT_MESSAGE_ROOM];
    if (!json_text(v, &text)) {
        text_format(message, sizeof message, "%s has to be a text in double quotes", label);
        report(FINDING_ERROR, at, key, place_of(v), FINDING_KIND_VALUE, message);
        return 0;
    }
    char* block = 0;
    int outcome = file_name ? json_file_name(&text, &block) : json_code_page(&text, &block);
    const char* kept = outcome == JSON_CODE_PAGE_DONE ? keep_text(block) : 0;
    heap_free(block);
    if (kept)
        return kept;
    const char* problem = ": not enough memory";
    if (outcome == JSON_CODE_PAGE_LOST)
        problem = file_name ? " is not a name the system can take"
                            : " has a character that the level file's code page does not have";
    else if (outcome == JSON_CODE_PAGE_ZERO)
        problem = " has the character \\u0000, which would end it";
    text_format(message, sizeof message, "%s%s", label, problem);
    report(FINDING_ERROR, at, key, place_of(v), FINDING_KIND_VALUE, message);
    return 0;
}

// The dithering a value names (ScreenImageDither); DITHER_NONE after reporting that it names
// none, with the name it is likely a slip for.
int32_t read_dither(const JsonValue* v, const Place* at) {
    JsonText text = {0, 0};
    int is_text = json_text(v, &text);
    const char* near = 0;
    uint32_t near_distance = 3;
    for (int32_t kind = 0; is_text && kind < DITHER_KIND_COUNT; ++kind)
        keep_nearer(&text, screen_image_dither_name(kind), &near, &near_distance);
    if (near && near_distance == 0)
        return screen_image_dither_find(near);
    char message[TEXT_MESSAGE_ROOM];
    text_format(message, sizeof message,
                "The dither has to be %s\"none\", \"ordered\" or \"diffusion\"",
                is_text ? "" : "a text in double quotes: ");
    if (near)
        text_add(message, sizeof message, " (did you mean \"%s\"?)", near);
    report(FINDING_ERROR, at, "dither", place_of(v), FINDING_KIND_VALUE, message);
    return DITHER_NONE;
}

// A file name of its own: no folder part, none of the characters Windows refuses in names.
int plain_name(const char* name) {
    if (!name[0] || text_equal(name, ".") || text_equal(name, ".."))
        return 0;
    for (const unsigned char* p = (const unsigned char*)name; *p; ++p) {
        if (*p < 0x20)
            return 0;
        for (const char* bad = "\\/:*?\"<>|"; *bad; ++bad) {
            if (*p == (unsigned char)*bad)
                return 0;
        }
    }
    return 1;
}

// The name's own problem for a file on any system (packs move between them), or 0. Its files
// are NAME.LVL and NAME.IMG, and each is written first as NAME.EXT.~PROCESS-N.tmp, at most 29
// bytes more than the name, within the 255 bytes a name may have.
enum { NAME_MOST = 255 - 30 };
const char* name_problem(const char* name) {
    if (!plain_name(name))
        return "The name has to be a file name without a folder, and none of "
               "\\ / : * ? \" < > | or control characters";
    size_t n = strlen(name);
    if (n > (size_t)NAME_MOST)
        return "The name is longer than 225 bytes: its files' names would pass the 255 bytes a "
               "file name may have";
    if (name[n - 1] == '.' || name[n - 1] == ' ')
        return "The name has to end in neither a dot nor a space, which Windows drops";
    // Windows takes these, whatever follows a dot and with any spaces or dots before it, as
    // devices, not files.
    int32_t base = 0;
    while (name[base] && name[base] != '.')
        ++base;
    while (base > 0 && (name[base - 1] == ' ' || name[base - 1] == '.'))
        --base;
    static const char* const DEVICES[] = {"CON", "PRN", "AUX", "NUL"};
    char upper[5] = {0, 0, 0, 0, 0};
    for (int32_t i = 0; i < base && i < 4; ++i)
        upper[i] = name[i] >= 'a' && name[i] <= 'z' ? (char)(name[i] - 32) : name[i];
    int device = 0;
    for (int32_t i = 0; i < 4 && base == 3; ++i)
        device |= text_equal(upper, DEVICES[i]);
    if (base == 4 && upper[3] >= '1' && upper[3] <= '9') {
        upper[3] = 0;
        device = text_equal(upper, "COM") || text_equal(upper, "LPT");
    }
    if (device)
        return "The name is a device on Windows (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to "
               "LPT9), which no file can be";
    return 0;
}

// One level field from its JSON value into f; reports what is wrong with it.
void read_field(const JsonValue* v, int32_t index, const Place* at, LevelFields* f) {
    const LevelFieldInfo* info = level_field_info(index);
    if (info->kind == LEVEL_KIND_TEXT) {
        int32_t label_length = 0;
        const char* name = level_field_message_label(index, &label_length);
        char label[TEXT_NAME_ROOM];
        text_format(label, sizeof label, "%.*s", (int)label_length, name);
        const char* text = read_text(v, at, info->name, label, 0);
        if (text)
            *level_field_text(f, index) = text;
        return;
    }
    // A number is held to the level's rule as the form's text of it would be; anything else
    // breaks it.
    int64_t n = 0;
    int whole = json_whole(v, &n);
    int check_box = info->kind == LEVEL_KIND_CHECK;
    int32_t rule = level_rule_find(index, check_box ? LEVEL_RULE_CHECK_BOX : LEVEL_RULE_WORD);
    char number[24]; // "-9223372036854775808"
    LevelFields value = {};
    if (check_box)
        value.anti_gravity = whole && (n == 0 || n == 1) ? (int32_t)n : -1;
    else
        *level_field_text(&value, index) =
            whole && text_format(number, sizeof number, "%lld", (long long)n) ? number : "?";
    if (!level_rule_holds(rule, &value)) {
        char message[TEXT_MESSAGE_ROOM];
        level_rule_message(rule, &value, message, sizeof message);
        report(FINDING_ERROR, at, info->name, place_of(v), FINDING_KIND_LEVEL_RULE + rule, message);
    } else if (check_box) {
        f->anti_gravity = value.anti_gravity;
    } else {
        const char* kept = keep_text(number);
        if (kept)
            *level_field_text(f, index) = kept;
    }
}

// Reads the members of an entry or a level object into e; 1 when no error was found in it.
int read_object(const JsonValue* object, int32_t kind, const char* entry, PackEntry* e) {
    int32_t errors = findings_errors();
    Place at = {entry, 0};
    level_starting_values(&e->fields);
    e->is_object = json_type(object) == JSON_OBJECT;
    e->at = place_of(object);
    for (int32_t k = 0; k < LEVEL_FIELD_COUNT; ++k)
        e->field_at[k] = e->at;
    e->name_at = e->picture_at = e->at;
    if (!e->is_object) {
        report(FINDING_ERROR, &at, 0, e->at, FINDING_KIND_NOT_JSON,
               kind == OBJECT_LEVEL_ONLY ? "A level has to be a JSON object"
                                         : "Has to be a JSON object");
        return 0;
    }
    // The name first, so every message about the entry can give it.
    if (kind != OBJECT_LEVEL_ONLY) {
        const JsonValue* name = json_find(object, "name");
        if (!name) {
            report(FINDING_ERROR, &at, "name", e->at, FINDING_KIND_MISSING,
                   "Missing: the name of the files made");
        } else if ((e->name = read_text(name, &at, "name", "The name", 1)) != 0) {
            e->name_at = place_of(name);
            const char* problem = name_problem(e->name);
            if (problem)
                report(FINDING_ERROR, &at, "name", e->name_at, FINDING_KIND_NAME, problem);
            at.name = e->name;
        }
        if (!json_find(object, "picture"))
            report(FINDING_ERROR, &at, "picture", e->at, FINDING_KIND_MISSING,
                   "Missing: the picture the image is made from");
    }
    uint32_t count = json_count(object);
    unsigned char* twice = given_twice(object, count);
    if (count && !twice)
        report(FINDING_ERROR, &at, 0, FindingPlace{0, 0}, FINDING_KIND_OTHER, "Not enough memory");
    for (uint32_t i = 0; twice && i < count; ++i) {
        JsonText key = {0, 0};
        const JsonValue* v = json_member(object, i, &key);
        if (twice[i]) {
            report_twice(&at, &key, key_place(object, i));
            continue;
        }
        if (kind != OBJECT_LEVEL_ONLY && json_text_is(&key, "name"))
            continue;
        if (kind != OBJECT_LEVEL_ONLY && json_text_is(&key, "picture")) {
            e->picture_at = place_of(v);
            e->picture = read_text(v, &at, "picture", "The picture", 1);
            if (e->picture && !e->picture[0]) {
                report(FINDING_ERROR, &at, "picture", e->picture_at, FINDING_KIND_VALUE,
                       "The picture has to be named");
                e->picture = 0;
            }
            continue;
        }
        if (kind != OBJECT_LEVEL_ONLY && json_text_is(&key, "dither")) {
            e->dither = read_dither(v, &at);
            continue;
        }
        int32_t field = -1;
        if (kind == OBJECT_LEVEL || kind == OBJECT_LEVEL_ONLY) {
            for (int32_t k = 0; k < LEVEL_FIELD_COUNT && field < 0; ++k) {
                if (json_text_is(&key, level_field_info(k)->name))
                    field = k;
            }
        }
        if (field < 0) {
            report_unknown(&at, &key, key_place(object, i), kind);
        } else {
            e->field_at[field] = place_of(v);
            read_field(v, field, &at, &e->fields);
        }
    }
    heap_free(twice);
    return findings_errors() == errors;
}

// The members of list key ("levels", "backdrops") as entries of kind.
void read_list(const JsonValue* list, const char* key, int32_t kind) {
    Place top = {0, 0};
    if (json_type(list) != JSON_LIST) {
        report(FINDING_ERROR, &top, key, place_of(list), FINDING_KIND_VALUE,
               "Has to be a list in square brackets");
        return;
    }
    uint32_t count = json_count(list);
    for (uint32_t i = 0; i < count; ++i) {
        PackEntry e = {};
        e.kind = kind == OBJECT_LEVEL ? PACK_LEVEL : PACK_BACKDROP;
        e.index = (int32_t)i;
        char entry[TEXT_NAME_ROOM];
        pack_entry_label(entry, sizeof entry, &e);
        read_object(json_element(list, i), kind, entry, &e);
        // Every entry is kept, a broken one with what could be read of it, so the checks that
        // follow still see the others' names and pictures.
        if (!append(&e))
            return;
    }
}

void report_parse(const JsonError* error) {
    char message[TEXT_MESSAGE_ROOM];
    text_format(message, sizeof message, "Not JSON: line %d, column %d: %s", (int)error->line,
                (int)error->column, error->problem);
    findings_add_at(FINDING_ERROR, 0, 0, 0, FindingPlace{0, 0}, FINDING_KIND_NOT_JSON, message);
}

} // namespace

int pack_read(const unsigned char* bytes, uint32_t size) {
    pack_start();
    JsonError error;
    const JsonValue* root = json_parse(bytes, size, &error);
    if (!root) {
        report_parse(&error);
        return 0;
    }
    Place top = {0, 0};
    if (json_type(root) != JSON_OBJECT) {
        report(FINDING_ERROR, &top, 0, place_of(root), FINDING_KIND_NOT_JSON,
               "A pack has to be a JSON object");
        json_release();
        return 0;
    }
    uint32_t count = json_count(root);
    unsigned char* twice = given_twice(root, count);
    if (count && !twice)
        report(FINDING_ERROR, &top, 0, FindingPlace{0, 0}, FINDING_KIND_OTHER, "Not enough memory");
    PACK.output_at = place_of(root);
    for (uint32_t i = 0; twice && i < count; ++i) {
        JsonText key = {0, 0};
        const JsonValue* v = json_member(root, i, &key);
        if (twice[i]) {
            report_twice(&top, &key, key_place(root, i));
            continue;
        }
        if (json_text_is(&key, "output")) {
            PACK.output_at = place_of(v);
            PACK.output = read_text(v, &top, "output", "The output folder", 1);
            if (PACK.output && !PACK.output[0]) {
                report(FINDING_ERROR, &top, "output", PACK.output_at, FINDING_KIND_VALUE,
                       "The output folder has to be named");
                PACK.output = 0;
            }
        } else if (json_text_is(&key, "$schema")) {
            // Editors read it to find the schema of the file; the pack takes any text there.
            if (json_type(v) != JSON_TEXT)
                report(FINDING_ERROR, &top, "$schema", place_of(v), FINDING_KIND_VALUE,
                       "The schema has to be a text in double quotes");
        } else if (!json_text_is(&key, "backdrops") && !json_text_is(&key, "levels")) {
            report_unknown(&top, &key, key_place(root, i), OBJECT_PACK);
        }
    }
    heap_free(twice);
    if (!json_find(root, "output"))
        report(FINDING_ERROR, &top, "output", PACK.output_at, FINDING_KIND_MISSING,
               "Missing: the folder the files are written into");
    // Backdrops first: the levels name them.
    const JsonValue* backdrops = json_find(root, "backdrops");
    if (backdrops)
        read_list(backdrops, "backdrops", OBJECT_BACKDROP);
    const JsonValue* levels = json_find(root, "levels");
    if (levels)
        read_list(levels, "levels", OBJECT_LEVEL);
    json_release();
    if (PACK.memory_short)
        findings_add(FINDING_ERROR, 0, 0, 0, "Not enough memory");
    return 1;
}

int pack_read_level(const unsigned char* bytes, uint32_t size, LevelFields* f) {
    pack_start();
    level_starting_values(f);
    JsonError error;
    const JsonValue* root = json_parse(bytes, size, &error);
    if (!root) {
        report_parse(&error);
        return 0;
    }
    PackEntry e = {};
    e.kind = PACK_LEVEL;
    int read = read_object(root, OBJECT_LEVEL_ONLY, 0, &e);
    *f = e.fields;
    json_release();
    if (PACK.memory_short) {
        findings_add(FINDING_ERROR, 0, 0, 0, "Not enough memory");
        return 0;
    }
    return read;
}

void pack_start(void) {
    pack_release();
}

const char* pack_output(void) {
    return PACK.output;
}

FindingPlace pack_output_place(void) {
    return PACK.output_at;
}

void pack_set_output(const char* folder) {
    PACK.output = keep_text(folder);
}

int pack_add(int32_t kind, const char* name, const char* picture, const LevelFields* f) {
    PackEntry e = {};
    e.kind = kind;
    e.name = keep_text(name);
    e.picture = keep_text(picture);
    e.is_object = 1;
    for (int32_t i = 0; i < PACK.count; ++i)
        e.index += PACK.entries[i].kind == kind;
    level_starting_values(&e.fields);
    if (f) {
        e.fields.anti_gravity = f->anti_gravity;
        for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
            const char** text = level_field_text(&e.fields, i);
            if (text)
                *text = keep_text(*level_field_text((LevelFields*)f, i));
        }
    }
    return !PACK.memory_short && append(&e);
}

int32_t pack_count(void) {
    return PACK.count;
}

const PackEntry* pack_entry(int32_t i) {
    return i >= 0 && i < PACK.count ? &PACK.entries[i] : 0;
}

const char* pack_write(uint32_t* size) {
    json_write_start();
    json_write_object();
    // First, so that an editor knows the file's schema from its first line.
    json_write_key("$schema");
    json_write_text(PACK_SCHEMA_NAME);
    json_write_key("output");
    json_write_name(PACK.output);
    for (int32_t kind = PACK_BACKDROP; kind >= PACK_LEVEL; --kind) {
        json_write_key(kind == PACK_LEVEL ? "levels" : "backdrops");
        json_write_list();
        for (int32_t i = 0; i < PACK.count; ++i) {
            PackEntry* e = &PACK.entries[i];
            if (e->kind != kind)
                continue;
            json_write_object();
            json_write_key("name");
            json_write_name(e->name);
            json_write_key("picture");
            json_write_name(e->picture);
            for (int32_t k = 0; kind == PACK_LEVEL && k < LEVEL_FIELD_COUNT; ++k) {
                const LevelFieldInfo* info = level_field_info(k);
                json_write_key(info->name);
                if (info->kind == LEVEL_KIND_TEXT)
                    json_write_text(*level_field_text(&e->fields, k));
                else if (info->kind == LEVEL_KIND_WORD)
                    json_write_number(str_to_int(*level_field_text(&e->fields, k)));
                else
                    json_write_number(e->fields.anti_gravity);
            }
            json_write_object_end();
        }
        json_write_list_end();
    }
    json_write_object_end();
    return json_write_finish(size);
}

void pack_release(void) {
    heap_free(PACK.entries);
    while (PACK.chunks) {
        TextChunk* next = PACK.chunks->next;
        heap_free(PACK.chunks);
        PACK.chunks = next;
    }
    PACK = PackState{};
}

int pack_entry_label(char* out, int32_t room, const PackEntry* e) {
    return text_format(out, room, "%s[%d]", e->kind == PACK_LEVEL ? "levels" : "backdrops",
                       (int)e->index);
}

void pack_check_level(const char* entry, const char* name, const LevelFields* f,
                      const FindingPlace* places) {
    for (int32_t i = 0; i < level_rule_count(); ++i) {
        if (level_rule_holds(i, f))
            continue;
        const LevelRuleInfo* rule = level_rule_info(i);
        char message[TEXT_MESSAGE_ROOM];
        level_rule_message(i, f, message, sizeof message);
        findings_add_at(rule->severity == LEVEL_RULE_PACK_WARNING ? FINDING_WARNING : FINDING_ERROR,
                        entry, name, level_field_info(rule->field)->name,
                        places ? places[rule->field] : FindingPlace{0, 0},
                        FINDING_KIND_LEVEL_RULE + i, message);
    }
}
