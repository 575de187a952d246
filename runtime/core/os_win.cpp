// The runtime core on Win32: the heap, files, names and the program's own file through kernel32,
// with the calls and flags the programs have always used.
#include "os.h"
// The programs are built for Windows XP's interface; this file alone asks for Vista's, for the
// change time of a file (GetFileInformationByHandleEx), which every Windows the programs run on
// (7 to 11) has.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <atomic>

// The core's module state belongs to heap.cpp, file.cpp and program.cpp; this file only calls
// the system.
#define HEAP DONT_USE_HEAP_HERE
#define FILES DONT_USE_FILES_HERE
#define PROGRAM DONT_USE_PROGRAM_HERE

namespace {
void* win_heap_create(void) {
    return HeapCreate(0, 4000, 0);
}
void* win_heap_alloc(void* heap, size_t bytes) {
    return HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes);
}
void* win_heap_realloc(void* heap, void* block, size_t bytes) {
    return HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, bytes);
}
void win_heap_free(void* heap, void* block) {
    HeapFree(heap, 0, block);
}
void win_heap_destroy(void* heap) {
    HeapDestroy(heap);
}

OsFile win_open_read(const char* name) {
    HANDLE h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, 0);
    return h == INVALID_HANDLE_VALUE ? 0 : h;
}

// Opens the target with the access the final move needs (writing and deleting) alongside
// whoever else has it open. A read-only file, a directory, or a file that another program holds
// without write or delete sharing fail here.
int win_replaceable(const char* full) {
    HANDLE probe = CreateFileA(full, GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (probe == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    // A device (NUL, CON, COM1, a pipe) opens too, and is never replaced by a file.
    DWORD type = GetFileType(probe);
    CloseHandle(probe);
    if (type != FILE_TYPE_DISK) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return 1;
}

OsFile win_create_new(const char* name) {
    HANDLE h = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, 0);
    return h == INVALID_HANDLE_VALUE ? 0 : h;
}

int win_read(OsFile file, void* into, uint32_t count, uint32_t* done) {
    DWORD n = 0;
    BOOL ok = ReadFile(file, into, count, &n, 0);
    *done = n;
    return ok != 0;
}
int win_write(OsFile file, const void* from, uint32_t count, uint32_t* done) {
    DWORD n = 0;
    BOOL ok = WriteFile(file, from, count, &n, 0);
    *done = n;
    return ok != 0;
}
uint32_t win_seek(OsFile file, int32_t position) {
    // INVALID_SET_FILE_POINTER is also a valid low part of a position past 4 GiB; with no high
    // part asked for, a refusal is the only way to get it here.
    return SetFilePointer(file, position, 0, FILE_BEGIN);
}
uint64_t win_size(OsFile file) {
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    return (uint64_t)high << 32 | low;
}
int win_flush(OsFile file) {
    return FlushFileBuffers(file) != 0;
}
int win_replace(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
int win_remove(const char* name) {
    return DeleteFileA(name) != 0;
}
int win_close(OsFile file) {
    return CloseHandle(file) != 0;
}
int win_set_current_directory(const char* directory) {
    return SetCurrentDirectoryA(directory) != 0;
}

// GetFileInformationByHandle is the one call that gives a file's identity (volume serial and
// file index) with its size and time, and GetFileInformationByHandleEx the change time; the
// handle asks only to read attributes, which no sharing mode refuses, so a file that another
// program holds open is still seen. FILE_FLAG_BACKUP_SEMANTICS lets a directory open.
int win_facts(const char* name, OsFileFacts* facts) {
    *facts = OsFileFacts{OS_MISSING, 0, 0, 0, 0, 0};
    HANDLE h = CreateFileA(name, FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    BOOL ok = GetFileInformationByHandle(h, &info);
    if (ok && GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic))
        facts->change = (uint64_t)basic.ChangeTime.QuadPart;
    CloseHandle(h);
    if (!ok)
        return 0;
    facts->kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? OS_DIRECTORY : OS_FILE;
    facts->size = (uint64_t)info.nFileSizeHigh << 32 | info.nFileSizeLow;
    facts->time =
        (uint64_t)info.ftLastWriteTime.dwHighDateTime << 32 | info.ftLastWriteTime.dwLowDateTime;
    facts->volume = info.dwVolumeSerialNumber;
    facts->index = (uint64_t)info.nFileIndexHigh << 32 | info.nFileIndexLow;
    return 1;
}
int win_make_directory(const char* name) {
    if (CreateDirectoryA(name, 0))
        return 1;
    // ERROR_ALREADY_EXISTS also comes for a file of that name, which is no directory.
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesA(name);
    SetLastError(error);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The thread and what it runs, in one block of the process heap that the waiter frees.
struct WinThread {
    HANDLE thread;
    OsThreadWork work;
    void* argument;
};
DWORD WINAPI win_thread_entry(LPVOID block) {
    WinThread* t = (WinThread*)block;
    t->work(t->argument);
    return 0;
}
OsThread win_thread_start(OsThreadWork work, void* argument) {
    WinThread* t = (WinThread*)HeapAlloc(GetProcessHeap(), 0, sizeof(WinThread));
    if (!t)
        return 0;
    t->work = work;
    t->argument = argument;
    // CreateThread rather than the C runtime's _beginthreadex: the work calls nothing of the C
    // runtime that keeps per-thread data beyond malloc, which msvcrt.dll serves on any thread.
    t->thread = CreateThread(0, 0, &win_thread_entry, t, 0, 0);
    if (!t->thread) {
        HeapFree(GetProcessHeap(), 0, t);
        return 0;
    }
    return t;
}
void win_thread_wait(OsThread thread) {
    WinThread* t = (WinThread*)thread;
    WaitForSingleObject(t->thread, INFINITE);
    CloseHandle(t->thread);
    HeapFree(GetProcessHeap(), 0, t);
}

OsFile win_lock_open(const char* name) {
    // Shared for everything, since the lock is the byte range below, not the handle; a reparse
    // point is opened as itself, not followed.
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, 0);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        CloseHandle(h);
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return h;
}

// A byte past 4 GB, far beyond anything the file holds: Windows locks bytes against reads and
// writes by others, and the file's content must stay readable. The system releases the lock
// when the handle is closed or the process ends.
int win_lock_take(OsFile file) {
    OVERLAPPED at = {};
    at.OffsetHigh = 1;
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        return 1;
    DWORD error = GetLastError();
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? 0 : -1;
}

int win_truncate(OsFile file, uint32_t size) {
    LONG high = 0;
    if (SetFilePointer(file, (LONG)size, &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return 0;
    return SetEndOfFile(file) != 0;
}

OsCalls CALLS = {&win_heap_create,
                 &win_heap_alloc,
                 &win_heap_realloc,
                 &win_heap_free,
                 &win_heap_destroy,
                 &win_open_read,
                 &win_replaceable,
                 &win_create_new,
                 &win_read,
                 &win_write,
                 &win_seek,
                 &win_size,
                 &win_flush,
                 &win_replace,
                 &win_remove,
                 &win_close,
                 &win_set_current_directory,
                 &win_facts,
                 &win_make_directory,
                 &win_thread_start,
                 &win_thread_wait,
                 &win_lock_open,
                 &win_lock_take,
                 &win_truncate};

// Set by the console's control handler, which the system runs on a thread of its own, and read
// by any thread.
static_assert(std::atomic<int>::is_always_lock_free, "the control handler needs a lock-free flag");
std::atomic<int> INTERRUPTED(0);

BOOL WINAPI on_control(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    // The first one is handled here; a second one goes on to the default handler, which ends the
    // process.
    return INTERRUPTED.exchange(1) == 0;
}
} // namespace

const char OS_SEPARATOR = '\\';

OsCalls* os_calls(void) {
    return &CALLS;
}

uint32_t os_last_error(void) {
    return GetLastError();
}
void os_set_last_error(uint32_t error) {
    SetLastError(error);
}

uint32_t os_full_name(const char* name, char* out, uint32_t room) {
    // GetFullPathNameA also gets drive-relative ("C:x") and root-relative ("\x") names right.
    return GetFullPathNameA(name, room, out, 0);
}

uint32_t os_program_file(char* out, uint32_t room) {
    DWORD n = GetModuleFileNameA(GetModuleHandleA(0), out, room);
    return n >= room ? 0 : n;
}

uint32_t os_process_id(void) {
    return GetCurrentProcessId();
}

// FILETIME's unit: 100 ns since 1601, as file times are.
const uint64_t OS_TIME_PER_SECOND = 10000000u;

uint64_t os_time_now(void) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (uint64_t)now.dwHighDateTime << 32 | now.dwLowDateTime;
}

void os_sleep(uint32_t milliseconds) {
    Sleep(milliseconds);
}

uint32_t os_processor_count(void) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors < 1 ? 1u : (uint32_t)info.dwNumberOfProcessors;
}

void os_watch_interrupt(void) {
    SetConsoleCtrlHandler(&on_control, TRUE);
}

int os_interrupted(void) {
    return INTERRUPTED.load() != 0;
}

void* os_program_module(void) {
    return GetModuleHandleA(0);
}

void os_end_process(int code) {
    ExitProcess((UINT)code);
}

const char OS_LINE_END[] = "\r\n";

void os_console_write(int stream, const char* bytes, uint32_t count) {
    HANDLE h = GetStdHandle(stream == OS_ERROR ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD written, mode;
    if (h == 0 || h == INVALID_HANDLE_VALUE || count == 0)
        return;
    // A console reads bytes in its own code page (an OEM one), whatever the program's: UTF-8
    // goes to it as wide characters, so names in any script show as typed. A file or a pipe
    // gets the bytes, UTF-8.
    if (!os_text_is_utf8() || !GetConsoleMode(h, &mode)) {
        WriteFile(h, bytes, count, &written, 0);
        return;
    }
    wchar_t units[512];
    while (count > 0) {
        // Whole characters only: a piece ends before a continuation byte.
        uint32_t take = count < 500 ? count : 500;
        while (take < count && take > 1 && ((unsigned char)bytes[take] & 0xC0) == 0x80)
            --take;
        int n = MultiByteToWideChar(CP_UTF8, 0, bytes, (int)take, units, 512);
        if (n > 0)
            WriteConsoleW(h, units, (DWORD)n, &written, 0);
        bytes += take;
        count -= take;
    }
}

int os_console_is_terminal(void) {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

int32_t os_input_read(void* into, uint32_t room) {
    if (room > 0x7FFFFFFFu)
        room = 0x7FFFFFFFu;
    DWORD n = 0;
    if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), into, room, &n, 0))
        // A pipe whose writer has closed ends this way rather than with 0 bytes.
        return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    return (int32_t)n;
}

int os_list_directory(const char* full, void (*each)(void* context, const char* name, int32_t kind),
                      void* context) {
    // The directory's name and "\*": every entry, matched by the caller, not by the system's own
    // wildcards (which also match the short 8.3 names).
    size_t n = lstrlenA(full);
    char* pattern = (char*)HeapAlloc(GetProcessHeap(), 0, n + 3);
    if (!pattern)
        return 0;
    CopyMemory(pattern, full, n);
    size_t m = n;
    if (m == 0 || (pattern[m - 1] != '\\' && pattern[m - 1] != '/'))
        pattern[m++] = '\\';
    pattern[m++] = '*';
    pattern[m] = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    HeapFree(GetProcessHeap(), 0, pattern);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND; // an empty root lists nothing
    do {
        const char* name = entry.cFileName;
        if (name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])))
            continue;
        each(context, name,
             (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? OS_DIRECTORY : OS_FILE);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return 1;
}

// Declared by the headers only for Windows Vista on; the call that takes it runs only under the
// UTF-8 code page, which Windows 10 1903 was the first to give.
#ifndef WC_ERR_INVALID_CHARS
#define WC_ERR_INVALID_CHARS 0x00000080
#endif

int os_text_is_utf8(void) {
    return GetACP() == CP_UTF8;
}

int32_t os_code_page_widen(const char* text, wchar_t* out, int32_t room) {
    return MultiByteToWideChar(CP_ACP, 0, text ? text : "", -1, out, room);
}

int os_code_page_narrow(const wchar_t* units, int32_t count, char* out, int32_t room) {
    if (room < 1)
        return 0;
    out[0] = 0;
    if (count == 0)
        return 1;
    // No best fit: a character the code page lacks must be refused, not turned into a lookalike.
    // UTF-8 has every character, and refuses those flags: only a lone surrogate is lost there.
    BOOL lost = FALSE;
    int n = os_text_is_utf8() ? WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, units, count,
                                                    out, room - 1, 0, 0)
                              : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, count, out,
                                                    room - 1, 0, &lost);
    if (lost || n <= 0) {
        out[0] = 0;
        return 0;
    }
    for (int i = 0; i < n; ++i) {
        if (out[i] == 0) { // a unit 0 is no character of a text
            out[0] = 0;
            return 0;
        }
    }
    out[n] = 0;
    return 1;
}
