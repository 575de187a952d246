// wumpo-tool build --watch as a designer meets it: a real watch of real folders, in a child
// process, fed the saves paint programs make (in place, written elsewhere and renamed over, written
// slowly, cut short), pack edits that break and mend it, a folder taken away, and Ctrl+C. Each
// save must give its files, once it is whole, in exactly one build.
#include <doctest.h>
#include "os.h"
#include "test_bitmaps.h"
#include "test_support.h"
#include <stdio.h>
#include <string>
#include <vector>

using namespace test_bitmaps;

namespace {
std::string watch_tool() {
    return test_tool_dir() + "wumpo-tool" + TEST_EXE;
}

// Asks until yes() holds, for at most ms milliseconds.
template <typename Yes> bool within(unsigned ms, Yes yes) {
    for (unsigned waited = 0;; waited += 10) {
        if (yes())
            return true;
        if (waited >= ms)
            return false;
        os_sleep(10);
    }
}

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The lines of standard output after the watch said it was watching, without line ends.
std::vector<std::string> builds_after_start(const std::string& out) {
    std::vector<std::string> lines;
    size_t at = out.find("Watching ");
    if (at == std::string::npos)
        return lines;
    at = out.find('\n', at);
    while (at != std::string::npos && at + 1 < out.size()) {
        size_t end = out.find('\n', at + 1);
        std::string line = out.substr(at + 1, end == std::string::npos ? end : end - at - 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        at = end;
    }
    return lines;
}

const char* const PACK =
    "{\"output\": \"out\", \"levels\": [\n"
    "  {\"name\": \"ONE\", \"picture\": \"art/one.bmp\", \"start_y\": 40, \"exit_y\": 60,\n"
    "   \"backdrop_name\": \"ONE.IMG\",\n"
    "   \"level_time\": 60},\n"
    "  {\"name\": \"TWO\", \"picture\": \"art/two.bmp\", \"start_y\": 40, \"exit_y\": 60,\n"
    "   \"backdrop_name\": \"ONE.IMG\",\n"
    "   \"level_time\": 90}]}\n";
} // namespace

TEST_CASE("tool build --watch: each kind of save built once, when whole; a broken picture or "
          "pack told once and mended; Ctrl+C") {
    std::string dir = test_scratch_dir("tool_watch");
    test_make_dir(dir + "art");
    std::string one = dir + test_path("art\\one.bmp"), image = dir + test_path("out\\ONE.IMG");
    test_write_file(one, bitmap_file(varied_picture(1)));
    test_write_file(dir + test_path("art\\two.bmp"), bitmap_file(varied_picture(2)));
    test_write_text(dir + "wumpo-pack.json", PACK);

    TestChild watch;
    REQUIRE(test_start_program(watch_tool(), dir, {"build", "--watch"}, &watch));
    auto out = [&] { return test_child_text(watch, false); };
    auto err = [&] { return test_child_text(watch, true); };
    bool started = within(30000, [&] { return out().find("Watching ") != std::string::npos; });
    CHECK(started);
    CHECK(out().rfind("Wrote 4 of 4 files: ", 0) == 0);
    CHECK(out().find("\nWatching 3 files in 2 folders; Ctrl+C ends the watch") !=
          std::string::npos);
    size_t builds = 0;
    // Waits for the next build's line, then for a second build that must not come; 1 when it is
    // the line wanted. The outputs are read only after the line: a file held open here (as a
    // viewer may hold one) is one that Windows cannot replace.
    auto built_once = [&](const char* wanted) {
        CHECK(within(10000, [&] { return builds_after_start(out()).size() > builds; }));
        os_sleep(300);
        std::vector<std::string> lines = builds_after_start(out());
        CHECK(lines.size() == builds + 1);
        builds = lines.size();
        return !lines.empty() && lines.back() == test_path(wanted);
    };
    // A save of one.bmp: one build, which writes ONE.IMG alone, and nothing on the error stream.
    auto saved = [&](unsigned seed, const char* how) {
        CAPTURE(how);
        CHECK(built_once("Wrote 1 of 4 files: out\\ONE.IMG"));
        CHECK(test_read_file(image) == expected_image(varied_picture(seed)));
        CHECK(err() == "");
    };
    if (started) {
        test_write_file(one, bitmap_file(varied_picture(3)));
        saved(3, "written in place");

        std::string elsewhere = dir + test_path("art\\one.bmp.new");
        test_write_file(elsewhere, bitmap_file(varied_picture(4)));
        REQUIRE(test_rename_file(elsewhere, one));
        saved(4, "written beside it and renamed over it");

        // Half a picture, and a pause longer than any wait of the watch for a save's events.
        Bytes file = bitmap_file(varied_picture(5));
        FILE* slow = fopen(one.c_str(), "wb");
        REQUIRE(slow);
        CHECK(fwrite(file.data(), 1, file.size() / 2, slow) == file.size() / 2);
        fflush(slow);
        os_sleep(600);
        CHECK(builds_after_start(out()).size() == builds);
        CHECK(err() == "");
        CHECK(fwrite(file.data() + file.size() / 2, 1, file.size() - file.size() / 2, slow) ==
              file.size() - file.size() / 2);
        fclose(slow);
        saved(5, "written slowly");

        // Cut short for good: told once; the last good image stays.
        test_write_file(one, Bytes(file.begin(), file.begin() + 100));
        CHECK(
            within(10000, [&] { return err().find("Nothing was written") != std::string::npos; }));
        os_sleep(500);
        CHECK(occurrences(err(), "picture: Error:") == 1);
        CHECK(occurrences(err(), "Nothing was written: 1 error") == 1);
        CHECK(test_read_file(image) == expected_image(varied_picture(5)));
        test_write_file(one, bitmap_file(varied_picture(6)));
        CHECK(built_once("Wrote 1 of 4 files: out\\ONE.IMG"));
        CHECK(test_read_file(image) == expected_image(varied_picture(6)));

        // The pack broken, then mended with a level time changed: only ONE.LVL is written.
        std::string pack = PACK;
        pack.replace(pack.find("time\": 60") + 7, 2, "\"a minute\"");
        test_write_text(dir + "wumpo-pack.json", pack);
        CHECK(within(10000, [&] { return occurrences(err(), "Nothing was written") == 2; }));
        Bytes level = test_read_file(dir + test_path("out\\ONE.LVL"));
        pack = PACK;
        pack.replace(pack.find("time\": 60") + 7, 2, "61");
        test_write_text(dir + "wumpo-pack.json", pack);
        CHECK(built_once("Wrote 1 of 4 files: out\\ONE.LVL"));
        CHECK(test_read_file(dir + test_path("out\\ONE.LVL")) != level);
        CHECK(builds == 5);
    }

#ifdef _WIN32
    // No Ctrl+C can reach the child under Wine (test_support.h): it is ended outright, idle.
    CHECK(test_wait_child(&watch, 100) == -2);
#else
    CHECK(test_interrupt(watch));
    CHECK(test_wait_child(&watch, 20000) == 0);
#endif
    // The outputs, the state and the lock: no temporary file is left.
    CHECK(test_count_files(dir + test_path("out\\")) == 6);
}

TEST_CASE("tool build --watch: a watched folder taken away ends the watch with status 1") {
    std::string dir = test_scratch_dir("tool_watch_gone");
    test_make_dir(dir + "art");
    std::string one = dir + test_path("art\\one.bmp"), two = dir + test_path("art\\two.bmp");
    test_write_file(one, bitmap_file(varied_picture(1)));
    test_write_file(two, bitmap_file(varied_picture(2)));
    test_write_text(dir + "wumpo-pack.json", PACK);
    TestChild watch;
    REQUIRE(test_start_program(watch_tool(), dir, {"build", "--watch"}, &watch));
    CHECK(within(30000, [&] {
        return test_child_text(watch, false).find("Watching ") != std::string::npos;
    }));
#ifdef _WIN32
    // Windows keeps a folder removed while a watch holds it, and Wine then shows it as ever: the
    // folder is moved away, as a folder renamed in Explorer is.
    CHECK(test_rename_file(dir + "art", dir + "old art"));
#else
    CHECK(test_remove_file(one));
    CHECK(test_remove_file(two));
    CHECK(test_remove_dir(dir + "art"));
#endif
    CHECK(test_wait_child(&watch, 20000) == 1);
    CHECK(test_child_text(watch, true)
              .find(test_path("art: Error: The folder is gone; the watch ends")) !=
          std::string::npos);
}
