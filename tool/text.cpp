// Text rules of the command-line tool. Pure: no platform call.
#include "text.h"
#include "str.h"

namespace {
const char HEX[] = "0123456789ABCDEF";

// Writes the escaped form of one character code at out; returns the bytes written (at most 6).
// keep_high: codes from 0x80 up are single bytes of the code page, written unchanged.
uint32_t escape(uint32_t c, int keep_high, char* out) {
    const char* named = 0;
    switch (c) {
    case '"':
        named = "\\\"";
        break;
    case '\\':
        named = "\\\\";
        break;
    case '\t':
        named = "\\t";
        break;
    case '\n':
        named = "\\n";
        break;
    case '\r':
        named = "\\r";
        break;
    default:
        break;
    }
    if (named) {
        out[0] = named[0];
        out[1] = named[1];
        return 2;
    }
    if ((c >= 0x20 && c < 0x7F) || (keep_high && c >= 0x80)) {
        out[0] = (char)c;
        return 1;
    }
    out[0] = '\\';
    out[1] = 'u';
    for (int i = 0; i < 4; ++i)
        out[2 + i] = HEX[(c >> (12 - 4 * i)) & 15u];
    return 6;
}

// Appends one escaped code at the current position.
void append_escaped(uint32_t c, int keep_high) {
    char piece[8];
    piece[escape(c, keep_high, piece)] = 0;
    str_concat(piece);
}

// The capital of a letter of the Latin-1 part of the code page (a-z, and the accented letters
// from 0xE0 but the division sign); any other byte as it is.
unsigned char capital(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return (unsigned char)(c - 0x20);
    return c;
}

const char* last_separator_end(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    return name;
}
} // namespace

int text_equal(const char* a, const char* b) {
    if (!a)
        a = "";
    if (!b)
        b = "";
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

int text_same_name(const char* a, const char* b) {
    const unsigned char* p = (const unsigned char*)(a ? a : "");
    const unsigned char* q = (const unsigned char*)(b ? b : "");
    while (*p && capital(*p) == capital(*q)) {
        ++p;
        ++q;
    }
    return capital(*p) == capital(*q);
}

int text_has_wildcard(const char* text) {
    for (; text && *text; ++text) {
        if (*text == '*' || *text == '?')
            return 1;
    }
    return 0;
}

char* text_quote(const char* text) {
    char* start = str_position();
    *start = 0;
    str_concat("\"");
    for (const unsigned char* p = (const unsigned char*)(text ? text : ""); *p; ++p)
        append_escaped(*p, 1);
    str_concat("\"");
    return start;
}

char* text_quote_wide(const wchar_t* units, int32_t count) {
    char* start = str_position();
    *start = 0;
    str_concat("\"");
    for (int32_t i = 0; i < count; ++i)
        append_escaped((uint32_t)(uint16_t)units[i], 0);
    str_concat("\"");
    return start;
}

char* text_base_name(const char* path) {
    const char* name = last_separator_end(path ? path : "");
    int32_t n = str_length(name);
    int32_t cut = n;
    for (int32_t i = n - 1; i > 0; --i) {
        if (name[i] == '.') {
            cut = i;
            break;
        }
    }
    // A name that starts with its only dot (".bmp") is all extension.
    if (cut == n && n > 0 && name[0] == '.')
        cut = 0;
    return str_left(name, cut, str_position());
}

char* text_join(const char* directory, const char* name) {
    char* start = str_position();
    *start = 0;
    str_concat(directory);
    int32_t n = str_length(directory);
    if (n > 0 && directory[n - 1] != '\\' && directory[n - 1] != '/')
        str_concat("\\");
    str_concat(name);
    return start;
}

char* text_field_name(const char* argument, const char** value) {
    if (!argument)
        return 0;
    int32_t n = 0;
    while (argument[n] && argument[n] != '=')
        ++n;
    if (!argument[n])
        return 0;
    *value = argument + n + 1;
    return str_left(argument, n, str_position());
}
