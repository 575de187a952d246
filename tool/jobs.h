// Picture conversions run on several threads at once. A job is pure work on memory that the
// caller hands over: the picture file's bytes in, its screen image out, through picture_image,
// which keeps no state. The threads touch nothing else (no runtime heap, no string area, no file,
// no output), so the single-threaded runtime stays on the calling thread, which takes its own
// share of the jobs and reports progress between them.
#pragma once
#include <stdint.h>

// A job's outcome beyond the picture's own (PictureOutcome).
enum { JOB_UNCHANGED = 100, JOB_NOT_DONE = 101 };

struct ConvertJob {
    // In: the whole picture file, and, when check_hash is 1, the hash it had when its image was
    // last made: a picture whose bytes still have that hash is not converted (JOB_UNCHANGED).
    const unsigned char* bytes;
    uint32_t size;
    int check_hash;
    uint64_t known_hash;
    // Out: SCREEN_IMAGE_SIZE bytes that the caller provides, and what the picture was.
    unsigned char* image;
    uint64_t hash;
    int32_t outcome; // PictureOutcome, JOB_UNCHANGED, or JOB_NOT_DONE after an interrupt
    int32_t width, height;
    int translucent;
};

// The hash kept to tell whether a picture's bytes changed (64-bit FNV-1a).
uint64_t jobs_hash(const unsigned char* bytes, uint32_t size);
// Runs the count jobs on at most threads threads, the calling one among them (fewer when the
// system refuses more; 1 runs them all here). progress, when not 0, is called on the calling
// thread after each job it finished, with how many are finished in all. Stops taking jobs once
// os_interrupted says so. Returns how many jobs were finished; the others are JOB_NOT_DONE.
int32_t jobs_run(ConvertJob* jobs, int32_t count, int32_t threads,
                 void (*progress)(int32_t finished, int32_t count));
