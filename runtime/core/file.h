// Numbered files. A program names each file by a non-negative number; every open makes the file
// current, and the transfers and the seek act on the current file without naming it. Names are
// resolved against the program directory. Single values travel through one 4-byte transfer
// buffer: a read that transfers fewer bytes than asked returns what the buffer held before.
//
// Files made with file_create are written to a temporary file beside the target and moved into
// place by file_close only when every write succeeded, so a failed write never destroys the
// earlier file of that name.
#pragma once
#include "os.h"
#include <stdint.h>

// Allocates the table (10 numbers). 1 on success, 0 when the heap refuses.
int file_system_init(void);
// From now on, names are resolved as given: against the process's current directory, which no
// open changes. For a command line, whose user means their own directory; the forms keep the
// program directory.
void file_names_as_given(void);

// Opens name for writing as a new, empty file (replacing any earlier one when closed). The
// result is the system's handle of the file (a Win32 HANDLE on Windows).
// Fails at once (0) when the target cannot be written: missing directory, read-only file, a file
// held by another program without write sharing, a directory. Otherwise the handle.
OsFile file_create(int32_t number, const char* name);
// Opens an existing file for reading, sharing reads. A missing file fails (0) and creates nothing.
OsFile file_open_read(int32_t number, const char* name);
// A name beside full (an absolute name) that no other file of this process's is given, for a
// file written before it is moved into place over full: a runtime heap block, 0 when the heap
// refuses. For the main thread: it counts in the module's state.
char* file_temporary_name(const char* full);
// Finishes handle, a file written under the name temporary beside target: when written is 1 it
// is flushed, closed and moved over target; otherwise, or when a step fails, closed and removed,
// target untouched (the system's error of the failed step kept). 1 when the file is in place.
// Touches no numbered file and no module state, so any thread may finish its own file with it.
int file_commit(OsFile handle, const char* temporary, const char* target, int written);
// Closes the number's file. For a file from file_create: flushes it and moves it into place.
// 1 when closed and (for a created file) every write reached the target; 0 when a created file
// could not be completed (the earlier file is then untouched), or the number names no open file.
// Clears the number's entry and, when it was current, the current file.
int file_close(int32_t number);

// Absolute position from the start of the current file; the new position, 0xFFFFFFFF if refused.
uint32_t file_seek(int32_t position);
// Size in bytes of the current file; 0xFFFFFFFF when there is none or the system refuses.
uint32_t file_size(void);

// One byte, sign-extended (-128..127); past the end, the transfer buffer's earlier first byte.
int32_t file_read_byte(void);
// Two bytes little-endian, sign-extended; untransferred bytes keep what the buffer held.
int32_t file_read_word(void);
// One line into the temporary string area, ended by 0x00, LF, CR (which drops one more byte) or
// the end of the file; the ending byte is consumed, not stored. Cut where the area ends.
char* file_read_string(void);

// Low 8 bits of value. Non-zero on success.
int file_write_byte(int32_t value);
// Low 16 bits of value, low byte first. Non-zero on success.
int file_write_word(int32_t value);
// The string's characters, no terminator. Non-zero on success; 0 for a null string.
int file_write_string(const char* string);

// The full name of name against the process's current directory, in a block from the runtime
// heap that the caller frees with heap_free; 0 when the system cannot make one or the heap refuses.
char* file_full_name(const char* name);

// Block transfers: one system call for a whole buffer, on the current file.
// Bytes read (fewer at the end of the file, 0 on failure).
uint32_t file_read_block(void* buffer, uint32_t count);
// Non-zero when all count bytes were written.
int file_write_block(const void* buffer, uint32_t count);

// Whole files by full name, for a command line as much as for the forms. They touch no numbered
// file and no module state, so any thread may use them; the system's calls still go through the
// table, where a test makes one fail.
enum FileOutcome {
    FILE_DONE = 0,
    FILE_NOT_OPENED,  // missing, unreadable, or not a regular file
    FILE_WRONG_SIZE,  // its size is outside what the caller takes
    FILE_NOT_READ,    // the read stopped short
    FILE_NOT_CREATED, // the file cannot be made (a folder, read-only, no room for the name)
    FILE_NOT_WRITTEN  // a write failed; any earlier file of the name is untouched
};
// What the system says of full (os_calls()->facts). 1 when it could tell.
int file_facts(const char* full, OsFileFacts* facts);
// Makes the directory full (its parent must exist); 1 when made or already a directory.
int file_make_directory(const char* full);
// Removes the file full. 1 on success.
int file_remove(const char* full);
// Reads the whole file full into into (room bytes) when it holds at most room bytes; *size gets
// its size. Returns FILE_DONE, FILE_NOT_OPENED, FILE_WRONG_SIZE or FILE_NOT_READ.
int file_read_whole(const char* full, void* into, uint32_t room, uint32_t* size);
// The same into a new block of the runtime heap (*block), when the size is from least to most
// bytes; for the main thread, as the runtime heap is. A refused block is FILE_NOT_READ.
int file_read_whole_block(const char* full, uint32_t least, uint32_t most, unsigned char** block,
                          uint32_t* size);
// Writes count bytes as the file full, as file_create and file_close do: the target probed
// first, the bytes written under temporary (a name beside it that no one else uses), flushed,
// and moved into place only when all of them were written. Returns FILE_DONE, FILE_NOT_CREATED
// or FILE_NOT_WRITTEN (the system's error of the failed step kept).
int file_write_whole(const char* full, const char* temporary, const void* bytes, uint32_t count);

// A file held open, for a lock that lasts as long as the process holds it (os_calls()->lock_open
// and lock_take, which say what they do).
OsFile file_lock_open(const char* full);
int file_lock_take(OsFile file);
// The held file's size; 0xFFFFFFFF when the system cannot tell.
uint64_t file_held_size(OsFile file);
// Reads count bytes from its start into into. 1 when all were read.
int file_held_read(OsFile file, void* into, uint32_t count);
// Makes bytes (count of them) its whole content; with durable, on the disk before it returns 1.
int file_held_put(OsFile file, const void* bytes, uint32_t count, int durable);
void file_held_close(OsFile file);
