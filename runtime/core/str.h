// String runtime: every temporary string is produced in one fixed block, the temporary string
// area, at its current position.
//
// Producer contract: write the result and its 0x00 terminator at the destination (the current
// position when there is no destination argument), leave the current position on that
// terminator, return the result's first character.
// Caller discipline, per statement: save the position (str_position), produce, step one byte past
// a string still needed (str_step) before producing the next, restore the position
// (str_set_position).
//
// Bound: no producer writes past the area. A result that does not fit is cut, and its terminator
// stays inside; the area's last byte can only ever hold a terminator. A destination outside the
// area is not written to: the result is produced at the current position instead.
// A null string counts as the empty string everywhere.
#pragma once
#include <stdint.h>

// Size of the area that start-up allocates.
enum { STR_AREA_SIZE = 64000 };

// Hands the area to the module (start-up); the current position becomes its first byte.
void str_area_set(char* area, uint32_t size);
// The current position.
char* str_position(void);
// Puts the current position back (clamped into the area).
void str_set_position(char* position);
// Steps the current position one byte past the terminator it rests on; returns the new position.
// At the area's last byte it stays.
char* str_step(void);
// How many characters still fit at the current position, the terminator not counted.
uint32_t str_free(void);
// For producers that wrote count characters at the current position themselves: cuts count to
// what fits, writes the terminator, moves the position onto it, returns the string's start.
char* str_commit(uint32_t count);

// Appends the string at the current position; the position ends on the new terminator.
void str_concat(const char* string);
// The first count characters of source (all of it when shorter); empty when count <= 0.
char* str_left(const char* source, int32_t count, char* destination);
// Exactly length characters: source cut to length, or padded with the first byte of pad (a space
// when pad is null; zero bytes when pad is empty). Empty when length <= 0.
char* str_pad_right(const char* source, int32_t length, const char* pad, char* destination);
// Characters before the terminator; 0 for null. Produces nothing.
int32_t str_length(const char* string);
// Leading spaces, one optional sign, then digits, computed modulo 2^32; 0 without digits.
int32_t str_to_int(const char* string);
// Decimal text of value ("%ld": a "-" for negatives, no padding).
char* int_to_str(int32_t value, char* destination);
// The same text into out (12 bytes, terminated) wherever it lies; produces nothing in the area,
// for a caller that keeps the text in its own buffer. Returns out.
char* str_decimal(int32_t value, char out[12]);

// The part of name after folder when name lies inside folder (or below it), else name itself; a
// pointer into name, nothing is produced. Letters are compared without case and "/" matches "\",
// as the file system takes them; folder may end with a separator or not. A name equal to the
// folder is not inside it.
const char* str_relative_to(const char* name, const char* folder);
// 1 when name ends in extension (".lvl", ".png": a dot and letters), in any letter case.
int str_has_extension(const char* name, const char* extension);
