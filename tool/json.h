// JSON for the command-line tool, through RapidJSON (Debian's rapidjson-dev, header only), which
// is confined to json.cpp: one parsed document at a time, walked through opaque values, and one
// document written at a time. JSON texts are Unicode; the tool's texts are 8-bit text, the
// level file's in its code page (Windows-1252 on POSIX systems and under the UTF-8 code page,
// the system's elsewhere on Windows), names and messages in the system's, converted here in
// both directions, so a level's description travels through JSON byte for byte. Owns the parsed
// document and the writer.
#pragma once
#include <stdint.h>

// A value of the parsed document; valid until the next json_parse or json_release.
struct JsonValue;

enum JsonType { JSON_NULL, JSON_BOOLEAN, JSON_NUMBER, JSON_TEXT, JSON_LIST, JSON_OBJECT };

// A JSON text or key as UTF-16 units (wchar_t holds one unit on every system), not terminated.
struct JsonText {
    const wchar_t* units;
    uint32_t count;
};

// Where and why parsing stopped.
struct JsonError {
    uint32_t line, column; // 1-based
    const char* problem;   // RapidJSON's English text, e.g. "Invalid value."
};

// Parses size bytes of UTF-8 (a byte-order mark allowed) as the module's document, replacing the
// one before. The root value, or 0 with *error filled when the bytes are not JSON or memory is
// short. Nesting costs no stack, so any depth is safe.
const JsonValue* json_parse(const unsigned char* bytes, uint32_t size, JsonError* error);
// Releases the parsed document.
void json_release(void);

// JsonType of v.
int32_t json_type(const JsonValue* v);
// The number of elements of a list or members of an object; 0 for any other value.
uint32_t json_count(const JsonValue* v);
// Element index of a list; 0 outside.
const JsonValue* json_element(const JsonValue* list, uint32_t index);
// Member index of an object: its value, and its key in *key; 0 outside.
const JsonValue* json_member(const JsonValue* object, uint32_t index, JsonText* key);
// The object's value under key (the first one, should it be given twice), or 0.
const JsonValue* json_find(const JsonValue* object, const char* key);
// Where v starts in the bytes parsed: its line and column (1-based; lines end at LF, columns
// count bytes of UTF-8, a byte-order mark's too). 1 when known; 0, with both 0, when not (memory
// was short, or v is not of the document).
int json_place(const JsonValue* v, uint32_t* line, uint32_t* column);
// Where the key of the object's member index starts, likewise.
int json_key_place(const JsonValue* object, uint32_t index, uint32_t* line, uint32_t* column);
// 1 with *value set when v is a number written without fraction or exponent that fits 64 bits.
int json_whole(const JsonValue* v, int64_t* value);
// 1 with *text set when v is a text.
int json_text(const JsonValue* v, JsonText* text);
// 1 when the text is the ASCII text ascii.
int json_text_is(const JsonText* text, const char* ascii);

// Outcomes of json_code_page.
enum JsonCodePage {
    JSON_CODE_PAGE_DONE = 0,
    JSON_CODE_PAGE_LOST,  // a character the code page does not have
    JSON_CODE_PAGE_ZERO,  // U+0000, which would end the text early
    JSON_CODE_PAGE_MEMORY // the heap refused
};
// The text in the level file's code page, as a runtime heap block the caller frees; *block is 0
// unless DONE. Returns a JsonCodePage outcome.
int json_code_page(const JsonText* text, char** block);

// The text as a file name of the system, as json_code_page: the system's code page on Windows
// (whose file calls take it), UTF-8 on POSIX systems (how they spell Unicode names).
int json_file_name(const JsonText* text, char** block);

// Starts writing a new document (indented by two spaces, every character beyond ASCII as
// \uXXXX). The calls below add to it in document order; a key comes before each member's value.
void json_write_start(void);
void json_write_object(void);
void json_write_object_end(void);
void json_write_list(void);
void json_write_list_end(void);
void json_write_key(const char* ascii);
// A text of the level file's code page.
void json_write_text(const char* text);
// A file name of the system (see json_file_name); one that is not UTF-8 on a POSIX system is
// written as a text of the code page.
void json_write_name(const char* name);
void json_write_number(int64_t value);
void json_write_null(void);
// The finished document with a final line end, in a block the module owns until the next
// json_write_start; *size gets its length. 0 when memory ran short on the way.
const char* json_write_finish(uint32_t* size);
