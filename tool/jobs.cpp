// The conversion threads. They share the job list and two counters, and nothing else; each has
// a decoder result of its own from the C heap, which, unlike the runtime heap, serves any thread.
#include "jobs.h"
#include "os.h"
#include "picture.h"
#include <stdlib.h>
#include <atomic>

namespace {
enum { THREADS_MOST = 64 };

// What the threads of one jobs_run share. Lives on the caller's stack for the run.
struct JobQueue {
    ConvertJob* jobs;
    int32_t count;
    std::atomic<int32_t> next;     // the next job to take
    std::atomic<int32_t> finished; // jobs done
};

// Takes jobs until none are left (or an interrupt came); returns how many this thread did.
// Without a result block (the calling thread's malloc failed) the jobs it takes stay not done.
int32_t work_on(JobQueue* queue, PictureResult* result, void (*progress)(int32_t, int32_t)) {
    int32_t done = 0;
    while (!os_interrupted()) {
        int32_t i = queue->next.fetch_add(1);
        if (i >= queue->count)
            break;
        ConvertJob* job = &queue->jobs[i];
        job->hash = jobs_hash(job->bytes, job->size);
        if (job->check_hash && job->hash == job->known_hash) {
            job->outcome = JOB_UNCHANGED;
        } else if (!result) {
            job->outcome = JOB_NOT_DONE;
        } else {
            job->outcome = picture_image(job->bytes, job->size, result, job->image);
            job->width = result->width;
            job->height = result->height;
            job->translucent = result->translucent;
        }
        ++done;
        int32_t finished = queue->finished.fetch_add(1) + 1;
        if (progress)
            progress(finished, queue->count);
    }
    return done;
}

void worker(void* argument) {
    JobQueue* queue = (JobQueue*)argument;
    // Without memory of its own a thread leaves the jobs to the others.
    PictureResult* result = (PictureResult*)malloc(sizeof(PictureResult));
    if (result)
        work_on(queue, result, 0);
    free(result);
}
} // namespace

uint64_t jobs_hash(const unsigned char* bytes, uint32_t size) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (uint32_t i = 0; i < size; ++i) {
        h ^= bytes[i];
        h *= 0x100000001B3ull;
    }
    return h;
}

int32_t jobs_run(ConvertJob* jobs, int32_t count, int32_t threads,
                 void (*progress)(int32_t finished, int32_t count)) {
    for (int32_t i = 0; i < count; ++i)
        jobs[i].outcome = JOB_NOT_DONE;
    JobQueue queue;
    queue.jobs = jobs;
    queue.count = count;
    queue.next.store(0);
    queue.finished.store(0);

    if (threads > count)
        threads = count;
    if (threads > THREADS_MOST)
        threads = THREADS_MOST;
    OsThread started[THREADS_MOST];
    int32_t running = 0;
    for (int32_t i = 1; i < threads; ++i) {
        OsThread t = os_calls()->thread_start(&worker, &queue);
        if (!t)
            break;
        started[running++] = t;
    }
    PictureResult* result = (PictureResult*)malloc(sizeof(PictureResult));
    work_on(&queue, result, progress);
    free(result);
    // Waiting makes every job's results visible here.
    for (int32_t i = 0; i < running; ++i)
        os_calls()->thread_wait(started[i]);
    return queue.finished.load();
}
