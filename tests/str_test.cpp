// String runtime: the conversion rules, in-place cutting and padding, the position protocol and
// the bound of the temporary string area.
#include <doctest.h>
#include "str.h"
#include "code_page.h"
#include <string.h>
#include <string>

namespace {
// Restores the area's position after each case, as the programs' statements do.
struct Statement {
    char* saved = str_position();
    ~Statement() { str_set_position(saved); }
};
} // namespace

TEST_CASE("str_to_int: spaces, one sign, digits, wrap modulo 2^32") {
    CHECK(str_to_int("  42  ") == 42);
    CHECK(str_to_int("+12x") == 12);
    CHECK(str_to_int("-0") == 0);
    CHECK(str_to_int("- 5") == 0);
    CHECK(str_to_int("\t5") == 0);
    CHECK(str_to_int("") == 0);
    CHECK(str_to_int(nullptr) == 0);
    CHECK(str_to_int("abc12") == 0);
    CHECK(str_to_int("12abc") == 12);
    CHECK(str_to_int("--5") == 0);
    CHECK(str_to_int("+-5") == 0);
    CHECK(str_to_int("-5") == -5);
    CHECK(str_to_int("2147483647") == 2147483647);
    CHECK(str_to_int("2147483648") == INT32_MIN);
    CHECK(str_to_int("4294967295") == -1);
    CHECK(str_to_int("4294967296") == 0);
    CHECK(str_to_int("99999999999") == 1215752191);
    CHECK(str_to_int("-2147483648") == INT32_MIN);
    CHECK(str_to_int("-4294967297") == -1);
}

TEST_CASE("int_to_str: extremes, and the position ends on the terminator") {
    Statement s;
    char* at = str_position();
    struct {
        int32_t value;
        const char* text;
    } cases[] = {{0, "0"},
                 {-1, "-1"},
                 {65535, "65535"},
                 {INT32_MAX, "2147483647"},
                 {INT32_MIN, "-2147483648"},
                 {-25536, "-25536"}};
    for (auto& c : cases) {
        char* text = int_to_str(c.value, at);
        CHECK(text == at);
        CHECK(std::string(text) == c.text);
        CHECK(str_position() == at + strlen(c.text));
    }
}

TEST_CASE("str_left: counts, null source, in place") {
    Statement s;
    char* at = str_position();
    str_concat("abcde");
    CHECK(std::string(str_left(at, 12, at)) == "abcde");
    CHECK(std::string(str_left(at, 3, at)) == "abc");
    CHECK(str_position() == at + 3);
    str_set_position(at);
    str_concat("abcde");
    CHECK(std::string(str_left(at, 0, at)) == "");
    CHECK(str_position() == at);
    str_concat("abcde");
    CHECK(std::string(str_left(at, -3, at)) == "");
    CHECK(std::string(str_left(nullptr, 5, at)) == "");

    // A file name with count (length - 4) loses its extension; four characters or fewer: empty.
    str_concat("LEVEL1.LVL");
    CHECK(std::string(str_left(at, str_length(at) - 4, at)) == "LEVEL1");
    str_set_position(at);
    str_concat(".LVL");
    CHECK(std::string(str_left(at, str_length(at) - 4, at)) == "");
}

TEST_CASE("str_pad_right: cut, pad, null and empty pads, in place") {
    Statement s;
    char* at = str_position();
    str_concat("hello");
    char* r = str_pad_right(at, 23, " ", at);
    CHECK(std::string(r) == "hello" + std::string(18, ' '));
    CHECK(str_position() == at + 23);

    str_concat("");
    str_set_position(at);
    str_concat("abcdefghijklmnopqrstuvwxyz0123");
    CHECK(std::string(str_pad_right(at, 23, " ", at)) == "abcdefghijklmnopqrstuvw");

    str_set_position(at);
    CHECK(std::string(str_pad_right("", 23, " ", at)) == std::string(23, ' '));
    CHECK(std::string(str_pad_right("ab", 5, nullptr, at)) == "ab   ");
    CHECK(std::string(str_pad_right("ab", 5, "xyz", at)) == "abxxx");
    CHECK(std::string(str_pad_right(nullptr, 3, "-", at)) == "---");
    CHECK(std::string(str_pad_right("abc", 0, " ", at)) == "");
    CHECK(std::string(str_pad_right("abc", -4, " ", at)) == "");

    // An empty pad fills with zero bytes.
    char* z = str_pad_right("ab", 5, "", at);
    CHECK(memcmp(z, "ab\0\0\0\0", 6) == 0);
}

TEST_CASE("position protocol: concat appends to the last result, step keeps it, restore frees") {
    char* start = str_position();
    {
        Statement s;
        str_concat("LVL1");
        str_concat(".LVL");
        CHECK(std::string(start) == "LVL1.LVL");
        CHECK(str_position() == start + 8);
        char* second = str_step();
        CHECK(second == start + 9);
        str_concat("other");
        CHECK(std::string(start) == "LVL1.LVL");
        CHECK(std::string(second) == "other");
        str_concat(nullptr);
        CHECK(std::string(second) == "other");
    }
    CHECK(str_position() == start);
    CHECK(str_length(nullptr) == 0);
    CHECK(str_length("abc") == 3);
}

TEST_CASE("bound: no producer writes past the area, and each result stays terminated") {
    Statement s;
    char* start = str_position();
    uint32_t room = str_free();
    REQUIRE(room > 100);
    // Fill all but 10 characters, then keep producing: every result is cut, never spilled.
    std::string big(room - 10, 'a');
    str_concat(big.c_str());
    char* last = str_position() + 10; // the area's last byte: only ever a terminator
    CHECK(str_free() == 10);
    str_concat("0123456789ABCDEF");
    CHECK(str_position() == last);
    CHECK(*last == 0);
    CHECK(std::string(start + big.size()) == "0123456789");

    char* tail = start + big.size();
    str_set_position(tail);
    char* padded = str_pad_right("x", 50, "y", tail);
    CHECK(std::string(padded) == "xyyyyyyyyy");
    CHECK(str_position() == last);
    CHECK(std::string(int_to_str(INT32_MIN, last - 3)) == "-21");
    CHECK(*last == 0);
    CHECK(std::string(str_left("abcdefghijklmnop", 16, tail)) == "abcdefghij");
    str_set_position(last);
    CHECK(str_step() == last); // stepping cannot leave the area
    str_concat("more");
    CHECK(*last == 0);
    CHECK(str_free() == 0);

    // A destination outside the area is never written: the result goes to the current position.
    str_set_position(tail);
    char outside[8] = "xxxxxxx";
    char* r = str_left("abc", 3, outside);
    CHECK(std::string(outside) == "xxxxxxx");
    CHECK(r == tail);
    CHECK(std::string(r) == "abc");
}

TEST_CASE("file name rules: relative to a folder, extensions in any letter case") {
    const char* folder = "C:\\Wumpo Tools\\";
    struct {
        const char* name;
        const char* relative;
    } cases[] = {
        {"C:\\Wumpo Tools\\samples\\level1.bmp", "samples\\level1.bmp"},
        // Letter case and slashes as Windows takes them.
        {"c:/wumpo tools/CAVE.LVL", "CAVE.LVL"},
        // A sibling folder whose name begins alike.
        {"C:\\Wumpo Tools2\\cave.lvl", "C:\\Wumpo Tools2\\cave.lvl"},
        {"D:\\Levels\\cave.lvl", "D:\\Levels\\cave.lvl"},
        {"C:\\Wumpo Tools\\", "C:\\Wumpo Tools\\"}, // the folder itself
        {"C:\\Wumpo", "C:\\Wumpo"},
        {"", ""},
    };
    for (auto& c : cases) {
        CAPTURE(c.name);
        CHECK(std::string(str_relative_to(c.name, folder)) == c.relative);
    }
    // A folder given without its final separator still ends at one in the name.
    CHECK(std::string(str_relative_to("C:\\lvl\\a.bmp", "C:\\lvl")) == "a.bmp");
    CHECK(std::string(str_relative_to("C:\\lvl2\\a.bmp", "C:\\lvl")) == "C:\\lvl2\\a.bmp");
    CHECK(std::string(str_relative_to("a.bmp", "")) == "a.bmp");
    CHECK(str_relative_to(nullptr, folder) == nullptr);

    CHECK(str_has_extension("cave.LvL", ".lvl"));
    CHECK(str_has_extension("x.png", ".PNG"));
    CHECK_FALSE(str_has_extension("cavelvl", ".lvl"));
    CHECK_FALSE(str_has_extension("lvl", ".lvl"));
    CHECK_FALSE(str_has_extension(nullptr, ".png"));
}

TEST_CASE("code page: Windows-1252 from and to UTF-8, as the level file's texts need") {
    char out[32];
    // "Café olé": each letter one byte; a cut counts letters, not UTF-8 bytes.
    CHECK(code_page_1252_of_utf8("Caf\xC3\xA9 ol\xC3\xA9", -1, out) == 1);
    CHECK(std::string(out) == "Caf\xE9 ol\xE9");
    CHECK(code_page_1252_of_utf8("\xC3\xA9\xC3\xA9\xC3\xA9", 2, out) == 1);
    CHECK(std::string(out) == "\xE9\xE9");
    // The euro sign and the letters of 0x80-0x9F; a letter the code page lacks, or bytes that are
    // not UTF-8, refuse the text, but not past the letters looked at.
    CHECK(code_page_1252_of_utf8("\xE2\x82\xAC\xC5\xB8", -1, out) == 1);
    CHECK(std::string(out) == "\x80\x9F");
    for (const char* lost : {"\xC5\x81", "a\xE6\xBC\xA2", "\xC0\xAF", "\xE2\x82"}) {
        CAPTURE(lost);
        CHECK(code_page_1252_of_utf8(lost, -1, out) == 0);
        CHECK(out[0] == 0);
    }
    CHECK(code_page_1252_of_utf8("ab\xC5\x81", 2, out) == 1);
    // In place, as the forms convert a fetched text.
    char text[] = "d\xC3\xA9j\xC3\xA0";
    CHECK(code_page_1252_of_utf8(text, -1, text) == 1);
    CHECK(std::string(text) == "d\xE9j\xE0");
    // Back: two or three bytes a letter, cut at a whole letter when the room ends.
    CHECK(code_page_utf8_of_1252("Caf\xE9\x80", out, sizeof out) == 1);
    CHECK(std::string(out) == "Caf\xC3\xA9\xE2\x82\xAC");
    CHECK(code_page_utf8_of_1252("a\xE9", out, 3) == 0);
    CHECK(std::string(out) == "a");
}
