// The runtime core on POSIX systems: the heap over malloc, files over open/read/write, names,
// and the program's own file. Written to POSIX.1-2008; only the program's own file is asked of
// Linux's /proc.
#include "os.h"
#include "code_page.h"
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <dirent.h>
#include <atomic>

// The core's module state belongs to heap.cpp, file.cpp and program.cpp; this file only calls
// the system.
#define HEAP DONT_USE_HEAP_HERE
#define FILES DONT_USE_FILES_HERE
#define PROGRAM DONT_USE_PROGRAM_HERE

namespace {
// The runtime heap is destroyed as a whole, which malloc cannot do: every block carries a link
// in a list of its heap, so destroying the heap frees them all, and its size, so a reallocation
// can zero the bytes it adds as the Win32 heap does.
struct PosixBlock {
    PosixBlock* previous;
    PosixBlock* next;
    size_t bytes;
};
union PosixBlockHeader {
    PosixBlock block;
    max_align_t alignment; // keeps the caller's part aligned as malloc's own blocks are
};
struct PosixHeap {
    PosixBlock* first;
};

PosixBlock* block_of(void* data) {
    return &((PosixBlockHeader*)data - 1)->block;
}
void* data_of(PosixBlock* block) {
    return (PosixBlockHeader*)block + 1;
}
void link_block(PosixHeap* heap, PosixBlock* block) {
    block->previous = 0;
    block->next = heap->first;
    if (heap->first)
        heap->first->previous = block;
    heap->first = block;
}
void unlink_block(PosixHeap* heap, PosixBlock* block) {
    if (block->previous)
        block->previous->next = block->next;
    else
        heap->first = block->next;
    if (block->next)
        block->next->previous = block->previous;
}

void* posix_heap_create(void) {
    return calloc(1, sizeof(PosixHeap));
}
void* posix_heap_alloc(void* heap, size_t bytes) {
    if (bytes > (size_t)-1 - sizeof(PosixBlockHeader))
        return 0;
    PosixBlock* block = (PosixBlock*)calloc(1, sizeof(PosixBlockHeader) + bytes);
    if (!block)
        return 0;
    block->bytes = bytes;
    link_block((PosixHeap*)heap, block);
    return data_of(block);
}
void* posix_heap_realloc(void* heap, void* data, size_t bytes) {
    if (bytes > (size_t)-1 - sizeof(PosixBlockHeader))
        return 0;
    PosixBlock* old = block_of(data);
    size_t old_bytes = old->bytes;
    unlink_block((PosixHeap*)heap, old);
    PosixBlock* block = (PosixBlock*)realloc(old, sizeof(PosixBlockHeader) + bytes);
    if (!block) {
        link_block((PosixHeap*)heap, old);
        return 0;
    }
    if (bytes > old_bytes)
        memset((char*)data_of(block) + old_bytes, 0, bytes - old_bytes);
    block->bytes = bytes;
    link_block((PosixHeap*)heap, block);
    return data_of(block);
}
void posix_heap_free(void* heap, void* data) {
    PosixBlock* block = block_of(data);
    unlink_block((PosixHeap*)heap, block);
    free(block);
}
void posix_heap_destroy(void* heap) {
    PosixBlock* block = ((PosixHeap*)heap)->first;
    while (block) {
        PosixBlock* next = block->next;
        free(block);
        block = next;
    }
    free(heap);
}

// A descriptor can be 0, which here means "no file": the handle is the descriptor + 1.
OsFile file_of(int fd) {
    return (OsFile)(intptr_t)(fd + 1);
}
int fd_of(OsFile file) {
    return (int)((intptr_t)file - 1);
}

// name opened with flags, only when it is a regular file. Without O_NONBLOCK the open of a FIFO
// waits for a writer that may never come; it is cleared once the file is known to be regular.
OsFile open_regular(const char* name, int flags, mode_t mode) {
    int fd;
    do
        fd = open(name, flags | O_CLOEXEC | O_NONBLOCK, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return 0;
    // A directory opens for reading here, unlike on Windows; it is no file to read, and neither
    // is a device, a FIFO or a socket. st says nothing when fstat fails: its mode is asked only
    // after a success.
    struct stat st;
    int error = 0;
    if (fstat(fd, &st) != 0)
        error = errno;
    else if (S_ISDIR(st.st_mode))
        error = EISDIR;
    else if (!S_ISREG(st.st_mode))
        error = EINVAL;
    else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        error = errno;
    if (error) {
        close(fd);
        errno = error;
        return 0;
    }
    return file_of(fd);
}

OsFile posix_open_read(const char* name) {
    return open_regular(name, O_RDONLY, 0);
}

// What a replacement needs: no directory in the way, a target that may be written (its write
// bits are asked too, since root passes every access check but a read-only file should stay),
// and a directory that takes a new name. A missing target is fine: creating the temporary file
// beside it then tells whether the directory exists and takes files.
int posix_replaceable(const char* full) {
    struct stat st;
    if (stat(full, &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return 0;
    }
    // A device, a FIFO or a socket is never replaced by a file (root could rename over
    // /dev/null).
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return 0;
    }
    if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) {
        errno = EACCES;
        return 0;
    }
    if (access(full, W_OK) != 0)
        return 0;
    const char* slash = strrchr(full, '/');
    if (!slash)
        return access(".", W_OK | X_OK) == 0;
    size_t n = slash == full ? 1 : (size_t)(slash - full);
    char* directory = (char*)malloc(n + 1);
    if (!directory)
        return 0;
    memcpy(directory, full, n);
    directory[n] = 0;
    int ok = access(directory, W_OK | X_OK) == 0;
    free(directory);
    return ok;
}

OsFile posix_create_new(const char* name) {
    int fd;
    do
        fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? 0 : file_of(fd);
}

// read and write may move fewer bytes than asked (a signal, a pipe); both keep going until the
// count is done, the end of the file is reached, or the system refuses.
int posix_read(OsFile file, void* into, uint32_t count, uint32_t* done) {
    uint32_t total = 0;
    while (total < count) {
        ssize_t n = read(fd_of(file), (char*)into + total, count - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *done = total;
            return 0;
        }
        if (n == 0)
            break;
        total += (uint32_t)n;
    }
    *done = total;
    return 1;
}
int posix_write(OsFile file, const void* from, uint32_t count, uint32_t* done) {
    uint32_t total = 0;
    while (total < count) {
        ssize_t n = write(fd_of(file), (const char*)from + total, count - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *done = total;
            return 0;
        }
        total += (uint32_t)n;
    }
    *done = total;
    return 1;
}
uint32_t posix_seek(OsFile file, int32_t position) {
    off_t at = lseek(fd_of(file), (off_t)position, SEEK_SET);
    return at < 0 || at > 0xFFFFFFFE ? 0xFFFFFFFFu : (uint32_t)at;
}
uint64_t posix_size(OsFile file) {
    struct stat st;
    if (fstat(fd_of(file), &st) != 0 || st.st_size < 0)
        return 0xFFFFFFFFu;
    return (uint64_t)st.st_size;
}
int posix_flush(OsFile file) {
    return fsync(fd_of(file)) == 0;
}

// The new name must survive a crash too: after rename(), the directory that holds it is synced.
int posix_replace(const char* from, const char* to) {
    if (rename(from, to) != 0)
        return 0;
    const char* slash = strrchr(to, '/');
    char* directory = 0;
    if (slash) {
        size_t n = slash == to ? 1 : (size_t)(slash - to);
        directory = (char*)malloc(n + 1);
        if (!directory)
            return 0;
        memcpy(directory, to, n);
        directory[n] = 0;
    }
    int fd = open(directory ? directory : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    free(directory);
    if (fd < 0)
        return 0;
    int ok = fsync(fd) == 0;
    close(fd);
    return ok;
}
int posix_remove(const char* name) {
    return unlink(name) == 0;
}
int posix_close(OsFile file) {
    return close(fd_of(file)) == 0;
}
int posix_set_current_directory(const char* directory) {
    return chdir(directory) == 0;
}

int posix_facts(const char* name, OsFileFacts* facts) {
    *facts = OsFileFacts{OS_MISSING, 0, 0, 0, 0, 0};
    struct stat st;
    if (stat(name, &st) != 0)
        return errno == ENOENT || errno == ENOTDIR;
    facts->kind = S_ISDIR(st.st_mode) ? OS_DIRECTORY : OS_FILE;
    facts->size = st.st_size < 0 ? 0 : (uint64_t)st.st_size;
    facts->time = (uint64_t)st.st_mtim.tv_sec * 1000000000u + (uint64_t)st.st_mtim.tv_nsec;
    facts->volume = (uint64_t)st.st_dev;
    facts->index = (uint64_t)st.st_ino;
    facts->change = (uint64_t)st.st_ctim.tv_sec * 1000000000u + (uint64_t)st.st_ctim.tv_nsec;
    return 1;
}
int posix_make_directory(const char* name) {
    if (mkdir(name, 0777) == 0)
        return 1;
    struct stat st;
    return errno == EEXIST && stat(name, &st) == 0 && S_ISDIR(st.st_mode);
}

// The thread and what it runs, in one block that the waiter frees.
struct PosixThread {
    pthread_t thread;
    OsThreadWork work;
    void* argument;
};
void* posix_thread_entry(void* block) {
    PosixThread* t = (PosixThread*)block;
    t->work(t->argument);
    return 0;
}
OsThread posix_thread_start(OsThreadWork work, void* argument) {
    PosixThread* t = (PosixThread*)malloc(sizeof(PosixThread));
    if (!t)
        return 0;
    t->work = work;
    t->argument = argument;
    if (pthread_create(&t->thread, 0, &posix_thread_entry, t) != 0) {
        free(t);
        return 0;
    }
    return t;
}
void posix_thread_wait(OsThread thread) {
    PosixThread* t = (PosixThread*)thread;
    pthread_join(t->thread, 0);
    free(t);
}

OsFile posix_lock_open(const char* name) {
    return open_regular(name, O_RDWR | O_CREAT | O_NOFOLLOW, 0666);
}

// A POSIX record lock on the whole file: the system drops it when the process ends. (It is the
// process's, not the descriptor's, so the lock file is opened once per process.)
int posix_lock_take(OsFile file) {
    struct flock lock;
    memset(&lock, 0, sizeof lock);
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    for (;;) {
        if (fcntl(fd_of(file), F_SETLK, &lock) == 0)
            return 1;
        if (errno == EACCES || errno == EAGAIN)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

int posix_truncate(OsFile file, uint32_t size) {
    return ftruncate(fd_of(file), (off_t)size) == 0;
}

OsCalls CALLS = {&posix_heap_create,
                 &posix_heap_alloc,
                 &posix_heap_realloc,
                 &posix_heap_free,
                 &posix_heap_destroy,
                 &posix_open_read,
                 &posix_replaceable,
                 &posix_create_new,
                 &posix_read,
                 &posix_write,
                 &posix_seek,
                 &posix_size,
                 &posix_flush,
                 &posix_replace,
                 &posix_remove,
                 &posix_close,
                 &posix_set_current_directory,
                 &posix_facts,
                 &posix_make_directory,
                 &posix_thread_start,
                 &posix_thread_wait,
                 &posix_lock_open,
                 &posix_lock_take,
                 &posix_truncate};

// Set by the signal handler, read by any thread: the only state this file keeps, since a
// signal handler can reach nothing else. A lock-free atomic is safe in both places.
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler needs a lock-free flag");
std::atomic<int> INTERRUPTED(0);
void on_interrupt(int) {
    INTERRUPTED.store(1);
}

// Appends the component [at, at + n) of a name to out (used bytes so far: *used), resolving "."
// and ".." as the names are written, as Windows does with its full names: the directories need
// not exist.
void append_component(char* out, uint32_t* used, const char* at, uint32_t n) {
    if (n == 0 || (n == 1 && at[0] == '.'))
        return;
    if (n == 2 && at[0] == '.' && at[1] == '.') {
        while (*used > 1 && out[*used - 1] != '/')
            --*used;
        if (*used > 1)
            --*used; // the slash before the dropped component, unless it is the root
        return;
    }
    if (*used > 1 || out[0] != '/')
        out[(*used)++] = '/';
    for (uint32_t i = 0; i < n; ++i)
        out[(*used)++] = at[i];
}

// Appends every component of path, as append_component does.
void append_components(char* out, uint32_t* used, const char* path) {
    for (const char* p = path; *p;) {
        const char* end = strchr(p, '/');
        uint32_t n = end ? (uint32_t)(end - p) : (uint32_t)strlen(p);
        append_component(out, used, p, n);
        p += n;
        if (*p)
            ++p;
    }
}

enum { POSIX_NAME_MAX = 4096 };

} // namespace

const char OS_SEPARATOR = '/';

OsCalls* os_calls(void) {
    return &CALLS;
}

uint32_t os_last_error(void) {
    return (uint32_t)errno;
}
void os_set_last_error(uint32_t error) {
    errno = (int)error;
}

uint32_t os_full_name(const char* name, char* out, uint32_t room) {
    if (!name || !*name)
        return 0;
    // The work area holds the current directory and the name, each at most POSIX_NAME_MAX.
    char work[2 * POSIX_NAME_MAX + 2];
    uint32_t used = 1;
    work[0] = '/';
    if (name[0] != '/') {
        char here[POSIX_NAME_MAX];
        if (!getcwd(here, sizeof here) || here[0] != '/')
            return 0;
        append_components(work, &used, here + 1);
    }
    size_t length = strlen(name);
    if (length >= POSIX_NAME_MAX)
        return 0;
    append_components(work, &used, name);
    // A name that ends in a slash names a directory; keep the slash so it cannot be a file.
    if (name[length - 1] == '/' && work[used - 1] != '/')
        work[used++] = '/';
    if (used + 1 > room)
        return used + 1;
    memcpy(out, work, used);
    out[used] = 0;
    return used;
}

uint32_t os_program_file(char* out, uint32_t room) {
    if (room < 2)
        return 0;
    ssize_t n = readlink("/proc/self/exe", out, room - 1);
    if (n <= 0 || (uint32_t)n >= room - 1)
        return 0;
    out[n] = 0;
    return (uint32_t)n;
}

uint32_t os_process_id(void) {
    return (uint32_t)getpid();
}

const uint64_t OS_TIME_PER_SECOND = 1000000000u;

uint64_t os_time_now(void) {
    struct timespec now;
    if (clock_gettime(CLOCK_REALTIME, &now) != 0)
        return 0;
    return (uint64_t)now.tv_sec * OS_TIME_PER_SECOND + (uint64_t)now.tv_nsec;
}

void os_sleep(uint32_t milliseconds) {
    struct timespec wait = {(time_t)(milliseconds / 1000), (long)(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR)
        ;
}

uint32_t os_processor_count(void) {
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1u : n > 1024 ? 1024u : (uint32_t)n;
}

void os_watch_interrupt(void) {
    // SA_RESETHAND: the handler is used once, so a second Ctrl+C ends the process at once.
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = &on_interrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, 0);
    sigaction(SIGTERM, &action, 0);
}

int os_interrupted(void) {
    return INTERRUPTED.load() != 0;
}

void* os_program_module(void) {
    return 0;
}

void os_end_process(int code) {
    exit(code);
}

const char OS_LINE_END[] = "\n";

void os_console_write(int stream, const char* bytes, uint32_t count) {
    int fd = stream == OS_ERROR ? 2 : 1;
    while (count > 0) {
        ssize_t n = write(fd, bytes, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        bytes += n;
        count -= (uint32_t)n;
    }
}

int os_console_is_terminal(void) {
    return isatty(1);
}

int32_t os_input_read(void* into, uint32_t room) {
    if (room > 0x7FFFFFFFu)
        room = 0x7FFFFFFFu;
    for (;;) {
        ssize_t n = read(0, into, room);
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? -1 : (int32_t)n;
    }
}

int os_list_directory(const char* full, void (*each)(void* context, const char* name, int32_t kind),
                      void* context) {
    DIR* listing = opendir(full);
    if (!listing)
        return 0;
    for (struct dirent* entry = readdir(listing); entry; entry = readdir(listing)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])))
            continue;
        // Links are followed, as an open of the name would follow them.
        struct stat st;
        int32_t kind = fstatat(dirfd(listing), name, &st, 0) != 0 ? OS_MISSING
                       : S_ISDIR(st.st_mode)                      ? OS_DIRECTORY
                                                                  : OS_FILE;
        each(context, name, kind);
    }
    closedir(listing);
    return 1;
}

int32_t os_code_page_widen(const char* text, wchar_t* out, int32_t room) {
    return code_page_1252_widen(text, out, room);
}

int os_code_page_narrow(const wchar_t* units, int32_t count, char* out, int32_t room) {
    return code_page_1252_narrow(units, count, out, room);
}

int os_text_is_utf8(void) {
    // The tool's arguments and output are UTF-8 here, as the file names it takes already are.
    return 1;
}
