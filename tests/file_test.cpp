// Numbered files: open/transfer/close cycles, the transfer-buffer rule, line reading, block
// transfers, and creation that never destroys the earlier file when a write fails.
#include <doctest.h>
#include "file.h"
#include "heap.h"
#include "os.h"
#include "program.h"
#include "str.h"
#include "test_os_calls.h"
#include "test_support.h"
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {
typedef std::vector<unsigned char> Bytes;

// Scratch names relative to the program directory, the way the programs pass them.
struct Scratch {
    std::string relative, absolute;
    explicit Scratch(const char* name) {
        absolute = test_scratch_dir(name);
        relative = absolute.substr(std::string(program_directory()).size());
    }
    std::string rel(const char* file) const { return relative + file; }
    std::string abs(const char* file) const { return absolute + file; }
};

std::string read_line(void) {
    char* start = str_position();
    std::string line = file_read_string();
    str_set_position(start);
    return line;
}

const OsCalls SYSTEM = *os_calls(); // the real calls, for the stand-ins below to pass on to

int fail_after = -1; // writes still allowed before the write call starts failing, as on a full disk
int failing_write(OsFile f, const void* data, uint32_t count, uint32_t* done) {
    if (fail_after == 0) {
        *done = 0;
        return 0;
    }
    if (fail_after > 0)
        --fail_after;
    return SYSTEM.write(f, data, count, done);
}
int failing_flush(OsFile) {
    return 0;
}
int failing_replace(const char*, const char*) {
    return 0;
}
} // namespace

TEST_CASE("file: create, write, close, open, read back; names resolve against the program dir") {
    Scratch dir("cycle");
    // A current directory elsewhere must not matter: every open goes back to the program's.
    test_leave_for_root();
    REQUIRE(file_create(0, dir.rel("a.bin").c_str()) != 0);
    CHECK(file_write_string("AB"));
    CHECK(file_write_byte(300));   // low 8 bits: 0x2C
    CHECK(file_write_word(70000)); // low 16 bits: 0x70 0x11
    CHECK(file_write_word(-1));
    CHECK(file_write_string(""));
    CHECK_FALSE(file_write_string(nullptr));
    CHECK(file_close(0) == 1);
    CHECK(test_read_file(dir.abs("a.bin")) == Bytes{'A', 'B', 0x2C, 0x70, 0x11, 0xFF, 0xFF});
    CHECK(test_count_files(dir.absolute) == 1); // no temporary file left behind

    REQUIRE(file_open_read(0, dir.rel("a.bin").c_str()) != 0);
    CHECK(file_size() == 7);
    CHECK(file_read_byte() == 'A');
    CHECK(file_seek(5) == 5);
    CHECK(file_read_word() == -1);
    CHECK(file_close(0) == 1);

    // Creating again replaces the earlier content completely.
    REQUIRE(file_create(0, dir.rel("a.bin").c_str()) != 0);
    CHECK(file_write_byte(1));
    CHECK(file_close(0) == 1);
    CHECK(test_read_file(dir.abs("a.bin")) == Bytes{1});

    // A command line's names are the user's: resolved as given, against a current directory
    // that no open changes (here the root, where the program's relative name finds nothing).
    file_names_as_given();
    test_leave_for_root();
    CHECK(file_open_read(0, dir.rel("a.bin").c_str()) == 0);
    REQUIRE(file_open_read(0, dir.abs("a.bin").c_str()) != 0);
    CHECK(file_close(0) == 1);
    char here[512], root[512];
    CHECK(os_full_name(".", here, sizeof here) > 0);
    CHECK(os_full_name(test_path("\\").c_str(), root, sizeof root) > 0);
    CHECK(std::string(here) == std::string(root));
    REQUIRE(file_system_init()); // the forms' rule again for the cases after this one
}

TEST_CASE("file: what is no regular file (a device, a FIFO) is neither waited on nor replaced") {
#ifdef _WIN32
    std::string name = "NUL";
#else
    Scratch dir("special");
    std::string fifo = dir.abs("fifo"), name = dir.rel("fifo");
    REQUIRE(mkfifo(fifo.c_str(), 0600) == 0);
    // The open of a FIFO would wait for a writer that never comes.
    CHECK(file_open_read(0, name.c_str()) == 0);
#endif
    CHECK(file_create(0, name.c_str()) == 0);
#ifndef _WIN32
    struct stat st;
    REQUIRE(stat(fifo.c_str(), &st) == 0);
    CHECK(S_ISFIFO(st.st_mode));
    CHECK(test_count_files(dir.absolute) == 1);
#endif
}

TEST_CASE("file: sign extension and the transfer buffer at the end of the file") {
    Scratch dir("buffer");
    test_write_file(dir.abs("v.bin"), Bytes{0xC8, 0x34, 0x12, 0xFF, 0xFF, 0x00, 0x80, 0x05, 0x41});
    REQUIRE(file_open_read(0, dir.rel("v.bin").c_str()) != 0);
    CHECK(file_read_byte() == -56);
    CHECK(file_read_word() == 4660);
    CHECK(file_read_word() == -1);
    CHECK(file_read_word() == -32768);
    CHECK(file_read_byte() == 5);
    CHECK(file_read_byte() == 0x41);
    // At the end nothing is transferred: the buffer still holds 0x41 and the earlier 0x80.
    CHECK(file_read_byte() == 0x41);
    CHECK(file_read_word() == (int16_t)0x8041);
    // A seek past the end succeeds; the read there finds the end.
    CHECK(file_seek(100) == 100);
    CHECK(file_read_byte() == 0x41);
    CHECK(file_close(0) == 1);

    // A write fills the buffer too; a read at the end then returns what was written.
    test_write_file(dir.abs("one.bin"), Bytes{0x05});
    REQUIRE(file_open_read(0, dir.rel("one.bin").c_str()) != 0);
    CHECK(file_read_byte() == 5);
    CHECK(file_read_byte() == 5);
    file_write_word(0x1234); // refused (read-only open) but still loads the buffer
    CHECK(file_read_word() == 0x1234);
    CHECK(file_close(0) == 1);
}

TEST_CASE("file: read_string ends at NUL, LF, CR (dropping one byte) and the end of the file") {
    Scratch dir("lines");
    struct {
        Bytes bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {{'A', 'B', 0x0D, 0x0A, 'C', 'D'}, {"AB", "CD", ""}},
        {{'A', 'B', 0x0D, 'C', 'D'}, {"AB", "D", ""}},
        {{'A', 'B', 0x0A, 'C', 'D'}, {"AB", "CD", ""}},
        {{'A', 'B', 0x00, 'C', 'D'}, {"AB", "CD", ""}},
        {{}, {"", ""}},
        {{0xE9, 0x80, 0x0D}, {"\xE9\x80", ""}},
    };
    for (auto& c : cases) {
        test_write_file(dir.abs("s.txt"), c.bytes);
        REQUIRE(file_open_read(0, dir.rel("s.txt").c_str()) != 0);
        for (auto& expected : c.lines)
            CHECK(read_line() == expected);
        file_close(0);
    }
    // After a CR at the very end the buffer holds the CR itself, and read_byte returns it.
    test_write_file(dir.abs("cr.txt"), Bytes{'x', 0x0D});
    REQUIRE(file_open_read(0, dir.rel("cr.txt").c_str()) != 0);
    CHECK(read_line() == "x");
    CHECK(file_read_byte() == 0x0D);
    file_close(0);
}

TEST_CASE("file: a line longer than the string area is cut inside it, and consumed whole") {
    Scratch dir("longline");
    std::string big(70000, 'q');
    test_write_text(dir.abs("l.txt"), big + "\nnext\n");
    REQUIRE(file_open_read(0, dir.rel("l.txt").c_str()) != 0);
    char* start = str_position();
    uint32_t room = str_free();
    char* line = file_read_string();
    CHECK(str_length(line) == (int32_t)room);
    CHECK(str_free() == 0);
    str_set_position(start);
    CHECK(read_line() == "next");
    file_close(0);
}

TEST_CASE("file: table growth, unknown numbers and the current file after a close") {
    Scratch dir("numbers");
    test_write_file(dir.abs("x.bin"), Bytes{7, 8});
    REQUIRE(file_open_read(10, dir.rel("x.bin").c_str()) != 0); // grows 10 -> 20
    REQUIRE(file_open_read(25, dir.rel("x.bin").c_str()) != 0);
    CHECK(file_read_byte() == 7); // the most recent open is current
    CHECK(file_close(25) == 1);
    // The closed file is no longer current: nothing is read, the buffer keeps 7.
    CHECK(file_read_byte() == 7);
    CHECK(file_seek(0) == 0xFFFFFFFFu);
    CHECK(file_close(25) == 0); // already closed
    CHECK(file_close(10) == 1);
    CHECK(file_close(-1) == 0);
    CHECK(file_close(3) == 0);
    CHECK(file_close(100000) == 0);
    CHECK(file_open_read(-2, dir.rel("x.bin").c_str()) == 0);
    CHECK(file_create(-2, dir.rel("y.bin").c_str()) == 0);
    CHECK_FALSE(test_file_exists(dir.abs("y.bin")));

    // Numbers near those whose table's byte count wraps in 32 bits (16-byte slots there): the
    // growth asks the heap for all it needs or refuses by itself, never for a wrapped, small
    // block; the heap here refuses, so the table must stay as it was.
    TestOsCalls calls;
    calls->heap_realloc = &test_refusing_realloc;
    for (int32_t number : {0x0FFFFFF6, 0x1FFFFFF6, 0x7FFFFFF0}) {
        CAPTURE(number);
        test_refused_least = TEST_NONE_ASKED;
        CHECK(file_open_read(number, dir.rel("x.bin").c_str()) == 0);
        CHECK(file_create(number, dir.rel("y.bin").c_str()) == 0);
        CHECK(test_refused_least > (unsigned long long)number);
        CHECK(file_close(number) == 0);
    }
    calls.restore();
    CHECK_FALSE(test_file_exists(dir.abs("y.bin")));
    REQUIRE(file_open_read(25, dir.rel("x.bin").c_str()) != 0); // the table still works
    CHECK(file_read_byte() == 7);
    CHECK(file_close(25) == 1);
}

TEST_CASE("file: opening for reading needs an existing file, shares reads, reads read-only files") {
    Scratch dir("open");
    CHECK(file_open_read(0, dir.rel("missing.bin").c_str()) == 0);
    CHECK_FALSE(test_file_exists(dir.abs("missing.bin")));
    CHECK(file_open_read(0, "") == 0);
    CHECK(file_open_read(0, nullptr) == 0);

    // A directory is no file to read, although POSIX systems open one for reading.
    CHECK(file_open_read(0, dir.relative.c_str()) == 0);

    test_write_file(dir.abs("ro.bin"), Bytes{0x11});
    test_set_read_only(dir.abs("ro.bin"), true);
    REQUIRE(file_open_read(0, dir.rel("ro.bin").c_str()) != 0);
#ifdef _WIN32
    // Another reader may open it meanwhile.
    HANDLE other = CreateFileA(dir.abs("ro.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, 0,
                               OPEN_EXISTING, 0, 0);
    CHECK(other != INVALID_HANDLE_VALUE);
    CloseHandle(other);
#endif
    CHECK(file_read_byte() == 0x11);
    file_close(0);
    test_set_read_only(dir.abs("ro.bin"), false);

#ifdef _WIN32
    // A file someone holds open for writing cannot be opened: reads are all we share.
    HANDLE writer = CreateFileA(dir.abs("ro.bin").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    REQUIRE(writer != INVALID_HANDLE_VALUE);
    CHECK(file_open_read(0, dir.rel("ro.bin").c_str()) == 0);
    CloseHandle(writer);
#endif
}

TEST_CASE("file: block transfers move a whole buffer in one call") {
    Scratch dir("block");
    Bytes data(153600);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (unsigned char)(i * 7 + 3);
    REQUIRE(file_create(0, dir.rel("b.img").c_str()) != 0);
    CHECK(file_write_block(data.data(), (uint32_t)data.size()));
    CHECK(file_close(0) == 1);
    CHECK(test_read_file(dir.abs("b.img")) == data);

    REQUIRE(file_open_read(0, dir.rel("b.img").c_str()) != 0);
    Bytes back(200000, 0xEE);
    CHECK(file_read_block(back.data(), 100) == 100);
    CHECK(file_read_block(back.data() + 100, 199900) == 153500); // short at the end
    CHECK(Bytes(back.begin(), back.begin() + 153600) == data);
    CHECK(back[153600] == 0xEE);
    CHECK(file_read_block(back.data(), 10) == 0);
    file_close(0);
}

TEST_CASE("file: a failed creation or write leaves the earlier file intact") {
    Scratch dir("failures");
    Bytes earlier{'o', 'l', 'd'};
    std::string target = dir.abs("t.lvl");
    test_write_file(target, earlier);

#ifdef _WIN32
    SUBCASE("target held open by another handle without sharing: creation refused at once") {
        HANDLE holder = CreateFileA(target.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
        REQUIRE(holder != INVALID_HANDLE_VALUE);
        CHECK(file_create(0, dir.rel("t.lvl").c_str()) == 0);
        CHECK(GetLastError() == ERROR_SHARING_VIOLATION);
        CloseHandle(holder);
    }
    SUBCASE("target held sharing reads and writes but not deletion: refused at once too") {
        // The final move replaces the target, which such a holder forbids; better said now than
        // after the work.
        HANDLE holder = CreateFileA(target.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
        REQUIRE(holder != INVALID_HANDLE_VALUE);
        CHECK(file_create(0, dir.rel("t.lvl").c_str()) == 0);
        CloseHandle(holder);
    }
#endif
    SUBCASE("missing directory: refused, nothing created") {
        CHECK(file_create(0, test_path(dir.rel("nowhere\\t.lvl")).c_str()) == 0);
        CHECK_FALSE(test_file_exists(dir.abs("nowhere")));
    }
    SUBCASE("a directory of that name: refused") {
        test_make_dir(dir.abs("sub"));
        CHECK(file_create(0, dir.rel("sub").c_str()) == 0);
    }
#ifndef _WIN32
    // (Windows refuses to write a read-only file to anyone; Wine, run as root, maps the attribute
    // to permissions that root writes through, so there the case cannot be made.)
    SUBCASE("a read-only target: refused at once, before anything is written") {
        test_set_read_only(target, true);
        CHECK(file_create(0, dir.rel("t.lvl").c_str()) == 0);
        CHECK(test_read_file(target) == earlier);
        test_set_read_only(target, false);
    }
#endif
    SUBCASE("a write that fails (disk full) is reported at close") {
        REQUIRE(file_create(0, dir.rel("t.lvl").c_str()) != 0);
        TestOsCalls calls;
        fail_after = 3;
        calls->write = &failing_write;
        CHECK(file_write_string("new data"));
        CHECK(file_write_byte(1));
        CHECK(file_write_word(2));
        CHECK_FALSE(file_write_word(3));
        // Later writes that succeed do not hide the lost one.
        fail_after = -1;
        CHECK(file_write_word(4));
        calls.restore();
        CHECK(file_close(0) == 0);
    }
    SUBCASE("a block write that fails is reported at close") {
        REQUIRE(file_create(0, dir.rel("t.lvl").c_str()) != 0);
        TestOsCalls calls;
        fail_after = 0;
        calls->write = &failing_write;
        Bytes block(1000, 9);
        CHECK_FALSE(file_write_block(block.data(), 1000));
        calls.restore();
        fail_after = -1;
        CHECK(file_close(0) == 0);
    }
    SUBCASE("a flush that fails is reported at close") {
        REQUIRE(file_create(0, dir.rel("t.lvl").c_str()) != 0);
        CHECK(file_write_string("new"));
        TestOsCalls calls;
        calls->flush = &failing_flush;
        CHECK(file_close(0) == 0);
    }
    SUBCASE("the final move that the system refuses is reported at close") {
        REQUIRE(file_create(0, dir.rel("t.lvl").c_str()) != 0);
        CHECK(file_write_string("new"));
        TestOsCalls calls;
        calls->replace = &failing_replace;
        CHECK(file_close(0) == 0);
    }
#ifdef _WIN32
    SUBCASE("the target taken by another program before the close: the move fails") {
        REQUIRE(file_create(0, dir.rel("t.lvl").c_str()) != 0);
        CHECK(file_write_string("new"));
        HANDLE holder = CreateFileA(target.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
        REQUIRE(holder != INVALID_HANDLE_VALUE);
        CHECK(file_close(0) == 0);
        CloseHandle(holder);
    }
#endif
    SUBCASE("reopening the number abandons the unfinished file") {
        REQUIRE(file_create(0, dir.rel("t.lvl").c_str()) != 0);
        CHECK(file_write_string("half"));
        REQUIRE(file_create(0, dir.rel("u.lvl").c_str()) != 0);
        CHECK(file_close(0) == 1);
        CHECK(test_read_file(dir.abs("u.lvl")).empty());
    }
    CHECK(test_read_file(target) == earlier);
    // No temporary file is left behind by any failure.
    CHECK(test_count_files(dir.absolute) == (test_file_exists(dir.abs("u.lvl")) ? 2 : 1));
}
