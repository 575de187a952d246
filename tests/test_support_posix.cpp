// The test helpers on POSIX systems.
#include "test_support.h"
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

const char TEST_SEPARATOR = '/';
const char* const TEST_EXE = "";

std::string test_program_dir() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string p(path, n > 0 ? (size_t)n : 0);
    return p.substr(0, p.find_last_of('/') + 1);
}

std::string test_tool_dir() {
    // The tool built with the sanitizers, beside the tests (tests/bin/wumpo-tool).
    return test_program_dir() + "bin/";
}

std::string test_tool_images() {
    return test_tool_dir() + "../share/wumpo-tools/images/";
}

void test_empty_dir(const std::string& dir) {
    DIR* d = opendir(dir.c_str());
    if (!d)
        return;
    for (struct dirent* e = readdir(d); e; e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            chmod(path.c_str(), 0755);
            test_empty_dir(path + "/");
            rmdir(path.c_str());
        } else {
            unlink(path.c_str());
        }
    }
    closedir(d);
}

bool test_make_dir(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0;
}

bool test_remove_file(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

bool test_set_file_time(const std::string& path, long long seconds) {
    struct timespec times[2] = {{(time_t)seconds, 0}, {(time_t)seconds, 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool test_remove_dir(const std::string& path) {
    return rmdir(path.c_str()) == 0;
}

bool test_rename_file(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0;
}

bool test_copy_file(const std::string& from, const std::string& to) {
    std::vector<unsigned char> bytes = test_read_file(from);
    struct stat st;
    if (stat(from.c_str(), &st) != 0)
        return false;
    test_write_file(to, bytes);
    return chmod(to.c_str(), st.st_mode & 07777) == 0 && test_read_file(to) == bytes;
}

void test_leave_for_root() {
    if (chdir("/") != 0)
        perror("chdir /");
}

bool test_file_exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

int test_count_files(const std::string& dir) {
    int n = 0;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return 0;
    for (struct dirent* e = readdir(d); e; e = readdir(d)) {
        struct stat st;
        if (stat((dir + e->d_name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
            ++n;
    }
    closedir(d);
    return n;
}

namespace {
std::string text_of(const std::string& path) {
    std::vector<unsigned char> b = test_read_file(path);
    return std::string(b.begin(), b.end());
}

const long* fault_case = nullptr;

void report_fault(int) {
    char message[80];
    int n = snprintf(message, sizeof message, "read outside the input in case %ld\n",
                     fault_case ? *fault_case : -1L);
    if (n > 0 && write(2, message, (size_t)n) < 0)
        _exit(4);
    _exit(3);
}
} // namespace

bool test_start_program(const std::string& exe, const std::string& dir,
                        const std::vector<std::string>& args, TestChild* child,
                        const std::string& input) {
    std::string io = test_child_files();
    *child = TestChild{exe, io + "out", io + "err", 0};
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        fprintf(stderr, "test_start_program: fork for %s failed: %s\n", exe.c_str(),
                strerror(errno));
        return false;
    }
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        int o = open(child->out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        int e = open(child->err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        int i = input.empty() ? 0 : open(input.c_str(), O_RDONLY);
        if (o < 0 || e < 0 || i < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 ||
            (i > 0 && dup2(i, 0) < 0) || chdir(dir.c_str()) != 0)
            _exit(126);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    child->id = pid;
    return true;
}

std::string test_child_text(const TestChild& child, bool error) {
    return text_of(error ? child.err : child.out);
}

bool test_interrupt(const TestChild& child) {
    return child.id > 0 && kill((pid_t)child.id, SIGINT) == 0;
}

int test_wait_child(TestChild* child, unsigned timeout_ms) {
    pid_t pid = (pid_t)child->id;
    child->id = 0;
    int status = 0;
    unsigned waited = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR) {
            fprintf(stderr, "test_wait_child: waitpid failed: %s\n", strerror(errno));
            return -1;
        }
        if (waited >= timeout_ms) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -2;
        }
        struct timespec pause = {0, 5 * 1000 * 1000};
        nanosleep(&pause, nullptr);
        waited += 5;
    }
    if (WIFEXITED(status) && (WEXITSTATUS(status) == 126 || WEXITSTATUS(status) == 127)) {
        fprintf(stderr, "test_wait_child: %s did not start (%s)\n", child->exe.c_str(),
                WEXITSTATUS(status) == 126 ? "its output files, input or directory" : "exec");
        return -1;
    }
    // A child ended by a signal (a sanitizer's abort among them) is never taken for a status.
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string test_code_page_text(const std::vector<unsigned>& units) {
    // The C library's own converter, independent of the tool's: UTF-8, the text of this system's
    // command lines.
    std::string utf16;
    for (unsigned u : units) {
        utf16 += (char)(u & 0xFF);
        utf16 += (char)(u >> 8);
    }
    iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
    if (cd == (iconv_t)-1)
        return "<no iconv>";
    char bytes[256] = {};
    char* in = &utf16[0];
    char* outp = bytes;
    size_t in_left = utf16.size(), out_left = sizeof bytes;
    size_t r = iconv(cd, &in, &in_left, &outp, &out_left);
    iconv_close(cd);
    if (r == (size_t)-1)
        return "<not in the code page>";
    return std::string(bytes, (size_t)(outp - bytes));
}

bool test_guard_make(TestGuard* guard) {
    guard->page = (size_t)sysconf(_SC_PAGESIZE);
    void* base =
        mmap(nullptr, 3 * guard->page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return false;
    guard->base = (unsigned char*)base;
    return mprotect(guard->base, guard->page, PROT_NONE) == 0 &&
           mprotect(guard->base + 2 * guard->page, guard->page, PROT_NONE) == 0;
}

void test_guard_free(TestGuard* guard) {
    if (guard->base)
        munmap(guard->base, 3 * guard->page);
}

bool test_readable(const void* address) {
    // The system reads the byte for write(2) and says EFAULT rather than faulting.
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    bool readable = write(fds[1], address, 1) == 1;
    close(fds[0]);
    close(fds[1]);
    return readable;
}

void test_faults_report(const long* current_case) {
    fault_case = current_case;
    struct sigaction action = {};
    action.sa_handler = report_fault;
    sigaction(SIGSEGV, &action, nullptr);
    sigaction(SIGBUS, &action, nullptr);
}

void test_faults_off() {
    signal(SIGSEGV, SIG_DFL);
    signal(SIGBUS, SIG_DFL);
    fault_case = nullptr;
}

void test_set_read_only(const std::string& path, bool read_only) {
    chmod(path.c_str(), read_only ? 0444 : 0644);
}

// The runtime must cope with a heap that refuses (the tests ask for more than any machine has);
// AddressSanitizer's allocator would end the run instead of refusing unless told to refuse.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1";
}
