// Start-up: the command line after the program's name, the program directory, the array layout
// and start-up allocation failures. The start routine itself is seen from outside, by running a
// small program built on it.
#include <doctest.h>
#include "array.h"
#include "heap.h"
#include "program.h"
#include "str.h"
#include "os.h"
#include "test_os_calls.h"
#include "test_support.h"
#include <string>
#ifdef _WIN32
#include <windows.h>
#endif

namespace {
const OsCalls SYSTEM = *os_calls(); // the real calls, for the stand-ins below to pass on to

int alloc_calls = 0;  // heap allocations since the counter was reset
int refuse_call = -1; // the call (counting from 1) that is refused
void* counting_alloc(void* heap, size_t bytes) {
    if (++alloc_calls == refuse_call)
        return 0;
    return SYSTEM.heap_alloc(heap, bytes);
}
void* refusing_create(void) {
    return 0;
}

std::string field(const std::string& output, const char* name) {
    std::string key = std::string(name) + "=";
    size_t at = output.find(key);
    if (at == std::string::npos)
        return "<missing>";
    size_t end = output.find('\n', at);
    std::string value = output.substr(at + key.size(), end - at - key.size());
    // The probe prints through the C runtime, whose text mode ends lines with CR LF on Windows.
    if (!value.empty() && value.back() == '\r')
        value.pop_back();
    return value;
}

#ifdef _WIN32
std::wstring wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}
#endif
} // namespace

TEST_CASE("start routine: the rest of the command line after the program name") {
    CHECK(std::string(program_command_tail("\"C:\\My Tools\\maker.exe\"  -x y")) == "-x y");
    CHECK(std::string(program_command_tail("\"C:\\My Tools\\maker.exe\"")) == "");
    CHECK(std::string(program_command_tail("maker.exe   a b")) == "a b");
    CHECK(std::string(program_command_tail("maker.exe")) == "");
    CHECK(std::string(program_command_tail("\"unclosed quote a")) == "\"unclosed quote a");
    CHECK(std::string(program_command_tail("")) == "");
    CHECK(std::string(program_command_tail(nullptr)) == "");
}

TEST_CASE("start routine: the program directory keeps its final separator") {
    char path[64];
    std::string maker = test_path("C:\\Tools\\Maker.exe");
    maker.copy(path, maker.size());
    path[maker.size()] = 0;
    program_directory_cut(path);
    CHECK(std::string(path) == test_path("C:\\Tools\\"));
    char bare[16] = "Maker.exe";
    program_directory_cut(bare);
    CHECK(std::string(bare) == "");
    CHECK(std::string(program_directory()) == test_program_dir());
}

TEST_CASE("start routine seen from outside: quoted path with spaces, arguments, exit code 0") {
    std::string dir = test_scratch_dir("start dir with spaces");
    std::string probe = dir + "core probe" + TEST_EXE;
    REQUIRE(test_copy_file(test_program_dir() + "core_probe" + TEST_EXE, probe));
    std::string out;
#ifdef _WIN32
    // Windows hands over the command line as typed: the rest is passed on, spaces and all.
    CHECK(test_run("\"" + probe + "\"  two  words", &out) == 0);
    CHECK(field(out, "tail") == "[two  words]");
#else
    // POSIX systems hand over the arguments split: the rest is made of them again.
    std::string err;
    CHECK(test_run_program(probe, dir, {"two", "words"}, &out, &err) == 0);
    CHECK(field(out, "tail") == "[two words]");
#endif
    CHECK(field(out, "started") == "1");
    CHECK(field(out, "instance") == "module");
    CHECK(field(out, "show") == "normal");
    CHECK(field(out, "directory") == "[" + dir + "]");
}

#ifdef _WIN32
TEST_CASE("start routine seen from outside: a program path longer than 499 characters") {
    std::string dir = test_scratch_dir("deep");
    // Build a directory chain whose path passes 499 characters, each step short of MAX_PATH.
    std::string segment(60, 'd');
    while (dir.size() < 520) {
        dir += segment + "\\";
        // The scratch cleaner cannot reach this deep, so a chain from an earlier run may remain.
        bool made = CreateDirectoryW(wide("\\\\?\\" + dir).c_str(), 0) ||
                    GetLastError() == ERROR_ALREADY_EXISTS;
        REQUIRE(made);
    }
    std::string probe = dir + "core_probe.exe";
    // The ANSI calls stop at MAX_PATH; the wide ones with the \\?\ prefix do not.
    REQUIRE(CopyFileW(wide(test_program_dir() + "core_probe.exe").c_str(),
                      wide("\\\\?\\" + probe).c_str(), FALSE));
    std::string out;
    int code = test_run("\"" + probe + "\"", &out);
    if (code == -1) {
        // Some systems cannot start a program from a path this long at all.
        MESSAGE("could not start a program from a " << probe.size() << "-character path");
        return;
    }
    CHECK(code == 0);
    std::string recorded = field(out, "directory");
    CHECK(recorded.size() > 500);
    CHECK(recorded == "[" + dir + "]");
}
#endif

TEST_CASE("arrays: the PixelArray layout and strides") {
    PixelArray* pixels = program_pixel_array();
    REQUIRE(pixels->elements != nullptr);
    CHECK(pixels->table[0] == 964);
    CHECK(pixels->table[1] == 4);
    CHECK(pixels->table[2] == 4);
    uint32_t* block = (uint32_t*)pixels->elements - 2;
    CHECK(block[0] == 309444u);
    CHECK(block[1] == 5u);
    // Element (x, y, c) lies at 964 x + 4 y + c; the last used one is (320, 240, 3).
    CHECK(964 * 320 + 4 * 240 + 3 == 309443);

    uint32_t table[2] = {3, 5};
    uint32_t* word = array_allocate(4, 2, table);
    REQUIRE(word != nullptr);
    CHECK(table[0] == 5);
    CHECK(table[1] == 5);
    CHECK(word[-1] == 15u);
    int32_t* elements = (int32_t*)(word + 1);
    for (int i = 0; i < 16; ++i) // 15 elements and the spare one, all zero
        CHECK(elements[i] == 0);
    array_free(elements);
    array_free(nullptr);

    uint32_t one[1] = {4};
    CHECK(array_allocate(4, 1, one) == nullptr);
    // A count past 32 bits is refused, not wrapped into a small block that indexing would overrun.
    uint32_t huge[3] = {0x10000, 0x10000, 1};
    CHECK(array_allocate(4, 3, huge) == nullptr);
    uint32_t wide[2] = {0x10000, 0x8000};
    CHECK(array_allocate(0x10000, 2, wide) == nullptr);
}

TEST_CASE("start-up: every allocation failure is reported, not left as a null address") {
    TestOsCalls calls;
    // Count the allocations of a good start, then refuse each of them in turn.
    program_release();
    alloc_calls = 0;
    refuse_call = -1;
    calls->heap_alloc = &counting_alloc;
    REQUIRE(program_start() == PROGRAM_STARTED);
    int allocations = alloc_calls;
    CHECK(allocations >= 3); // file table, string area, PixelArray at least
    bool area_refused = false;
    for (int i = 1; i <= allocations; ++i) {
        CAPTURE(i);
        program_release();
        alloc_calls = 0;
        refuse_call = i;
        CHECK(program_start() == PROGRAM_NO_MEMORY);
        if (str_free() == 0) {
            // With the string area refused, no producer may write through a missing area.
            area_refused = true;
            str_concat("nothing to hold this");
            CHECK(str_free() == 0);
            CHECK(*str_position() == 0);
        }
    }
    CHECK(area_refused);

    program_release();
    calls->heap_create = &refusing_create;
    CHECK(program_start() == PROGRAM_NO_MEMORY);

    // A console start makes everything but the forms' array, one allocation fewer.
    calls.restore();
    program_release();
    alloc_calls = 0;
    refuse_call = -1;
    calls->heap_alloc = &counting_alloc;
    REQUIRE(program_start_console() == PROGRAM_STARTED);
    CHECK(alloc_calls == allocations - 1);
    CHECK(program_pixel_array()->elements == nullptr);
    CHECK(str_free() > 0);

    calls.restore();
    program_release();
    REQUIRE(program_start() == PROGRAM_STARTED);
    CHECK(program_pixel_array()->elements != nullptr);
}

#ifdef _WIN32
namespace {
// The application manifest of an .exe, read as data without starting it; empty when it has none.
std::string manifest_of(HMODULE module) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = found ? LoadResource(module, found) : 0;
    const char* text = loaded ? (const char*)LockResource(loaded) : 0;
    return text ? std::string(text, SizeofResource(module, found)) : std::string();
}

// The file version of the version resource, as "a.b.c.d".
std::string version_of(const std::string& exe) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    std::string block(size, '\0');
    VS_FIXEDFILEINFO* fixed = 0;
    UINT length = 0;
    if (!size || !GetFileVersionInfoA(exe.c_str(), 0, size, &block[0]) ||
        !VerQueryValueA(&block[0], "\\", (void**)&fixed, &length) || !fixed)
        return "<none>";
    char text[64];
    wsprintfA(text, "%u.%u.%u.%u", (unsigned)HIWORD(fixed->dwFileVersionMS),
              (unsigned)LOWORD(fixed->dwFileVersionMS), (unsigned)HIWORD(fixed->dwFileVersionLS),
              (unsigned)LOWORD(fixed->dwFileVersionLS));
    return text;
}

// Checks the three programs of one build folder: each carries a manifest whose identity has the
// version resource's version and the build's architecture, declares Windows 7 to 11 and long
// paths; the two window programs also ask for Common Controls 6 and per-monitor DPI awareness
// (with the older forms as fallbacks), and the console tool for neither.
void check_manifests(const std::string& dir, const char* architecture) {
    const char* const programs[] = {"level-creator", "backdrop-convertor", "wumpo-tool"};
    for (const char* program : programs) {
        std::string exe = dir + program + ".exe";
        CAPTURE(exe);
        // As data, so that a 32-bit program can be read from a 64-bit one too.
        HMODULE module = LoadLibraryExA(exe.c_str(), 0,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        REQUIRE(module != 0);
        std::string manifest = manifest_of(module);
        FreeLibrary(module);
        REQUIRE(!manifest.empty());
        bool window = std::string(program) != "wumpo-tool";
        std::string identity = "name=\"Wumpo.LevelTools." + std::string(program) + "\" version=\"" +
                               version_of(exe) + "\"";
        CHECK(manifest.find(identity) != std::string::npos);
        CHECK(manifest.find(std::string("processorArchitecture=\"") + architecture + "\"") !=
              std::string::npos);
        for (const char* os :
             {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
              "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
            CHECK(manifest.find(os) != std::string::npos);
        CHECK(manifest.find("\">true</longPathAware>") != std::string::npos);
        CHECK(manifest.find("\">UTF-8</activeCodePage>") != std::string::npos);
        CHECK((manifest.find("\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") !=
               std::string::npos) == window);
        CHECK((manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>") != std::string::npos) ==
              window);
        CHECK((manifest.find(">true/pm</dpiAware>") != std::string::npos) == window);
    }
}
} // namespace

TEST_CASE("programs: a manifest in every .exe, with the version resource's version") {
    check_manifests(test_tool_dir(), sizeof(void*) == 8 ? "amd64" : "x86");
    // The other architecture's build, when it has been made beside this one.
    std::string other = WUMPO_OTHER_BIN_DIR;
    if (GetFileAttributesA((other + "wumpo-tool.exe").c_str()) == INVALID_FILE_ATTRIBUTES)
        MESSAGE("no build of the other architecture in " << other);
    else
        check_manifests(other, sizeof(void*) == 8 ? "x86" : "amd64");
}
#endif
