// Watching folders on Win32 (ReadDirectoryChangesW), part of the platform layer of os_win.cpp,
// in a file of its own so that programs that watch nothing do not carry it.
#include "os.h"
#include <windows.h>

namespace {
// A watched folder: its handle, opened for overlapped reads of its changes, and the read in
// flight, whose buffer the system fills while the program does other work.
struct WinWatchFolder {
    HANDLE folder;
    HANDLE event;
    OVERLAPPED overlapped;
    int reading;
    DWORD buffer[16 * 1024]; // 64 KB, DWORD-aligned as the system asks; the most a network takes
};
struct WinWatch {
    int32_t count, room;
    WinWatchFolder** folders;
};

const DWORD WATCH_CHANGES = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                            FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_CREATION |
                            FILE_NOTIFY_CHANGE_ATTRIBUTES;

void* win_watch_block(SIZE_T bytes) {
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}
void win_watch_free(void* block) {
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

int win_watch_read(WinWatchFolder* f) {
    ResetEvent(f->event);
    ZeroMemory(&f->overlapped, sizeof f->overlapped);
    f->overlapped.hEvent = f->event;
    f->reading = ReadDirectoryChangesW(f->folder, f->buffer, sizeof f->buffer, FALSE, WATCH_CHANGES,
                                       0, &f->overlapped, 0) != 0;
    return f->reading;
}

// Hands the news of a finished read to each, and starts the next read.
void win_watch_deliver(WinWatchFolder* f, int32_t folder, OsWatchEach each, void* context) {
    DWORD bytes = 0;
    f->reading = 0;
    if (!GetOverlappedResult(f->folder, &f->overlapped, &bytes, FALSE)) {
        // The folder was removed, or its volume went away.
        ResetEvent(f->event);
        each(context, folder, "", OS_WATCH_GONE);
        return;
    }
    if (bytes == 0) {
        each(context, folder, "", OS_WATCH_LOST); // more news than the buffer holds
    } else {
        const unsigned char* at = (const unsigned char*)f->buffer;
        const unsigned char* end = at + bytes;
        for (;;) {
            const FILE_NOTIFY_INFORMATION* n = (const FILE_NOTIFY_INFORMATION*)at;
            // A name the code page cannot spell is no name the pack can give: it is skipped.
            char name[3 * MAX_PATH + 1];
            if (os_code_page_narrow(n->FileName, (int32_t)(n->FileNameLength / sizeof(WCHAR)), name,
                                    (int32_t)sizeof name)) {
                DWORD a = n->Action;
                int32_t kind = a == FILE_ACTION_ADDED || a == FILE_ACTION_MODIFIED
                                   ? OS_WATCH_WRITING
                               : a == FILE_ACTION_REMOVED || a == FILE_ACTION_RENAMED_OLD_NAME
                                   ? OS_WATCH_REMOVED
                                   : OS_WATCH_DONE;
                each(context, folder, name, kind);
            }
            if (n->NextEntryOffset == 0 || n->NextEntryOffset > (DWORD)(end - at))
                break;
            at += n->NextEntryOffset;
        }
    }
    if (!win_watch_read(f))
        each(context, folder, "", OS_WATCH_GONE);
}

// Ends a folder's read in flight and waits for the system to let go of its buffer.
void win_watch_stop(WinWatchFolder* f) {
    if (f->reading) {
        DWORD bytes;
        CancelIo(f->folder);
        GetOverlappedResult(f->folder, &f->overlapped, &bytes, TRUE);
    }
    CloseHandle(f->folder);
    CloseHandle(f->event);
    win_watch_free(f);
}
} // namespace

OsWatch os_watch_open(void) {
    return win_watch_block(sizeof(WinWatch));
}

int32_t os_watch_add(OsWatch watch, const char* full) {
    WinWatch* w = (WinWatch*)watch;
    if (w->count == w->room) {
        int32_t room = w->room ? 2 * w->room : 16;
        WinWatchFolder** grown = (WinWatchFolder**)win_watch_block((SIZE_T)room * sizeof(void*));
        if (!grown)
            return -1;
        for (int32_t i = 0; i < w->count; ++i)
            grown[i] = w->folders[i];
        win_watch_free(w->folders);
        w->folders = grown;
        w->room = room;
    }
    WinWatchFolder* f = (WinWatchFolder*)win_watch_block(sizeof(WinWatchFolder));
    if (!f)
        return -1;
    // Every sharing, so the watch keeps no one from writing, renaming or removing the folder.
    f->folder = CreateFileA(full, FILE_LIST_DIRECTORY,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, 0);
    f->event = CreateEventA(0, TRUE, FALSE, 0);
    if (f->folder == INVALID_HANDLE_VALUE || !f->event || !win_watch_read(f)) {
        if (f->folder != INVALID_HANDLE_VALUE)
            CloseHandle(f->folder);
        if (f->event)
            CloseHandle(f->event);
        win_watch_free(f);
        return -1;
    }
    w->folders[w->count] = f;
    return w->count++;
}

int os_watch_wait(OsWatch watch, uint32_t milliseconds, OsWatchEach each, void* context) {
    WinWatch* w = (WinWatch*)watch;
    // WaitForMultipleObjects takes 64 handles; past that the folders are asked in turns.
    DWORD start = GetTickCount();
    for (;;) {
        int news = 0;
        for (int32_t first = 0; first < w->count; first += MAXIMUM_WAIT_OBJECTS) {
            HANDLE events[MAXIMUM_WAIT_OBJECTS];
            DWORD n = 0;
            for (int32_t i = first; i < w->count && n < MAXIMUM_WAIT_OBJECTS; ++i)
                events[n++] = w->folders[i]->event;
            DWORD wait = w->count <= MAXIMUM_WAIT_OBJECTS ? milliseconds : 0;
            DWORD got = WaitForMultipleObjects(n, events, FALSE, wait);
            if (got == WAIT_FAILED)
                return -1;
            if (got >= WAIT_OBJECT_0 + n)
                continue;
            for (DWORD i = 0; i < n; ++i) {
                WinWatchFolder* f = w->folders[first + (int32_t)i];
                if (f->reading && WaitForSingleObject(f->event, 0) == WAIT_OBJECT_0) {
                    win_watch_deliver(f, first + (int32_t)i, each, context);
                    news = 1;
                }
            }
        }
        DWORD spent = GetTickCount() - start;
        if (news || w->count <= MAXIMUM_WAIT_OBJECTS || spent >= milliseconds || os_interrupted())
            return news;
        Sleep(milliseconds - spent < 10 ? milliseconds - spent : 10);
    }
}

void os_watch_close(OsWatch watch) {
    WinWatch* w = (WinWatch*)watch;
    if (!w)
        return;
    for (int32_t i = 0; i < w->count; ++i)
        win_watch_stop(w->folders[i]);
    win_watch_free(w->folders);
    win_watch_free(w);
}

int os_file_in_use(const char* full) {
    // Reading while others read, not while anyone writes: a writer's handle refuses this open.
    HANDLE h = CreateFileA(full, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, 0,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return 0;
}
