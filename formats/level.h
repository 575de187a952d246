// The level module: the 56 bytes of a .LVL file that the game reads, the table of their fields
// (record name, form label, gadget) that the Level Creator and the command-line tool share, the
// level's values and the form's texts they come from, the checks applied before writing, and the
// record encoded and decoded in memory (level_bytes.cpp; both pure). Only level_record.cpp touches
// the file runtime: it writes and reads the record value by value through the current file, as the
// forms do.
#pragma once
#include <stdint.h>

// Byte layout of the record. Multi-byte values are little-endian 16-bit words.
enum LevelRecordLayout {
    LEVEL_RECORD_SIZE = 56,
    LEVEL_DESCRIPTION_OFFSET = 0,
    LEVEL_DESCRIPTION_LENGTH = 23, // space padded, then a 0x00 at offset 23
    LEVEL_START_X_OFFSET = 24,
    LEVEL_START_Y_OFFSET = 26,
    LEVEL_EXIT_X_OFFSET = 28,
    LEVEL_EXIT_Y_OFFSET = 30,
    LEVEL_DRAW_MATERIAL_OFFSET = 32,
    LEVEL_WUMPO_TO_CREATE_OFFSET = 34,
    LEVEL_WUMPO_TO_SAVE_OFFSET = 36,
    LEVEL_TIME_OFFSET = 38,
    LEVEL_ANTI_GRAVITY_OFFSET = 40,
    LEVEL_BACKDROP_OFFSET = 41,
    LEVEL_BACKDROP_LENGTH = 12, // zero filled, then a 0x00 at offset 53
    LEVEL_GRAVITY_SWITCH_OFFSET = 54,
    LEVEL_WORD_COUNT = 8 // the words from start_x to level_time
};

// The record's values as the Level Creator's form holds them: texts of the string fields and the
// check box state. words[] are start_x, start_y, exit_x, exit_y, draw_material, wumpo_to_create,
// wumpo_to_save, level_time, in that order. A null text counts as empty.
struct LevelFields {
    const char* description;             // field 2
    const char* words[LEVEL_WORD_COUNT]; // fields 5..12
    int32_t anti_gravity;                // check box 21: 1 ticked, 0 clear
    const char* backdrop_name;           // field 22
    const char* gravity_switch_times;    // field 25
};

// The record's fields in file order; index into level_field_info().
enum LevelFieldIndex {
    LEVEL_FIELD_DESCRIPTION,
    LEVEL_FIELD_START_X,
    LEVEL_FIELD_START_Y,
    LEVEL_FIELD_EXIT_X,
    LEVEL_FIELD_EXIT_Y,
    LEVEL_FIELD_DRAW_MATERIAL,
    LEVEL_FIELD_WUMPO_TO_CREATE,
    LEVEL_FIELD_WUMPO_TO_SAVE,
    LEVEL_FIELD_LEVEL_TIME,
    LEVEL_FIELD_ANTI_GRAVITY,
    LEVEL_FIELD_BACKDROP_NAME,
    LEVEL_FIELD_GRAVITY_SWITCH_TIMES,
    LEVEL_FIELD_COUNT
};

// How a field is stored.
enum LevelFieldKind {
    LEVEL_KIND_TEXT, // description, backdrop_name
    LEVEL_KIND_WORD, // the eight words and gravity_switch_times: whole numbers
    LEVEL_KIND_CHECK // anti_gravity: a check box state in one byte
};

struct LevelFieldInfo {
    const char* name;  // record field name, e.g. "start_x"
    const char* label; // the form's label, e.g. "Wumpo Start X:"
    int32_t gadget;    // the form's gadget number, e.g. 5
    int32_t offset;    // byte offset in the record
    int32_t kind;      // LevelFieldKind
};

// The level as the game keeps it: values, as level_encode writes them and level_decode takes
// them. A text is the file's bytes (Windows-1252) without its padding; one taken from a file runs
// to its first 0x00, LF or CR byte, as every reader of the file runtime takes it, so a damaged
// record's text may run on past its field (hence room for the whole record).
struct LevelValues {
    char description[LEVEL_RECORD_SIZE + 1];
    int16_t words[LEVEL_WORD_COUNT]; // in the order of LevelFields' words
    uint8_t anti_gravity;            // the byte as stored: 1 ticked, 0 clear
    char backdrop_name[LEVEL_RECORD_SIZE + 1];
    int16_t gravity_switch_times;
};

// The forms' rule for one field's text (not the check box's): a text cut to what its field keeps
// (23 or 12 characters), a number read as the string runtime reads one and kept as its low 16
// bits. A null text counts as empty. The rules (level_rule_holds) say which texts are refused;
// this only says what a text becomes.
void level_value_take(LevelValues* v, int32_t index, const char* text);
// The word of a word field (LEVEL_KIND_WORD) of v; 0 for any other field.
int32_t level_value_word(const LevelValues* v, int32_t index);
// Every field of f by that rule, the check box's state as its low byte.
void level_values_of(const LevelFields* f, LevelValues* v);
// The 56 bytes of v: each text cut to its field, the description padded with spaces, the
// backdrop name with zero bytes, the words little-endian. Pure.
void level_encode(const LevelValues* v, unsigned char record[LEVEL_RECORD_SIZE]);
// The values in the 56 bytes, as level_record_read takes them from a file. Pure.
void level_decode(const unsigned char record[LEVEL_RECORD_SIZE], LevelValues* v);
// Room for the texts of one level's values as level_fields_of gives them.
struct LevelTexts {
    char words[LEVEL_WORD_COUNT][12]; // a number's decimal text
    char gravity_switch_times[12];
};
// The values as the form's texts: each word in decimal (into texts), the texts of v themselves.
// f points into v and texts, which must outlive it.
void level_fields_of(const LevelValues* v, LevelTexts* texts, LevelFields* f);

// The level file's two texts are Windows-1252 on every system. The programs' own texts are UTF-8
// where the system gives them that code page (utf8 = 1, as os_text_is_utf8 says) and the level
// file's own bytes elsewhere (utf8 = 0: taken as they are, as they always were).
// The form's text as the level file holds it, into out (terminated; out may be text itself,
// else it needs the text's length + 1 bytes): its first most characters (all when most < 0),
// so that a cut and a length count the characters the game stores, not UTF-8 bytes. 1 when
// done; 0 when one of them has no Windows-1252 byte: the text cannot be stored, and the message
// is the field's label followed by LEVEL_TEXT_NOT_IN_CODE_PAGE.
int level_text_take(const char* text, int32_t most, int utf8, char* out);
#define LEVEL_TEXT_NOT_IN_CODE_PAGE                                                                \
    " has a letter that the level file's code page (Windows-1252) does not have"
// A text of the level file as the programs show it, into out (room bytes, terminated; 3 bytes
// a character under UTF-8). 1 when it fitted whole.
int level_text_show(const char* text, int utf8, char* out, int32_t room);

// Writes the 56 bytes of v onto the current file (freshly created), value by value, as
// level_encode lays them out.
void level_record_write(const LevelValues* v);
// Reads the current file from position 0 into f. Every text is produced at the current position
// and stepped past, so all stay alive together; the caller restores the position when done.
void level_record_read(LevelFields* f);

// The field at index (LevelFieldIndex), or 0 outside 0..LEVEL_FIELD_COUNT-1.
const LevelFieldInfo* level_field_info(int32_t index);
// The index of the field in gadget number gadget, or -1.
int32_t level_field_of_gadget(int32_t gadget);
// The field's label as the messages name it: the first *length characters of the text returned,
// the form's label without its final colon or question mark ("Wumpo Start X"), and "Name of
// backdrop" for the backdrop's long label. 0 outside 0..LEVEL_FIELD_COUNT-1.
const char* level_field_message_label(int32_t index, int32_t* length);

// What the game shows over a level's 320 x 240 picture, as both previews draw it and the pack's
// placement warnings measure it: the start cloud and the exit at the level's positions (their
// pictures are files of the programs' images folder), and the status bar over the top rows.
#define LEVEL_START_SPRITE "cloud.bmp"
#define LEVEL_EXIT_SPRITE "exit.bmp"
#define LEVEL_EXIT_GRAVITY_SPRITE "exitgrav.bmp" // the exit of a level with anti-gravity on
#define LEVEL_STATUS_BAR "statbar.bmp"
enum LevelScene {
    LEVEL_PICTURE_WIDTH = 320,
    LEVEL_PICTURE_HEIGHT = 240,
    LEVEL_START_WIDTH = 40, // the start cloud's picture
    LEVEL_START_HEIGHT = 14,
    LEVEL_EXIT_WIDTH = 20, // both exits' pictures
    LEVEL_EXIT_HEIGHT = 40,
    LEVEL_STATUS_BAR_HEIGHT = 20
};

// What a reader of level files says of one it cannot take: a file that cannot be opened, and one
// of any length but the record's, which would fill the form with whatever it holds.
#define LEVEL_FILE_NOT_OPENED "Can't open level file"
#define LEVEL_FILE_WRONG_SIZE "Not a level file"

// The backdrop a new level names, in the Level Creator's form and in a pack alike.
#define LEVEL_STARTING_BACKDROP "SPACE.IMG"
// The values a new level starts with: every text empty but the backdrop's, the check box clear.
void level_starting_values(LevelFields* f);
// Index of the field with that record name, or -1.
int32_t level_field_find(const char* name);
// Address of the text member of f for a text or word field, 0 for the check box or outside.
const char** level_field_text(LevelFields* f, int32_t index);

// The rules a level's values are held to before anything is written, one row each, in the order
// they are applied. The game's own limits (LEVEL_RULE_ERROR) are what every writer refuses:
// Create Level stops at the first that a field breaks, wumpo-tool names every one. A pack is
// also told of values that no level could mean (LEVEL_RULE_PACK_ERROR) or that the game takes
// but a designer would hardly mean (LEVEL_RULE_PACK_WARNING).
enum LevelRuleKind {
    LEVEL_RULE_WORD,       // a whole number from -32768 to 65535, as level_number_check says
    LEVEL_RULE_CHECK_BOX,  // 0 or 1
    LEVEL_RULE_BACKDROP,   // 12 characters or fewer, as level_backdrop_check says
    LEVEL_RULE_SAVE,       // no more Wumpo to save than are created
    LEVEL_RULE_START,      // the start cloud wholly on the picture below the status bar
    LEVEL_RULE_EXIT,       // the exit likewise
    LEVEL_RULE_TIME,       // a level time other than 0
    LEVEL_RULE_DESCRIPTION // a description the level file keeps whole
};
enum LevelRuleSeverity { LEVEL_RULE_ERROR, LEVEL_RULE_PACK_ERROR, LEVEL_RULE_PACK_WARNING };
struct LevelRuleInfo {
    int32_t field;       // LevelFieldIndex: the field the rule is about
    int32_t kind;        // LevelRuleKind
    int32_t severity;    // LevelRuleSeverity
    const char* message; // what is wrong, as level_rule_message fills it in
};
// How many rules there are, and the one at index (0 outside).
int32_t level_rule_count(void);
const LevelRuleInfo* level_rule_info(int32_t index);
// The rule of that kind about that field, or -1.
int32_t level_rule_find(int32_t field, int32_t kind);
// 1 when f keeps the rule at index. A word is judged by its text, as the form holds it, and
// placed or compared as the level file keeps it (the low 16 bits, signed).
int level_rule_holds(int32_t index, const LevelFields* f);
// What is wrong when f breaks the rule at index, into out (room bytes), without the severity:
// "Wumpo Start X has to be a whole number from -32768 to 65535", "3 Wumpo to save, but only 2
// are created". 1 when it was written whole, 0 when cut to fit.
int level_rule_message(int32_t index, const LevelFields* f, char* out, int32_t room);

// 1 when text may go into a word field: empty, only spaces, or a whole number from -32768 to
// 65535 with one optional sign and spaces allowed around it. 0 otherwise.
int level_number_check(const char* text);
// 1 when the backdrop name has 12 characters or fewer (so the game finds the whole name).
int level_backdrop_check(const char* text);
