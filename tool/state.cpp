// The build state file through the JSON module. Numbers of 64 bits are kept as hexadecimal texts,
// since JSON readers elsewhere may hold numbers as doubles, which do not keep 64 bits.
#include "state.h"
#include "heap.h"
#include "json.h"
#include "order.h"
#include "screen_image_dither.h"
#include "text.h"

namespace {
struct StateState {
    StateFile* files;
    int32_t count;
    int32_t* by_file; // the records in the order of their files' names; 0 when memory was short
};
StateState STATE;

// Record a's file name before record b's, byte by byte; -1 stands for the name in data.
int file_before(const void* data, int32_t a, int32_t b) {
    const unsigned char* x =
        (const unsigned char*)(a < 0 ? (const char*)data : STATE.files[a].file);
    const unsigned char* y =
        (const unsigned char*)(b < 0 ? (const char*)data : STATE.files[b].file);
    while (*x && *x == *y) {
        ++x;
        ++y;
    }
    return *x < *y;
}

// A heap copy of a JSON text (as a file name when name is 1); 0 when it is none.
char* copy_text(const JsonValue* v, int name) {
    JsonText text = {0, 0};
    char* block = 0;
    if (!json_text(v, &text))
        return 0;
    int outcome = name ? json_file_name(&text, &block) : json_code_page(&text, &block);
    return outcome == JSON_CODE_PAGE_DONE ? block : 0;
}

// The 64-bit value of a text of exactly 16 hexadecimal digits; 0 when it is not one.
int read_hex(const JsonValue* v, uint64_t* value) {
    JsonText text = {0, 0};
    if (!json_text(v, &text) || text.count != 16)
        return 0;
    uint64_t n = 0;
    for (uint32_t i = 0; i < 16; ++i) {
        uint32_t c = (uint32_t)text.units[i];
        uint32_t digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 16;
        if (digit > 15)
            return 0;
        n = n << 4 | digit;
    }
    *value = n;
    return 1;
}

void write_hex(const char* key, uint64_t value) {
    char digits[17];
    for (int i = 15; i >= 0; --i, value >>= 4)
        digits[i] = "0123456789abcdef"[value & 15u];
    digits[16] = 0;
    json_write_key(key);
    json_write_text(digits);
}

// The dithering a record names: DITHER_NONE when it names none (as every record of an image
// that is not dithered), -1 when its "dither" is not a dithering's name.
int32_t read_dither(const JsonValue* object) {
    const JsonValue* v = json_find(object, "dither");
    JsonText text = {0, 0};
    if (!v)
        return DITHER_NONE;
    for (int32_t kind = DITHER_ORDERED; json_text(v, &text) && kind < DITHER_KIND_COUNT; ++kind) {
        if (json_text_is(&text, screen_image_dither_name(kind)))
            return kind;
    }
    return -1;
}

// One record from its object; 0 when anything in it is missing or wrong.
int read_record(const JsonValue* object, StateFile* record) {
    char* file = copy_text(json_find(object, "file"), 1);
    char* picture = copy_text(json_find(object, "picture"), 1);
    record->file = file;
    record->picture = picture;
    record->dither = read_dither(object);
    if (file && picture && record->dither >= 0 &&
        json_count(object) == (record->dither == DITHER_NONE ? 10u : 11u) &&
        read_hex(json_find(object, "picture_size"), &record->picture_size) &&
        read_hex(json_find(object, "picture_time"), &record->picture_time) &&
        read_hex(json_find(object, "picture_change"), &record->picture_change) &&
        read_hex(json_find(object, "picture_volume"), &record->picture_volume) &&
        read_hex(json_find(object, "picture_index"), &record->picture_index) &&
        read_hex(json_find(object, "hash"), &record->hash) &&
        read_hex(json_find(object, "size"), &record->size) &&
        read_hex(json_find(object, "time"), &record->time))
        return 1;
    heap_free(file);
    heap_free(picture);
    return 0;
}
} // namespace

int32_t state_read(const unsigned char* bytes, uint32_t size, const char* version) {
    state_release();
    JsonError error;
    const JsonValue* root = json_parse(bytes, size, &error);
    const JsonValue* tool = json_find(root, "wumpo-tool");
    const JsonValue* files = json_find(root, "files");
    JsonText text = {0, 0};
    uint32_t count = json_count(files);
    if (!root || json_count(root) != 2 || !json_text(tool, &text) ||
        !json_text_is(&text, version) || json_type(files) != JSON_LIST || count == 0) {
        json_release();
        return 0;
    }
    STATE.files = (StateFile*)heap_reallocate_table(0, count, sizeof(StateFile));
    for (uint32_t i = 0; STATE.files && i < count; ++i) {
        if (!read_record(json_element(files, i), &STATE.files[STATE.count])) {
            state_release();
            break;
        }
        ++STATE.count;
    }
    json_release();
    // A state that cannot be looked up counts as none.
    STATE.by_file = order_indices(STATE.count, &file_before, 0);
    if (!STATE.by_file)
        state_release();
    return STATE.count;
}

const StateFile* state_find(const char* file, int32_t hint) {
    if (hint >= 0 && hint < STATE.count && text_equal(STATE.files[hint].file, file))
        return &STATE.files[hint];
    int32_t place =
        STATE.by_file ? order_find(STATE.by_file, STATE.count, &file_before, file, -1) : -1;
    return place < 0 ? 0 : &STATE.files[STATE.by_file[place]];
}

const StateFile* state_record(int32_t i) {
    return i >= 0 && i < STATE.count ? &STATE.files[i] : 0;
}

void state_release(void) {
    for (int32_t i = 0; i < STATE.count; ++i) {
        heap_free((void*)STATE.files[i].file);
        heap_free((void*)STATE.files[i].picture);
    }
    heap_free(STATE.files);
    heap_free(STATE.by_file);
    STATE = StateState{0, 0, 0};
}

const char* state_write(const StateFile* files, int32_t count, const char* version,
                        uint32_t* size) {
    json_write_start();
    json_write_object();
    json_write_key("wumpo-tool");
    json_write_text(version);
    json_write_key("files");
    json_write_list();
    for (int32_t i = 0; i < count; ++i) {
        const StateFile* record = &files[i];
        json_write_object();
        json_write_key("file");
        json_write_name(record->file);
        json_write_key("picture");
        json_write_name(record->picture);
        write_hex("picture_size", record->picture_size);
        write_hex("picture_time", record->picture_time);
        write_hex("picture_change", record->picture_change);
        write_hex("picture_volume", record->picture_volume);
        write_hex("picture_index", record->picture_index);
        write_hex("hash", record->hash);
        write_hex("size", record->size);
        write_hex("time", record->time);
        // Left out when not dithered, so a pack that dithers nothing keeps the state it had.
        if (record->dither != DITHER_NONE) {
            json_write_key("dither");
            json_write_text(screen_image_dither_name(record->dither));
        }
        json_write_object_end();
    }
    json_write_list_end();
    json_write_object_end();
    return json_write_finish(size);
}
