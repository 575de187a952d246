// The test helpers on Windows.
#include "test_support.h"
#include <windows.h>
#include <stdio.h>

const char TEST_SEPARATOR = '\\';
const char* const TEST_EXE = ".exe";

std::string test_program_dir() {
    char path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(0, path, sizeof path);
    std::string p(path, n);
    return p.substr(0, p.find_last_of('\\') + 1);
}

std::string test_tool_dir() {
    return test_program_dir() + "..\\bin\\";
}

std::string test_tool_images() {
    return test_tool_dir() + "images\\";
}

void test_empty_dir(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                test_empty_dir(path + "\\");
                RemoveDirectoryA(path.c_str());
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
}

bool test_make_dir(const std::string& path) {
    return CreateDirectoryA(path.c_str(), 0) != 0;
}

bool test_remove_file(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

bool test_set_file_time(const std::string& path, long long seconds) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    // 100-ns steps since 1601.
    unsigned long long steps = (unsigned long long)(seconds + 11644473600LL) * 10000000ULL;
    FILETIME t = {(DWORD)steps, (DWORD)(steps >> 32)};
    bool set = SetFileTime(h, 0, &t, &t) != 0;
    CloseHandle(h);
    return set;
}

bool test_remove_dir(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != 0;
}

bool test_rename_file(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool test_copy_file(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

void test_leave_for_root() {
    SetCurrentDirectoryA("C:\\");
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

namespace {
// Why a child could not be started, with the system's error code, where the test's output shows
// it: a child that does not start is a fault of the harness or the system, never of the program.
void not_started(const char* call, const std::string& what, DWORD error) {
    fprintf(stderr, "%s failed for %s: error %lu\n", call, what.c_str(), (unsigned long)error);
    fflush(stderr);
}
} // namespace

void test_terminate(HANDLE process) {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 10000);
}

int test_run(const std::string& command_line, std::string* output, unsigned timeout_ms) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, 0, TRUE};
    HANDLE read_end = 0, write_end = 0;
    if (output && !CreatePipe(&read_end, &write_end, &inherit, 0)) {
        not_started("CreatePipe", command_line, GetLastError());
        return -1;
    }
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
    DWORD why = started ? 0 : GetLastError();
    if (write_end)
        CloseHandle(write_end);
    if (!started) {
        not_started("CreateProcessA", command_line, why);
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
        test_terminate(pi.hProcess);
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

namespace {
// One argument as the C runtime's command-line parser takes it back.
std::string quote_arg(const std::string& a) {
    if (!a.empty() && a.find_first_of(" \t\"") == std::string::npos)
        return a;
    std::string r = "\"";
    size_t backslashes = 0;
    for (char c : a) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        r.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        r += c;
    }
    r.append(backslashes * 2, '\\');
    return r + "\"";
}

// A handle the child inherits: a new file to write, or an existing one to read. *why keeps the
// system's error code of the first of them that could not be opened.
HANDLE inheritable_file(const std::string& path, bool write, DWORD* why) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, 0, TRUE};
    HANDLE h =
        CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, &inherit,
                    write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE && !*why)
        *why = GetLastError();
    return h;
}

std::string text_of(const std::string& path) {
    std::vector<unsigned char> b = test_read_file(path);
    return std::string(b.begin(), b.end());
}

const long* fault_case = nullptr;
PVOID fault_handler = nullptr;

LONG CALLBACK report_fault(EXCEPTION_POINTERS* e) {
    if (e->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && fault_case &&
        *fault_case >= 0) {
        fprintf(stderr, "read outside the input in case %ld\n", *fault_case);
        fflush(stderr);
        ExitProcess(3);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}
} // namespace

bool test_start_program(const std::string& exe, const std::string& dir,
                        const std::vector<std::string>& args, TestChild* child,
                        const std::string& input) {
    std::string io = test_child_files();
    *child = TestChild{exe, io + "out", io + "err", 0};
    DWORD why = 0;
    HANDLE out_file = inheritable_file(child->out, true, &why);
    HANDLE err_file = inheritable_file(child->err, true, &why);
    HANDLE in_file = input.empty() ? INVALID_HANDLE_VALUE : inheritable_file(input, false, &why);
    if (why) {
        not_started("CreateFileA", "the standard handles of " + exe, why);
        for (HANDLE h : {out_file, err_file, in_file}) {
            if (h != INVALID_HANDLE_VALUE)
                CloseHandle(h);
        }
        return false;
    }
    std::string line = quote_arg(exe);
    for (const std::string& a : args)
        line += " " + quote_arg(a);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in_file != INVALID_HANDLE_VALUE ? in_file : GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out_file;
    si.hStdError = err_file;
    PROCESS_INFORMATION pi = {};
    std::vector<char> command(line.begin(), line.end());
    command.push_back(0);
    BOOL started = CreateProcessA(0, command.data(), 0, 0, TRUE, 0, 0, dir.c_str(), &si, &pi);
    why = started ? 0 : GetLastError();
    CloseHandle(out_file);
    CloseHandle(err_file);
    if (in_file != INVALID_HANDLE_VALUE)
        CloseHandle(in_file);
    if (!started) {
        not_started("CreateProcessA", line + " in " + dir, why);
        return false;
    }
    CloseHandle(pi.hThread);
    child->id = (long long)(intptr_t)pi.hProcess;
    return true;
}

std::string test_child_text(const TestChild& child, bool error) {
    return text_of(error ? child.err : child.out);
}

int test_wait_child(TestChild* child, unsigned timeout_ms) {
    HANDLE process = (HANDLE)(intptr_t)child->id;
    child->id = 0;
    int status = -2;
    if (WaitForSingleObject(process, timeout_ms) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        status = (int)code;
    } else {
        test_terminate(process);
    }
    CloseHandle(process);
    return status;
}

std::string test_code_page_text(const std::vector<unsigned>& units) {
    std::wstring wide;
    for (unsigned u : units)
        wide += (wchar_t)u;
    char bytes[256] = {};
    int n =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)wide.size(), bytes, sizeof bytes, 0, 0);
    return std::string(bytes, n > 0 ? n : 0);
}

bool test_guard_make(TestGuard* guard) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    guard->page = si.dwPageSize;
    guard->base =
        (unsigned char*)VirtualAlloc(0, 3 * guard->page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!guard->base)
        return false;
    DWORD old;
    return VirtualProtect(guard->base, guard->page, PAGE_NOACCESS, &old) &&
           VirtualProtect(guard->base + 2 * guard->page, guard->page, PAGE_NOACCESS, &old);
}

void test_guard_free(TestGuard* guard) {
    if (guard->base)
        VirtualFree(guard->base, 0, MEM_RELEASE);
}

bool test_readable(const void* address) {
    return !IsBadReadPtr(address, 1);
}

void test_faults_report(const long* current_case) {
    fault_case = current_case;
    fault_handler = AddVectoredExceptionHandler(1, report_fault);
}

void test_faults_off() {
    if (fault_handler)
        RemoveVectoredExceptionHandler(fault_handler);
    fault_handler = nullptr;
    fault_case = nullptr;
}

void test_set_read_only(const std::string& path, bool read_only) {
    SetFileAttributesA(path.c_str(), read_only ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}
