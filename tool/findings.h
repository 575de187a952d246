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

// Empties the list; file names every finding added after it (until findings_file).
void findings_start(const char* file);
// Names the file of the findings added from now on.
void findings_file(const char* file);
// Adds a finding. entry ("levels[3]"), name (the entry's "name", as given) and key ("start_x")
// may each be 0 when the finding is not about one; message is the text after "Error: " or
// "Warning: ". All texts are copied.
void findings_add(int32_t severity, const char* entry, const char* name, const char* key,
                  const char* message);
int32_t findings_errors(void);
int32_t findings_warnings(void);
// Prints every finding in the order found, "FILE: levels[3] "cave": start_x: Error: ...", on
// standard error.
void findings_print(void);
// Prints the JSON report on standard output: {"errors": N, "warnings": N, "findings": [...]},
// each finding an object of file, entry, name, key (null when not given), severity ("error" or
// "warning") and message.
void findings_print_json(void);
