// The test helpers that are the same on every system.
#include "test_support.h"
#include <stdio.h>

unsigned long long test_refused_least = TEST_NONE_ASKED;

void* test_refusing_realloc(void*, void*, size_t bytes) {
    if (bytes < test_refused_least)
        test_refused_least = bytes;
    return nullptr;
}

std::string test_path(const std::string& windows_name) {
    std::string name = windows_name;
    for (char& c : name) {
        if (c == '\\')
            c = TEST_SEPARATOR;
    }
    return name;
}

std::vector<unsigned char> test_read_file(const std::string& path, bool* found) {
    std::vector<unsigned char> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (found)
        *found = f != nullptr;
    if (!f)
        return bytes;
    unsigned char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(f);
    return bytes;
}

void test_write_file(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return;
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

void test_write_text(const std::string& path, const std::string& text) {
    test_write_file(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::string test_child_files() {
    // Emptied once per test program, then names of its own for every child: a file that a
    // finished child, or the system on its behalf, still holds open is never one that the next
    // child is given, and a failed run leaves every child's output to read.
    static std::string io;
    static unsigned children = 0;
    if (io.empty())
        io = test_scratch_dir("run_io");
    return io + "child" + std::to_string(++children) + ".";
}

std::string test_scratch_dir(const char* name) {
    std::string dir = test_program_dir() + "scratch" + TEST_SEPARATOR;
    test_make_dir(dir);
    dir += name;
    dir += TEST_SEPARATOR;
    test_make_dir(dir);
    test_empty_dir(dir);
    return dir;
}

// The same on every system: a child started and waited for.
int test_run_program(const std::string& exe, const std::string& dir,
                     const std::vector<std::string>& args, std::string* out, std::string* err,
                     unsigned timeout_ms, const std::string& input) {
    TestChild child;
    if (!test_start_program(exe, dir, args, &child, input))
        return -1;
    int status = test_wait_child(&child, timeout_ms);
    *out = test_child_text(child, false);
    *err = test_child_text(child, true);
    return status;
}
