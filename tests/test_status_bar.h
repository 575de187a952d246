// The status bar's numbers as a designer sees them, written out here on their own (not with the
// drawing code under test): what each digit place shows, and where the places stand in the bar's
// four windows. The tests of the drawing, of wumpo-tool preview and of the Level Creator's preview
// all compare pixels with this.
#pragma once

namespace test_status_bar {
// Colours of a lit and of an unlit segment, as 0xRRGGBB.
const unsigned LIT = 0x7DFF72, UNLIT = 0x18381C;

// One digit place, 6 x 11 pixels: '#' a lit segment, '-' an unlit one, '.' the bar's own pixel.
struct Glyph {
    char c;
    const char* rows[11];
};
// clang-format off
const Glyph GLYPHS[] = {
    {' ', {".----.", "-....-", "-....-", "-....-", "-....-", ".----.",
           "-....-", "-....-", "-....-", "-....-", ".----."}},
    {'-', {".----.", "-....-", "-....-", "-....-", "-....-", ".####.",
           "-....-", "-....-", "-....-", "-....-", ".----."}},
    {'0', {".####.", "#....#", "#....#", "#....#", "#....#", ".----.",
           "#....#", "#....#", "#....#", "#....#", ".####."}},
    {'1', {".----.", "-....#", "-....#", "-....#", "-....#", ".----.",
           "-....#", "-....#", "-....#", "-....#", ".----."}},
    {'2', {".####.", "-....#", "-....#", "-....#", "-....#", ".####.",
           "#....-", "#....-", "#....-", "#....-", ".####."}},
    {'5', {".####.", "#....-", "#....-", "#....-", "#....-", ".####.",
           "-....#", "-....#", "-....#", "-....#", ".####."}},
    {'7', {".####.", "-....#", "-....#", "-....#", "-....#", ".----.",
           "-....#", "-....#", "-....#", "-....#", ".----."}},
    {'9', {".####.", "#....#", "#....#", "#....#", "#....#", ".####.",
           "-....#", "-....#", "-....#", "-....#", ".####."}},
};
// clang-format on

// What the windows show, from the left: the time as five characters ("MM:SS", ' ' an empty
// place), then the three counts as four characters each.
struct Shown {
    const char* time;
    const char* counts[3];
};

// The mark at pixel (x, y) of the bar (from its top-left): '#', '-' or '.' as in a glyph. The
// digits stand in the lower part of each window's glass, right-aligned: the time's from x = 45,
// the counts' from x = 128, 208 and 288, each place 7 pixels on from the one before, from row 5
// to row 15; the colon's two lit dots at rows 8 and 12 take 3 pixels.
inline char mark(const Shown& shown, int x, int y) {
    const char* texts[4] = {shown.time, shown.counts[0], shown.counts[1], shown.counts[2]};
    const int lefts[4] = {45, 128, 208, 288};
    for (int w = 0; w < 4; ++w) {
        int at = lefts[w];
        for (const char* c = texts[w]; *c; ++c) {
            if (*c == ':') {
                if (x == at && (y == 8 || y == 12))
                    return '#';
                at += 3;
                continue;
            }
            if (x >= at && x < at + 6 && y >= 5 && y < 16) {
                for (const Glyph& g : GLYPHS)
                    if (g.c == *c)
                        return g.rows[y - 5][x - at];
                return '?'; // a character this table does not draw: the test is wrong
            }
            at += 7;
        }
    }
    return '.';
}

// The colour expected at bar pixel (x, y) over the bar's own colour there (0xRRGGBB).
inline unsigned colour(const Shown& shown, int x, int y, unsigned bar) {
    char m = mark(shown, x, y);
    return m == '#' ? LIT : m == '-' ? UNLIT : m == '.' ? bar : 0xFFFFFFFFu;
}
} // namespace test_status_bar
