// What the checks of a pack or of level files find: each finding names the file, the pack entry
// (levels[3], with its name) and the key it is about, its severity and its message. They are
// kept until the checks are done, then printed as text on standard error or as one JSON report on
// standard output. Owns the list of one run.
#pragma once
#include <stdint.h>

enum FindingSeverity {
    FINDING_ERROR,  // stops a build before anything is written
    FINDING_WARNING // printed, and the build goes on
};

// Where in its file a finding is: line and column from 1 (columns count bytes of UTF-8), both 0
// when the finding has no place (it is about the whole file, or about a picture).
struct FindingPlace {
    uint32_t line, column;
};

// What kind of finding it is, which a SARIF log names as its rule: one of these, or
// FINDING_KIND_LEVEL_RULE plus the index of the level rule (level.h) that a value breaks.
enum FindingKind {
    FINDING_KIND_OTHER,       // a file that cannot be read, memory, ...
    FINDING_KIND_NOT_JSON,    // the file is not JSON, or not the object it has to be
    FINDING_KIND_UNKNOWN_KEY, // a key the object cannot have
    FINDING_KIND_GIVEN_TWICE, // a key given twice
    FINDING_KIND_MISSING,     // a key the object has to have
    FINDING_KIND_VALUE,       // a value of the wrong type, or with characters refused
    FINDING_KIND_NAME,        // an entry's name that is no file name of its own
    FINDING_KIND_NAME_CLASH,  // two entries that make one file, or a backdrop name too long
    FINDING_KIND_PICTURE,     // a picture that cannot be read or converted
    FINDING_KIND_OUTPUT,      // the output folder, or a file written over another
    FINDING_KIND_BACKDROP,    // a backdrop that is neither in the pack nor a file
    FINDING_KIND_LEVEL_RULE   // the first level rule; the others follow
};

// How the findings are printed (findings_format_find).
enum FindingsFormat {
    FINDINGS_TEXT,   // "FILE:LINE:COLUMN: levels[3] "cave": start_x: Error: ..." on standard error
    FINDINGS_JSON,   // one JSON report on standard output
    FINDINGS_GITHUB, // one GitHub Actions workflow command per finding on standard output
    FINDINGS_SARIF   // one SARIF 2.1.0 log on standard output
};
// The FindingsFormat named ("text", "json", "github", "sarif"), or -1.
int32_t findings_format_find(const char* name);

// Empties the list; file names every finding added after it (until findings_file).
void findings_start(const char* file);
// Names the file of the findings added from now on.
void findings_file(const char* file);
// Adds a finding (of FINDING_KIND_OTHER, with no place). entry ("levels[3]"), name (the entry's
// "name", as given) and key ("start_x") may each be 0 when the finding is not about one; message is
// the text after "Error: " or "Warning: ". All texts are copied.
void findings_add(int32_t severity, const char* entry, const char* name, const char* key,
                  const char* message);
// The same, at a place in the file.
void findings_add_at(int32_t severity, const char* entry, const char* name, const char* key,
                     FindingPlace place, int32_t kind, const char* message);
int32_t findings_errors(void);
int32_t findings_warnings(void);
// Prints every finding in the order found, "FILE:7:5: levels[3] "cave": start_x: Error: ...", on
// standard error (the place only where it is known).
void findings_print(void);
// Prints the JSON report on standard output: {"errors": N, "warnings": N, "findings": [...]},
// each finding an object of file, entry, name, key (null when not given), severity ("error" or
// "warning") and message, and line and column where they are known.
void findings_print_json(void);
// Prints the findings in a FindingsFormat; version is the tool's, which a SARIF log names.
void findings_print_as(int32_t format, const char* version);
