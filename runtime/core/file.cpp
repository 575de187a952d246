// Numbered files. Owns the FileSlot table, the current file and the 4-byte transfer buffer. The
// system's file calls are the platform layer's (os.h), where tests can make any of them fail.
#include "file.h"
#include "heap.h"
#include "numbered.h"
#include "os.h"
#include "program.h"
#include "str.h"

namespace {
struct FileSlot {
    OsFile handle;   // 0 = no open file
    char* target;    // created files: the full name the file will have once complete
    char* temporary; // created files: the name it is written under until then
    int failed;      // created files: a write went wrong, so the target must not be replaced
};
static_assert(sizeof(FileSlot) <= NUMBERED_SPARE_SIZE, "a file slot must fit a numbered table");
enum { FILE_FIRST_CAPACITY = 10, FILE_GROWTH = 10 };

struct FileState {
    NumberedTable slots;
    int32_t current;         // number of the current file, -1 for none
    unsigned char buffer[4]; // the transfer buffer of every single-value read and write
    uint32_t transferred;    // bytes moved by the last read or write call
    uint32_t serial;         // makes each temporary name of this process unique
    int as_given;            // 1: names are the process's, the current directory left alone
};
FileState FILES = {{}, -1, {0, 0, 0, 0}, 0, 0, 0};

// The number's slot; the empty spare for a number without one (negative, never opened, or -1 for
// no current file).
FileSlot* slot_of(int32_t number) {
    return (FileSlot*)numbered_record(&FILES.slots, number);
}

OsFile current_handle(void) {
    return slot_of(FILES.current)->handle;
}

// Closes whatever the number holds. A created file is either committed (moved into place) or
// abandoned (its temporary file removed, the target untouched). Returns 1 on success.
int release(int32_t number, int commit) {
    FileSlot* s = slot_of(number);
    if (!s->handle)
        return 0;
    int ok = 1;
    if (s->temporary)
        ok = file_commit(s->handle, s->temporary, s->target, commit && !s->failed);
    else
        os_calls()->close(s->handle);
    heap_free(s->target);
    heap_free(s->temporary);
    *s = FileSlot{0, 0, 0, 0};
    if (FILES.current == number)
        FILES.current = -1;
    return ok;
}

// Common start of both opens: room in the table, nothing left open under the number, names
// resolved against the program directory.
int prepare_open(int32_t number) {
    // A number that does not fit grows the table to number + 10; a refused growth leaves it as
    // it was.
    if (!numbered_reserve(&FILES.slots, number))
        return 0;
    release(number, 0);
    if (!FILES.as_given)
        os_calls()->set_current_directory(program_directory());
    return 1;
}

// Appends the digits of value in base (10 or 16, lower case) at out; returns the count.
uint32_t put_number(char* out, uint32_t value, uint32_t base) {
    char digits[12];
    uint32_t n = 0;
    do {
        digits[n++] = "0123456789abcdef"[value % base];
        value /= base;
    } while (value);
    for (uint32_t i = 0; i < n; ++i)
        out[i] = digits[n - 1 - i];
    return n;
}

} // namespace

// full + ".~PID-N.tmp", PID in hex and N counting the files this process created, so no two
// writers, in this process or another, share a temporary name.
char* file_temporary_name(const char* full) {
    char suffix[40];
    uint32_t m = 0;
    suffix[m++] = '.';
    suffix[m++] = '~';
    m += put_number(suffix + m, os_process_id(), 16);
    suffix[m++] = '-';
    m += put_number(suffix + m, ++FILES.serial, 10);
    for (const char* t = ".tmp"; *t; ++t)
        suffix[m++] = *t;
    int32_t n = str_length(full);
    char* name = (char*)heap_allocate((size_t)n + (size_t)m + 1);
    if (name) {
        for (int32_t i = 0; i < n; ++i)
            name[i] = full[i];
        for (uint32_t i = 0; i < m; ++i)
            name[n + i] = suffix[i];
    }
    return name;
}

namespace {

uint32_t read_raw(void* into, uint32_t count) {
    OsFile h = current_handle();
    FILES.transferred = 0;
    if (!h)
        return 0;
    if (!os_calls()->read(h, into, count, &FILES.transferred))
        FILES.transferred = 0;
    return FILES.transferred;
}

int write_raw(const void* from, uint32_t count) {
    FileSlot* s = slot_of(FILES.current);
    FILES.transferred = 0;
    if (!s->handle)
        return 0;
    int ok =
        os_calls()->write(s->handle, from, count, &FILES.transferred) && FILES.transferred == count;
    if (!ok)
        s->failed = 1;
    return ok;
}
} // namespace

char* file_full_name(const char* name) {
    uint32_t need = os_full_name(name, 0, 0);
    if (need == 0)
        return 0;
    char* full = (char*)heap_allocate((size_t)need + 1);
    if (!full)
        return 0;
    uint32_t got = os_full_name(name, full, need + 1);
    if (got == 0 || got > need) {
        heap_free(full);
        return 0;
    }
    return full;
}

int file_commit(OsFile handle, const char* temporary, const char* target, int written) {
    // The data must be on disk before the name points at it, and Wine's MoveFileExA is a
    // rename() that fails while any handle is open on the file: flush, close, move.
    OsCalls* calls = os_calls();
    int ok = written && calls->flush(handle);
    calls->close(handle);
    if (ok)
        ok = calls->replace(temporary, target);
    if (!ok) {
        uint32_t error = os_last_error();
        calls->remove(temporary);
        os_set_last_error(error);
    }
    return ok;
}

int file_system_init(void) {
    FILES = FileState{};
    FILES.current = -1;
    return numbered_init(&FILES.slots, sizeof(FileSlot), FILE_FIRST_CAPACITY, FILE_GROWTH);
}

void file_names_as_given(void) {
    FILES.as_given = 1;
}

namespace {
// The target is probed before anything is written, so a file that could never be put in place
// is refused here rather than after the work.
OsFile create_beside(const char* full, const char* temporary) {
    return full && temporary && os_calls()->replaceable(full) ? os_calls()->create_new(temporary)
                                                              : 0;
}
} // namespace

OsFile file_create(int32_t number, const char* name) {
    if (!prepare_open(number))
        return 0;
    FILES.current = number;
    char* full = file_full_name(name ? name : "");
    char* temporary = full ? file_temporary_name(full) : 0;
    OsFile h = create_beside(full, temporary);
    if (!h) {
        uint32_t error = os_last_error();
        heap_free(full);
        heap_free(temporary);
        os_set_last_error(error);
        return 0;
    }
    FileSlot* s = slot_of(number);
    s->handle = h;
    s->target = full;
    s->temporary = temporary;
    s->failed = 0;
    return h;
}

OsFile file_open_read(int32_t number, const char* name) {
    if (!prepare_open(number))
        return 0;
    FILES.current = number;
    OsFile h = os_calls()->open_read(name ? name : "");
    if (!h)
        return 0;
    slot_of(number)->handle = h;
    return h;
}

int file_close(int32_t number) {
    return release(number, 1);
}

uint32_t file_seek(int32_t position) {
    OsFile h = current_handle();
    if (!h)
        return 0xFFFFFFFFu;
    return os_calls()->seek(h, position);
}

uint32_t file_size(void) {
    OsFile h = current_handle();
    if (!h)
        return 0xFFFFFFFFu;
    uint64_t size = os_calls()->size(h);
    return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)size;
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
    return write_raw(string, (uint32_t)str_length(string));
}

uint32_t file_read_block(void* buffer, uint32_t count) {
    return read_raw(buffer, count);
}

int file_write_block(const void* buffer, uint32_t count) {
    return write_raw(buffer, count);
}

int file_facts(const char* full, OsFileFacts* facts) {
    return os_calls()->facts(full, facts);
}

int file_make_directory(const char* full) {
    return os_calls()->make_directory(full);
}

int file_remove(const char* full) {
    return os_calls()->remove(full);
}

namespace {
// The whole file full, when its size is from least to most bytes: into into (room for most
// bytes) when it is given, else into a new runtime heap block put in *block.
int read_whole(const char* full, uint32_t least, uint32_t most, unsigned char* into,
               unsigned char** block, uint32_t* size) {
    *size = 0;
    OsCalls* calls = os_calls();
    OsFile f = full ? calls->open_read(full) : 0;
    if (!f)
        return FILE_NOT_OPENED;
    uint64_t n = calls->size(f);
    unsigned char* bytes = into;
    uint32_t done = 0;
    int outcome = FILE_DONE;
    if (n >= 0xFFFFFFFFu) // the system cannot tell, or past what any caller takes
        outcome = FILE_NOT_READ;
    else if (n < least || n > most)
        outcome = FILE_WRONG_SIZE;
    else if (!bytes && !(bytes = (unsigned char*)heap_allocate(n ? (size_t)n : 1)))
        outcome = FILE_NOT_READ;
    else if (n > 0 && (!calls->read(f, bytes, (uint32_t)n, &done) || done != n))
        outcome = FILE_NOT_READ;
    calls->close(f);
    if (outcome == FILE_DONE)
        *size = (uint32_t)n;
    if (!into) {
        if (outcome == FILE_DONE)
            *block = bytes;
        else
            heap_free(bytes);
    }
    return outcome;
}
} // namespace

int file_read_whole(const char* full, void* into, uint32_t room, uint32_t* size) {
    return read_whole(full, 0, room, (unsigned char*)into, 0, size);
}

int file_read_whole_block(const char* full, uint32_t least, uint32_t most, unsigned char** block,
                          uint32_t* size) {
    return read_whole(full, least, most, 0, block, size);
}

int file_write_whole(const char* full, const char* temporary, const void* bytes, uint32_t count) {
    OsFile f = create_beside(full, temporary);
    if (!f)
        return FILE_NOT_CREATED;
    uint32_t done = 0;
    int written = os_calls()->write(f, bytes, count, &done) && done == count;
    return file_commit(f, temporary, full, written) ? FILE_DONE : FILE_NOT_WRITTEN;
}

OsFile file_lock_open(const char* full) {
    return os_calls()->lock_open(full);
}

int file_lock_take(OsFile file) {
    return os_calls()->lock_take(file);
}

uint64_t file_held_size(OsFile file) {
    return os_calls()->size(file);
}

int file_held_read(OsFile file, void* into, uint32_t count) {
    uint32_t done = 0;
    return os_calls()->seek(file, 0) == 0 &&
           (count == 0 || (os_calls()->read(file, into, count, &done) && done == count));
}

int file_held_put(OsFile file, const void* bytes, uint32_t count, int durable) {
    OsCalls* calls = os_calls();
    uint32_t done = 0;
    return calls->truncate(file, 0) && calls->seek(file, 0) == 0 &&
           (count == 0 || (calls->write(file, bytes, count, &done) && done == count)) &&
           (!durable || calls->flush(file));
}

void file_held_close(OsFile file) {
    os_calls()->close(file);
}
