// Help and usage texts of wumpo-tool, one topic per command. The list of level fields is made
// from the level record's own field table, so it cannot drift from what the commands take.
#include "help.h"
#include <string.h>
#include "tool.h"
#include "out.h"
#include "text.h"

namespace {
// A folder's separator as the system writes it, and where the pictures of preview are.
#ifdef _WIN32
#define SEP "\\"
#define IMAGES_WHERE "of preview come from the images folder beside wumpo-tool.exe.\n"
#else
#define SEP "/"
#define IMAGES_WHERE                                                                               \
    "of preview come from the images/ folder in share/wumpo-tools/ beside the bin/ folder\n"       \
    "that holds wumpo-tool.\n"
#endif

// The pack file, told by "pack --help" and "pack init --help" alike.
const char PACK_TEXT[] =
    "A pack file, wumpo-pack.json, names the output folder, the backdrops and the levels of a\n"
    "level pack, so the pack can be kept in version control as text and built by\n"
    "\"wumpo-tool build\":\n"
    "\n"
    "  {\n"
    "    \"output\": \"build\",\n"
    "    \"backdrops\": [\n"
    "      {\"name\": \"SPACE\", \"picture\": \"art/space.png\"}\n"
    "    ],\n"
    "    \"levels\": [\n"
    "      {\"name\": \"LEVEL1\", \"picture\": \"art/level1.bmp\",\n"
    "       \"description\": \"First steps\", \"start_x\": 40, \"start_y\": 30,\n"
    "       \"exit_x\": 270, \"exit_y\": 150, \"backdrop_name\": \"SPACE.IMG\"}\n"
    "    ]\n"
    "  }\n"
    "\n"
    "Each backdrop becomes NAME.IMG, each level NAME.LVL and NAME.IMG, in the output folder.\n"
    "A backdrop or a level may have \"dither\": \"ordered\" or \"diffusion\" for its image, as\n"
    "\"convert --dither\" dithers it; \"none\", the default, gives the forms' bytes.\n"
    "Folders and pictures are named relative to the pack file's folder. A level's fields are\n"
    "those that \"level show --json\" prints, under its names; a field left out takes the\n"
    "form's starting value (backdrop_name SPACE.IMG, everything else empty or 0).\n"
    "\n"
    "pack init writes DIR" SEP "wumpo-pack.json (DIR: the current directory when not given) from\n"
    "the level files in DIR, each with its fields and its picture NAME.bmp or NAME.png beside\n"
    "it; where there is only the screen image NAME.IMG, it is turned back into NAME.png (as\n"
    "view does; converting that gives the same image) and the line written says so. The\n"
    "backdrops the levels name are added the same way when they are in DIR. The output folder\n"
    "is build. An existing pack file is never replaced. Its first key, \"$schema\", names the\n"
    "JSON Schema of the pack file, wumpo-pack.schema.json, for editors that check and\n"
    "complete the file with it; every command takes and ignores that key.\n";

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
     "  build [PACK.json] [--jobs N] [--force]  the levels and backdrops of a pack file\n"
     "  check [PACK.json | FILE.LVL...]         a pack's or level files' values and pictures\n"
     "  pack init [DIR]                         a pack file from the level files in a folder\n"
     "\n"
     "\"wumpo-tool COMMAND --help\" tells more about a command, \"wumpo-tool --version\" which\n"
     "version this is.\n"
     "\n"
     "Relative file names are taken from the current directory. The sprites and the status "
     "bar\n" IMAGES_WHERE "\n"
     "Exit status: 0 when everything was done, 1 when a file could not be read or written or\n"
     "was refused, 2 when the command line is wrong.\n",
     0},
    {"convert", "Usage: wumpo-tool convert BITMAP... [--out DIR] [--jobs N] [--dither KIND]\n",
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
     "  --jobs N    convert and write on N threads (1 to 64); one per processor when not given\n"
     "  --dither KIND\n"
     "              the image keeps 32 shades of each colour, so a smooth gradient shows bands;\n"
     "              dithering mixes the two shades nearest each colour over neighbouring\n"
     "              pixels: ordered (a fixed 8 x 8 pattern, for pixel art and pictures that\n"
     "              tile), diffusion (each pixel's error spread to the next ones, for\n"
     "              photographs and painted skies) or none (the default, the forms' bytes)\n"
     "  --          every argument after this is a bitmap, even one starting with --\n"
     "\n"
     "Example: wumpo-tool convert art" SEP "*.bmp --out levels\n",
     0},
    {"view", "Usage: wumpo-tool view IMAGE.IMG OUT.BMP\n",
     "Writes the screen image IMAGE.IMG (153,600 bytes) as a 320 x 240, 24-bit bitmap that any\n"
     "viewer shows the right way up, or as a PNG when the output name ends in .png. Each\n"
     "colour's 5 bits are widened back to 8, so converting OUT.BMP again gives IMAGE.IMG byte\n"
     "for byte.\n",
     0},
    {"level",
     "Usage: wumpo-tool level show FILE.LVL [--json]\n"
     "       wumpo-tool level create FILE.LVL [field=value...]\n"
     "       wumpo-tool level create FILE.LVL --from FILE.json [field=value...]\n",
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
    {"level create",
     "Usage: wumpo-tool level create FILE.LVL [field=value...]\n"
     "       wumpo-tool level create FILE.LVL --from FILE.json [field=value...]\n",
     "Writes the level file FILE.LVL from named fields, as Create Level does. A field not given\n"
     "keeps the form's starting value: backdrop_name SPACE.IMG, the description empty, numbers\n"
     "and anti_gravity 0. Numbers have to be whole numbers from -32768 to 65535 (kept in 16\n"
     "bits), anti_gravity 0 or 1, backdrop_name 12 characters or fewer; the description is cut\n"
     "to 23 characters or padded with spaces. Nothing is written when a value is refused.\n"
     "\n"
     "  --from FILE.json   the fields of a level as \"level show --json\" prints it (- reads\n"
     "                     standard input); fields named after it go over them. What show\n"
     "                     prints gives the same file byte for byte.\n"
     "\n"
     "Example: wumpo-tool level create LEVEL1.LVL \"description=First steps\" start_x=40\n"
     "         wumpo-tool level show A.LVL --json | wumpo-tool level create B.LVL --from -\n",
     1},
    {"preview", "Usage: wumpo-tool preview FILE.LVL BITMAP OUT.BMP [--as-game] [--dither KIND]\n",
     "Writes what the Level Creator's Preview Level shows as a 320 x 240, 24-bit bitmap (a PNG\n"
     "when the output name ends in .png): BITMAP (a picture as convert takes it) with the start\n"
     "sprite (images" SEP "cloud.bmp) at the level's start position, the exit sprite\n"
     "(images" SEP "exitgrav.bmp when anti_gravity is 1, otherwise images" SEP
     "exit.bmp) at its exit\n"
     "position, and the status bar (images" SEP
     "statbar.bmp) across the top, drawn in that order.\n"
     "Positions count from the picture's top-left pixel; what lies outside the picture is cut\n"
     "off.\n"
     "With --as-game the picture is drawn in the colours of its screen image, as the game shows\n"
     "it (5 bits of each colour, widened back to 8 as \"view\" does). --dither KIND (ordered,\n"
     "diffusion or none) draws it dithered as \"convert --dither\" makes its image, and implies\n"
     "--as-game.\n",
     0},
    {"build",
     "Usage: wumpo-tool build [PACK.json] [--jobs N] [--force] [--no-wait] [--format FORMAT]\n"
     "                        [--watch]\n",
     "Builds a level pack: writes every level's NAME.LVL and NAME.IMG and every backdrop's\n"
     "NAME.IMG into the pack's output folder (made when missing), with the bytes that \"level\n"
     "create\" and \"convert\" give. PACK.json is wumpo-pack.json in the current directory when\n"
     "not given, or in the folder given. The pack is checked first, as \"wumpo-tool check\"\n"
     "checks it: an error stops the build with nothing written; warnings are printed and the\n"
     "build goes on.\n"
     "\n"
     "A file is written only when what it is made from changed: the picture's bytes or its\n"
     "dither, the level's fields, or the version of wumpo-tool. What the build needs to know\n"
     "that is kept in wumpo-build.state in the output folder. With nothing changed, nothing is\n"
     "written and the build says \"up to date\". Each file written is told on a line of its own,\n"
     "and a last line sums up. Every file is written under a temporary name and then moved into\n"
     "place, so a build that is stopped (Ctrl+C stops it once the files being written are done)\n"
     "leaves each file either old or new, and the next build writes what is left.\n"
     "\n"
     "One build at a time writes an output folder: while another holds wumpo-build.lock there,\n"
     "a build says so and waits for it.\n"
     "\n"
     "  --jobs N   convert pictures and write files on N threads (1 to 64); one per processor\n"
     "             when not given\n"
     "  --force    convert and write every file, changed or not\n"
     "  --no-wait  fail (exit status 1) rather than wait for another build of the folder\n"
     "  --watch    build, then build again whenever the pack file or one of its pictures is\n"
     "             saved (in place, or written elsewhere and renamed over it), each time once\n"
     "             the save is whole, with one line of what was written; Ctrl+C ends it\n"
     "             (exit status 0), and a watched folder that goes away ends it (1)\n"
     "  --format FORMAT\n"
     "             the findings of the check as \"wumpo-tool check --format\" prints them; with\n"
     "             json or sarif the lines of the files written go to standard error\n"
     "\n"
     "\"wumpo-tool pack --help\" describes the pack file.\n",
     0},
    {"check", "Usage: wumpo-tool check [PACK.json | FILE.LVL...] [--json] [--format FORMAT]\n",
     "Checks a pack file (wumpo-pack.json when not given; in the folder, for a folder) or level\n"
     "files, and writes nothing. Errors, which stop a build: a picture that cannot be read or\n"
     "is not 320 x 240, two entries with one output name, a number outside -32768 to 65535,\n"
     "anti_gravity other than 0 or 1, a backdrop name over 12 characters, more Wumpo to save\n"
     "than are created, and any key, type or value a pack cannot have. Warnings: the start\n"
     "cloud (40 x 14) or the exit (20 x 40) not wholly on the 320 x 240 picture below the\n"
     "20-pixel status bar, a level time of 0, a backdrop that is neither in the pack nor a file\n"
     "in the output folder (beside the level file, for level files), a description over 23\n"
     "characters, a picture with pixels that are not fully opaque. Each message names the file,\n"
     "the line and column in it where they are known (FILE:LINE:COLUMN, columns counting bytes\n"
     "of UTF-8), the pack entry and the key; a last line on standard output sums up. Exit\n"
     "status 1 when there is an error.\n"
     "\n"
     "  --json   the findings as one JSON object on standard output instead, for editors and\n"
     "           CI: {\"errors\": N, \"warnings\": N, \"findings\": [...]}, each finding with\n"
     "           file, entry, name, key (null when it is not about one), severity (\"error\"\n"
     "           or \"warning\") and message, and line and column where they are known\n"
     "  --format FORMAT\n"
     "           text: the messages above (the default); json: as --json; github: one GitHub\n"
     "           Actions command per finding on standard output, \"::error file=F,line=L,\n"
     "           col=C::MESSAGE\" (or ::warning), which a workflow shows on the lines of the\n"
     "           pull request; sarif: one SARIF 2.1.0 log on standard output, for code\n"
     "           scanning\n",
     0},
    {"pack", "Usage: wumpo-tool pack init [DIR]\n", PACK_TEXT, 0},
    {"pack init", "Usage: wumpo-tool pack init [DIR]\n", PACK_TEXT, 0},
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
    static const char SPACES[] = "                      "; // the name's column: 22 wide
    const int32_t column = (int32_t)sizeof SPACES - 1;
    for (int32_t i = 0; i < LEVEL_FIELD_COUNT; ++i) {
        const LevelFieldInfo* info = level_field_info(i);
        size_t n = strlen(info->name);
        int pad = n < (size_t)column ? (int)(column - (int32_t)n) : 0;
        char line[TEXT_MESSAGE_ROOM];
        text_format(line, sizeof line, "  %s%.*s%s", info->name, pad, SPACES, info->label);
        out_line(line);
    }
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
