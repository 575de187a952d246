// The build's hold on its output folder, and the journal of the temporary files it makes there.
// One build at a time writes a folder: the file wumpo-build.lock in it carries the system's lock
// for as long as a build runs (the system drops it when the process ends, however it ends), and
// the journal of the temporary names that build is about to make. The next build to take the
// lock removes what the journal names and is still there (the build that wrote it is gone, or it
// would hold the lock), and nothing else: a file is never removed for its name alone.
#pragma once
#include <stdint.h>

#define LOCK_FILE_NAME "wumpo-build.lock"

enum LockOutcome {
    LOCK_HELD = 0, // taken; temporaries a stopped build left were removed and told
    LOCK_BUSY,     // another build holds it and waiting was not wanted
    LOCK_FAILED    // the lock file cannot be made or locked (told), or the wait was interrupted
};
// Takes the lock of the folder (full: its full name without a final separator; shown: as the
// user would name it, for the messages). While another build holds it, says so once on standard
// output and waits, unless wait is 0. Returns a LockOutcome; the messages are written.
int lock_take(const char* full, const char* shown, int wait);
// Records the names (plain file names in the folder) in the journal, durably, before any of
// them is made. 1 when recorded; the message is written when not.
int lock_record(const char* const* names, int32_t count);
// Empties the journal (every temporary is in place or gone by then) and lets the lock go.
void lock_release(void);
// 1 when name could be a temporary name this tool made: one plain file name, no folder, that
// ends in ".tmp" and has ".~" before it. The journal names nothing else, whatever it says.
int lock_temporary_name(const char* name);
