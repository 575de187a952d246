// JSON through RapidJSON. The product is built without exceptions and without run-time type
// information, which RapidJSON needs neither of: a parse reports its error as a value, and every
// read below checks the value's type first. RapidJSON's own checks of how it is called are made
// to end the process, so that a fault of this file cannot pass unseen; the one check that input
// can reach in version 1.1.0 is kept from it (lone_low_surrogate, below). Its memory
// comes from the C heap through one allocator that ends the process rather than hand RapidJSON a
// null block, which its version 1.1.0 would use; what the tool parses is bounded by its callers
// (a pack file of a few megabytes), so this happens only on a machine out of memory.
#include "json.h"
#include "heap.h"
#include "order.h"
#include "os.h"
#include "code_page.h"
#include "text.h"
#include <new>
#include <stdlib.h>
#include <string.h>
#define RAPIDJSON_ASSERT(condition) ((condition) ? (void)0 : abort())
#include <document.h>
#include <encodedstream.h>
#include <error/en.h>
#include <memorystream.h>
#include <prettywriter.h>
#include <stringbuffer.h>

namespace {
// The C heap, as RapidJSON's CrtAllocator, but never returning a null block.
class JsonHeap {
  public:
    [[maybe_unused]] static const bool kNeedFree = true; // RapidJSON asks it of an allocator
    void* Malloc(size_t size) { return size ? checked(malloc(size)) : 0; }
    void* Realloc(void* block, size_t, size_t size) {
        if (size == 0) {
            free(block);
            return 0;
        }
        return checked(realloc(block, size));
    }
    static void Free(void* block) { free(block); }

  private:
    static void* checked(void* block) {
        if (!block)
            abort();
        return block;
    }
};

typedef rapidjson::MemoryPoolAllocator<JsonHeap> JsonPool;
// Parsed into UTF-16, the form both systems' code page conversions start from.
typedef rapidjson::GenericDocument<rapidjson::UTF16<>, JsonPool, JsonHeap> JsonDocument;
typedef rapidjson::GenericValue<rapidjson::UTF16<>, JsonPool> JsonNode;
typedef rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF16<>, JsonHeap> JsonReader;
typedef rapidjson::GenericStringBuffer<rapidjson::ASCII<>, JsonHeap> JsonBuffer;
typedef rapidjson::PrettyWriter<JsonBuffer, rapidjson::UTF16<>, rapidjson::ASCII<>, JsonHeap>
    JsonWriter;

// A value or key of the document and the line and column where it starts.
struct JsonSpot {
    const void* node;
    uint32_t line, column;
};

// Objects made in blocks of the C heap with placement new: a static object of these classes
// would be constructed before main, and the runtime makes nothing that way.
struct JsonState {
    JsonHeap heap; // stateless; the allocators below keep its address
    JsonPool* pool;
    JsonDocument* document;
    JsonBuffer* buffer;
    JsonWriter* writer;
    int write_failed; // a text could not be widened (memory)
    // Where each value and key of the parsed document starts, by the node's address.
    JsonSpot* spots;
    int32_t spot_count;
};
JsonState JSON;

template <typename T> void destroy(T*& object) {
    if (object) {
        object->~T();
        free(object);
        object = 0;
    }
}

const JsonNode* node(const JsonValue* v) {
    return reinterpret_cast<const JsonNode*>(v);
}
const JsonValue* value(const JsonNode* n) {
    return reinterpret_cast<const JsonValue*>(n);
}

// Line and column of a byte offset: lines end at LF, columns count bytes.
void locate(const unsigned char* bytes, uint32_t size, size_t offset, JsonError* error) {
    error->line = 1;
    error->column = 1;
    for (size_t i = 0; i < offset && i < size; ++i) {
        if (bytes[i] == '\n') {
            ++error->line;
            error->column = 1;
        } else {
            ++error->column;
        }
    }
}

// The value of the four hexadecimal digits at p (which has at least four bytes); -1 when they
// are not.
int32_t hex4(const unsigned char* p) {
    int32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        int32_t c = p[i];
        int32_t d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (d < 0)
            return -1;
        v = v << 4 | d;
    }
    return v;
}

// The offset of the first escape \uDC00 to \uDFFF in a string that no \uD800 to \uDBFF comes
// right before, or -1. RapidJSON 1.1.0 lets such a lone second half of a pair through to its
// encoder, whose check of it is an assertion; the input is refused here instead. A high half
// with no low one after it RapidJSON refuses itself.
int64_t lone_low_surrogate(const unsigned char* b, uint32_t size) {
    int in_text = 0;
    for (uint32_t i = 0; i < size; ++i) {
        if (b[i] == '"') {
            in_text = !in_text;
        } else if (in_text && b[i] == '\\' && i + 1 < size) {
            int32_t v = b[i + 1] == 'u' && size - i >= 6 ? hex4(b + i + 2) : -1;
            if (v >= 0xDC00 && v <= 0xDFFF)
                return i;
            // A high half: its low half, when it is one, is part of this escape.
            if (v >= 0xD800 && v <= 0xDBFF && size - i >= 12 && b[i + 6] == '\\' &&
                b[i + 7] == 'u' && hex4(b + i + 8) >= 0xDC00 && hex4(b + i + 8) <= 0xDFFF)
                i += 6;
            ++i; // the escaped character is never the end of the text
        }
    }
    return -1;
}

// The UTF-16 units of a text of the code page (level: of the level file's), terminated, in a C
// heap block the caller frees; *count gets the units before the terminator. 0 when memory is
// short.
wchar_t* widen(const char* text, uint32_t* count, int level) {
    if (!text)
        text = "";
    size_t n = strlen(text);
    if (n >= 0x7FFFFFFF)
        return 0;
    // A byte of the code page is never more than one unit (a double-byte character is fewer).
    wchar_t* units = (wchar_t*)malloc((n + 1) * sizeof(wchar_t));
    if (!units)
        return 0;
    int32_t got = level && os_text_is_utf8() ? code_page_1252_widen(text, units, (int32_t)n + 1)
                                             : os_code_page_widen(text, units, (int32_t)n + 1);
    if (got <= 0) {
        free(units);
        return 0;
    }
    *count = (uint32_t)got - 1;
    return units;
}

// The offset of the first bracket that opens more than DEPTH_MOST levels, -1 when none. No file
// of the tool nests more than a few, and each open level costs the parser a value's memory: 16
// MB of "[" would cost it some 400 MB.
enum { DEPTH_MOST = 32 };
int64_t too_deep(const unsigned char* bytes, uint32_t size) {
    uint32_t depth = 0;
    int in_text = 0;
    for (uint32_t i = 0; i < size; ++i) {
        unsigned char c = bytes[i];
        if (in_text) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                in_text = 0;
        } else if (c == '"') {
            in_text = 1;
        } else if (c == '[' || c == '{') {
            if (++depth > DEPTH_MOST)
                return i;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return -1;
}

// Passes the reader's events on to the document, noting the byte offset where each value and
// key starts, in document order. The parser tells only where it is, which after a text or a
// number is its end, and at a bracket is before it: so a value starts at the first byte after
// the one before that is none of the white space, commas and colons that stand between values.
struct JsonNoter {
    JsonDocument& document;
    const rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream>& input;
    const unsigned char* bytes; // from the stream's start
    size_t size;
    size_t after; // the end of the last token
    uint32_t* offsets;
    int32_t count, capacity;
    int lost; // the heap refused: no places for this document

    size_t next_token(void) {
        size_t i = after;
        while (i < size && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\n' ||
                            bytes[i] == '\r' || bytes[i] == ',' || bytes[i] == ':'))
            ++i;
        return i;
    }
    void note(size_t offset) {
        if (lost)
            return;
        if (count == capacity) {
            int32_t grown_capacity = capacity ? capacity * 2 : 256;
            void* grown =
                grown_capacity > 0
                    ? heap_reallocate_table(offsets, (uint64_t)grown_capacity, sizeof(uint32_t))
                    : 0;
            if (!grown) {
                lost = 1;
                return;
            }
            offsets = (uint32_t*)grown;
            capacity = grown_capacity;
        }
        offsets[count++] = (uint32_t)offset;
    }
    // A text, number or literal: from the next token to where the parser stands.
    bool scalar(bool taken) {
        note(next_token());
        after = input.Tell();
        return taken;
    }
    // A bracket, opening or closing, is one byte.
    bool bracket(bool taken, int opens) {
        size_t at = next_token();
        if (opens)
            note(at);
        after = at + 1;
        return taken;
    }

    bool Null() { return scalar(document.Null()); }
    bool Bool(bool b) { return scalar(document.Bool(b)); }
    bool Int(int i) { return scalar(document.Int(i)); }
    bool Uint(unsigned i) { return scalar(document.Uint(i)); }
    bool Int64(int64_t i) { return scalar(document.Int64(i)); }
    bool Uint64(uint64_t i) { return scalar(document.Uint64(i)); }
    bool Double(double d) { return scalar(document.Double(d)); }
    bool RawNumber(const wchar_t* s, rapidjson::SizeType n, bool copy) {
        return scalar(document.RawNumber(s, n, copy));
    }
    bool String(const wchar_t* s, rapidjson::SizeType n, bool copy) {
        return scalar(document.String(s, n, copy));
    }
    bool Key(const wchar_t* s, rapidjson::SizeType n, bool copy) {
        return scalar(document.Key(s, n, copy));
    }
    bool StartObject() { return bracket(document.StartObject(), 1); }
    bool EndObject(rapidjson::SizeType n) { return bracket(document.EndObject(n), 0); }
    bool StartArray() { return bracket(document.StartArray(), 1); }
    bool EndArray(rapidjson::SizeType n) { return bracket(document.EndArray(n), 0); }
};

// What the document is made by: the reader, its events through a JsonNoter.
struct JsonMaker {
    JsonNoter* noter;
    rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream>* input;
    rapidjson::ParseResult result;
    bool operator()(JsonDocument&) {
        JsonReader reader(&JSON.heap);
        result =
            reader.Parse<rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag>(
                *input, *noter);
        return !result.IsError();
    }
};

// Fills JSON.spots in document order (which is the order of the noter's offsets): the node, then
// an object's keys each before its value, a list's elements. Lines end at LF; columns count
// bytes from 1. Nesting is bounded by too_deep, so the recursion is too.
struct SpotWalk {
    const unsigned char* bytes;
    const uint32_t* offsets;
    int32_t count;
    int32_t next;
    size_t at; // the cursor, at line:column
    uint32_t line, column;

    void visit(const JsonNode* n) {
        if (next >= count)
            return;
        size_t offset = offsets[next];
        for (; at < offset; ++at) {
            if (bytes[at] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        JSON.spots[next++] = JsonSpot{n, line, column};
        if (n->IsObject()) {
            for (JsonNode::ConstMemberIterator m = n->MemberBegin(); m != n->MemberEnd(); ++m) {
                visit(&m->name);
                visit(&m->value);
            }
        } else if (n->IsArray()) {
            for (rapidjson::SizeType i = 0; i < n->Size(); ++i)
                visit(&(*n)[i]);
        }
    }
};

int spot_before(const void*, int32_t a, int32_t b) {
    return (uintptr_t)JSON.spots[a].node < (uintptr_t)JSON.spots[b].node;
}

// The spots of the parsed document, sorted by node; none when memory is short.
void make_spots(const unsigned char* bytes, const JsonNoter* noter) {
    if (noter->lost || noter->count == 0)
        return;
    JSON.spots = (JsonSpot*)heap_reallocate_table(0, (uint64_t)noter->count, sizeof(JsonSpot));
    if (!JSON.spots)
        return;
    SpotWalk walk = {bytes, noter->offsets, noter->count, 0, 0, 1, 1};
    walk.visit(JSON.document);
    JSON.spot_count = walk.next;
    int32_t* order = order_indices(JSON.spot_count, &spot_before, 0);
    if (!order || !order_apply(JSON.spots, JSON.spot_count, sizeof(JsonSpot), order)) {
        heap_free(JSON.spots);
        JSON.spots = 0;
        JSON.spot_count = 0;
    }
    heap_free(order);
}

int spot_of(const void* node, uint32_t* line, uint32_t* column) {
    int32_t low = 0, high = JSON.spot_count;
    while (node && low < high) {
        int32_t middle = low + (high - low) / 2;
        uintptr_t m = (uintptr_t)JSON.spots[middle].node;
        if (m == (uintptr_t)node) {
            *line = JSON.spots[middle].line;
            *column = JSON.spots[middle].column;
            return 1;
        }
        if (m < (uintptr_t)node)
            low = middle + 1;
        else
            high = middle;
    }
    *line = *column = 0;
    return 0;
}
} // namespace

const JsonValue* json_parse(const unsigned char* bytes, uint32_t size, JsonError* error) {
    json_release();
    error->line = error->column = 1;
    error->problem = "Not enough memory";
    void* pool_block = malloc(sizeof(JsonPool));
    void* document_block = malloc(sizeof(JsonDocument));
    if (!pool_block || !document_block) {
        free(pool_block);
        free(document_block);
        return 0;
    }
    JSON.pool = new (pool_block) JsonPool(64 * 1024, &JSON.heap);
    JSON.document = new (document_block) JsonDocument(JSON.pool, 1024, &JSON.heap);

    // Notepad starts UTF-8 files with a byte-order mark.
    uint32_t skip = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    int64_t lone = lone_low_surrogate(bytes, size);
    if (lone >= 0) {
        locate(bytes, size, (size_t)lone, error);
        error->problem =
            rapidjson::GetParseError_En(rapidjson::kParseErrorStringUnicodeSurrogateInvalid);
        json_release();
        return 0;
    }
    int64_t deep = too_deep(bytes, size);
    if (deep >= 0) {
        locate(bytes, size, (size_t)deep, error);
        error->problem = "Nested more than 32 levels deep.";
        json_release();
        return 0;
    }
    rapidjson::MemoryStream memory((const char*)bytes + skip, size - skip);
    rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> input(memory);
    JsonNoter noter = {*JSON.document, input, bytes + skip, size - skip, 0, 0, 0, 0, 0};
    JsonMaker maker = {&noter, &input, rapidjson::ParseResult()};
    JSON.document->Populate(maker);
    if (maker.result.IsError()) {
        heap_free(noter.offsets);
        locate(bytes, size, maker.result.Offset() + skip, error);
        error->problem = rapidjson::GetParseError_En(maker.result.Code());
        json_release();
        return 0;
    }
    // The places count the byte-order mark's bytes, as the parse errors' do.
    for (int32_t i = 0; i < noter.count; ++i)
        noter.offsets[i] += skip;
    make_spots(bytes, &noter);
    heap_free(noter.offsets);
    return value(JSON.document);
}

void json_release(void) {
    heap_free(JSON.spots);
    JSON.spots = 0;
    JSON.spot_count = 0;
    destroy(JSON.document);
    destroy(JSON.pool);
}

int32_t json_type(const JsonValue* v) {
    const JsonNode* n = node(v);
    if (!n || n->IsNull())
        return JSON_NULL;
    if (n->IsBool())
        return JSON_BOOLEAN;
    if (n->IsNumber())
        return JSON_NUMBER;
    if (n->IsString())
        return JSON_TEXT;
    return n->IsArray() ? JSON_LIST : JSON_OBJECT;
}

uint32_t json_count(const JsonValue* v) {
    const JsonNode* n = node(v);
    if (n && n->IsArray())
        return n->Size();
    if (n && n->IsObject())
        return n->MemberCount();
    return 0;
}

const JsonValue* json_element(const JsonValue* list, uint32_t index) {
    const JsonNode* n = node(list);
    if (!n || !n->IsArray() || index >= n->Size())
        return 0;
    return value(&(*n)[index]);
}

const JsonValue* json_member(const JsonValue* object, uint32_t index, JsonText* key) {
    const JsonNode* n = node(object);
    if (!n || !n->IsObject() || index >= n->MemberCount())
        return 0;
    JsonNode::ConstMemberIterator member = n->MemberBegin() + index;
    key->units = member->name.GetString();
    key->count = member->name.GetStringLength();
    return value(&member->value);
}

const JsonValue* json_find(const JsonValue* object, const char* key) {
    uint32_t count = json_count(object);
    if (json_type(object) != JSON_OBJECT)
        return 0;
    for (uint32_t i = 0; i < count; ++i) {
        JsonText name = {0, 0};
        const JsonValue* v = json_member(object, i, &name);
        if (json_text_is(&name, key))
            return v;
    }
    return 0;
}

int json_place(const JsonValue* v, uint32_t* line, uint32_t* column) {
    return spot_of(v, line, column);
}

int json_key_place(const JsonValue* object, uint32_t index, uint32_t* line, uint32_t* column) {
    const JsonNode* n = node(object);
    if (!n || !n->IsObject() || index >= n->MemberCount())
        return spot_of(0, line, column);
    return spot_of(&(n->MemberBegin() + index)->name, line, column);
}

int json_whole(const JsonValue* v, int64_t* result) {
    const JsonNode* n = node(v);
    if (!n || !n->IsInt64())
        return 0;
    *result = n->GetInt64();
    return 1;
}

int json_text(const JsonValue* v, JsonText* text) {
    const JsonNode* n = node(v);
    if (!n || !n->IsString())
        return 0;
    text->units = n->GetString();
    text->count = n->GetStringLength();
    return 1;
}

int json_text_is(const JsonText* text, const char* ascii) {
    uint32_t i = 0;
    for (; ascii[i]; ++i) {
        if (i >= text->count || (uint32_t)text->units[i] != (unsigned char)ascii[i])
            return 0;
    }
    return i == text->count;
}

namespace {
// The text in the level file's code page (level) or the system's; the outcome of json_code_page.
// Under the UTF-8 code page the two differ: the level file's texts stay Windows-1252.
int narrowed(const JsonText* text, char** block, int level) {
    *block = 0;
    for (uint32_t i = 0; i < text->count; ++i) {
        if (text->units[i] == 0)
            return JSON_CODE_PAGE_ZERO;
    }
    // A unit becomes at most three bytes (UTF-8; two in a double-byte code page), and the
    // terminator one more.
    if (text->count > 0x7FFFFFFFu / 3 - 1)
        return JSON_CODE_PAGE_MEMORY;
    int32_t room = (int32_t)text->count * 3 + 1;
    char* out = (char*)heap_allocate((size_t)room);
    if (!out)
        return JSON_CODE_PAGE_MEMORY;
    int done = level && os_text_is_utf8()
                   ? code_page_1252_narrow(text->units, (int32_t)text->count, out, room)
                   : os_code_page_narrow(text->units, (int32_t)text->count, out, room);
    if (!done) {
        heap_free(out);
        return JSON_CODE_PAGE_LOST;
    }
    *block = out;
    return JSON_CODE_PAGE_DONE;
}
} // namespace

int json_code_page(const JsonText* text, char** block) {
    return narrowed(text, block, 1);
}

int json_file_name(const JsonText* text, char** block) {
#ifdef _WIN32
    return narrowed(text, block, 0);
#else
    *block = 0;
    for (uint32_t i = 0; i < text->count; ++i) {
        if (text->units[i] == 0)
            return JSON_CODE_PAGE_ZERO;
    }
    char* out = (char*)heap_allocate((size_t)text->count * 3 + 1);
    if (!out)
        return JSON_CODE_PAGE_MEMORY;
    if (!text_utf8_of_units(text->units, (int32_t)text->count, out)) {
        heap_free(out);
        return JSON_CODE_PAGE_LOST;
    }
    *block = out;
    return JSON_CODE_PAGE_DONE;
#endif
}

void json_write_start(void) {
    destroy(JSON.writer);
    destroy(JSON.buffer);
    JSON.write_failed = 0;
    void* buffer_block = malloc(sizeof(JsonBuffer));
    void* writer_block = malloc(sizeof(JsonWriter));
    if (!buffer_block || !writer_block) {
        free(buffer_block);
        free(writer_block);
        JSON.write_failed = 1;
        return;
    }
    JSON.buffer = new (buffer_block) JsonBuffer(&JSON.heap);
    JSON.writer = new (writer_block) JsonWriter(*JSON.buffer, &JSON.heap);
    JSON.writer->SetIndent(' ', 2);
}

void json_write_object(void) {
    if (JSON.writer)
        JSON.writer->StartObject();
}
void json_write_object_end(void) {
    if (JSON.writer)
        JSON.writer->EndObject();
}
void json_write_list(void) {
    if (JSON.writer)
        JSON.writer->StartArray();
}
void json_write_list_end(void) {
    if (JSON.writer)
        JSON.writer->EndArray();
}

void json_write_key(const char* ascii) {
    if (!JSON.writer)
        return;
    wchar_t units[64];
    uint32_t n = 0;
    while (ascii[n] && n < 63) {
        units[n] = (wchar_t)(unsigned char)ascii[n];
        ++n;
    }
    JSON.writer->Key(units, n);
}

namespace {
void write_text(const char* text, int level) {
    if (!JSON.writer)
        return;
    uint32_t count = 0;
    wchar_t* units = widen(text, &count, level);
    if (!units) {
        JSON.write_failed = 1;
        JSON.writer->String(L"", 0);
        return;
    }
    JSON.writer->String(units, count);
    free(units);
}
} // namespace

void json_write_text(const char* text) {
    write_text(text, 1);
}

void json_write_name(const char* name) {
#ifndef _WIN32
    if (JSON.writer && name) {
        size_t n = strlen(name);
        wchar_t* units = n < 0x7FFFFFFF ? (wchar_t*)malloc((n + 1) * sizeof(wchar_t)) : 0;
        int32_t count = units ? text_units_of_utf8(name, units, (int32_t)n + 1) : -1;
        if (count >= 0)
            JSON.writer->String(units, (uint32_t)count);
        free(units);
        if (count >= 0)
            return;
    }
#endif
    write_text(name, 0);
}

void json_write_number(int64_t number) {
    if (JSON.writer)
        JSON.writer->Int64(number);
}

void json_write_null(void) {
    if (JSON.writer)
        JSON.writer->Null();
}

const char* json_write_finish(uint32_t* size) {
    if (!JSON.writer || JSON.write_failed || !JSON.writer->IsComplete())
        return 0;
    JSON.buffer->Put('\n');
    *size = (uint32_t)JSON.buffer->GetSize();
    return JSON.buffer->GetString();
}
