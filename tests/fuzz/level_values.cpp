// Fuzzes the values of "wumpo-tool level create": the input is a list of command-line words
// separated by zero bytes. Each "field=value" word is split and its field looked up as the
// command does; a number is checked against a reading of the rule written here, and a number the
// check takes must be stored as that value (its low 16 bits); a backdrop name is taken exactly
// when it has 12 characters or fewer.
#include "level.h"
#include "program.h"
#include "str.h"
#include "text.h"
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {
// The rule: spaces, one optional sign, at least one digit, spaces, nothing else; from -32768 to
// 65535. *value gets the number when it is taken.
bool number_taken(const char* text, long* value) {
    const char* p = text;
    while (*p == ' ')
        ++p;
    if (!*p) {
        *value = 0;
        return true;
    }
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (*p < '0' || *p > '9')
        return false;
    long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (v < 100000)
            v = v * 10 + (*p - '0');
    }
    while (*p == ' ')
        ++p;
    if (*p)
        return false;
    *value = negative ? -v : v;
    return *value >= -32768 && *value <= 65535;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return program_start() == PROGRAM_STARTED ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string words((const char*)data, size);
    for (size_t at = 0; at <= words.size();) {
        size_t end = words.find('\0', at);
        if (end == std::string::npos)
            end = words.size();
        std::string word = words.substr(at, end - at);
        at = end + 1;
        const char* value = 0;
        char name[TEXT_NAME_ROOM];
        int whole = text_field_name(name, sizeof name, word.c_str(), &value);
        size_t equals = word.find('=');
        // Refused only without an '=' or when the name does not fit the room.
        if (!whole != (equals == std::string::npos || equals >= sizeof name))
            abort();
        if (!whole)
            continue;
        if (word.compare(0, equals, name) != 0 || value != word.c_str() + equals + 1)
            abort();
        int32_t index = level_field_find(name);
        if (index < 0)
            continue;
        const LevelFieldInfo* info = level_field_info(index);
        if (strcmp(info->name, word.substr(0, equals).c_str()) != 0)
            abort();
        if (info->kind == LEVEL_KIND_WORD) {
            long want = 0;
            bool taken = number_taken(value, &want);
            if (level_number_check(value) != (taken ? 1 : 0))
                abort();
            if (taken && (uint16_t)str_to_int(value) != (uint16_t)want)
                abort();
        } else if (index == LEVEL_FIELD_BACKDROP_NAME) {
            if (level_backdrop_check(value) != (strlen(value) <= LEVEL_BACKDROP_LENGTH ? 1 : 0))
                abort();
        }
    }
    return 0;
}
