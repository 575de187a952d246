// The findings of one run, in the runtime heap.
#include "findings.h"
#include "heap.h"
#include "json.h"
#include "order.h"
#include "out.h"
#include "text.h"

namespace {
struct Finding {
    int32_t severity;
    char* file;
    char* entry; // 0 when not given, as the three below
    char* name;
    char* key;
    char* message;
};

struct FindingsState {
    Finding* list;
    int32_t count, capacity;
    int32_t errors, warnings;
    char* file; // the file of the findings added from now on
    int lost;   // the heap refused a finding: the counts still hold, the text is gone
};
FindingsState FINDINGS;

void release(Finding* f) {
    heap_free(f->file);
    heap_free(f->entry);
    heap_free(f->name);
    heap_free(f->key);
    heap_free(f->message);
}

// "levels[3] "cave"" or "levels[3]", after the text in line.
void append_entry(char* line, int32_t room, const Finding* f) {
    text_add(line, room, "%s", f->entry);
    if (f->name)
        text_add(line, room, " \"%s\"", f->name);
}

// Where a finding's entry stands: findings about no entry first, then backdrops[i] and
// levels[i], each list by its index. Reads the label back, so any caller's order is kept.
int64_t rank(const Finding* f) {
    if (!f->entry)
        return -1;
    int64_t list = f->entry[0] == 'l' ? 1 : 0;
    int64_t index = 0;
    for (const char* p = f->entry; *p; ++p) {
        if (*p >= '0' && *p <= '9' && index < 0x7FFFFFFF)
            index = index * 10 + (*p - '0');
    }
    return list << 32 | index;
}

int rank_before(const void* data, int32_t a, int32_t b) {
    const int64_t* ranks = (const int64_t*)data;
    return ranks[a] < ranks[b];
}

// Puts the findings of each entry together, in the pack's order, keeping the order in which
// each entry's own were found (the picture checks come after the values'). Left as found when
// memory is short.
void sort_by_entry(void) {
    int32_t n = FINDINGS.count;
    int64_t* ranks = (int64_t*)heap_reallocate_table(0, (uint64_t)n + 1, sizeof(int64_t));
    for (int32_t i = 0; ranks && i < n; ++i)
        ranks[i] = rank(&FINDINGS.list[i]);
    int32_t* order = ranks ? order_indices(n, &rank_before, ranks) : 0;
    if (order)
        order_apply(FINDINGS.list, n, sizeof(Finding), order);
    heap_free(order);
    heap_free(ranks);
}

void write_or_null(const char* key, const char* text) {
    json_write_key(key);
    if (text)
        json_write_name(text);
    else
        json_write_null();
}
} // namespace

void findings_start(const char* file) {
    for (int32_t i = 0; i < FINDINGS.count; ++i)
        release(&FINDINGS.list[i]);
    heap_free(FINDINGS.list);
    heap_free(FINDINGS.file);
    FINDINGS = FindingsState{0, 0, 0, 0, 0, 0, 0};
    FINDINGS.file = text_copy(file);
}

void findings_file(const char* file) {
    heap_free(FINDINGS.file);
    FINDINGS.file = text_copy(file);
}

void findings_add(int32_t severity, const char* entry, const char* name, const char* key,
                  const char* message) {
    if (severity == FINDING_ERROR)
        ++FINDINGS.errors;
    else
        ++FINDINGS.warnings;
    if (FINDINGS.count == FINDINGS.capacity) {
        int32_t capacity = FINDINGS.capacity ? FINDINGS.capacity * 2 : 32;
        void* grown = heap_reallocate_table(FINDINGS.list, (uint64_t)capacity, sizeof(Finding));
        if (!grown) {
            FINDINGS.lost = 1;
            return;
        }
        FINDINGS.list = (Finding*)grown;
        FINDINGS.capacity = capacity;
    }
    Finding f = {severity,        text_copy(FINDINGS.file), text_copy(entry),
                 text_copy(name), text_copy(key),           text_copy(message)};
    if (!f.message || (FINDINGS.file && !f.file)) {
        release(&f);
        FINDINGS.lost = 1;
        return;
    }
    FINDINGS.list[FINDINGS.count++] = f;
}

int32_t findings_errors(void) {
    return FINDINGS.errors;
}

int32_t findings_warnings(void) {
    return FINDINGS.warnings;
}

void findings_print(void) {
    sort_by_entry();
    for (int32_t i = 0; i < FINDINGS.count; ++i) {
        const Finding* f = &FINDINGS.list[i];
        char line[TEXT_MESSAGE_ROOM];
        line[0] = 0;
        if (f->entry) {
            append_entry(line, sizeof line, f);
            text_add(line, sizeof line, ": ");
        }
        if (f->key)
            text_add(line, sizeof line, "%s: ", f->key);
        text_add(line, sizeof line, "%s%s",
                 f->severity == FINDING_ERROR ? "Error: " : "Warning: ", f->message);
        out_error(f->file, line);
    }
    if (FINDINGS.lost)
        out_error(0, "Error: Not enough memory to keep every message");
}

void findings_print_json(void) {
    sort_by_entry();
    json_write_start();
    json_write_object();
    json_write_key("errors");
    json_write_number(FINDINGS.errors);
    json_write_key("warnings");
    json_write_number(FINDINGS.warnings);
    json_write_key("findings");
    json_write_list();
    for (int32_t i = 0; i < FINDINGS.count; ++i) {
        const Finding* f = &FINDINGS.list[i];
        json_write_object();
        write_or_null("file", f->file);
        write_or_null("entry", f->entry);
        write_or_null("name", f->name);
        write_or_null("key", f->key);
        json_write_key("severity");
        json_write_text(f->severity == FINDING_ERROR ? "error" : "warning");
        write_or_null("message", f->message);
        json_write_object_end();
    }
    json_write_list_end();
    json_write_object_end();
    uint32_t size = 0;
    const char* text = json_write_finish(&size);
    if (text)
        out_text(text);
    else
        out_error(0, "Error: Not enough memory");
}
