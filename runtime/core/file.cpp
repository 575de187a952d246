// Numbered files. Owns the FileSlot table, the current file and the 4-byte transfer buffer.
#include "file.h"
#include "file_calls.h"
#include "heap.h"
#include "program.h"
#include "str.h"

namespace {
struct FileSlot {
    HANDLE handle;   // 0 = no open file
    char* target;    // created files: the full name the file will have once complete
    char* temporary; // created files: the name it is written under until then
    int failed;      // created files: a write went wrong, so the target must not be replaced
};

struct FileState {
    FileSlot* slots;
    uint32_t capacity;
    int32_t current;         // number of the current file, -1 for none
    unsigned char buffer[4]; // the transfer buffer of every single-value read and write
    DWORD transferred;       // bytes moved by the last read or write call
    uint32_t serial;         // makes each temporary name of this process unique
};
FileState FILES = {0, 0, -1, {0, 0, 0, 0}, 0, 0};

FileCalls CALLS = {
    &CreateFileA,      &ReadFile,    &WriteFile,   &SetFilePointer, &GetFileSize,
    &FlushFileBuffers, &MoveFileExA, &DeleteFileA, &CloseHandle,    &SetCurrentDirectoryA};

FileSlot* slot_of(int32_t number) {
    if (number < 0 || (uint32_t)number >= FILES.capacity || !FILES.slots)
        return 0;
    return &FILES.slots[number];
}

HANDLE current_handle(void) {
    FileSlot* s = slot_of(FILES.current);
    return s ? s->handle : 0;
}

// Numbers that do not fit grow the table to number + 10; a refused growth leaves it as it was.
int grow_for(int32_t number) {
    if (number < 0)
        return 0;
    if ((uint32_t)number < FILES.capacity)
        return 1;
    uint32_t capacity = (uint32_t)number + 10;
    void* grown = heap_reallocate_table(FILES.slots, capacity, sizeof(FileSlot));
    if (!grown)
        return 0;
    FILES.slots = (FileSlot*)grown;
    FILES.capacity = capacity;
    return 1;
}

// Closes whatever the number holds. A created file is either committed (moved into place) or
// abandoned (its temporary file removed, the target untouched). Returns 1 on success.
int release(int32_t number, int commit) {
    FileSlot* s = slot_of(number);
    if (!s || !s->handle)
        return 0;
    int ok = 1;
    if (s->temporary) {
        // Wine's MoveFileExA is a rename() that fails while any handle is open on the file, and
        // on Windows the data must be on disk before the name points at it: flush, close, move.
        ok = commit && !s->failed && CALLS.flush_file_buffers(s->handle);
        CALLS.close_handle(s->handle);
        if (ok)
            ok = CALLS.move_file_ex(s->temporary, s->target,
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        if (!ok) {
            DWORD error = GetLastError();
            CALLS.delete_file(s->temporary);
            SetLastError(error);
        }
    } else {
        CALLS.close_handle(s->handle);
    }
    heap_free(s->target);
    heap_free(s->temporary);
    ZeroMemory(s, sizeof *s);
    if (FILES.current == number)
        FILES.current = -1;
    return ok;
}

// Common start of both opens: room in the table, nothing left open under the number, names
// resolved against the program directory.
int prepare_open(int32_t number) {
    if (!grow_for(number))
        return 0;
    release(number, 0);
    CALLS.set_current_directory(program_directory());
    return 1;
}

// Whether the target of file_create could be replaced: it is missing, or it can be opened with
// the access the final move needs (writing and deleting) alongside whoever else has it open. A
// read-only file, a directory, or a file that another program holds without write or delete
// sharing fail here, before anything is converted or written, rather than at the move.
int target_writable(const char* full) {
    HANDLE probe = CALLS.create_file(full, GENERIC_WRITE | DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (probe == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    CALLS.close_handle(probe);
    return 1;
}

char* temporary_name_of(const char* full) {
    char suffix[40];
    wsprintfA(suffix, ".~%lx-%lu.tmp", (unsigned long)GetCurrentProcessId(),
              (unsigned long)++FILES.serial);
    int32_t n = str_length(full), m = str_length(suffix);
    char* name = (char*)heap_allocate((SIZE_T)n + (SIZE_T)m + 1);
    if (name) {
        CopyMemory(name, full, (SIZE_T)n);
        CopyMemory(name + n, suffix, (SIZE_T)m);
    }
    return name;
}

DWORD read_raw(void* into, DWORD count) {
    HANDLE h = current_handle();
    FILES.transferred = 0;
    if (!h)
        return 0;
    if (!CALLS.read_file(h, into, count, &FILES.transferred, 0))
        FILES.transferred = 0;
    return FILES.transferred;
}

int write_raw(const void* from, DWORD count) {
    FileSlot* s = slot_of(FILES.current);
    FILES.transferred = 0;
    if (!s || !s->handle)
        return 0;
    int ok = CALLS.write_file(s->handle, from, count, &FILES.transferred, 0) &&
             FILES.transferred == count;
    if (!ok)
        s->failed = 1;
    return ok;
}
} // namespace

FileCalls* file_calls(void) {
    return &CALLS;
}

char* file_full_name(const char* name) {
    DWORD need = GetFullPathNameA(name, 0, 0, 0);
    if (need == 0)
        return 0;
    char* full = (char*)heap_allocate((SIZE_T)need + 1);
    if (!full)
        return 0;
    DWORD got = GetFullPathNameA(name, need + 1, full, 0);
    if (got == 0 || got > need) {
        heap_free(full);
        return 0;
    }
    return full;
}

int file_system_init(void) {
    FILES = FileState{0, 0, -1, {0, 0, 0, 0}, 0, 0};
    FILES.slots = (FileSlot*)heap_allocate(10 * sizeof(FileSlot));
    if (!FILES.slots)
        return 0;
    FILES.capacity = 10;
    return 1;
}

HANDLE file_create(int32_t number, const char* name) {
    if (!prepare_open(number))
        return 0;
    FILES.current = number;
    char* full = file_full_name(name ? name : "");
    char* temporary = 0;
    HANDLE h = INVALID_HANDLE_VALUE;
    if (full && target_writable(full)) {
        temporary = temporary_name_of(full);
        if (temporary)
            h = CALLS.create_file(temporary, GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, 0);
    }
    if (h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        heap_free(full);
        heap_free(temporary);
        SetLastError(error);
        return 0;
    }
    FileSlot* s = slot_of(number);
    s->handle = h;
    s->target = full;
    s->temporary = temporary;
    s->failed = 0;
    return h;
}

HANDLE file_open_read(int32_t number, const char* name) {
    if (!prepare_open(number))
        return 0;
    FILES.current = number;
    HANDLE h = CALLS.create_file(name ? name : "", GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    slot_of(number)->handle = h;
    return h;
}

int file_close(int32_t number) {
    return release(number, 1);
}

uint32_t file_seek(int32_t position) {
    HANDLE h = current_handle();
    if (!h)
        return 0xFFFFFFFFu;
    return CALLS.set_file_pointer(h, position, 0, FILE_BEGIN);
}

uint32_t file_size(void) {
    HANDLE h = current_handle();
    if (!h)
        return 0xFFFFFFFFu;
    DWORD high = 0;
    DWORD low = CALLS.get_file_size(h, &high);
    return high ? 0xFFFFFFFFu : low;
}

int32_t file_read_byte(void) {
    read_raw(FILES.buffer, 1);
    return (int8_t)FILES.buffer[0];
}

int32_t file_read_word(void) {
    read_raw(FILES.buffer, 2);
    return (int16_t)(uint16_t)(FILES.buffer[0] | FILES.buffer[1] << 8);
}

char* file_read_string(void) {
    char* start = str_position();
    uint32_t room = str_free();
    uint32_t n = 0;
    for (;;) {
        FILES.buffer[0] = 0;
        read_raw(FILES.buffer, 1);
        unsigned char c = FILES.buffer[0];
        if (c == 0x00 || c == 0x0A)
            break;
        if (c == 0x0D) {
            read_raw(FILES.buffer, 1);
            break;
        }
        // Past the area's end the line is still consumed, so the file position stays where a
        // reader expects it, but the characters are dropped.
        if (n < room)
            start[n++] = (char)c;
    }
    return str_commit(n);
}

int file_write_byte(int32_t value) {
    FILES.buffer[0] = (unsigned char)value;
    return write_raw(FILES.buffer, 1);
}

int file_write_word(int32_t value) {
    FILES.buffer[0] = (unsigned char)value;
    FILES.buffer[1] = (unsigned char)(value >> 8);
    return write_raw(FILES.buffer, 2);
}

int file_write_string(const char* string) {
    if (!string)
        return 0;
    return write_raw(string, (DWORD)str_length(string));
}

uint32_t file_read_block(void* buffer, uint32_t count) {
    return read_raw(buffer, count);
}

int file_write_block(const void* buffer, uint32_t count) {
    return write_raw(buffer, count);
}
