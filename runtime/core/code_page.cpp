// The Windows-1252 table and the conversions that use it.
#include "code_page.h"

namespace {
// Characters 0x80-0x9F as UTF-16; 0 where the code page has none (those bytes become the same
// code point, as Windows' own conversion gives them).
const uint16_t CP1252_HIGH[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t unit_of(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0 && CP1252_HIGH[byte - 0x80])
        return CP1252_HIGH[byte - 0x80];
    return byte;
}

// The byte of a code point; -1 when the code page has none.
int32_t byte_of(uint32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return (int32_t)c;
    // The table's characters, and the five bytes it leaves alone, which widen to themselves.
    for (int32_t b = 0; b < 32; ++b) {
        if (CP1252_HIGH[b] ? CP1252_HIGH[b] == c : c == 0x80u + (uint32_t)b)
            return 0x80 + b;
    }
    return -1;
}
} // namespace

uint32_t code_page_utf8_next(const unsigned char** p) {
    const unsigned char* s = *p;
    uint32_t c = *s, more = 0, least = 0;
    if (c >= 0xF0 && c < 0xF5) {
        c &= 0x07;
        more = 3;
        least = 0x10000;
    } else if (c >= 0xE0 && c < 0xF0) {
        c &= 0x0F;
        more = 2;
        least = 0x800;
    } else if (c >= 0xC2 && c < 0xE0) {
        c &= 0x1F;
        more = 1;
        least = 0x80;
    } else if (c >= 0x80) {
        return 0xFFFFFFFFu;
    }
    ++s;
    for (uint32_t k = 0; k < more; ++k, ++s) {
        if ((*s & 0xC0) != 0x80)
            return 0xFFFFFFFFu;
        c = c << 6 | (*s & 0x3Fu);
    }
    if (c < least || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
        return 0xFFFFFFFFu;
    *p = s;
    return c;
}
int32_t code_page_1252_widen(const char* text, wchar_t* out, int32_t room) {
    int32_t n = 0;
    for (const unsigned char* p = (const unsigned char*)(text ? text : ""); n < room; ++p) {
        out[n++] = (wchar_t)unit_of(*p);
        if (!*p)
            return n;
    }
    return 0;
}

int code_page_1252_narrow(const wchar_t* units, int32_t count, char* out, int32_t room) {
    if (room < 1)
        return 0;
    out[0] = 0;
    if (count >= room)
        return 0;
    for (int32_t i = 0; i < count; ++i) {
        int32_t byte = byte_of((uint32_t)units[i]);
        if (byte <= 0) {
            out[0] = 0;
            return 0;
        }
        out[i] = (char)byte;
    }
    out[count] = 0;
    return 1;
}

int code_page_1252_of_utf8(const char* text, int32_t most, char* out) {
    const unsigned char* p = (const unsigned char*)(text ? text : "");
    int32_t n = 0;
    while (*p && (most < 0 || n < most)) {
        uint32_t c = code_page_utf8_next(&p);
        int32_t byte = c == 0xFFFFFFFFu ? -1 : byte_of(c);
        if (byte <= 0) {
            out[0] = 0;
            return 0;
        }
        out[n++] = (char)byte;
    }
    out[n] = 0;
    return 1;
}

int code_page_utf8_of_1252(const char* text, char* out, int32_t room) {
    if (room < 1)
        return 0;
    int32_t n = 0;
    for (const unsigned char* p = (const unsigned char*)(text ? text : ""); *p; ++p) {
        uint32_t c = unit_of(*p);
        int32_t size = c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (n + size >= room) {
            out[n] = 0;
            return 0;
        }
        if (size == 1) {
            out[n++] = (char)c;
        } else if (size == 2) {
            out[n++] = (char)(0xC0 | c >> 6);
            out[n++] = (char)(0x80 | (c & 0x3F));
        } else {
            out[n++] = (char)(0xE0 | c >> 12);
            out[n++] = (char)(0x80 | (c >> 6 & 0x3F));
            out[n++] = (char)(0x80 | (c & 0x3F));
        }
    }
    out[n] = 0;
    return 1;
}
