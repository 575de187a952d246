// Times screen_image_convert against the same conversion done value by value through
// file_read_byte and file_write_word, in one process on one bitmap, and prints the medians and
// their ratio. Not a test: run it by hand (see README, "Speed").
#include "file.h"
#include "program.h"
#include "screen_image.h"
#include "test_bitmaps.h"
#include "test_support.h"
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

using namespace test_bitmaps;

namespace {
// The conversion as it was: one system call per byte read and per word written.
int convert_value_by_value(const char* bitmap_name, const char* image_name) {
    PixelArray* a = program_pixel_array();
    if (!file_open_read(0, bitmap_name))
        return BITMAP_NOT_OPENED;
    for (int i = 0; i < 54; ++i) // the benchmark's bitmap has its rows at 54
        file_read_byte();
    int32_t* e = a->elements;
    for (uint32_t y = 1; y <= 240; ++y)
        for (uint32_t x = 1; x <= 320; ++x) {
            int32_t* at = e + x * a->table[0] + y * a->table[1];
            at[3] = file_read_byte() & 0xFF;
            at[2] = file_read_byte() & 0xFF;
            at[1] = file_read_byte() & 0xFF;
        }
    file_close(0);
    if (!file_create(0, image_name))
        return IMAGE_NOT_CREATED;
    for (uint32_t x = 1; x <= 320; ++x)
        for (uint32_t y = 1; y <= 240; ++y) {
            const int32_t* at = e + x * a->table[0] + y * a->table[1];
            file_write_word(screen_image_pack((uint32_t)at[1], (uint32_t)at[2], (uint32_t)at[3]));
        }
    return file_close(0) ? IMAGE_WRITTEN : IMAGE_NOT_WRITTEN;
}

double now_ms(void) {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Median time of runs conversions; -1 when any of them failed.
double median_ms(int (*convert)(const char*, const char*), int runs, const char* bitmap,
                 const char* image) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double start = now_ms();
        int outcome = convert(bitmap, image);
        double end = now_ms();
        if (outcome != IMAGE_WRITTEN)
            return -1;
        times.push_back(end - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int fast_runs = argc > 1 ? atoi(argv[1]) : 51;
    int slow_runs = argc > 2 ? atoi(argv[2]) : 7;
    if (fast_runs < 1 || slow_runs < 1) {
        fprintf(stderr, "usage: convert_benchmark [fast_runs [slow_runs]]\n");
        return 2;
    }
    if (program_start() != PROGRAM_STARTED) {
        fprintf(stderr, "runtime did not start\n");
        return 1;
    }
    // Names relative to the program directory, as the programs pass them.
    std::string dir = std::string(program_directory()) + "benchmark" + TEST_SEPARATOR;
    test_make_dir(dir);
    std::vector<unsigned char> bitmap = bitmap_file(varied_picture(3));
    test_write_file(dir + "picture.bmp", bitmap);
    if (test_read_file(dir + "picture.bmp") != bitmap) {
        fprintf(stderr, "cannot write the benchmark bitmap in %s\n", dir.c_str());
        return 1;
    }

    const std::string in = test_path("benchmark\\picture.bmp");
    const std::string fast_name = test_path("benchmark\\fast.img");
    const std::string slow_name = test_path("benchmark\\slow.img");
    // One untimed run each: the same bytes from both, and the files warm in the cache.
    if (screen_image_convert(in.c_str(), fast_name.c_str()) != IMAGE_WRITTEN ||
        convert_value_by_value(in.c_str(), slow_name.c_str()) != IMAGE_WRITTEN) {
        fprintf(stderr, "a conversion failed\n");
        return 1;
    }
    if (test_read_file(dir + "fast.img") != test_read_file(dir + "slow.img") ||
        test_read_file(dir + "fast.img") != expected_image(varied_picture(3))) {
        fprintf(stderr, "the two conversions disagree\n");
        return 1;
    }
    double fast = median_ms(screen_image_convert, fast_runs, in.c_str(), fast_name.c_str());
    double slow = median_ms(convert_value_by_value, slow_runs, in.c_str(), slow_name.c_str());
    if (fast < 0 || slow < 0) {
        fprintf(stderr, "a conversion failed\n");
        return 1;
    }
    printf("screen_image_convert: median %.2f ms over %d runs\n", fast, fast_runs);
    printf("value by value:       median %.1f ms over %d runs\n", slow, slow_runs);
    printf("ratio:                %.0fx faster\n", slow / fast);
    program_release();
    return 0;
}
