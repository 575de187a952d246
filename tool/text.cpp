// Text rules of the command-line tool. Pure: no platform call.
#include "text.h"
#include "code_page.h"
#include <stdio.h>
#include <string.h>
#include "heap.h"

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

// The small letter of a capital of the Latin-1 part of the code page (A-Z, and the accented
// capitals from 0xC0 but the multiplication sign); any other byte as it is. Small rather than
// capital, so that names sort as Windows sorts them: underscores and digits before letters.
unsigned char folded(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return (unsigned char)(c + 0x20);
    return c;
}

// What ends a directory in a name: on Windows a backslash, a slash or a drive's colon; on POSIX
// systems only a slash (there the others are characters of the name).
int is_separator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}
#ifdef _WIN32
const char JOIN[] = "\\";
#else
const char JOIN[] = "/";
#endif

const char* last_separator_end(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (is_separator(*p))
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
    while (*p && folded(*p) == folded(*q)) {
        ++p;
        ++q;
    }
    return folded(*p) == folded(*q);
}

int text_name_before(const char* a, const char* b) {
    const unsigned char* p = (const unsigned char*)(a ? a : "");
    const unsigned char* q = (const unsigned char*)(b ? b : "");
    while (*p && folded(*p) == folded(*q)) {
        ++p;
        ++q;
    }
    return folded(*p) < folded(*q);
}

int text_has_wildcard(const char* text) {
    for (; text && *text; ++text) {
        if (*text == '*' || *text == '?')
            return 1;
    }
    return 0;
}

int32_t text_folder_length(const char* path) {
    const char* p = path ? path : "";
    return (int32_t)(last_separator_end(p) - p);
}

int text_matches(const char* pattern, const char* name) {
    const unsigned char* p = (const unsigned char*)(pattern ? pattern : "");
    const unsigned char* n = (const unsigned char*)(name ? name : "");
    // After a star, where to go on trying when a later part fails: the pattern just past the
    // star and the name one character further than last time. One star remembered is enough,
    // since a later star can take over whatever an earlier one would have.
    const unsigned char* star = 0;
    const unsigned char* resume = 0;
    for (;;) {
        if (*p == '*') {
            star = ++p;
            resume = n;
            continue;
        }
        // A final ".*" also stands for no extension at all, as "*.*" does for every file.
        if (!*n && p[0] == '.' && p[1] == '*' && !p[2])
            return 1;
        if (!*n && !*p)
            return 1;
        if (*n && (*p == '?' || (*p && folded(*p) == folded(*n)))) {
            ++p;
            ++n;
            continue;
        }
        if (!star || !*resume)
            return 0;
        p = star;
        n = ++resume;
    }
}

int text_utf8_of_units(const wchar_t* units, int32_t count, char* out) {
    uint32_t n = 0;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t c = (uint32_t)units[i] & 0xFFFFu;
        if (c == 0 || (c >= 0xDC00 && c < 0xE000))
            return 0;
        if (c >= 0xD800 && c < 0xDC00) {
            uint32_t low = i + 1 < count ? (uint32_t)units[i + 1] & 0xFFFFu : 0;
            if (low < 0xDC00 || low >= 0xE000)
                return 0;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out[n++] = (char)c;
        } else if (c < 0x800) {
            out[n++] = (char)(0xC0 | c >> 6);
            out[n++] = (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out[n++] = (char)(0xE0 | c >> 12);
            out[n++] = (char)(0x80 | (c >> 6 & 0x3F));
            out[n++] = (char)(0x80 | (c & 0x3F));
        } else {
            out[n++] = (char)(0xF0 | c >> 18);
            out[n++] = (char)(0x80 | (c >> 12 & 0x3F));
            out[n++] = (char)(0x80 | (c >> 6 & 0x3F));
            out[n++] = (char)(0x80 | (c & 0x3F));
        }
    }
    out[n] = 0;
    return 1;
}

int32_t text_units_of_utf8(const char* text, wchar_t* out, int32_t room) {
    const unsigned char* p = (const unsigned char*)(text ? text : "");
    int32_t n = 0;
    while (*p) {
        uint32_t c = code_page_utf8_next(&p);
        if (c == 0xFFFFFFFFu || n + (c >= 0x10000 ? 2 : 1) >= room)
            return -1;
        if (c >= 0x10000) {
            out[n++] = (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
            out[n++] = (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out[n++] = (wchar_t)c;
        }
    }
    if (n >= room)
        return -1;
    out[n] = 0;
    return n;
}

char* text_copy(const char* text) {
    if (!text)
        return 0;
    int32_t n = (int32_t)strlen(text);
    char* block = (char*)heap_allocate((size_t)n + 1);
    for (int32_t i = 0; block && i < n; ++i)
        block[i] = text[i];
    return block;
}

int text_add_list(char* out, int32_t room, const char* format, va_list list) {
    if (room <= 0)
        return 0;
    size_t used = strnlen(out, (size_t)room - 1);
    out[used] = 0;
    int made = vsnprintf(out + used, (size_t)room - used, format, list);
    return made >= 0 && (uint64_t)made < (uint64_t)room - used;
}

int text_add(char* out, int32_t room, const char* format, ...) {
    va_list list;
    va_start(list, format);
    int whole = text_add_list(out, room, format, list);
    va_end(list);
    return whole;
}

int text_format(char* out, int32_t room, const char* format, ...) {
    if (room <= 0)
        return 0;
    out[0] = 0;
    va_list list;
    va_start(list, format);
    int whole = text_add_list(out, room, format, list);
    va_end(list);
    return whole;
}

char* text_copy_format(const char* format, ...) {
    va_list list;
    va_start(list, format);
    int n = vsnprintf(0, 0, format, list);
    va_end(list);
    if (n < 0)
        return 0;
    char* block = (char*)heap_allocate((size_t)n + 1);
    if (!block)
        return 0;
    va_start(list, format);
    vsnprintf(block, (size_t)n + 1, format, list);
    va_end(list);
    return block;
}

namespace {
// A bounded copy of the first count characters of text.
int put_part(char* out, int32_t room, const char* text, int32_t count) {
    return text_format(out, room, "%.*s", (int)count, text ? text : "");
}

int quote_into(char* out, int32_t room, const wchar_t* units, const char* text, int32_t count) {
    if (!text_format(out, room, "\""))
        return 0;
    int32_t used = 1;
    for (int32_t i = 0; text ? text[i] != 0 : i < count; ++i) {
        char piece[8];
        uint32_t c = text ? (unsigned char)text[i] : (uint32_t)(uint16_t)units[i];
        uint32_t n = escape(c, text != 0, piece);
        if ((uint64_t)used + n + 2 > (uint64_t)room)
            return 0;
        memcpy(out + used, piece, n);
        used += (int32_t)n;
    }
    if (used + 2 > room)
        return 0;
    out[used] = '"';
    out[used + 1] = 0;
    return 1;
}
} // namespace

int text_quote(char* out, int32_t room, const char* text) {
    return quote_into(out, room, 0, text ? text : "", 0);
}

int text_quote_wide(char* out, int32_t room, const wchar_t* units, int32_t count) {
    return quote_into(out, room, units, 0, count);
}

int text_base_name(char* out, int32_t room, const char* path) {
    const char* name = last_separator_end(path ? path : "");
    int32_t n = (int32_t)strlen(name);
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
    return put_part(out, room, name, cut);
}

int text_folder(char* out, int32_t room, const char* path) {
    return put_part(out, room, path, text_folder_length(path));
}

int text_in_folder(char* out, int32_t room, const char* folder, const char* name) {
    const char* n = name ? name : "";
#ifdef _WIN32
    int absolute = n[0] == '\\' || n[0] == '/' || (n[0] && n[1] == ':');
#else
    int absolute = n[0] == '/';
#endif
    if (absolute)
        return text_format(out, room, "%s", n);
    return text_join(out, room, folder, n);
}

int text_join(char* out, int32_t room, const char* directory, const char* name) {
    const char* d = directory ? directory : "";
    size_t n = strlen(d);
    const char* separator = n > 0 && d[n - 1] != JOIN[0] && d[n - 1] != '/' ? JOIN : "";
    return text_format(out, room, "%s%s%s", d, separator, name ? name : "");
}

int text_field_name(char* out, int32_t room, const char* argument, const char** value) {
    if (!argument)
        return 0;
    int32_t n = 0;
    while (argument[n] && argument[n] != '=')
        ++n;
    if (!argument[n])
        return 0;
    *value = argument + n + 1;
    return put_part(out, room, argument, n);
}
