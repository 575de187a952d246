// Windows-1252, the code page of the level file's texts on every system, and its conversions to
// UTF-16 and to UTF-8, the programs' own texts where the system gives them that code page. Pure:
// no platform call, so the forms, the tool and their tests share one table.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The terminated text as UTF-16 units into out (room units), terminator included, as
// MultiByteToWideChar gives them (the five bytes the code page leaves without a character become
// the same code point): the units written with it, 0 when they do not fit.
int32_t code_page_1252_widen(const char* text, wchar_t* out, int32_t room);
// count units as bytes into out (room bytes, terminated), as WideCharToMultiByte gives them with
// no best fit. 1 when every unit has its byte; 0 otherwise (out then holds no text).
int code_page_1252_narrow(const wchar_t* units, int32_t count, char* out, int32_t room);
// The UTF-8 text's first most characters (all when most < 0) as bytes into out, terminated; the
// rest is neither converted nor looked at. out may be text itself (no byte takes more room than
// its character's UTF-8), else it needs the text's length + 1 bytes. 1 when done; 0 when one of
// those characters has no byte or the text is not UTF-8 there (out then holds no text).
int code_page_1252_of_utf8(const char* text, int32_t most, char* out);
// The code point that starts at *p (not at its terminator), *p moved past it; 0xFFFFFFFF, *p
// left, when the bytes there are not UTF-8 (an overlong form, a surrogate, a cut sequence, a
// byte that starts none, a code point past U+10FFFF).
uint32_t code_page_utf8_next(const unsigned char** p);
// The text's bytes as UTF-8 into out (room bytes, terminated; 3 per byte at most). 1 when it
// fitted whole; 0 when it was cut (at a whole character).
int code_page_utf8_of_1252(const char* text, char* out, int32_t room);
