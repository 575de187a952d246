// The platform beneath the runtime core: the few system services that the heap, the file module
// and start-up need, one backend per system (os_win.cpp: Win32, the programs' own calls and
// flags; os_posix.cpp: POSIX). Nothing above this layer includes a system header.
//
// The calls that can fail in ways a test wants to provoke (a full disk, a refused allocation, a
// vanished device) go through one table of function pointers, so a test swaps one entry and puts
// it back; the rest are plain functions.
#pragma once
#include <stddef.h>
#include <stdint.h>

// An open file: the Win32 HANDLE itself on Windows (so file_create and file_open_read still
// return the handle), a descriptor held as a non-null value elsewhere. 0 is no file.
typedef void* OsFile;

// What the system says of a name, without opening it for reading or writing.
enum OsFileKind {
    OS_MISSING = 0, // nothing under the name (or a folder on its way is missing)
    OS_FILE,
    OS_DIRECTORY
};
struct OsFileFacts {
    int32_t kind;           // OsFileKind
    uint64_t size;          // bytes, for a file
    uint64_t time;          // last write, in the system's own unit (ns on POSIX, 100 ns on Windows)
    uint64_t volume, index; // the file's identity: equal for two names of one file
    // The last change of its bytes or of its facts (a rename, a time set back), which no program
    // can set: POSIX's ctime, Windows' ChangeTime; in the unit of time. 0 when not known.
    uint64_t change;
};
// 1 when both are files and one file: the same under any spelling of its name or any link.
inline int os_same_file(const OsFileFacts* a, const OsFileFacts* b) {
    return a->kind == OS_FILE && b->kind == OS_FILE && a->volume == b->volume &&
           a->index == b->index;
}

// A thread started through the table below, and the work it runs: work(argument), once.
typedef void* OsThread;
typedef void (*OsThreadWork)(void* argument);

struct OsCalls {
    // The runtime heap: one private, growable heap from which blocks are taken zero-filled and
    // which is destroyed with everything in it. heap_realloc zero-fills added bytes and, when it
    // refuses (0), leaves the old block as it was.
    void* (*heap_create)(void);
    void* (*heap_alloc)(void* heap, size_t bytes);
    void* (*heap_realloc)(void* heap, void* block, size_t bytes);
    void (*heap_free)(void* heap, void* block);
    void (*heap_destroy)(void* heap);

    // An existing file opened for reading, others may read it too. 0 when missing, a directory,
    // or refused; nothing is ever created.
    OsFile (*open_read)(const char* name);
    // 1 when the file full could be replaced by a finished file: it does not exist, or it is a
    // file that may be written and replaced (not read-only, not a directory, not held by another
    // program in a way that forbids it). Asked before any work, so a refusal costs nothing.
    int (*replaceable)(const char* full);
    // An empty file for writing under name (a temporary name no one else uses); 0 when refused.
    OsFile (*create_new)(const char* name);
    // Moves count bytes; 1 when the call succeeded, *done the bytes moved (fewer at the end of a
    // file when reading).
    int (*read)(OsFile file, void* into, uint32_t count, uint32_t* done);
    int (*write)(OsFile file, const void* from, uint32_t count, uint32_t* done);
    // The new position, counted from the start; 0xFFFFFFFF when refused.
    uint32_t (*seek)(OsFile file, int32_t position);
    // The file's size in bytes; 0xFFFFFFFF when the system cannot tell.
    uint64_t (*size)(OsFile file);
    // Puts the file's data on the disk. 1 on success.
    int (*flush)(OsFile file);
    // Gives the finished file from the name to, replacing any file there, durably. 1 on success.
    int (*replace)(const char* from, const char* to);
    // Removes a file. 1 on success.
    int (*remove)(const char* name);
    int (*close)(OsFile file);
    int (*set_current_directory)(const char* directory);

    // The facts of name, following links. 1 when the system could tell (kind OS_MISSING
    // included); 0 when it refused (no access, a broken name).
    int (*facts)(const char* name, OsFileFacts* facts);
    // Makes the directory name (its parent must exist). 1 when made or already a directory.
    int (*make_directory)(const char* name);
    // Runs work(argument) on a new thread; 0 when the system refuses one, and the caller then
    // does the work itself. Only the thread's own memory and what it is handed may be touched
    // there: the runtime's modules are single-threaded.
    OsThread (*thread_start)(OsThreadWork work, void* argument);
    // Waits until the thread's work has returned, and releases the thread.
    void (*thread_wait)(OsThread thread);

    // A lock file, opened for reading and writing and made when missing; 0 when refused or when
    // the name is not a regular file (a link is not followed to one).
    OsFile (*lock_open)(const char* name);
    // Takes the system's lock on an open lock file without waiting: 1 when taken, 0 when
    // another process holds it, -1 when refused. It goes with the file's close or with the
    // process, however that ends, so a lock is never left behind.
    int (*lock_take)(OsFile file);
    // Cuts the file to size bytes. 1 on success.
    int (*truncate)(OsFile file, uint32_t size);
};

// The live table; a test may change an entry and must put it back.
OsCalls* os_calls(void);

// The system's last error code (GetLastError, errno), and putting one back, so that cleaning up
// after a failure does not hide why it failed.
uint32_t os_last_error(void);
void os_set_last_error(uint32_t error);

// The separator of directories in a name ('\\' or '/'); the recorded program directory ends
// with it.
extern const char OS_SEPARATOR;

// The absolute name of name against the current directory, written into out when it fits in
// room bytes with its terminator. Returns the length (without terminator) on success, the room
// needed (with terminator) when out is too small, 0 when no name can be made.
uint32_t os_full_name(const char* name, char* out, uint32_t room);
// The full name of the running program's file into out (room bytes). Its length, 0 when the
// system cannot tell or it does not fit.
uint32_t os_program_file(char* out, uint32_t room);
// The program's module handle on Windows (0 elsewhere).
void* os_program_module(void);
// Ends the process with the exit code. Does not return.
void os_end_process(int code);
// A number that differs between processes running at one time.
uint32_t os_process_id(void);
// The time now, in the unit of OsFileFacts.time and from the same start, so the two compare.
uint64_t os_time_now(void);
// That unit's count per second.
extern const uint64_t OS_TIME_PER_SECOND;
// Waits about that many milliseconds.
void os_sleep(uint32_t milliseconds);
// How many processors the process may run on; at least 1.
uint32_t os_processor_count(void);

// Runs work(argument) on a new thread through the table; 0 when refused. os_thread_wait waits
// for its end and releases it.
inline OsThread os_thread_start(OsThreadWork work, void* argument) {
    return os_calls()->thread_start(work, argument);
}
inline void os_thread_wait(OsThread thread) {
    os_calls()->thread_wait(thread);
}

// The console of a command-line program: bytes to standard output or standard error as they are
// (a line end is the caller's, OS_LINE_END), and standard input.
enum OsStream { OS_OUTPUT = 1, OS_ERROR = 2 };
void os_console_write(int stream, const char* bytes, uint32_t count);
// 1 when standard output is a terminal (a console window on Windows).
int os_console_is_terminal(void);
// Up to room bytes of standard input: the count read, 0 at its end, -1 when the read fails.
int32_t os_input_read(void* into, uint32_t room);
// How the system's console programs end a line: CR LF on Windows, LF elsewhere.
extern const char OS_LINE_END[];

// Calls each(context, name, kind) for every entry of the directory full but "." and "..", in
// the system's order; kind is an OsFileKind, links followed (OS_MISSING for a broken one). 1 when
// the directory could be read.
int os_list_directory(const char* full, void (*each)(void* context, const char* name, int32_t kind),
                      void* context);

// The system's 8-bit code page, the one the programs' texts are in: the ANSI code page on
// Windows (UTF-8 under the programs' manifests from Windows 10 1903 on); POSIX systems have none,
// so there the bytes are Windows-1252, the Level Creator's own on Western systems. The terminated
// text as UTF-16 units into out (room units), terminator included, as MultiByteToWideChar does:
// the units written with it, 0 when they do not fit.
int32_t os_code_page_widen(const char* text, wchar_t* out, int32_t room);
// The reverse: count units as the code page's bytes into out (room bytes, terminated), with no
// best fit. 1 when every unit has its bytes; 0 otherwise (out then holds no text).
int os_code_page_narrow(const wchar_t* units, int32_t count, char* out, int32_t room);
// 1 when the programs' own texts (typed, shown, arguments, names) are UTF-8: on Windows when its
// code page is (names and typed texts in any script), on POSIX systems always. The level file's
// texts, Windows-1252 on every system, are then converted where they are read and written. 0
// where the programs' texts are the level file's own bytes, as they always were.
int os_text_is_utf8(void);

// From now on, the first Ctrl+C (or SIGINT, SIGTERM) only sets a flag that os_interrupted
// reads, so a long job can stop between two files; a second one ends the process as usual.
void os_watch_interrupt(void);
// 1 once an interrupt has come after os_watch_interrupt. Safe from any thread.
int os_interrupted(void);

// Watching folders for news of the files in them (not of the folders below them): inotify on
// Linux, ReadDirectoryChangesW on Windows. The news a system gives differs, and so does what it
// can tell of a write's end, which the kinds below say.
typedef void* OsWatch;
enum OsWatchNews {
    // A file changed and the change is whole as far as the system tells: written and closed
    // (Linux), renamed into the folder, its times or rights set.
    OS_WATCH_DONE = 1,
    // A file is being written, made or cut; its end comes as OS_WATCH_DONE on Linux, with no
    // news on Windows, where os_file_in_use tells whether a writer still holds it.
    OS_WATCH_WRITING,
    // A file was removed or renamed away: gone, or about to come back (a save that removes the
    // old file first).
    OS_WATCH_REMOVED,
    OS_WATCH_GONE, // the folder itself was removed or moved away; it is watched no more
    OS_WATCH_LOST  // news was lost (too much at once): any file of the folder may have changed
};
typedef void (*OsWatchEach)(void* context, int32_t folder, const char* name, int32_t news);
// A watch of no folder yet; 0 when the system refuses one.
OsWatch os_watch_open(void);
// Watches the folder full too. Its number, counted from 0 in the order added, or -1 when the
// system refuses (no such folder, no access, too many watched).
int32_t os_watch_add(OsWatch watch, const char* full);
// Waits at most milliseconds for news, and hands each piece to each(context, folder, name,
// news): folder is its number, name the file's name in it in the system's spelling ("" for
// OS_WATCH_GONE and OS_WATCH_LOST). Returns 1 when news came, 0 when none came in time or an
// interrupt (os_watch_interrupt) ended the wait, -1 when the system refused the wait.
int os_watch_wait(OsWatch watch, uint32_t milliseconds, OsWatchEach each, void* context);
void os_watch_close(OsWatch watch);
// 1 when the system tells that another program holds the file open for writing (Windows: the
// file cannot be opened to read while it is); 0 when it tells that none does, or the file is
// not there; -1 when the system cannot tell (POSIX systems, where OS_WATCH_DONE ends a write).
int os_file_in_use(const char* full);
