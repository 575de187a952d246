// The watch: a table of the files a build read, the folders that hold them, and what news each
// file has had since the last build. Owns both tables for the run.
#include "watch.h"
#include "file.h"
#include "heap.h"
#include "out.h"
#include "text.h"
#include "tool.h"

namespace {
enum WatchTimes {
    // News of one save comes as several events a few milliseconds apart (a cut, writes, the
    // close, a rename); a build starts once this long has passed without more.
    QUIET_MS = 5,
    // With nothing to do, the watch wakes this often to see that Ctrl+C came or a folder went.
    IDLE_MS = 200,
    // A file being written whose end the system does not announce, and that no writer is known
    // to hold, is taken as whole after this long without news; a file removed, as gone after
    // this long without coming back (some programs remove the old file before they write anew).
    WRITING_QUIET_MS = 2000,
    REMOVED_QUIET_MS = 250
};

struct WatchedFile {
    char* full;
    int32_t folder;     // in WATCH.folders
    int32_t name_at;    // where the file's own name starts in full
    OsFileFacts facts;  // as the build that noted it found it
    int32_t news;       // the latest news since the last build: 0 for none, else an OsWatchNews
    uint64_t news_time; // when it came (os_time_now)
};

struct WatchedFolder {
    char* full;     // without a final separator (but for a root)
    int32_t number; // in the system's watch; -1 while not watched
};

struct WatchState {
    OsWatch os;
    WatchedFile* files;
    int32_t file_count, file_room;
    WatchedFolder* folders;
    int32_t folder_count, folder_room;
    int32_t gone; // a folder that went away, or -1
    int memory;   // 0 once a table could not grow
};
WatchState WATCH;

int same_name(const char* a, const char* b) {
#ifdef _WIN32
    return text_same_name(a, b); // Windows names are the same in any letter case
#else
    return text_equal(a, b);
#endif
}

// The folder of full, added to the table (and to the system's watch) when new; -1 when memory
// is short.
int32_t folder_of(const char* full) {
    char folder[TEXT_NAME_ROOM];
    text_folder(folder, sizeof folder, full);
    int32_t length = text_folder_length(full);
    // "C:\levels\" and "/levels/" are watched as "C:\levels" and "/levels"; a root stays a root.
    if (length > 1 && folder[length - 2] != ':')
        folder[length - 1] = 0;
    for (int32_t i = 0; i < WATCH.folder_count; ++i) {
        if (same_name(WATCH.folders[i].full, folder))
            return i;
    }
    if (!heap_table_room((void**)&WATCH.folders, WATCH.folder_count, &WATCH.folder_room,
                         sizeof(WatchedFolder), 32))
        return -1;
    char* copy = text_copy(folder);
    if (!copy)
        return -1;
    WATCH.folders[WATCH.folder_count] = WatchedFolder{copy, -1};
    return WATCH.folder_count++;
}

// The news of the system's folder number for its file name.
void on_news(void*, int32_t number, const char* name, int32_t news) {
    uint64_t now = os_time_now();
    for (int32_t i = 0; i < WATCH.file_count; ++i) {
        WatchedFile* f = &WATCH.files[i];
        int32_t folder = WATCH.folders[f->folder].number;
        if (news == OS_WATCH_LOST) {
            f->news = OS_WATCH_DONE; // anything may have changed: the build sees what did
        } else if (folder == number && news != OS_WATCH_GONE &&
                   same_name(f->full + f->name_at, name)) {
            f->news = news;
        } else {
            continue;
        }
        f->news_time = now;
    }
    if (news == OS_WATCH_GONE) {
        for (int32_t i = 0; i < WATCH.folder_count; ++i) {
            if (WATCH.folders[i].number == number)
                WATCH.gone = i;
        }
    }
}

// Watches every folder not watched yet. A file of a folder newly watched that changed since its
// build found it may have been saved before the watch could see it: it is built again. 1 when
// every folder is watched; otherwise the message is written.
int watch_folders(void) {
    for (int32_t i = 0; i < WATCH.folder_count; ++i) {
        WatchedFolder* d = &WATCH.folders[i];
        if (d->number >= 0)
            continue;
        d->number = os_watch_add(WATCH.os, d->full);
        if (d->number < 0) {
            out_error(d->full, "Error: Can't watch this folder");
            return 0;
        }
        for (int32_t j = 0; j < WATCH.file_count; ++j) {
            WatchedFile* f = &WATCH.files[j];
            OsFileFacts now;
            if (f->folder == i && file_facts(f->full, &now) &&
                (now.kind != f->facts.kind || now.size != f->facts.size ||
                 now.time != f->facts.time || now.change != f->facts.change)) {
                f->news = OS_WATCH_DONE;
                f->news_time = os_time_now();
            }
        }
    }
    return 1;
}

// 1 when a file with news may be read: its save is whole, or it is gone for good.
int settled(const WatchedFile* f, uint64_t now) {
    uint64_t quiet_ms = (now - f->news_time) / (OS_TIME_PER_SECOND / 1000);
    switch (f->news) {
    case OS_WATCH_WRITING: {
        int in_use = os_file_in_use(f->full);
        return in_use == 0 || (in_use < 0 && quiet_ms >= WRITING_QUIET_MS);
    }
    case OS_WATCH_REMOVED:
        return quiet_ms >= REMOVED_QUIET_MS;
    default:
        return 1;
    }
}

// 1 when a build is due: some file has news, and every file with news is settled.
int build_due(void) {
    uint64_t now = os_time_now();
    int any = 0;
    for (int32_t i = 0; i < WATCH.file_count; ++i) {
        const WatchedFile* f = &WATCH.files[i];
        if (!f->news)
            continue;
        if (!settled(f, now))
            return 0;
        any = 1;
    }
    return any;
}

int any_news(void) {
    for (int32_t i = 0; i < WATCH.file_count; ++i) {
        if (WATCH.files[i].news)
            return 1;
    }
    return 0;
}

// The first watched folder that is no longer a folder, or -1. The news of a folder removed
// comes late on some systems, or not at all; one that the system no longer lets anyone open
// (Windows keeps a folder removed while the watch holds it, but opens it no more) is gone too.
int32_t folder_gone(void) {
    if (WATCH.gone >= 0)
        return WATCH.gone;
    for (int32_t i = 0; i < WATCH.folder_count; ++i) {
        OsFileFacts facts;
        if (!file_facts(WATCH.folders[i].full, &facts) || facts.kind != OS_DIRECTORY)
            return i;
    }
    return -1;
}

// One build; the files it read join the watch. 1 when the watch goes on.
int build_again(const char* given) {
    for (int32_t i = 0; i < WATCH.file_count; ++i)
        WATCH.files[i].news = 0;
    build_for_watch(given);
    if (!WATCH.memory) {
        out_error(0, "Error: Not enough memory");
        return 0;
    }
    return watch_folders();
}

void release_watch(void) {
    os_watch_close(WATCH.os);
    for (int32_t i = 0; i < WATCH.file_count; ++i)
        heap_free(WATCH.files[i].full);
    for (int32_t i = 0; i < WATCH.folder_count; ++i)
        heap_free(WATCH.folders[i].full);
    heap_free(WATCH.files);
    heap_free(WATCH.folders);
    WATCH = WatchState{};
}

// Until Ctrl+C, or a folder that went away: builds whenever a save is whole.
int watch_loop(const char* given) {
    int announced = 0;
    for (;;) {
        if (os_interrupted())
            return TOOL_DONE;
        int32_t gone = folder_gone();
        if (gone >= 0) {
            out_error(WATCH.folders[gone].full, "Error: The folder is gone; the watch ends");
            return TOOL_FAILED;
        }
        if (!announced) {
            char line[TEXT_MESSAGE_ROOM];
            text_format(line, sizeof line, "Watching %d%s in %d%s; Ctrl+C ends the watch",
                        (int)WATCH.file_count, WATCH.file_count == 1 ? " file" : " files",
                        (int)WATCH.folder_count, WATCH.folder_count == 1 ? " folder" : " folders");
            build_say(line);
            announced = 1;
        }
        int news = os_watch_wait(WATCH.os, any_news() ? QUIET_MS : IDLE_MS, &on_news, 0);
        if (news < 0) {
            out_error(0, "Error: The system stopped the watch");
            return TOOL_FAILED;
        }
        // More news of the same save may follow; a build waits for the quiet after it.
        if (news > 0 || !build_due() || os_interrupted())
            continue;
        if (!build_again(given))
            return TOOL_FAILED;
    }
}
} // namespace

void watch_note(const char* full, const OsFileFacts* facts) {
    for (int32_t i = 0; i < WATCH.file_count; ++i) {
        if (same_name(WATCH.files[i].full, full)) {
            WATCH.files[i].facts = *facts;
            return;
        }
    }
    int32_t folder = folder_of(full);
    char* copy = folder >= 0 ? text_copy(full) : 0;
    if (!copy || !heap_table_room((void**)&WATCH.files, WATCH.file_count, &WATCH.file_room,
                                  sizeof(WatchedFile), 32)) {
        heap_free(copy);
        WATCH.memory = 0;
        return;
    }
    WATCH.files[WATCH.file_count++] =
        WatchedFile{copy, folder, text_folder_length(full), *facts, 0, 0};
}

int watch_run(const char* given) {
    WATCH = WatchState{};
    WATCH.gone = -1;
    WATCH.memory = 1;
    os_watch_interrupt();
    WATCH.os = os_watch_open();
    if (!WATCH.os) {
        out_error(0, "Error: The system refused to watch folders");
        return TOOL_FAILED;
    }
    // The pack's folder is watched before the first build, so an edit made while it runs is
    // seen; the pictures' folders as soon as the build has named them.
    char* pack = build_pack_full(given);
    OsFileFacts facts = {};
    int status = TOOL_FAILED;
    if (pack) {
        file_facts(pack, &facts);
        watch_note(pack, &facts);
    }
    heap_free(pack);
    if (!pack || !WATCH.memory)
        out_error(given ? given : 0,
                  pack ? "Error: Not enough memory" : "Error: Can't open pack file");
    else if (watch_folders() && build_again(given))
        status = watch_loop(given);
    release_watch();
    return status;
}
