// Watching folders on Linux (inotify), part of the platform layer of os_posix.cpp, in a file of
// its own as on Windows.
#include "os.h"
#include <errno.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <unistd.h>

// A watch: the inotify descriptor and each added folder's watch descriptor, by folder number.
struct PosixWatch {
    int fd;
    int32_t count, room;
    int* folders;
};

OsWatch os_watch_open(void) {
    PosixWatch* w = (PosixWatch*)calloc(1, sizeof(PosixWatch));
    if (!w)
        return 0;
    w->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (w->fd < 0) {
        free(w);
        return 0;
    }
    return w;
}

int32_t os_watch_add(OsWatch watch, const char* full) {
    PosixWatch* w = (PosixWatch*)watch;
    if (w->count == w->room) {
        int32_t room = w->room ? 2 * w->room : 16;
        int* grown = room > w->room ? (int*)realloc(w->folders, (size_t)room * sizeof(int)) : 0;
        if (!grown)
            return -1;
        w->folders = grown;
        w->room = room;
    }
    // A write's end is its close, so a picture written slowly is never taken half-way; a save
    // renamed over the old file is a move into the folder.
    uint32_t mask = IN_MODIFY | IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM |
                    IN_DELETE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    int wd = inotify_add_watch(w->fd, full, mask);
    if (wd < 0)
        return -1;
    w->folders[w->count] = wd;
    return w->count++;
}

int os_watch_wait(OsWatch watch, uint32_t milliseconds, OsWatchEach each, void* context) {
    PosixWatch* w = (PosixWatch*)watch;
    struct pollfd ready = {w->fd, POLLIN, 0};
    int polled = poll(&ready, 1, milliseconds > 0x7FFFFFFFu ? 0x7FFFFFFF : (int)milliseconds);
    if (polled < 0)
        return errno == EINTR ? 0 : -1;
    if (polled == 0)
        return 0;
    // Room for many events at once; each is aligned as the kernel lays them out.
    alignas(struct inotify_event) char buffer[64 * 1024];
    int news = 0;
    for (;;) {
        ssize_t n = read(w->fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // EAGAIN: everything queued was read
        for (ssize_t at = 0; at + (ssize_t)sizeof(struct inotify_event) <= n;) {
            const struct inotify_event* e = (const struct inotify_event*)(buffer + at);
            at += (ssize_t)sizeof(struct inotify_event) + e->len;
            int32_t folder = -1;
            for (int32_t i = 0; i < w->count; ++i) {
                if (w->folders[i] == e->wd)
                    folder = i;
            }
            news = 1;
            if (e->mask & IN_Q_OVERFLOW) {
                each(context, -1, "", OS_WATCH_LOST);
            } else if (folder < 0 || (e->mask & IN_ISDIR)) {
                continue; // a folder inside, or a watch already gone
            } else if (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                each(context, folder, "", OS_WATCH_GONE);
            } else if (e->len > 0) {
                int32_t kind = (e->mask & (IN_MODIFY | IN_CREATE))       ? OS_WATCH_WRITING
                               : (e->mask & (IN_DELETE | IN_MOVED_FROM)) ? OS_WATCH_REMOVED
                                                                         : OS_WATCH_DONE;
                each(context, folder, e->name, kind);
            }
        }
    }
    return news;
}

void os_watch_close(OsWatch watch) {
    PosixWatch* w = (PosixWatch*)watch;
    if (!w)
        return;
    close(w->fd);
    free(w->folders);
    free(w);
}

int os_file_in_use(const char*) {
    return -1;
}
