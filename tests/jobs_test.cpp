// The build's write jobs on their threads, with the system's write failing as on a full disk:
// the failed file keeps its earlier bytes, no temporary is left behind, the other files land,
// and the failure is told as a write, not as a file that could not be made.
#include <doctest.h>
#include "jobs.h"
#include "test_os_calls.h"
#include "test_support.h"
#include <string>
#include <vector>

namespace {
typedef std::vector<unsigned char> Bytes;
const OsCalls REAL = *os_calls(); // the real calls, for the stand-in to pass on to

// The disk is full for the one file whose bytes start with 0xEE, on whichever thread it runs.
int full_disk_write(OsFile f, const void* data, uint32_t count, uint32_t* done) {
    if (count > 0 && ((const unsigned char*)data)[0] == 0xEE) {
        *done = 0;
        return 0;
    }
    return REAL.write(f, data, count, done);
}
} // namespace

TEST_CASE("jobs: a write that fails on a job thread damages nothing and is told as a write") {
    const std::string dir = test_scratch_dir("jobs_write");
    enum { COUNT = 6, FAILING = 3, BYTES = 153600 };
    std::vector<std::string> full(COUNT), temporary(COUNT);
    std::vector<Bytes> bytes(COUNT), earlier(COUNT);
    std::vector<WriteJob> jobs(COUNT);
    for (int i = 0; i < COUNT; ++i) {
        full[i] = dir + "F" + std::to_string(i) + ".IMG";
        temporary[i] = full[i] + ".~test-" + std::to_string(i) + ".tmp";
        earlier[i] = Bytes(1000, (unsigned char)('a' + i));
        test_write_file(full[i], earlier[i]);
        bytes[i] = Bytes(BYTES, (unsigned char)i);
        if (i == FAILING)
            bytes[i][0] = 0xEE;
        jobs[i] =
            WriteJob{full[i].c_str(), temporary[i].c_str(), bytes[i].data(), BYTES, 1, -1, {}};
    }
    {
        TestOsCalls calls;
        calls->write = &full_disk_write;
        jobs_write(jobs.data(), COUNT, BYTES, 3, nullptr);
    }
    for (int i = 0; i < COUNT; ++i) {
        CAPTURE(i);
        if (i == FAILING) {
            CHECK(jobs[i].outcome == WRITE_NOT_WRITTEN);
            CHECK(test_read_file(full[i]) == earlier[i]);
        } else {
            CHECK(jobs[i].outcome == WRITE_DONE);
            CHECK(test_read_file(full[i]) == bytes[i]);
            CHECK((jobs[i].facts.kind == OS_FILE && jobs[i].facts.size == BYTES));
        }
    }
    CHECK(test_count_files(dir) == COUNT); // no temporary left
    CHECK(std::string(jobs_write_error_text(jobs[FAILING].outcome)) == "Error: Can't write file");

    // Once the disk has room, the same write lands; a file that holds its bytes already is left.
    jobs_write_here(&jobs[FAILING]);
    CHECK(jobs[FAILING].outcome == WRITE_DONE);
    CHECK(test_read_file(full[FAILING]) == bytes[FAILING]);
    jobs_write_here(&jobs[0]);
    CHECK(jobs[0].outcome == WRITE_SAME);

    // A target that is a folder cannot be made at all, and is told so.
    const std::string folder = dir + "SUB.IMG";
    const std::string folder_temporary = folder + ".~test-9.tmp";
    REQUIRE(test_make_dir(folder));
    WriteJob refused = {
        folder.c_str(), folder_temporary.c_str(), bytes[0].data(), BYTES, 0, -1, {}};
    jobs_write_here(&refused);
    CHECK(refused.outcome == WRITE_NOT_CREATED);
    CHECK(std::string(jobs_write_error_text(refused.outcome)) == "Error: Can't create file");
    CHECK_FALSE(test_file_exists(folder_temporary));
}
