#include "test_support.h"
#include <windows.h>
#include <stdio.h>

unsigned long long test_refused_least = TEST_NONE_ASKED;

LPVOID WINAPI test_refusing_realloc(HANDLE, DWORD, LPVOID, SIZE_T bytes) {
    if (bytes < test_refused_least)
        test_refused_least = bytes;
    return nullptr;
}

std::string test_program_dir() {
    char path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(0, path, sizeof path);
    std::string p(path, n);
    return p.substr(0, p.find_last_of('\\') + 1);
}

static void remove_tree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(path + "\\");
                RemoveDirectoryA(path.c_str());
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
}

std::string test_scratch_dir(const char* name) {
    std::string dir = test_program_dir() + "scratch\\";
    CreateDirectoryA(dir.c_str(), 0);
    dir += name;
    dir += "\\";
    CreateDirectoryA(dir.c_str(), 0);
    remove_tree(dir);
    return dir;
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

bool test_file_exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int test_count_files(const std::string& dir) {
    int n = 0;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++n;
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return n;
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

int test_run(const std::string& command_line, std::string* output, unsigned timeout_ms) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, 0, TRUE};
    HANDLE read_end = 0, write_end = 0;
    if (output && !CreatePipe(&read_end, &write_end, &inherit, 0))
        return -1;
    if (read_end)
        SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (output) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = write_end;
        si.hStdError = write_end;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back(0);
    BOOL started = CreateProcessA(0, line.data(), 0, 0, output != nullptr, 0, 0, 0, &si, &pi);
    if (write_end)
        CloseHandle(write_end);
    if (!started) {
        if (read_end)
            CloseHandle(read_end);
        return -1;
    }
    if (output) {
        output->clear();
        char chunk[4096];
        DWORD n;
        while (ReadFile(read_end, chunk, sizeof chunk, &n, 0) && n > 0)
            output->append(chunk, n);
        CloseHandle(read_end);
    }
    int code;
    if (WaitForSingleObject(pi.hProcess, timeout_ms) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        code = -2;
    } else {
        DWORD exit_code = 0;
        GetExitCodeProcess(pi.hProcess, &exit_code);
        code = (int)exit_code;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}
