// The output folder's lock and journal. The journal is text: a first line that says what it is,
// then one temporary file name per line.
#include "lock.h"
#include "file.h"
#include "heap.h"
#include "os.h"
#include "out.h"
#include <stdio.h>
#include <string.h>

namespace {
enum LockLimits {
    NAME_MOST = 255,                  // one component, as file systems take them
    FULL_MOST = 4096 + NAME_MOST + 2, // the folder's full name and one of its files
    JOURNAL_MOST = 64 * 1024 * 1024,  // far past any pack's temporaries; more is not ours
    WAIT_STEP_MS = 100
};
const char JOURNAL_HEAD[] = "wumpo-build journal 1\n";

struct LockState {
    OsFile file; // 0 when not held
    char full[FULL_MOST];
    char shown[FULL_MOST];
};
LockState LOCK;

// folder + separator + name into out (room FULL_MOST); 0 when it does not fit.
int joined(char* out, const char* folder, const char* name) {
    size_t n = strlen(folder);
    const char* separator = n > 0 && folder[n - 1] != OS_SEPARATOR && folder[n - 1] != '/'
                                ? (OS_SEPARATOR == '/' ? "/" : "\\")
                                : "";
    int made = snprintf(out, FULL_MOST, "%s%s%s", folder, separator, name);
    return made > 0 && made < FULL_MOST;
}

void told(const char* name, const char* message) {
    char shown[FULL_MOST];
    out_error(joined(shown, LOCK.shown, name) ? shown : name, message);
}

// The whole journal into a heap block ending in a 0 (*size bytes before it); 0 when it is empty,
// unreadable, or larger than a journal of this tool can be.
char* journal_read(uint32_t* size) {
    uint64_t total = file_held_size(LOCK.file);
    if (total == 0 || total >= JOURNAL_MOST)
        return 0;
    char* text = (char*)heap_allocate((size_t)total + 1);
    if (!text || !file_held_read(LOCK.file, text, (uint32_t)total)) {
        heap_free(text);
        return 0;
    }
    text[total] = 0;
    *size = (uint32_t)total;
    return text;
}

// Removes each temporary that the journal of a stopped build names and that is still there.
void journal_clean(void) {
    uint32_t size = 0;
    char* text = journal_read(&size);
    if (!text)
        return;
    if (size > sizeof JOURNAL_HEAD - 1 &&
        memcmp(text, JOURNAL_HEAD, sizeof JOURNAL_HEAD - 1) == 0) {
        for (char* line = text + sizeof JOURNAL_HEAD - 1; *line;) {
            char* end = strchr(line, '\n');
            if (!end)
                break; // a line cut by the stop was never made
            *end = 0;
            char full[FULL_MOST], message[FULL_MOST + 64], shown[FULL_MOST];
            OsFileFacts facts;
            if (lock_temporary_name(line) && joined(full, LOCK.full, line) &&
                file_facts(full, &facts) && facts.kind == OS_FILE && file_remove(full)) {
                snprintf(message, sizeof message, "Removed %s, left by a build that was stopped",
                         joined(shown, LOCK.shown, line) ? shown : line);
                out_line(message);
            }
            line = end + 1;
        }
    }
    heap_free(text);
}

// Puts text (count bytes) as the whole journal; with durable, on the disk before it returns 1.
// Only names about to be made need be on the disk first: a journal emptied but not yet synced
// when the system stops names files that are gone, which the next build passes over.
int journal_write(const char* text, uint32_t count, int durable) {
    return file_held_put(LOCK.file, text, count, durable);
}
} // namespace

int lock_temporary_name(const char* name) {
    size_t n = strlen(name);
    if (n < 6 || n > NAME_MOST || strcmp(name + n - 4, ".tmp") != 0 || !strstr(name, ".~"))
        return 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = (unsigned char)name[i];
        if (c < 32 || c == '/' || c == '\\' || c == ':')
            return 0;
    }
    return 1;
}

int lock_take(const char* full, const char* shown, int wait) {
    lock_release();
    if (snprintf(LOCK.full, FULL_MOST, "%s", full) >= FULL_MOST ||
        snprintf(LOCK.shown, FULL_MOST, "%s", shown) >= FULL_MOST) {
        out_error(shown, "Error: Can't create file");
        return LOCK_FAILED;
    }
    char name[FULL_MOST];
    OsFile file = joined(name, full, LOCK_FILE_NAME) ? file_lock_open(name) : 0;
    if (!file) {
        told(LOCK_FILE_NAME, "Error: Can't create file");
        return LOCK_FAILED;
    }
    int taken, said = 0;
    while ((taken = file_lock_take(file)) == 0 && wait && !os_interrupted()) {
        if (!said) {
            char message[FULL_MOST + 64];
            snprintf(message, sizeof message, "%s: waiting for another build to finish", shown);
            out_line(message);
            said = 1;
        }
        os_sleep(WAIT_STEP_MS);
    }
    if (taken != 1) {
        file_held_close(file);
        if (taken == 0 && !wait) {
            out_error(shown, "Error: Another build is writing this folder");
            return LOCK_BUSY;
        }
        if (taken < 0)
            told(LOCK_FILE_NAME, "Error: Can't lock file");
        else
            out_error(0, "Interrupted; nothing was written");
        return LOCK_FAILED;
    }
    LOCK.file = file;
    journal_clean();
    if (file_held_size(LOCK.file) != 0 && !journal_write("", 0, 0)) {
        told(LOCK_FILE_NAME, "Error: Can't write file");
        lock_release();
        return LOCK_FAILED;
    }
    return LOCK_HELD;
}

int lock_record(const char* const* names, int32_t count) {
    uint64_t total = sizeof JOURNAL_HEAD - 1;
    for (int32_t i = 0; i < count; ++i)
        total += strlen(names[i]) + 1;
    char* text = total < JOURNAL_MOST ? (char*)heap_allocate((size_t)total + 1) : 0;
    int recorded = 0;
    if (text && LOCK.file) {
        char* at = text;
        memcpy(at, JOURNAL_HEAD, sizeof JOURNAL_HEAD - 1);
        at += sizeof JOURNAL_HEAD - 1;
        for (int32_t i = 0; i < count; ++i) {
            size_t n = strlen(names[i]);
            memcpy(at, names[i], n);
            at += n;
            *at++ = '\n';
        }
        recorded = journal_write(text, (uint32_t)total, 1);
    }
    heap_free(text);
    if (!recorded)
        told(LOCK_FILE_NAME, text ? "Error: Can't write file" : "Error: Not enough memory");
    return recorded;
}

void lock_release(void) {
    if (!LOCK.file)
        return;
    journal_write("", 0, 0);
    file_held_close(LOCK.file);
    LOCK.file = 0;
}
