// Helpers shared by the test executables: scratch directories beside the test program, whole-file
// reads and writes through the plain C runtime (independent of the code under test), child
// processes, and the few things that differ between systems, so that one test source serves
// both. One implementation per system: test_support_win.cpp, test_support_posix.cpp; what is the
// same everywhere is in test_support.cpp.
#pragma once
#ifdef _WIN32
#include <windows.h>
#endif
#include <stddef.h>
#include <string>
#include <vector>

// The separator of directories in names ('\\' or '/'), and the programs' file name extension
// (".exe" or "").
extern const char TEST_SEPARATOR;
extern const char* const TEST_EXE;
// A name written the Windows way, with backslashes, in this system's form.
std::string test_path(const std::string& windows_name);

// A fresh, empty directory under the program directory; its name ends with the separator.
std::string test_scratch_dir(const char* name);
// The whole file, or an empty vector with *found = false when it cannot be read.
std::vector<unsigned char> test_read_file(const std::string& path, bool* found = nullptr);
bool test_file_exists(const std::string& path);
// Plain files (not folders) in dir, which ends with the separator.
int test_count_files(const std::string& dir);
void test_write_file(const std::string& path, const std::vector<unsigned char>& bytes);
void test_write_text(const std::string& path, const std::string& text);
bool test_make_dir(const std::string& path);
// Removes everything inside dir (which ends with the separator), read-only files included.
void test_empty_dir(const std::string& dir);
bool test_remove_file(const std::string& path);
// Removes an empty directory.
bool test_remove_dir(const std::string& path);
// Gives the file the last-write time, in seconds since 1970; its change time becomes now.
bool test_set_file_time(const std::string& path, long long seconds);
bool test_rename_file(const std::string& from, const std::string& to);
bool test_copy_file(const std::string& from, const std::string& to);
// Gives the file the read-only attribute (Windows) or takes its write permissions (POSIX), or
// gives them back.
void test_set_read_only(const std::string& path, bool read_only);
// Makes the root of the file system ("C:\" or "/") the current directory.
void test_leave_for_root();
// The directory of the test program itself, with its final separator.
std::string test_program_dir();
// The directory holding the wumpo-tool under test, and the folder of its pictures.
std::string test_tool_dir();
std::string test_tool_images();

// Where the next child that test_run_program starts writes: its standard output and error are
// this name followed by "out" and "err", files of its own in scratch/run_io/.
std::string test_child_files();

// Runs exe with args in the directory dir, standard output and error into *out and *err (files
// in between, so no pipe can fill), standard input from the file input when one is named.
// Returns the exit status, -1 when it did not start (the system's reason is written to standard
// error), -2 when it ran longer than timeout_ms (it is then killed).
int test_run_program(const std::string& exe, const std::string& dir,
                     const std::vector<std::string>& args, std::string* out, std::string* err,
                     unsigned timeout_ms = 60000, const std::string& input = std::string());
// A child left running while the test works: its standard output and error go to files of their
// own, read as far as written with test_child_text.
struct TestChild {
    std::string exe, out, err;
    long long id; // the process (a pid; a HANDLE on Windows); 0 when none
};
// Starts exe as test_run_program does, without waiting. false when it did not start (the
// system's reason is written to standard error).
bool test_start_program(const std::string& exe, const std::string& dir,
                        const std::vector<std::string>& args, TestChild* child,
                        const std::string& input = std::string());
// What the child wrote so far to standard output (or, with error, to standard error).
std::string test_child_text(const TestChild& child, bool error);
#ifndef _WIN32
// Stops the child as Ctrl+C does (SIGINT). false when the system refused. (Under Wine a child
// whose output goes to files has no console that a Ctrl+C or Ctrl+Break could reach.)
bool test_interrupt(const TestChild& child);
#endif
// Waits at most timeout_ms for the child's end and gives its exit status as test_run_program
// does (-2: it ran on, and was killed). The child is then gone.
int test_wait_child(TestChild* child, unsigned timeout_ms);
// UTF-16 units as the bytes of this test program's code page (UTF-8 on POSIX systems), as the
// system's own conversion gives them: the JSON listing's texts as a command line gives them back.
std::string test_code_page_text(const std::vector<unsigned>& units);

// Three pages: no access, usable, no access. An input copied to the end of the middle page
// faults on any read past its end; one copied to its start, on any read before it.
struct TestGuard {
    unsigned char* base; // the first page
    size_t page;
};
bool test_guard_make(TestGuard* guard);
void test_guard_free(TestGuard* guard);
// Whether a byte can be read, asked without touching it.
bool test_readable(const void* address);
// While *current_case is not negative, a read of memory that cannot be read ends the run with a
// message naming the case; test_faults_off stops that.
void test_faults_report(const long* current_case);
void test_faults_off();

#ifdef _WIN32
// Runs command_line (the program's path quoted by the caller), waits at most timeout_ms.
// Returns the exit code, -1 when it did not start (the system's error code is written to
// standard error), -2 on timeout (the child is then killed).
int test_run(const std::string& command_line, std::string* output = nullptr,
             unsigned timeout_ms = 60000);
// Ends a child and waits (a few seconds at most) until it is gone: termination is asynchronous,
// and its files are to be read or its windows looked for only once it is.
void test_terminate(HANDLE process);
#endif

// A heap reallocation for the platform layer's call table that refuses every request and records
// the smallest byte count asked for since test_refused_least was set to TEST_NONE_ASKED: a table
// growth can then be seen to ask for what it needs rather than a count wrapped into a small block.
const unsigned long long TEST_NONE_ASKED = ~0ull;
extern unsigned long long test_refused_least;
void* test_refusing_realloc(void* heap, void* block, size_t bytes);
