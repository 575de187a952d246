// The findings of one run, in the runtime heap.
#include "findings.h"
#include "heap.h"
#include "level.h"
#include "json.h"
#include "order.h"
#include "out.h"
#include "text.h"

namespace {
struct Finding {
    int32_t severity;
    int32_t kind; // FindingKind
    FindingPlace place;
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

// The finding's entry, name and key in front of its message, as the text output shows them:
// "levels[3] "cave": start_x: Unknown key".
void describe(char* out, int32_t room, const Finding* f) {
    out[0] = 0;
    if (f->entry) {
        append_entry(out, room, f);
        text_add(out, room, ": ");
    }
    if (f->key)
        text_add(out, room, "%s: ", f->key);
    text_add(out, room, "%s", f->message);
}

// The text with GitHub's escapes of a workflow command: %, CR and LF always; in a property's
// value : and , too. Cut where room (at least 1) runs out, never in an escape.
void github_escape(char* out, int32_t room, const char* text, int property) {
    int32_t n = 0;
    for (const char* p = text ? text : ""; *p; ++p) {
        const char* escape = *p == '%'               ? "%25"
                             : *p == '\r'            ? "%0D"
                             : *p == '\n'            ? "%0A"
                             : property && *p == ':' ? "%3A"
                             : property && *p == ',' ? "%2C"
                                                     : 0;
        int32_t size = escape ? 3 : 1;
        if (n + size >= room)
            break;
        for (int32_t k = 0; k < size; ++k)
            out[n++] = escape ? escape[k] : *p;
    }
    out[n] = 0;
}

// "::error file=F,line=L,col=C::MESSAGE" per finding on standard output.
void print_github(void) {
    for (int32_t i = 0; i < FINDINGS.count; ++i) {
        const Finding* f = &FINDINGS.list[i];
        char message[TEXT_MESSAGE_ROOM], file[TEXT_NAME_ROOM * 3];
        static char line[TEXT_MESSAGE_ROOM * 3 + TEXT_NAME_ROOM * 3 + 64];
        describe(message, sizeof message, f);
        text_format(line, sizeof line, "::%s ", f->severity == FINDING_ERROR ? "error" : "warning");
        if (f->file) {
            github_escape(file, sizeof file, f->file, 1);
            text_add(line, sizeof line, "file=%s", file);
            if (f->place.line)
                text_add(line, sizeof line, ",line=%u,col=%u", (unsigned)f->place.line,
                         (unsigned)f->place.column);
        }
        static char escaped[TEXT_MESSAGE_ROOM * 3];
        github_escape(escaped, sizeof escaped, message, 0);
        text_add(line, sizeof line, "::%s", escaped);
        out_line(line);
    }
    if (FINDINGS.lost)
        out_line("::error::Not enough memory to keep every message");
}

// The kinds of findings as SARIF rules, after them one per level rule.
struct SarifRule {
    const char* id;
    const char* text;
};
const SarifRule SARIF_RULES[FINDING_KIND_LEVEL_RULE] = {
    {"other", "A file that cannot be read, or a run short of memory"},
    {"not-json", "The file is not JSON, or not the object it has to be"},
    {"unknown-key", "A key the object cannot have"},
    {"given-twice", "A key given twice in one object"},
    {"missing-key", "A key the object has to have"},
    {"value-type", "A value of the wrong type, or with characters refused"},
    {"entry-name", "A name that is no file name of its own on every system"},
    {"name-clash", "Two entries that make one file, or a backdrop name no level can hold"},
    {"picture", "A picture that cannot be read or converted"},
    {"output", "The output folder, or a file that would be written over another"},
    {"backdrop", "A backdrop that is neither in the pack nor a file"},
};
const char* const RULE_KIND_NAMES[] = {"word",  "check-box", "backdrop", "save",
                                       "start", "exit",      "time",     "description"};

// The rule id of kind into out.
// The JSON document just written onto the standard output, or why it could not be.
void print_document(void) {
    uint32_t size = 0;
    const char* text = json_write_finish(&size);
    if (text)
        out_text(text);
    else
        out_error(0, "Error: Not enough memory");
}

void sarif_rule_id(char* out, int32_t room, int32_t kind) {
    const LevelRuleInfo* rule = level_rule_info(kind - FINDING_KIND_LEVEL_RULE);
    if (kind >= 0 && kind < FINDING_KIND_LEVEL_RULE)
        text_format(out, room, "%s", SARIF_RULES[kind].id);
    else if (rule && rule->kind >= 0 && rule->kind < 8)
        text_format(out, room, "level-%s-%s", RULE_KIND_NAMES[rule->kind],
                    level_field_info(rule->field)->name);
    else
        text_format(out, room, "other");
}

void print_sarif(const char* version) {
    json_write_start();
    json_write_object();
    json_write_key("$schema");
    json_write_text("https://json.schemastore.org/sarif-2.1.0.json");
    json_write_key("version");
    json_write_text("2.1.0");
    json_write_key("runs");
    json_write_list();
    json_write_object();
    json_write_key("tool");
    json_write_object();
    json_write_key("driver");
    json_write_object();
    json_write_key("name");
    json_write_text("wumpo-tool");
    json_write_key("version");
    json_write_text(version);
    json_write_key("rules");
    json_write_list();
    int32_t rules = FINDING_KIND_LEVEL_RULE + level_rule_count();
    for (int32_t k = 0; k < rules; ++k) {
        char id[64], text[TEXT_MESSAGE_ROOM];
        sarif_rule_id(id, sizeof id, k);
        const LevelRuleInfo* rule = level_rule_info(k - FINDING_KIND_LEVEL_RULE);
        if (k < FINDING_KIND_LEVEL_RULE)
            text_format(text, sizeof text, "%s", SARIF_RULES[k].text);
        else
            text_format(text, sizeof text, "A level's %s breaks a rule of the level file",
                        level_field_info(rule->field)->name);
        json_write_object();
        json_write_key("id");
        json_write_text(id);
        json_write_key("shortDescription");
        json_write_object();
        json_write_key("text");
        json_write_text(text);
        json_write_object_end();
        json_write_object_end();
    }
    json_write_list_end();
    json_write_object_end();
    json_write_object_end();
    json_write_key("results");
    json_write_list();
    for (int32_t i = 0; i < FINDINGS.count; ++i) {
        const Finding* f = &FINDINGS.list[i];
        char id[64], message[TEXT_MESSAGE_ROOM];
        sarif_rule_id(id, sizeof id, f->kind < rules ? f->kind : FINDING_KIND_OTHER);
        describe(message, sizeof message, f);
        json_write_object();
        json_write_key("ruleId");
        json_write_text(id);
        json_write_key("ruleIndex");
        json_write_number(f->kind >= 0 && f->kind < rules ? f->kind : FINDING_KIND_OTHER);
        json_write_key("level");
        json_write_text(f->severity == FINDING_ERROR ? "error" : "warning");
        json_write_key("message");
        json_write_object();
        json_write_key("text");
        json_write_text(message);
        json_write_object_end();
        if (f->file) {
            json_write_key("locations");
            json_write_list();
            json_write_object();
            json_write_key("physicalLocation");
            json_write_object();
            json_write_key("artifactLocation");
            json_write_object();
            json_write_key("uri");
            json_write_name(f->file);
            json_write_object_end();
            if (f->place.line) {
                json_write_key("region");
                json_write_object();
                json_write_key("startLine");
                json_write_number(f->place.line);
                json_write_key("startColumn");
                json_write_number(f->place.column);
                json_write_object_end();
            }
            json_write_object_end();
            json_write_object_end();
            json_write_list_end();
        }
        json_write_object_end();
    }
    json_write_list_end();
    json_write_object_end();
    json_write_list_end();
    json_write_object_end();
    print_document();
}

const char* const FORMAT_NAMES[] = {"text", "json", "github", "sarif"};

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
    findings_add_at(severity, entry, name, key, FindingPlace{0, 0}, FINDING_KIND_OTHER, message);
}

void findings_add_at(int32_t severity, const char* entry, const char* name, const char* key,
                     FindingPlace place, int32_t kind, const char* message) {
    if (severity == FINDING_ERROR)
        ++FINDINGS.errors;
    else
        ++FINDINGS.warnings;
    if (!heap_table_room((void**)&FINDINGS.list, FINDINGS.count, &FINDINGS.capacity,
                         sizeof(Finding), 32)) {
        FINDINGS.lost = 1;
        return;
    }
    Finding f = {severity,
                 kind,
                 place,
                 text_copy(FINDINGS.file),
                 text_copy(entry),
                 text_copy(name),
                 text_copy(key),
                 text_copy(message)};
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
        char where[TEXT_NAME_ROOM + 24];
        if (f->file && f->place.line)
            text_format(where, sizeof where, "%s:%u:%u", f->file, (unsigned)f->place.line,
                        (unsigned)f->place.column);
        out_error(f->file && f->place.line ? where : f->file, line);
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
        if (f->place.line) {
            json_write_key("line");
            json_write_number(f->place.line);
            json_write_key("column");
            json_write_number(f->place.column);
        }
        json_write_object_end();
    }
    json_write_list_end();
    json_write_object_end();
    print_document();
}

int32_t findings_format_find(const char* name) {
    for (int32_t i = 0; i < 4; ++i) {
        if (text_equal(name, FORMAT_NAMES[i]))
            return i;
    }
    return -1;
}

void findings_print_as(int32_t format, const char* version) {
    if (format == FINDINGS_JSON) {
        findings_print_json();
    } else if (format == FINDINGS_GITHUB) {
        sort_by_entry();
        print_github();
    } else if (format == FINDINGS_SARIF) {
        sort_by_entry();
        print_sarif(version);
    } else {
        findings_print();
    }
}
