// String runtime: owns the temporary string area's bounds and its current position.
// Pure: no platform call, so the rules can be read and tested on their own.
#include "str.h"

namespace {
struct StrState {
    char* area;
    char* last;     // the area's last byte: room for a terminator only
    char* position; // always within [area, last]
};
StrState STR = {};
char EMPTY_AREA[1] = {0}; // stands in before start-up, so a stray call cannot write through 0

void ensure_area(void) {
    if (!STR.area) {
        STR.area = STR.last = STR.position = EMPTY_AREA;
        EMPTY_AREA[0] = 0;
    }
}

// Where a producer with a destination argument may write: the destination when it lies in the
// area, else the current position.
char* destination_in_area(char* destination) {
    ensure_area();
    if (destination >= STR.area && destination <= STR.last)
        return destination;
    return STR.position;
}

// Ends a result at terminator (already inside the area) and moves the position there.
char* finish(char* start, char* terminator) {
    *terminator = 0;
    STR.position = terminator;
    return start;
}
} // namespace

void str_area_set(char* area, uint32_t size) {
    if (!area || size == 0) {
        STR = StrState{};
        ensure_area();
        return;
    }
    STR.area = area;
    STR.last = area + size - 1;
    STR.position = area;
    *STR.last = 0;
}

char* str_position(void) {
    ensure_area();
    return STR.position;
}

void str_set_position(char* position) {
    ensure_area();
    if (position < STR.area)
        position = STR.area;
    if (position > STR.last)
        position = STR.last;
    STR.position = position;
}

char* str_step(void) {
    ensure_area();
    if (STR.position < STR.last)
        ++STR.position;
    return STR.position;
}

uint32_t str_free(void) {
    ensure_area();
    return (uint32_t)(STR.last - STR.position);
}

char* str_commit(uint32_t count) {
    uint32_t room = str_free();
    if (count > room)
        count = room;
    return finish(STR.position, STR.position + count);
}

void str_concat(const char* string) {
    ensure_area();
    char* out = STR.position;
    // Copying forward is safe even when the source lies just behind the position in the area.
    if (string) {
        while (*string && out < STR.last)
            *out++ = *string++;
    }
    finish(STR.position, out);
}

char* str_left(const char* source, int32_t count, char* destination) {
    char* out = destination_in_area(destination);
    char* start = out;
    if (source && count > 0) {
        // In place (destination == source) this copies each byte onto itself.
        while (count-- > 0 && *source && out < STR.last)
            *out++ = *source++;
    }
    return finish(start, out);
}

char* str_pad_right(const char* source, int32_t length, const char* pad, char* destination) {
    char* start = destination_in_area(destination);
    if (length <= 0)
        return finish(start, start);
    uint32_t room = (uint32_t)(STR.last - start);
    uint32_t want = (uint32_t)length < room ? (uint32_t)length : room;
    uint32_t copy = 0;
    if (source) {
        while (copy < want && source[copy])
            ++copy;
    }
    // The source may overlap the destination (in place, or shifted): move, not copy.
    if (copy && source != start) {
        if (start < source) {
            for (uint32_t i = 0; i < copy; ++i)
                start[i] = source[i];
        } else {
            for (uint32_t i = copy; i-- > 0;)
                start[i] = source[i];
        }
    }
    char fill = pad ? pad[0] : ' ';
    for (uint32_t i = copy; i < want; ++i)
        start[i] = fill;
    return finish(start, start + want);
}

int32_t str_length(const char* string) {
    if (!string)
        return 0;
    int32_t n = 0;
    while (string[n])
        ++n;
    return n;
}

int32_t str_to_int(const char* string) {
    if (!string)
        return 0;
    while (*string == ' ')
        ++string;
    int negative = 0;
    if (*string == '-') {
        negative = 1;
        ++string;
    } else if (*string == '+') {
        ++string;
    }
    uint32_t value = 0;
    while (*string >= '0' && *string <= '9')
        value = value * 10u + (uint32_t)(*string++ - '0');
    if (negative)
        value = 0u - value;
    return (int32_t)value;
}

char* str_decimal(int32_t value, char out[12]) {
    // Formatted by hand rather than through the platform's printf so the module stays pure;
    // the text is the same as "%ld" gives.
    char digits[12];
    int n = 0;
    uint32_t magnitude = value < 0 ? 0u - (uint32_t)value : (uint32_t)value;
    do {
        digits[n++] = (char)('0' + magnitude % 10u);
        magnitude /= 10u;
    } while (magnitude);
    int at = 0;
    if (value < 0)
        out[at++] = '-';
    while (n > 0)
        out[at++] = digits[--n];
    out[at] = 0;
    return out;
}

char* int_to_str(int32_t value, char* destination) {
    char text[12];
    str_decimal(value, text);
    char* start = destination_in_area(destination);
    char* out = start;
    for (const char* p = text; *p && out < STR.last; ++p)
        *out++ = *p;
    return finish(start, out);
}

namespace {
// A file name character as the file system compares it: letters without case, "/" as "\".
char fold(char c) {
    if (c == '/')
        return '\\';
    return (c >= 'A' && c <= 'Z') ? (char)(c + ('a' - 'A')) : c;
}
} // namespace

const char* str_relative_to(const char* name, const char* folder) {
    if (!name || !folder || !*folder)
        return name;
    int32_t n = 0;
    while (folder[n]) {
        if (fold(name[n]) != fold(folder[n]))
            return name;
        ++n;
    }
    // Without its final separator the folder must still end where the name has one: "C:\lv" is
    // not a folder of "C:\lvl\a.bmp".
    if (fold(folder[n - 1]) != '\\') {
        if (fold(name[n]) != '\\')
            return name;
        ++n;
    }
    return name[n] ? name + n : name;
}

int str_has_extension(const char* name, const char* extension) {
    int32_t n = str_length(name), m = str_length(extension);
    if (m == 0 || n < m)
        return 0;
    const char* end = name + n - m;
    for (int32_t i = 0; i < m; ++i) {
        if (fold(end[i]) != fold(extension[i]))
            return 0;
    }
    return 1;
}
