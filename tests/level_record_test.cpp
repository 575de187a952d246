// The level record: the exact bytes the game reads, what loading gives back, the write-read-write
// round trip, and the checks the callers apply before writing.
#include <doctest.h>
#include "file.h"
#include "level.h"
#include "str.h"
#include "test_support.h"
#include <string.h>
#include <string>
#include <vector>

namespace {
typedef std::vector<unsigned char> Bytes;

LevelFields empty_fields(void) {
    LevelFields f = {};
    return f;
}

// The form's texts as values, written by level_record_write; level_encode must make the same
// bytes in memory, and level_decode take back the values it was given.
Bytes write_record(const std::string& path, const LevelFields& f) {
    LevelValues v;
    memset(&v, 0x55, sizeof v);
    level_values_of(&f, &v);
    REQUIRE(file_create(0, path.c_str()) != 0);
    level_record_write(&v);
    REQUIRE(file_close(0) == 1);
    Bytes written = test_read_file(path);
    Bytes made(LEVEL_RECORD_SIZE, 0xAA);
    level_encode(&v, made.data());
    CHECK(made == written);
    LevelValues back;
    level_decode(made.data(), &back);
    for (int i = 0; i < LEVEL_WORD_COUNT; ++i)
        CHECK(back.words[i] == v.words[i]);
    CHECK(back.gravity_switch_times == v.gravity_switch_times);
    CHECK(back.anti_gravity == v.anti_gravity);
    CHECK(std::string(back.backdrop_name) == v.backdrop_name);
    // The description comes back with the spaces that fill its field.
    std::string padded = v.description;
    padded.resize(LEVEL_DESCRIPTION_LENGTH, ' ');
    CHECK(std::string(back.description) == padded);
    return written;
}

// The record as texts, read back through level_record_read; the string area is restored after.
struct Loaded {
    std::string description, words[LEVEL_WORD_COUNT], backdrop, gravity;
    int32_t anti_gravity;
};
Loaded read_record(const std::string& path) {
    REQUIRE(file_open_read(0, path.c_str()) != 0);
    char* saved = str_position();
    LevelFields f;
    level_record_read(&f);
    file_close(0);
    Loaded l;
    l.description = f.description;
    for (int i = 0; i < LEVEL_WORD_COUNT; ++i)
        l.words[i] = f.words[i];
    l.backdrop = f.backdrop_name;
    l.gravity = f.gravity_switch_times;
    l.anti_gravity = f.anti_gravity;
    str_set_position(saved);

    // The pure decoder takes the same texts from the same bytes.
    Bytes bytes = test_read_file(path);
    REQUIRE(bytes.size() == (size_t)LEVEL_RECORD_SIZE);
    LevelValues v;
    level_decode(bytes.data(), &v);
    LevelTexts texts;
    LevelFields g;
    level_fields_of(&v, &texts, &g);
    CHECK(g.description == l.description);
    for (int i = 0; i < LEVEL_WORD_COUNT; ++i)
        CHECK(g.words[i] == l.words[i]);
    CHECK(g.backdrop_name == l.backdrop);
    CHECK(g.gravity_switch_times == l.gravity);
    CHECK(g.anti_gravity == l.anti_gravity);
    return l;
}

void put_word(Bytes& b, int at, unsigned value) {
    b[at] = (unsigned char)value;
    b[at + 1] = (unsigned char)(value >> 8);
}

Bytes empty_record_bytes(void) {
    Bytes b(LEVEL_RECORD_SIZE, 0);
    for (int i = 0; i < LEVEL_DESCRIPTION_LENGTH; ++i)
        b[i] = ' ';
    return b;
}
} // namespace

TEST_CASE("level record: the bytes written for empty, cut, padded and out-of-range values") {
    std::string dir = test_scratch_dir("level_bytes");

    // All empty, as null texts and as empty texts: 23 spaces, then zeros throughout.
    LevelFields f = empty_fields();
    CHECK(write_record(dir + "null.lvl", f) == empty_record_bytes());
    const char* blank = "";
    f.description = f.backdrop_name = f.gravity_switch_times = blank;
    for (int i = 0; i < LEVEL_WORD_COUNT; ++i)
        f.words[i] = blank;
    CHECK(write_record(dir + "blank.lvl", f) == empty_record_bytes());

    // One record with a case in every field.
    f.description = "A description of thirty chars."; // 30: cut to 23
    const char* words[LEVEL_WORD_COUNT] = {"70000", "40000", "65535", "-5",
                                           "12abc", "  7",   "   ",   "abc"};
    for (int i = 0; i < LEVEL_WORD_COUNT; ++i)
        f.words[i] = words[i];
    f.anti_gravity = 1;
    f.backdrop_name = "SPACE.IMG";
    f.gravity_switch_times = "-32768";
    Bytes want = empty_record_bytes();
    std::string cut = "A description of thirty chars.";
    for (int i = 0; i < 23; ++i)
        want[i] = (unsigned char)cut[i];
    put_word(want, 24, 0x1170);
    put_word(want, 26, 0x9C40);
    put_word(want, 28, 0xFFFF);
    put_word(want, 30, 0xFFFB);
    put_word(want, 32, 12);
    put_word(want, 34, 7);
    want[40] = 1;
    for (int i = 0; i < 9; ++i)
        want[41 + i] = (unsigned char)"SPACE.IMG"[i];
    put_word(want, 54, 0x8000);
    CHECK(write_record(dir + "cases.lvl", f) == want);

    // Exactly 23 and exactly 12 characters go in unchanged, with no fill; 15 are cut to 12.
    f = empty_fields();
    f.description = "Twenty-three characters";
    f.backdrop_name = "BACKDROP.IMG";
    Bytes b = write_record(dir + "exact.lvl", f);
    REQUIRE(b.size() == 56u);
    CHECK(std::string(b.begin(), b.begin() + 24) == std::string("Twenty-three characters") + '\0');
    CHECK(std::string(b.begin() + 41, b.begin() + 54) == std::string("BACKDROP.IMG") + '\0');
    f.backdrop_name = "LONGBACKDROP1.IMG";
    b = write_record(dir + "long.lvl", f);
    REQUIRE(b.size() == 56u);
    CHECK(std::string(b.begin() + 41, b.begin() + 54) == std::string("LONGBACKDROP") + '\0');
    CHECK(b[55] == 0);
}

TEST_CASE("level record: texts fetched into the string area survive the writer") {
    // The Level Creator fetches the form's texts into the string area and may leave the position
    // on the last one's terminator; the writer's own strings must not land on them.
    std::string dir = test_scratch_dir("level_area");
    char* saved = str_position();
    LevelFields f = empty_fields();
    str_concat("3");
    f.words[0] = saved;
    str_step();
    char* backdrop = str_position();
    str_concat("SKY.IMG");
    f.backdrop_name = backdrop;
    str_step();
    char* description = str_position();
    str_concat("Hi"); // the position now rests on this text's terminator
    f.description = description;
    char* before = str_position();

    Bytes b = write_record(dir + "area.lvl", f);
    CHECK(str_position() == before);
    CHECK(std::string(description) == "Hi");
    CHECK(std::string(backdrop) == "SKY.IMG");
    REQUIRE(b.size() == 56u);
    CHECK(std::string(b.begin(), b.begin() + 3) == "Hi ");
    CHECK(b[24] == 3);
    CHECK(std::string(b.begin() + 41, b.begin() + 48) == "SKY.IMG");
    str_set_position(saved);
}

TEST_CASE("level record: loading gives the form's texts, and a rewrite gives the same bytes") {
    std::string dir = test_scratch_dir("level_read");

    LevelFields f = empty_fields();
    write_record(dir + "empty.lvl", f);
    Loaded l = read_record(dir + "empty.lvl");
    CHECK(l.description == std::string(23, ' '));
    for (int i = 0; i < LEVEL_WORD_COUNT; ++i)
        CHECK(l.words[i] == "0");
    CHECK(l.gravity == "0");
    CHECK(l.backdrop.empty());
    CHECK(l.anti_gravity == 0);

    f.description = "Cavern";
    const char* words[LEVEL_WORD_COUNT] = {"10",    "20",    "300", "230",
                                           "40000", "65535", "-5",  "70000"};
    for (int i = 0; i < LEVEL_WORD_COUNT; ++i)
        f.words[i] = words[i];
    f.anti_gravity = 1;
    f.backdrop_name = "SPACE.IMG";
    f.gravity_switch_times = "-32768";
    Bytes first = write_record(dir + "first.lvl", f);
    l = read_record(dir + "first.lvl");
    CHECK(l.description == "Cavern                 ");
    const char* back[LEVEL_WORD_COUNT] = {"10", "20", "300", "230", "-25536", "-1", "-5", "4464"};
    for (int i = 0; i < LEVEL_WORD_COUNT; ++i)
        CHECK(l.words[i] == back[i]);
    CHECK(l.anti_gravity == 1);
    CHECK(l.backdrop == "SPACE.IMG");
    CHECK(l.gravity == "-32768");

    // Loaded texts all stay alive together and are written straight back, as Load Level followed
    // by Create Level does.
    REQUIRE(file_open_read(0, (dir + "first.lvl").c_str()) != 0);
    char* saved = str_position();
    LevelFields loaded;
    level_record_read(&loaded);
    file_close(0);
    Bytes second = write_record(dir + "second.lvl", loaded);
    str_set_position(saved);
    CHECK(second == first);
    CHECK(second.size() == 56u);

    // Records no writer makes: texts with no terminator run on to the record's end; a CR or LF
    // ends them as a zero byte does.
    Bytes unended(LEVEL_RECORD_SIZE, 'A');
    test_write_file(dir + "unended.lvl", unended);
    l = read_record(dir + "unended.lvl");
    CHECK(l.description == std::string(56, 'A'));
    CHECK(l.backdrop == std::string(15, 'A'));
    CHECK(l.words[0] == "16705");
    Bytes broken = unended;
    broken[5] = 0x0D;
    broken[45] = 0x0A;
    put_word(broken, LEVEL_TIME_OFFSET, 0x8000);
    test_write_file(dir + "broken.lvl", broken);
    l = read_record(dir + "broken.lvl");
    CHECK(l.description == "AAAAA");
    CHECK(l.backdrop == "AAAA");
    CHECK(l.words[7] == "-32768");
}

TEST_CASE("level record: the number and backdrop checks") {
    const char* accepted[] = {nullptr, "",       "   ",  "0",   "-0",   "+5",
                              "65535", "-32768", " 12 ", "007", "  -1", "32767"};
    for (const char* text : accepted) {
        INFO("text: " << (text ? text : "(null)"));
        CHECK(level_number_check(text) == 1);
    }
    const char* refused[] = {"65536",
                             "-32769",
                             "70000",
                             "12abc",
                             "1 2",
                             "-",
                             "+",
                             "- 5",
                             "\t5",
                             "5\t",
                             "abc",
                             "--5",
                             "99999999999999999999",
                             "4294967296",
                             "1.5"};
    for (const char* text : refused) {
        INFO("text: " << text);
        CHECK(level_number_check(text) == 0);
    }
    CHECK(level_backdrop_check(nullptr) == 1);
    CHECK(level_backdrop_check("") == 1);
    CHECK(level_backdrop_check("BACKDROP.IMG") == 1);
    CHECK(level_backdrop_check("BACKDROPS.IMG") == 0);
    CHECK(level_backdrop_check("LONGBACKDROP1.IMG") == 0);
}

TEST_CASE("level rules: one table of what every writer refuses and what a pack is told of") {
    // The form applies the game's limits in its own order: the words by gadget number, the
    // switch times, then the backdrop (the check box's rule aside).
    std::vector<int32_t> gadgets;
    for (int32_t i = 0; i < level_rule_count(); ++i) {
        const LevelRuleInfo* rule = level_rule_info(i);
        if (rule->severity == LEVEL_RULE_ERROR && rule->kind != LEVEL_RULE_CHECK_BOX)
            gadgets.push_back(level_field_info(rule->field)->gadget);
    }
    CHECK(gadgets == std::vector<int32_t>{5, 6, 7, 8, 9, 10, 11, 12, 25, 22});
    CHECK(level_rule_info(level_rule_count()) == nullptr);
    CHECK(level_rule_find(LEVEL_FIELD_DESCRIPTION, LEVEL_RULE_WORD) == -1);

    // Every rule broken at once, as a hostile level file or a pack may give them; a word is
    // placed as the file keeps it (65535 is -1).
    LevelFields f = {};
    f.description = "A description longer than 23";
    const char* words[LEVEL_WORD_COUNT] = {"300", "10", "65535", "201", "70000", "2", "3", "0"};
    for (int32_t i = 0; i < LEVEL_WORD_COUNT; ++i)
        f.words[i] = words[i];
    f.anti_gravity = 2;
    f.backdrop_name = "LONGBACKDROP.IMG";
    f.gravity_switch_times = "1.5";
    std::vector<std::string> broken;
    // Messages are made in the caller's room alone: the string area is the form's.
    char* area = str_position();
    for (int32_t i = 0; i < level_rule_count(); ++i) {
        char message[160];
        if (!level_rule_holds(i, &f) && level_rule_message(i, &f, message, sizeof message))
            broken.push_back(
                std::string(level_rule_info(i)->severity == LEVEL_RULE_PACK_WARNING ? "W " : "E ") +
                message);
    }
    CHECK(broken ==
          std::vector<std::string>{
              "E Amount of draw material has to be a whole number from -32768 to 65535",
              "E Anti-Gravity mode has to be 0 or 1",
              "E Switch Gravity Times has to be a whole number from -32768 to 65535",
              "E Name of backdrop has to be 12 characters or fewer",
              "E 3 Wumpo to save, but only 2 are created",
              "W The start cloud (40 x 14) at x = 300 is not wholly on the 320-pixel-wide picture "
              "(x from 0 to 280)",
              "W The start cloud (40 x 14) at y = 10 is not wholly on the picture below the "
              "20-pixel status bar (y from 20 to 226)",
              "W The exit (20 x 40) at x = -1 is not wholly on the 320-pixel-wide picture (x from "
              "0 to 300)",
              "W The exit (20 x 40) at y = 201 is not wholly on the picture below the 20-pixel "
              "status bar (y from 20 to 200)",
              "W Level time in seconds is 0",
              "W Level Description has 28 characters; the level file keeps the first 23"});
    CHECK(str_position() == area);

    // A message that does not fit is cut, and says so.
    char small[10];
    CHECK(level_rule_message(level_rule_find(LEVEL_FIELD_DRAW_MATERIAL, LEVEL_RULE_WORD), &f, small,
                             sizeof small) == 0);
    CHECK(std::string(small) == "Amount of");
}

TEST_CASE("level record: the field table names, finds and addresses every field in file order") {
    LevelFields f = empty_fields();
    int32_t previous = -1;
    for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        const LevelFieldInfo* info = level_field_info(i);
        REQUIRE(info != nullptr);
        CHECK(level_field_find(info->name) == i);
        CHECK(info->offset > previous);
        previous = info->offset;
        const char** text = level_field_text(&f, i);
        CHECK((text == nullptr) == (info->kind == LEVEL_KIND_CHECK));
    }
    CHECK(level_field_info(LEVEL_FIELD_COUNT) == nullptr);
    CHECK(level_field_info(-1) == nullptr);
    CHECK(level_field_find("start") == -1);
    CHECK(level_field_find("start_x_") == -1);
    CHECK(level_field_text(&f, LEVEL_FIELD_START_X) == &f.words[0]);
    CHECK(level_field_text(&f, LEVEL_FIELD_LEVEL_TIME) == &f.words[7]);
    CHECK(level_field_text(&f, LEVEL_FIELD_GRAVITY_SWITCH_TIMES) == &f.gravity_switch_times);
    CHECK(std::string(level_field_info(LEVEL_FIELD_START_X)->label) == "Wumpo Start X:");
    CHECK(level_field_info(LEVEL_FIELD_BACKDROP_NAME)->gadget == 22);

    // How messages name a field: the form's label without its colon or question mark, the
    // backdrop's without its note on the default; the Level Creator finds it by gadget number.
    int32_t n = 0;
    const char* label = level_field_message_label(level_field_of_gadget(5), &n);
    CHECK(std::string(label, (size_t)n) == "Wumpo Start X");
    label = level_field_message_label(LEVEL_FIELD_ANTI_GRAVITY, &n);
    CHECK(std::string(label, (size_t)n) == "Anti-Gravity mode");
    label = level_field_message_label(LEVEL_FIELD_BACKDROP_NAME, &n);
    CHECK(std::string(label, (size_t)n) == "Name of backdrop");
    CHECK(level_field_message_label(LEVEL_FIELD_COUNT, &n) == nullptr);
    CHECK(level_field_of_gadget(4) == -1);
    level_starting_values(&f);
    CHECK(std::string(f.backdrop_name) == "SPACE.IMG");
    CHECK((std::string(f.description) == "" && f.anti_gravity == 0));
}
