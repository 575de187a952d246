// Helpers shared by the test executables: scratch directories beside the test program, whole-file
// reads and writes through the plain C runtime (independent of the code under test), and child
// processes.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// A fresh, empty directory under the program directory; its name ends with a backslash.
std::string test_scratch_dir(const char* name);
// The whole file, or an empty vector with *found = false when it cannot be read.
std::vector<unsigned char> test_read_file(const std::string& path, bool* found = nullptr);
bool test_file_exists(const std::string& path);
// Plain files (not folders) in dir, which ends with a backslash.
int test_count_files(const std::string& dir);
void test_write_file(const std::string& path, const std::vector<unsigned char>& bytes);
void test_write_text(const std::string& path, const std::string& text);
// Runs command_line (the program's path quoted by the caller), waits at most timeout_ms.
// Returns the exit code, -1 when it did not start, -2 on timeout (the child is then killed).
int test_run(const std::string& command_line, std::string* output = nullptr,
             unsigned timeout_ms = 60000);
// The directory of the test program itself, with its final backslash.
std::string test_program_dir();

// A heap reallocation for the heap call table that refuses every request and records the smallest
// byte count asked for since test_refused_least was set to TEST_NONE_ASKED: a table growth can then
// be seen to ask for what it needs rather than a count wrapped into a small block.
const unsigned long long TEST_NONE_ASKED = ~0ull;
extern unsigned long long test_refused_least;
LPVOID WINAPI test_refusing_realloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
