// Work that runs on several threads at once: picture conversions and file writes. A conversion
// is pure work on memory that the caller hands over (the picture file's bytes in, its screen
// image out, through picture_image, which keeps no state). A write puts bytes the caller hands
// over into a file through the file layer's whole-file write (under a temporary name, flushed,
// then moved into place), which keeps no state, since the numbered files are the single
// thread's. The threads touch nothing else (no runtime
// heap, no string area, no output), so the single-threaded runtime stays on the calling thread,
// which takes its own share of the jobs and reports progress between them.
#pragma once
#include <stdint.h>
#include "os.h"

// A job's outcome beyond the picture's own (PictureOutcome). A job with no bytes (its picture
// could not be read) is left as JOB_NOT_READ.
enum { JOB_UNCHANGED = 100, JOB_NOT_DONE = 101, JOB_NOT_READ = 102 };

struct ConvertJob {
    // In: the whole picture file, its dithering (ScreenImageDither), and, when check_hash is 1,
    // the hash it had when its image was last made: a picture whose bytes still have that hash is
    // not converted (JOB_UNCHANGED).
    const unsigned char* bytes;
    uint32_t size;
    int32_t dither;
    int check_hash;
    uint64_t known_hash;
    // Out: SCREEN_IMAGE_SIZE bytes that the caller provides, and what the picture was.
    unsigned char* image;
    uint64_t hash;
    int32_t outcome; // PictureOutcome, JOB_UNCHANGED, or JOB_NOT_DONE after an interrupt
    int32_t width, height;
    int translucent;
};

enum WriteOutcome {
    WRITE_DONE = 0,    // written and in place
    WRITE_SAME,        // the file already held these bytes and was left alone
    WRITE_NOT_CREATED, // the file cannot be made (a folder, read-only, no room for its name)
    WRITE_NOT_WRITTEN, // a write failed; any earlier file of the name is untouched
    WRITE_NOT_DONE     // not tried, after an interrupt
};

struct WriteJob {
    // In: the file's full name, a temporary name beside it that no one else uses, the bytes,
    // and whether a file that already holds them is left alone.
    const char* full;
    const char* temporary;
    const unsigned char* bytes;
    uint32_t count;
    int compare;
    // Out: a WriteOutcome, and the file as it then is (on WRITE_DONE and WRITE_SAME).
    int32_t outcome;
    OsFileFacts facts;
};

// The most threads a run takes, and the --jobs value in text: 1 to JOBS_MOST, else 0.
enum { JOBS_MOST = 64 };
int32_t jobs_count(const char* text);

// The hash kept to tell whether a picture's bytes changed (64-bit FNV-1a).
uint64_t jobs_hash(const unsigned char* bytes, uint32_t size);
// Runs the count conversions on at most threads threads, the calling one among them (fewer when
// the system refuses more; 1 runs them all here). progress, when not 0, is called on the calling
// thread after each job it finished, with how many are finished in all. Stops taking jobs once
// os_interrupted says so; those left are JOB_NOT_DONE.
void jobs_convert(ConvertJob* jobs, int32_t count, int32_t threads,
                  void (*progress)(int32_t finished, int32_t count));
// Runs one write on the calling thread, whether or not an interrupt came (a build's state, which
// says what its files are, is written after them even then).
void jobs_write_here(WriteJob* job);
// The message for a write that failed with outcome: "Error: Can't create file" or "Error: Can't
// write file", as the programs say them.
const char* jobs_write_error_text(int32_t outcome);
// Runs the count writes the same way; none of them may have more than most bytes.
void jobs_write(WriteJob* jobs, int32_t count, uint32_t most, int32_t threads,
                void (*progress)(int32_t finished, int32_t count));
