// The job threads. They share a job list and two counters, and nothing else; each has a working
// block of its own from the C heap, which, unlike the runtime heap, serves any thread.
#include "jobs.h"
#include "file.h"
#include "picture.h"
#include "store.h"
#include <stdlib.h>
#include <string.h>
#include <atomic>

namespace {

// How one kind of job is run: on job index, with the thread's working block.
struct JobKind {
    void (*run)(void* jobs, int32_t index, void* work);
    void (*not_done)(void* jobs, int32_t index);
};

// What the threads of one run share. Lives on the caller's stack for the run.
struct JobQueue {
    const JobKind* kind;
    void* jobs;
    int32_t count;
    size_t work_bytes;                  // each thread's working block
    std::atomic<int32_t> next;          // the next job to take
    std::atomic<int32_t> finished;      // jobs done
    void (*progress)(int32_t, int32_t); // the calling thread's alone
};

// Takes jobs until none are left, or an interrupt came. Without a working block (the calling
// thread's malloc failed) the jobs it takes stay not done.
void work_on(JobQueue* queue, void* work, int calling) {
    while (!os_interrupted()) {
        int32_t i = queue->next.fetch_add(1);
        if (i >= queue->count)
            break;
        if (work)
            queue->kind->run(queue->jobs, i, work);
        int32_t finished = queue->finished.fetch_add(1) + 1;
        if (calling && queue->progress)
            queue->progress(finished, queue->count);
    }
}

void worker(void* argument) {
    JobQueue* queue = (JobQueue*)argument;
    // Without memory of its own a thread leaves the jobs to the others.
    void* work = malloc(queue->work_bytes);
    if (work)
        work_on(queue, work, 0);
    free(work);
}

void run_all(const JobKind* kind, void* jobs, int32_t count, size_t work_bytes, int32_t threads,
             void (*progress)(int32_t, int32_t)) {
    for (int32_t i = 0; i < count; ++i)
        kind->not_done(jobs, i);
    JobQueue queue;
    queue.kind = kind;
    queue.jobs = jobs;
    queue.count = count;
    queue.work_bytes = work_bytes;
    queue.next.store(0);
    queue.finished.store(0);
    queue.progress = progress;
    if (threads > count)
        threads = count;
    if (threads > JOBS_MOST)
        threads = JOBS_MOST;
    OsThread started[JOBS_MOST];
    int32_t running = 0;
    for (int32_t i = 1; i < threads; ++i) {
        OsThread t = os_thread_start(&worker, &queue);
        if (!t)
            break;
        started[running++] = t;
    }
    void* work = malloc(work_bytes);
    work_on(&queue, work, 1);
    free(work);
    // Waiting makes every job's results visible here.
    for (int32_t i = 0; i < running; ++i)
        os_thread_wait(started[i]);
}

void convert_one(void* jobs, int32_t index, void* work) {
    ConvertJob* job = &((ConvertJob*)jobs)[index];
    PictureResult* result = (PictureResult*)work;
    if (!job->bytes) {
        job->outcome = JOB_NOT_READ;
        return;
    }
    job->hash = jobs_hash(job->bytes, job->size);
    if (job->check_hash && job->hash == job->known_hash) {
        job->outcome = JOB_UNCHANGED;
        return;
    }
    job->outcome = picture_image(job->bytes, job->size, job->dither, result, job->image);
    job->width = result->width;
    job->height = result->height;
    job->translucent = result->translucent;
}
void convert_not_done(void* jobs, int32_t index) {
    ((ConvertJob*)jobs)[index].outcome = JOB_NOT_DONE;
}
const JobKind CONVERT = {&convert_one, &convert_not_done};

// 1 when the file already holds the job's bytes; work has room for them.
int holds(WriteJob* job, unsigned char* work) {
    uint32_t size = 0;
    return file_facts(job->full, &job->facts) && job->facts.kind == OS_FILE &&
           job->facts.size == job->count &&
           file_read_whole(job->full, work, job->count, &size) == FILE_DONE && size == job->count &&
           memcmp(work, job->bytes, job->count) == 0;
}

void write_one(void* jobs, int32_t index, void* work) {
    WriteJob* job = &((WriteJob*)jobs)[index];
    if (job->compare && holds(job, (unsigned char*)work)) {
        job->outcome = WRITE_SAME;
        return;
    }
    int written = file_write_whole(job->full, job->temporary, job->bytes, job->count);
    if (written != FILE_DONE) {
        job->outcome = written == FILE_NOT_CREATED ? WRITE_NOT_CREATED : WRITE_NOT_WRITTEN;
        return;
    }
    if (!file_facts(job->full, &job->facts))
        job->facts.kind = OS_MISSING;
    job->outcome = WRITE_DONE;
}
void write_not_done(void* jobs, int32_t index) {
    ((WriteJob*)jobs)[index].outcome = WRITE_NOT_DONE;
}
const JobKind WRITE = {&write_one, &write_not_done};
} // namespace

int32_t jobs_count(const char* text) {
    int32_t n = 0;
    for (int i = 0; text[i]; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        n = n * 10 + (text[i] - '0');
        if (n > JOBS_MOST)
            return 0; // stops before any number can grow past int32_t
    }
    return n;
}

uint64_t jobs_hash(const unsigned char* bytes, uint32_t size) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (uint32_t i = 0; i < size; ++i) {
        h ^= bytes[i];
        h *= 0x100000001B3ull;
    }
    return h;
}

void jobs_convert(ConvertJob* jobs, int32_t count, int32_t threads,
                  void (*progress)(int32_t finished, int32_t count)) {
    run_all(&CONVERT, jobs, count, sizeof(PictureResult), threads, progress);
}

void jobs_write_here(WriteJob* job) {
    void* work = malloc(job->count ? job->count : 1);
    if (work)
        write_one(job, 0, work);
    else
        job->outcome = WRITE_NOT_WRITTEN;
    free(work);
}

void jobs_write(WriteJob* jobs, int32_t count, uint32_t most, int32_t threads,
                void (*progress)(int32_t finished, int32_t count)) {
    run_all(&WRITE, jobs, count, most ? most : 1, threads, progress);
}

const char* jobs_write_error_text(int32_t outcome) {
    return store_write_error_text(outcome == WRITE_NOT_CREATED ? FILE_NOT_CREATED
                                                               : FILE_NOT_WRITTEN);
}
