// wumpo-tool level show and level create: a level file as readable, diffable text or JSON, and a
// level file from named fields. Both go through the level record's own reader, writer, field
// table and checks, so they read and write exactly what Load Level and Create Level do.
#include "tool.h"
#include "file.h"
#include "findings.h"
#include "heap.h"
#include "code_page.h"
#include "os.h"
#include "out.h"
#include "pack.h"
#include "path.h"
#include <string.h>
#include "text.h"

namespace {
// A level's JSON is a few hundred bytes; anything far longer is not one.
enum { LEVEL_JSON_MOST = 1024 * 1024 };

struct LevelToolState {
    // A text of the record read from a 56-byte file has fewer characters than that, and a
    // character of the code page is never more than one UTF-16 unit per byte.
    wchar_t wide[LEVEL_RECORD_SIZE + 1];
    // The same text in the tool's own code page (UTF-8: at most 3 bytes a character).
    char shown[3 * LEVEL_RECORD_SIZE + 1];
    // The texts given on the command line as the level file holds them.
    char description[TEXT_MESSAGE_ROOM], backdrop_name[TEXT_MESSAGE_ROOM];
};
LevelToolState LEVEL_TOOL;

// The field's value into out, as the listing shows it.
void put_value(char* out, int32_t room, const LevelValues* v, int32_t index, int json) {
    const char* text = index == LEVEL_FIELD_DESCRIPTION ? v->description : v->backdrop_name;
    if (index == LEVEL_FIELD_ANTI_GRAVITY) {
        text_format(out, room, "%d", (int)v->anti_gravity);
    } else if (level_field_info(index)->kind == LEVEL_KIND_WORD) {
        text_format(out, room, "%d", (int)level_value_word(v, index));
    } else if (!json) {
        level_text_show(text, os_text_is_utf8(), LEVEL_TOOL.shown,
                        (int32_t)sizeof LEVEL_TOOL.shown);
        text_quote(out, room, LEVEL_TOOL.shown);
    } else {
        // The level file's code page, whatever the system's.
        int n = os_text_is_utf8()
                    ? code_page_1252_widen(text, LEVEL_TOOL.wide, LEVEL_RECORD_SIZE + 1)
                    : os_code_page_widen(text, LEVEL_TOOL.wide, LEVEL_RECORD_SIZE + 1);
        text_quote_wide(out, room, LEVEL_TOOL.wide, n > 0 ? n - 1 : 0);
    }
}

// "Wumpo Start X: 40": the form's label, then the value; labels that end in their own colon or
// question mark get no second one.
void print_text(const LevelValues* v) {
    for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        const char* label = level_field_info(i)->label;
        size_t n = strlen(label);
        char value[TEXT_MESSAGE_ROOM], line[TEXT_MESSAGE_ROOM];
        put_value(value, sizeof value, v, i, 0);
        text_format(line, sizeof line, "%s%s%s", label,
                    n > 0 && (label[n - 1] == ':' || label[n - 1] == '?') ? " " : ": ", value);
        out_line(line);
    }
}

void print_json(const LevelValues* v) {
    out_line("{");
    for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        char value[TEXT_MESSAGE_ROOM], line[TEXT_MESSAGE_ROOM];
        put_value(value, sizeof value, v, i, 1);
        text_format(line, sizeof line, "  \"%s\": %s%s", level_field_info(i)->name, value,
                    i + 1 < LEVEL_FIELD_COUNT ? "," : "");
        out_line(line);
    }
    out_line("}");
}

// Sets one field from "name=value" (a text as the level file holds it); TOOL_DONE, or the usage
// status or TOOL_FAILED after reporting.
int assign(const char* file, LevelFields* f, const char** anti_gravity, const char* argument) {
    const char* value = 0;
    char name[TEXT_MESSAGE_ROOM];
    // A name too long to hold is no field's name either.
    int whole = text_field_name(name, sizeof name, argument, &value);
    if (!whole && !strchr(argument, '='))
        return help_usage("level create", "each field is given as field=value");
    int32_t index = whole ? level_field_find(name) : -1;
    if (index < 0) {
        char problem[TEXT_MESSAGE_ROOM];
        text_format(problem, sizeof problem,
                    "unknown field \"%s\" (\"wumpo-tool level create --help\" lists the fields)",
                    name);
        return help_usage("level create", problem);
    }
    if (level_field_info(index)->kind == LEVEL_KIND_CHECK) {
        *anti_gravity = value;
    } else if (level_field_info(index)->kind == LEVEL_KIND_WORD) {
        *level_field_text(f, index) = value;
    } else {
        // The characters the record keeps, and for the backdrop name one more, so that its
        // length rule sees a longer one; in the level file's code page, refused when a letter
        // has no byte there rather than stored as something else.
        int description = index == LEVEL_FIELD_DESCRIPTION;
        char* stored = description ? LEVEL_TOOL.description : LEVEL_TOOL.backdrop_name;
        int32_t most = description ? LEVEL_DESCRIPTION_LENGTH : LEVEL_BACKDROP_LENGTH + 1;
        if (!level_text_take(value, most, os_text_is_utf8(), stored)) {
            int32_t n = 0;
            const char* label = level_field_message_label(index, &n);
            char message[TEXT_MESSAGE_ROOM];
            text_format(message, sizeof message, "Error: %.*s%s", (int)n, label,
                        LEVEL_TEXT_NOT_IN_CODE_PAGE);
            out_error(file, message);
            return TOOL_FAILED;
        }
        *level_field_text(f, index) = stored;
    }
    return TOOL_DONE;
}

// Fills f from the JSON file name ("-": standard input), as "level show --json" prints a level;
// *anti_gravity gets the check box's text. TOOL_DONE, or TOOL_FAILED after reporting.
int read_json(const char* name, LevelFields* f, const char** anti_gravity) {
    unsigned char* bytes = 0;
    uint32_t size = 0;
    int standard_input = text_equal(name, "-");
    int read = standard_input
                   ? out_read_input(LEVEL_JSON_MOST, &bytes, &size)
                   : path_read_block(name, 0, LEVEL_JSON_MOST, &bytes, &size) == FILE_DONE;
    if (!read) {
        out_error(standard_input ? "standard input" : name,
                  standard_input ? "Error: Can't read" : "Error: Can't open file");
        return TOOL_FAILED;
    }
    findings_start(standard_input ? "standard input" : name);
    int taken = pack_read_level(bytes, size, f);
    heap_free(bytes);
    findings_print();
    *anti_gravity = f->anti_gravity ? "1" : "0";
    return taken ? TOOL_DONE : TOOL_FAILED;
}

// Applies the Level Creator's checks, reporting every refused value. 1 when all are good.
int values_valid(const char* file, LevelFields* f, const char* anti_gravity) {
    // The check box has two states, and the byte holds the state: any other text is neither.
    f->anti_gravity = text_equal(anti_gravity, "0") ? 0 : text_equal(anti_gravity, "1") ? 1 : -1;
    int valid = 1;
    for (int32_t i = 0; i < level_rule_count(); ++i) {
        if (level_rule_info(i)->severity != LEVEL_RULE_ERROR || level_rule_holds(i, f))
            continue;
        char message[TEXT_MESSAGE_ROOM];
        text_format(message, sizeof message, "Error: ");
        level_rule_message(i, f, message + 7, (int32_t)sizeof message - 7);
        out_error(file, message);
        valid = 0;
    }
    return valid;
}
} // namespace

int tool_level_read(const char* name, LevelValues* v) {
    unsigned char record[LEVEL_RECORD_SIZE];
    uint32_t size = 0;
    char* full = path_full(name);
    int read =
        full ? file_read_whole(full, record, LEVEL_RECORD_SIZE, &size) : (int)FILE_NOT_OPENED;
    heap_free(full);
    // Any other length would list whatever the file holds as if it were a level.
    if (read == FILE_WRONG_SIZE || (read == FILE_DONE && size != LEVEL_RECORD_SIZE))
        return FILE_WRONG_SIZE;
    if (read != FILE_DONE)
        return FILE_NOT_OPENED;
    level_decode(record, v);
    return FILE_DONE;
}

const char* tool_level_problem(int outcome) {
    return outcome == FILE_WRONG_SIZE ? LEVEL_FILE_WRONG_SIZE : LEVEL_FILE_NOT_OPENED;
}

void tool_level_report(const char* name, int outcome) {
    char message[TEXT_MESSAGE_ROOM];
    text_format(message, sizeof message, "Error: %s", tool_level_problem(outcome));
    out_error(name, message);
}

int tool_level_show(int count, char** args) {
    if (help_wanted(count, args))
        return help_print("level show");
    const char* file = 0;
    int json = 0, options = 1;
    for (int i = 0; i < count; ++i) {
        const char* arg = args[i];
        if (options && text_equal(arg, "--")) {
            options = 0;
        } else if (options && text_equal(arg, "--json")) {
            json = 1;
        } else if (options && arg[0] == '-' && arg[1] == '-') {
            return help_usage("level show", "unknown option");
        } else if (file) {
            return help_usage("level show", "one level file at a time");
        } else {
            file = arg;
        }
    }
    if (!file)
        return help_usage("level show", "a level file name is needed");

    LevelValues values;
    int read = tool_level_read(file, &values);
    if (read != FILE_DONE) {
        tool_level_report(file, read);
        return TOOL_FAILED;
    }
    if (json)
        print_json(&values);
    else
        print_text(&values);
    return TOOL_DONE;
}

int tool_level_create(int count, char** args) {
    if (help_wanted(count, args))
        return help_print("level create");
    if (count == 0)
        return help_usage("level create", "a level file name is needed");
    const char* file = args[0];
    LevelFields fields;
    level_starting_values(&fields);
    const char* anti_gravity = "0";
    // The JSON first, wherever --from stands: the fields named on the command line go over it.
    const char* from = 0;
    for (int i = 1; i < count; ++i) {
        if (!text_equal(args[i], "--from"))
            continue;
        if (from || i + 1 >= count)
            return help_usage("level create", from ? "one --from at a time"
                                                   : "--from needs a JSON file, or - for "
                                                     "standard input");
        from = args[++i];
    }
    int status = from ? read_json(from, &fields, &anti_gravity) : TOOL_DONE;
    for (int i = 1; i < count && status == TOOL_DONE; ++i) {
        if (text_equal(args[i], "--from"))
            ++i;
        else
            status = assign(file, &fields, &anti_gravity, args[i]);
    }
    if (status == TOOL_DONE && !values_valid(file, &fields, anti_gravity))
        status = TOOL_FAILED;
    if (status == TOOL_DONE) {
        char* full = path_full(file);
        if (!full || !file_create(0, full)) {
            out_error(file, "Error: Can't create file");
            status = TOOL_FAILED;
        } else {
            LevelValues values;
            level_values_of(&fields, &values);
            level_record_write(&values);
            if (!file_close(0)) {
                out_error(file, "Error: Can't write file");
                status = TOOL_FAILED;
            }
        }
        heap_free(full);
    }
    pack_release();
    return status;
}
