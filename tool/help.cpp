// Help and usage texts of wumpo-tool, one topic per command. The list of level fields is made
// from the level record's own field table, so it cannot drift from what the commands take.
#include "tool.h"
#include "out.h"
#include "str.h"
#include "text.h"

namespace {
struct HelpTopic {
    const char* name;
    const char* usage; // one or more lines, each ending in \n
    const char* text;
    int fields; // 1: the list of level fields follows the text
};

const HelpTopic TOPICS[] = {
    {"", "Usage: wumpo-tool COMMAND [ARGUMENTS]\n",
     "The command-line companion of the Wumpo level tools: converts packs of bitmaps and shows\n"
     "what .IMG and .LVL files hold.\n"
     "\n"
     "Commands:\n"
     "  convert BITMAP... [--out DIR]           pictures (PNG, bitmaps) into NAME.IMG images\n"
     "  view IMAGE.IMG OUT.BMP                  a screen image back into a bitmap or PNG\n"
     "  level show FILE.LVL [--json]            the fields of a level file\n"
     "  level create FILE.LVL [field=value...]  a level file from named fields\n"
     "  preview FILE.LVL BITMAP OUT.BMP         a level as Preview Level shows it\n"
     "\n"
     "\"wumpo-tool COMMAND --help\" tells more about a command.\n"
     "\n"
     "Relative file names are taken from the current directory. The sprites and the status bar\n"
     "of preview come from the images folder beside wumpo-tool.exe.\n"
     "\n"
     "Exit status: 0 when everything was done, 1 when a file could not be read or written or\n"
     "was refused, 2 when the command line is wrong.\n",
     0},
    {"convert", "Usage: wumpo-tool convert BITMAP... [--out DIR]\n",
     "Converts each picture into the screen image NAME.IMG, NAME being the picture's file name\n"
     "without its extension. A picture has to be 320 x 240 pixels: a PNG (any kind) or a Windows\n"
     "bitmap (1, 4, 8, 16, 24 or 32 bits, not RLE-compressed). A 24-bit bitmap that the Level\n"
     "Creator and the Backdrop Convertor take gives exactly the bytes they write; any other\n"
     "picture's colours are stored the same way, and its transparency is ignored (with a\n"
     "warning). The images go into the current directory, or into DIR. A name with * or ?\n"
     "stands for every file it matches. A picture that is refused or cannot be read is\n"
     "reported, and the others are still converted. With several pictures, a line on standard\n"
     "output tells each one.\n"
     "\n"
     "  --out DIR   put the images into DIR, an existing directory\n"
     "  --          every argument after this is a bitmap, even one starting with --\n"
     "\n"
     "Example: wumpo-tool convert art\\*.bmp --out levels\n",
     0},
    {"view", "Usage: wumpo-tool view IMAGE.IMG OUT.BMP\n",
     "Writes the screen image IMAGE.IMG (153,600 bytes) as a 320 x 240, 24-bit bitmap that any\n"
     "viewer shows the right way up, or as a PNG when the output name ends in .png. Each\n"
     "colour's 5 bits are widened back to 8, so converting OUT.BMP again gives IMAGE.IMG byte\n"
     "for byte.\n",
     0},
    {"level",
     "Usage: wumpo-tool level show FILE.LVL [--json]\n"
     "       wumpo-tool level create FILE.LVL [field=value...]\n",
     "Shows a level file, or writes one from named fields.\n"
     "\"wumpo-tool level show --help\" and \"wumpo-tool level create --help\" tell more.\n",
     0},
    {"level show", "Usage: wumpo-tool level show FILE.LVL [--json]\n",
     "Lists the fields of a level file (56 bytes), one line each under the Level Creator's\n"
     "label, the numbers as Load Level shows them. Texts are in double quotes, the description\n"
     "with its padding spaces, \\\" standing for a quote and \\\\ for a backslash.\n"
     "\n"
     "  --json   one JSON object instead, named by the field names below: texts are JSON\n"
     "           strings (characters beyond ASCII as \\uXXXX), numbers are numbers,\n"
     "           anti_gravity is the byte's value, 0 or 1 in files the Level Creator writes\n"
     "\n"
     "Giving the values shown to \"wumpo-tool level create\" writes the same file byte for byte.\n",
     1},
    {"level create", "Usage: wumpo-tool level create FILE.LVL [field=value...]\n",
     "Writes the level file FILE.LVL from named fields, as Create Level does. A field not given\n"
     "keeps the form's starting value: backdrop_name SPACE.IMG, the description empty, numbers\n"
     "and anti_gravity 0. Numbers have to be whole numbers from -32768 to 65535 (kept in 16\n"
     "bits), anti_gravity 0 or 1, backdrop_name 12 characters or fewer; the description is cut\n"
     "to 23 characters or padded with spaces. Nothing is written when a value is refused.\n"
     "\n"
     "Example: wumpo-tool level create LEVEL1.LVL \"description=First steps\" start_x=40\n",
     1},
    {"preview", "Usage: wumpo-tool preview FILE.LVL BITMAP OUT.BMP\n",
     "Writes what the Level Creator's Preview Level shows as a 320 x 240, 24-bit bitmap (a PNG\n"
     "when the output name ends in .png): BITMAP (a picture as convert takes it) with the start\n"
     "sprite (images\\cloud.bmp) at the level's start position, the exit sprite\n"
     "(images\\exitgrav.bmp when anti_gravity is 1, otherwise images\\exit.bmp) at its exit\n"
     "position, and the status bar (images\\statbar.bmp) across the top, drawn in that order.\n"
     "Positions count from the picture's top-left pixel; what lies outside the picture is cut\n"
     "off.\n",
     0},
};

const HelpTopic* topic_of(const char* name) {
    for (const HelpTopic& t : TOPICS) {
        if (text_equal(t.name, name))
            return &t;
    }
    return &TOPICS[0];
}

// "  name                  label", one line per field of the level record.
void print_fields(void) {
    out_text("\nFields:\n");
    char* start = str_position();
    for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        const LevelFieldInfo* info = level_field_info(i);
        *start = 0;
        str_set_position(start);
        str_concat("  ");
        str_concat(info->name);
        for (int32_t n = str_length(info->name); n < 22; ++n)
            str_concat(" ");
        str_concat(info->label);
        out_line(start);
    }
    str_set_position(start);
}

// "wumpo-tool", or "wumpo-tool TOPIC".
void print_command(const char* topic) {
    out_error_text("\"wumpo-tool ");
    if (*topic) {
        out_error_text(topic);
        out_error_text(" ");
    }
    out_error_text("--help\"");
}
} // namespace

int help_print(const char* topic) {
    const HelpTopic* t = topic_of(topic);
    out_text(t->usage);
    out_text("\n");
    out_text(t->text);
    if (t->fields)
        print_fields();
    return TOOL_DONE;
}

int help_usage(const char* topic, const char* problem) {
    const HelpTopic* t = topic_of(topic);
    out_error_text("wumpo-tool: ");
    out_error_text(problem);
    out_error_text("\n");
    out_error_text(t->usage);
    out_error_text("Try ");
    print_command(t->name);
    out_error_text(" for more.\n");
    return TOOL_USAGE;
}

int help_wanted(int count, char** args) {
    for (int i = 0; i < count; ++i) {
        if (text_equal(args[i], "--"))
            return 0;
        if (text_equal(args[i], "--help") || text_equal(args[i], "-h"))
            return 1;
    }
    return 0;
}
