// Text rules of the command-line tool: comparing argument words, quoting the level file's texts
// in the two listings, building file names, and formatting messages. Pure: every result goes into
// a buffer the caller gives, with its room, or into a heap block of its own.
#pragma once
#include <stdarg.h>
#include <stdint.h>

#ifdef __MINGW32__
#define TEXT_FORMAT_CHECK(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define TEXT_FORMAT_CHECK(f, a) __attribute__((format(printf, f, a)))
#endif

// Room for a name the tool makes from the user's names (as long as a system takes a path), and
// for one line of a message.
enum { TEXT_NAME_ROOM = 4096, TEXT_MESSAGE_ROOM = 8192 };

// The bounded producers below write their result into out (room bytes, always terminated, even
// when the result is cut) and return 1 when the whole of it fit, 0 when it was cut. A cut name
// names another file and is never used; a cut message can still be shown.

// The text formatted as printf does.
int text_format(char* out, int32_t room, const char* format, ...) TEXT_FORMAT_CHECK(3, 4);
// The text formatted as printf does, appended to the text already in out.
int text_add(char* out, int32_t room, const char* format, ...) TEXT_FORMAT_CHECK(3, 4);
int text_add_list(char* out, int32_t room, const char* format, va_list list);
// A heap copy of the formatted text, of whatever length; 0 when memory is short.
char* text_copy_format(const char* format, ...) TEXT_FORMAT_CHECK(1, 2);

// 1 when the two texts are equal byte for byte (a null text counts as empty).
int text_equal(const char* a, const char* b);
// 1 when the two names are the same to the file system: equal but for the letter case of ASCII
// and Latin-1 letters (a null text counts as empty).
int text_same_name(const char* a, const char* b);
// 1 when name a sorts before name b, letter case aside as in text_same_name (bytes compared
// with capitals taken as small letters, so underscores and digits come before letters).
int text_name_before(const char* a, const char* b);
// 1 when the text holds a wildcard character (* or ?).
int text_has_wildcard(const char* text);
// The text in double quotes with \" \\ \t \n \r and \u00XX for the other control characters;
// bytes from 0x80 up are kept as they are (the listing is in the system's code page).
int text_quote(char* out, int32_t room, const char* text);
// count UTF-16 units as a JSON string: the escapes of text_quote, and \uXXXX for every unit from
// 0x7F up, so the result is plain ASCII whatever the console's code page.
int text_quote_wide(char* out, int32_t room, const wchar_t* units, int32_t count);
// The file name part of path (after its last \, / or : on Windows, its last / on POSIX systems)
// without its last extension.
int text_base_name(char* out, int32_t room, const char* path);
// The folder part of path with its final separator ("levels/"; "levels\" on Windows), or empty.
int text_folder(char* out, int32_t room, const char* path);
// The length of that folder part: where the last part of path starts.
int32_t text_folder_length(const char* path);
// name as seen from where folder is: name itself when it is absolute (or drive-relative on
// Windows), else folder and name joined as text_join does.
int text_in_folder(char* out, int32_t room, const char* folder, const char* name);
// directory and name joined with a backslash, a slash on POSIX systems (none added when directory
// is empty or already ends in a separator).
int text_join(char* out, int32_t room, const char* directory, const char* name);
// The text before the first '=' of argument; *value is then set to the text after it. 0 also
// when the argument has no '=' (*value is then left alone).
int text_field_name(char* out, int32_t room, const char* argument, const char** value);
// 1 when name matches the wildcard pattern as Windows matches file names: * any run of
// characters, ? any one, letter case aside (ASCII and Latin-1 letters), and a final ".*" also
// matching a name without an extension.
int text_matches(const char* pattern, const char* name);
// count UTF-16 units as UTF-8 into out (3 * count + 1 bytes, terminated): how POSIX systems
// spell Unicode file names. 1 when done; 0 for a lone surrogate or a unit 0.
int text_utf8_of_units(const wchar_t* units, int32_t count, char* out);
// The UTF-8 text as UTF-16 units into out (room units, terminated); the units written without
// the terminator, or -1 when the text is not UTF-8 or does not fit.
int32_t text_units_of_utf8(const char* text, wchar_t* out, int32_t room);
// A copy of text in a runtime heap block of its own; 0 for a null text or when memory is short.
char* text_copy(const char* text);
