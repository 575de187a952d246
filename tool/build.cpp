// wumpo-tool build and wumpo-tool check: a pack file's levels and backdrops, checked, and
// written into its output folder where they changed. Both run the same steps; check stops before
// the first write:
//   1. read the pack and check every entry's values (pack.cpp);
//   2. name each output and find what is on disk: the pictures, the outputs, the build state;
//   3. refuse outputs that would replace the pack file or a picture;
//   4. convert every picture that the state does not vouch for, on all cores (jobs.cpp), so that
//      a picture that cannot be read stops the build before anything is written;
//   5. (build) write each output whose bytes differ from the file on disk, then the state.
// Pictures and the output folder are named relative to the pack file's folder. Owns the outputs
// of one run.
#include "tool.h"
#include "decide.h"
#include "file.h"
#include "findings.h"
#include "heap.h"
#include "jobs.h"
#include "order.h"
#include "json.h"
#include "lock.h"
#include "out.h"
#include "pack.h"
#include "path.h"
#include "picture.h"
#include "artwork.h"
#include "screen_image.h"
#include "state.h"
#include "str.h"
#include "text.h"
#include "watch.h"

#include <string.h>

#ifndef WUMPO_TOOL_VERSION
#define WUMPO_TOOL_VERSION "0"
#endif

namespace {
enum BuildLimits {
    PACK_FILE_MOST = 4 * 1024 * 1024,   // a pack of thousands of levels is far smaller
    STATE_FILE_MOST = 16 * 1024 * 1024, // a few hundred bytes per image
    PICTURE_FILE_MOST = 64 * 1024 * 1024,
    // Pictures are read and converted a few at a time: at most two per thread, and no more
    // bytes than this unless one picture alone is larger.
    BATCH_BYTES_MOST = 96 * 1024 * 1024,
    // A build keeps the images it makes for writing, up to this many bytes (400 images; a
    // pack's first build makes them in one go). The images after those are made again, a batch
    // at a time, when they are written, so that a pack of any size holds no more than this and
    // a batch; check keeps none.
    IMAGE_BYTES_KEPT_MOST = 64 * 1024 * 1024,
    // Images made again are made and written this many at a time at least (5 MB): each batch
    // waits for its slowest conversion and then its slowest write.
    REMADE_BATCH_LEAST = 32
};

enum OutputKind { OUTPUT_LEVEL, OUTPUT_IMAGE };

// What one output needs from planning to writing.
struct Output {
    int32_t entry; // index in the pack
    int32_t kind;  // OutputKind
    char* file;    // "cave.IMG"
    char* shown;   // as the user would name it: the pack's folder, the output folder, the file
    char* full;
    OsFileFacts facts; // the output file as found before the build
    // Images: the picture, as the user and as the system name it, and what is known of it.
    char* picture_shown;
    char* picture_full;
    OsFileFacts picture_facts;
    Decision decision; // what the build does with it (decide.h)
    int32_t job;       // its conversion job, -1 when none
    uint64_t hash;     // the picture's hash (a level file's: its bytes'), when known
    int known;         // hash (and for an image picture_facts) describes the source
    // Writing: a level file's bytes, the temporary name, the write job (-1 for none), and
    // whether the write failed or was not done.
    unsigned char record[LEVEL_RECORD_SIZE];
    char* temporary;
    int32_t write;
    int failed;
    int changed; // its picture's bytes changed between its conversion and its write
};

struct BuildState {
    int building; // build; 0 for check
    int force;
    int wait;   // for a build of the same folder that holds its lock
    int json;   // the findings are printed on standard output (not FINDINGS_TEXT)
    int format; // FindingsFormat
    int32_t threads;
    const char* pack_shown; // the pack file as the user named it
    char* pack_full;
    char* folder;    // the folder part of pack_shown
    char* out_shown; // the output folder as the user would name it
    char* out_full;  // ... and its full name, with no final separator
    OsFileFacts out_facts;
    Output* outputs;
    int32_t count;
    ConvertJob* jobs;
    int32_t job_count;
    int32_t* job_output;  // each job's output
    int32_t converted;    // jobs finished in the batches before the current one
    int32_t kept;         // the jobs, from the first, that have an image of their own
    unsigned char** pool; // the images lent to a batch's jobs that have none of their own
    int32_t pool_count;
    int32_t writes_before, write_count; // for the progress of writes handed over in parts
    int32_t levels, backdrops;
    // --watch: each build says what it wrote in one line, and notes the files it read.
    int watching;
    char written[TEXT_MESSAGE_ROOM]; // the first files written, for that line
};
BuildState BUILD;
// The command line's options, which every build of a watch starts from.
BuildState OPTIONS;

// A watch's line names the files written when there are this few.
enum { WATCH_NAMES_MOST = 4 };

// Room for an entry's label, "backdrops[2147483647]" and more.
enum { LABEL_ROOM = 32 };

void report(int32_t severity, const PackEntry* e, const char* key, const char* message) {
    char entry[LABEL_ROOM];
    if (e)
        pack_entry_label(entry, sizeof entry, e);
    // The findings about an entry are about its name or its picture.
    int name = text_equal(key, "name");
    FindingPlace where = {0, 0};
    if (e)
        where = name ? e->name_at : e->picture_at;
    findings_add_at(severity, e ? entry : 0, e ? e->name : 0, key, where,
                    name ? FINDING_KIND_NAME_CLASH : FINDING_KIND_PICTURE, message);
}

// --- 1. The pack ---------------------------------------------------------------------------

int read_pack(void) {
    unsigned char* bytes = 0;
    uint32_t size = 0;
    int read = BUILD.pack_full
                   ? file_read_whole_block(BUILD.pack_full, 0, PACK_FILE_MOST, &bytes, &size)
                   : (int)FILE_NOT_OPENED;
    if (read != FILE_DONE) {
        findings_add(FINDING_ERROR, 0, 0, 0,
                     read == FILE_WRONG_SIZE ? "Pack file is larger than 4 MB"
                                             : "Can't open pack file");
        return 0;
    }
    int taken = pack_read(bytes, size);
    heap_free(bytes);
    return taken;
}

// --- 2. The outputs, and what is on disk ---------------------------------------------------

int add_output(int32_t entry, int32_t kind) {
    const PackEntry* e = pack_entry(entry);
    Output* o = &BUILD.outputs[BUILD.count];
    *o = Output{};
    o->entry = entry;
    o->kind = kind;
    o->job = -1;
    o->write = -1;
    // Counted at once, so that the run's release frees what a failure below leaves.
    ++BUILD.count;
    // A name that was cut names another file: it is not kept, as when memory is short.
    char name[TEXT_NAME_ROOM];
    o->file = text_copy_format("%s%s", e->name, kind == OUTPUT_LEVEL ? ".LVL" : ".IMG");
    if (!o->file)
        return 0;
    o->shown = text_join(name, sizeof name, BUILD.out_shown, o->file) ? text_copy(name) : 0;
    o->full = text_join(name, sizeof name, BUILD.out_full, o->file) ? text_copy(name) : 0;
    if (!o->shown || !o->full)
        return 0;
    if (!file_facts(o->full, &o->facts))
        o->facts.kind = OS_MISSING;
    if (kind == OUTPUT_IMAGE && e->picture) {
        if (text_in_folder(name, sizeof name, BUILD.folder, e->picture))
            o->picture_shown = text_copy(name);
        o->picture_full = o->picture_shown ? path_full(o->picture_shown) : 0;
        if (!o->picture_full)
            return 0;
    }
    return 1;
}

// The outputs of every entry that has a name: a level's NAME.LVL and NAME.IMG, a backdrop's
// NAME.IMG. 0 when memory is short.
int plan_outputs(void) {
    const char* output = pack_output();
    char name[TEXT_NAME_ROOM];
    if (text_in_folder(name, sizeof name, BUILD.folder, output ? output : "."))
        BUILD.out_shown = text_copy(name);
    BUILD.out_full = BUILD.out_shown ? path_full(BUILD.out_shown) : 0;
    if (!BUILD.out_full)
        return 0;
    int32_t n = (int32_t)strlen(BUILD.out_full);
    // "build/" names the folder as well as "build" does; the joins below add the separator.
    while (n > 1 && (BUILD.out_full[n - 1] == '/' || BUILD.out_full[n - 1] == '\\') &&
           BUILD.out_full[n - 2] != ':' && BUILD.out_full[n - 2] != '/' &&
           BUILD.out_full[n - 2] != '\\')
        BUILD.out_full[--n] = 0;
    if (!file_facts(BUILD.out_full, &BUILD.out_facts))
        BUILD.out_facts.kind = OS_MISSING;
    BUILD.outputs =
        (Output*)heap_reallocate_table(0, (uint64_t)pack_count() * 2 + 1, sizeof(Output));
    if (!BUILD.outputs)
        return 0;
    for (int32_t i = 0; i < pack_count(); ++i) {
        const PackEntry* e = pack_entry(i);
        if (e->kind == PACK_LEVEL)
            ++BUILD.levels;
        else
            ++BUILD.backdrops;
        if (!e->name || !output)
            continue;
        if (e->kind == PACK_LEVEL && !add_output(i, OUTPUT_LEVEL))
            return 0;
        if (!add_output(i, OUTPUT_IMAGE))
            return 0;
    }
    return 1;
}

int entry_name_before(const void*, int32_t a, int32_t b) {
    return text_name_before(pack_entry(a)->name, pack_entry(b)->name);
}

// Two entries of one name (letter case aside, as Windows compares names) would make one file.
void check_names(void) {
    int32_t n = pack_count();
    int32_t* order = order_indices(n, &entry_name_before, 0);
    int32_t* first = (int32_t*)heap_reallocate_table(0, (uint64_t)n + 1, sizeof(int32_t));
    if (n && (!order || !first)) {
        heap_free(order);
        heap_free(first);
        findings_add(FINDING_ERROR, 0, 0, 0, "Not enough memory");
        return;
    }
    // Equal names stand together in the order, each group in the pack's order: every entry
    // after a group's first named one repeats its name.
    int32_t group_first = -1;
    for (int32_t k = 0; k < n; ++k) {
        int32_t i = order[k];
        first[i] = -1;
        if (k > 0 && entry_name_before(0, order[k - 1], i))
            group_first = -1;
        if (!pack_entry(i)->name)
            continue;
        if (group_first < 0)
            group_first = i;
        else
            first[i] = group_first;
    }
    heap_free(order);
    for (int32_t i = 0; i < n; ++i) {
        const PackEntry* e = pack_entry(i);
        if (first[i] >= 0) {
            const PackEntry* earlier = pack_entry(first[i]);
            char label[LABEL_ROOM];
            pack_entry_label(label, sizeof label, earlier);
            char message[TEXT_MESSAGE_ROOM];
            text_format(message, sizeof message, "%s.IMG is also made by %s \"%s\"", e->name, label,
                        earlier->name);
            report(FINDING_ERROR, e, "name", message);
        }
        // The game finds a backdrop by its file name, which a level keeps in 12 characters.
        if (e->kind == PACK_BACKDROP && e->name && strlen(e->name) + 4 > LEVEL_BACKDROP_LENGTH) {
            char message[TEXT_MESSAGE_ROOM];
            text_format(
                message, sizeof message,
                "%s.IMG has more than 12 characters, so no level's backdrop_name can name it",
                e->name);
            report(FINDING_ERROR, e, "name", message);
        }
    }
    heap_free(first);
}

// The outputs' images by name, levels' files after them; -1 stands for the name in data.
int image_name_before(const void* data, int32_t a, int32_t b) {
    int a_image = a < 0 || BUILD.outputs[a].kind == OUTPUT_IMAGE;
    int b_image = b < 0 || BUILD.outputs[b].kind == OUTPUT_IMAGE;
    if (a_image != b_image)
        return a_image;
    return text_name_before(a < 0 ? (const char*)data : BUILD.outputs[a].file,
                            b < 0 ? (const char*)data : BUILD.outputs[b].file);
}

// 1 when name is one of the pack's images (images: the outputs in image_name_before's order; 0
// when there are none), or a file in the output folder.
int backdrop_found(const char* name, const int32_t* images) {
    if (images && order_find(images, BUILD.count, &image_name_before, name, -1) >= 0)
        return 1;
    if (!name[0] || !BUILD.out_full)
        return 0;
    char full[TEXT_NAME_ROOM];
    OsFileFacts facts;
    return text_join(full, sizeof full, BUILD.out_full, name) && file_facts(full, &facts) &&
           facts.kind == OS_FILE;
}

void check_levels(void) {
    int32_t* images = order_indices(BUILD.count, &image_name_before, 0);
    if (BUILD.count && !images) {
        findings_add(FINDING_ERROR, 0, 0, 0, "Not enough memory");
        return;
    }
    for (int32_t i = 0; i < pack_count(); ++i) {
        const PackEntry* e = pack_entry(i);
        if (e->kind != PACK_LEVEL || !e->is_object)
            continue;
        char entry[LABEL_ROOM];
        pack_entry_label(entry, sizeof entry, e);
        pack_check_level(entry, e->name, &e->fields, e->field_at);
        const char* backdrop = e->fields.backdrop_name ? e->fields.backdrop_name : "";
        if (level_backdrop_check(backdrop) && !backdrop_found(backdrop, images)) {
            char message[TEXT_MESSAGE_ROOM];
            text_format(message, sizeof message,
                        "%s is neither a backdrop of the pack nor a file in %s", backdrop,
                        BUILD.out_shown);
            findings_add_at(FINDING_WARNING, entry, e->name, "backdrop_name",
                            e->field_at[LEVEL_FIELD_BACKDROP_NAME], FINDING_KIND_BACKDROP,
                            backdrop[0] ? message : "The level names no backdrop");
        }
    }
    heap_free(images);
}

// --- 3. Nothing may be written over the pack file or a picture -----------------------------

// Reports, under the output folder, that target would replace what.
void report_over(const char* target, const char* what) {
    char message[TEXT_MESSAGE_ROOM];
    text_format(message, sizeof message, "%s would be written over %s", target, what);
    findings_add_at(FINDING_ERROR, 0, 0, "output", pack_output_place(), FINDING_KIND_OUTPUT,
                    message);
}

// Outputs by their picture's identity (those with no picture file last); -1 stands for the
// facts in data.
int picture_before(const void* data, int32_t a, int32_t b) {
    const OsFileFacts* x = a < 0 ? (const OsFileFacts*)data : &BUILD.outputs[a].picture_facts;
    const OsFileFacts* y = b < 0 ? (const OsFileFacts*)data : &BUILD.outputs[b].picture_facts;
    int x_none = x->kind != OS_FILE || (a >= 0 && !BUILD.outputs[a].picture_full);
    int y_none = y->kind != OS_FILE || (b >= 0 && !BUILD.outputs[b].picture_full);
    if (x_none != y_none)
        return y_none;
    if (x->volume != y->volume)
        return x->volume < y->volume;
    return x->index < y->index;
}

// The pictures' facts, and the refusal of any output that is (through links or another spelling
// of its name) the pack file or a picture.
void check_pictures_and_safety(void) {
    OsFileFacts pack;
    if (!file_facts(BUILD.pack_full, &pack))
        pack.kind = OS_MISSING;
    for (int32_t i = 0; i < BUILD.count; ++i) {
        Output* o = &BUILD.outputs[i];
        if (!o->picture_full)
            continue;
        const PackEntry* e = pack_entry(o->entry);
        int told = file_facts(o->picture_full, &o->picture_facts);
        if (told && o->picture_facts.kind == OS_FILE)
            continue;
        char message[TEXT_MESSAGE_ROOM];
        text_format(message, sizeof message,
                    told && o->picture_facts.kind == OS_DIRECTORY
                        ? "\"%s\" is a folder, not a picture"
                        : "Cannot open \"%s\"",
                    o->picture_shown);
        report(FINDING_ERROR, e, "picture", message);
        o->picture_facts.kind = OS_MISSING;
    }
    char message[TEXT_MESSAGE_ROOM];
    if (BUILD.out_facts.kind == OS_FILE) {
        text_format(message, sizeof message, "%s is a file, not a folder", BUILD.out_shown);
        findings_add_at(FINDING_ERROR, 0, 0, "output", pack_output_place(), FINDING_KIND_OUTPUT,
                        message);
        return;
    }
    // The build's own two files, then the outputs.
    static const char* const OWN[] = {LOCK_FILE_NAME, STATE_FILE_NAME};
    char name[TEXT_NAME_ROOM];
    OsFileFacts own[2];
    for (int32_t k = 0; k < 2; ++k) {
        if (!text_join(name, sizeof name, BUILD.out_full, OWN[k]) || !file_facts(name, &own[k]))
            own[k].kind = OS_MISSING;
    }
    // The pictures by identity, so each target is looked up, not compared with every picture.
    int32_t* pictures = order_indices(BUILD.count, &picture_before, 0);
    if (BUILD.count && !pictures) {
        findings_add(FINDING_ERROR, 0, 0, 0, "Not enough memory");
        return;
    }
    for (int32_t i = -2; i < BUILD.count; ++i) {
        const OsFileFacts* target = i < 0 ? &own[i + 2] : &BUILD.outputs[i].facts;
        if (target->kind != OS_FILE)
            continue;
        // Only shown: a name cut here is not used.
        const char* shown = name;
        if (i >= 0)
            shown = BUILD.outputs[i].shown;
        else
            text_join(name, sizeof name, BUILD.out_shown, OWN[i + 2]);
        if (os_same_file(target, &pack)) {
            report_over(shown, "the pack file");
            continue;
        }
        // The first output, in the pack's order, whose picture is the target's file.
        int32_t place =
            pictures ? order_find(pictures, BUILD.count, &picture_before, target, -1) : -1;
        if (place >= 0) {
            const PackEntry* e = pack_entry(BUILD.outputs[pictures[place]].entry);
            char label[LABEL_ROOM];
            pack_entry_label(label, sizeof label, e);
            text_format(message, sizeof message, "the picture of %s \"%s\"", label, e->name);
            report_over(shown, message);
        }
    }
    heap_free(pictures);
}

// --- 4. The conversions --------------------------------------------------------------------

// What the last build recorded of each output, and whether that still holds.
void read_state(void) {
    char full[TEXT_NAME_ROOM];
    unsigned char* bytes = 0;
    uint32_t size = 0;
    if (text_join(full, sizeof full, BUILD.out_full, STATE_FILE_NAME) &&
        file_read_whole_block(full, 0, STATE_FILE_MOST, &bytes, &size) == FILE_DONE)
        state_read(bytes, size, WUMPO_TOOL_VERSION);
    heap_free(bytes);
    for (int32_t i = 0; i < BUILD.count; ++i) {
        Output* o = &BUILD.outputs[i];
        // The records are in the outputs' order, unless the pack changed.
        DecideFacts facts = {
            o->kind == OUTPUT_IMAGE, o->facts,    o->picture_full, o->picture_facts,
            state_find(o->file, i),  BUILD.force, BUILD.building,  pack_entry(o->entry)->dither};
        o->decision = decide_output(&facts);
        if (o->decision.vouched) {
            o->hash = o->decision.record->hash;
            o->known = 1;
        }
    }
}

// "WHAT: 3 of 20" on the progress line.
void show_count(const char* what, int32_t finished, int32_t count) {
    char line[TEXT_MESSAGE_ROOM];
    text_format(line, sizeof line, "%s%d of %d", what, (int)finished, (int)count);
    out_progress(line);
}

void show_progress(int32_t finished, int32_t count) {
    show_count("Converting pictures: ", finished, count);
}

// Reads the pictures to convert and hands them to the jobs. 0 when memory is short.
int prepare_jobs(void) {
    BUILD.jobs =
        (ConvertJob*)heap_reallocate_table(0, (uint64_t)BUILD.count + 1, sizeof(ConvertJob));
    BUILD.job_output =
        (int32_t*)heap_reallocate_table(0, (uint64_t)BUILD.count + 1, sizeof(int32_t));
    if (!BUILD.jobs || !BUILD.job_output)
        return 0;
    int32_t kept_most = BUILD.building ? IMAGE_BYTES_KEPT_MOST / SCREEN_IMAGE_SIZE : 0;
    for (int32_t i = 0; i < BUILD.count; ++i) {
        Output* o = &BUILD.outputs[i];
        if (!o->decision.convert)
            continue;
        ConvertJob* job = &BUILD.jobs[BUILD.job_count];
        *job = ConvertJob{};
        job->outcome = JOB_NOT_DONE; // until its batch runs
        job->dither = pack_entry(o->entry)->dither;
        job->check_hash = o->decision.check_hash;
        job->known_hash = o->decision.record ? o->decision.record->hash : 0;
        if (BUILD.job_count < kept_most) {
            job->image = (unsigned char*)heap_allocate(SCREEN_IMAGE_SIZE);
            if (!job->image)
                return 0;
        }
        BUILD.job_output[BUILD.job_count] = i;
        o->job = BUILD.job_count++;
    }
    BUILD.kept = BUILD.job_count < kept_most ? BUILD.job_count : kept_most;
    if (BUILD.job_count == BUILD.kept)
        return 1;
    int32_t pool_most = 2 * BUILD.threads;
    if (BUILD.building && pool_most < REMADE_BATCH_LEAST)
        pool_most = REMADE_BATCH_LEAST;
    BUILD.pool =
        (unsigned char**)heap_reallocate_table(0, (uint64_t)pool_most, sizeof(unsigned char*));
    if (!BUILD.pool)
        return 0;
    while (BUILD.pool_count < pool_most) {
        unsigned char* image = (unsigned char*)heap_allocate(SCREEN_IMAGE_SIZE);
        if (!image)
            return 0;
        BUILD.pool[BUILD.pool_count++] = image;
    }
    return 1;
}

// Lends the pool's images to the jobs of a batch (first to end) that have none of their own,
// or takes them back (lend 0) once the batch is done.
void lend_images(int32_t first, int32_t end, int lend) {
    for (int32_t i = first < BUILD.kept ? BUILD.kept : first; i < end; ++i)
        BUILD.jobs[i].image = lend ? BUILD.pool[i - first] : 0;
}

// 1 when a batch that holds taken pictures (held bytes) has no room for o's: it has most, or
// o's would pass the batch's bytes (a batch takes one picture, however large).
int batch_full(int32_t taken, int32_t most, uint64_t held, const Output* o) {
    return taken >= most || (taken > 0 && held + o->picture_facts.size > BATCH_BYTES_MOST);
}

// Reads o's picture whole into job, adding its size to *held; the file layer's outcome (job is
// left without bytes unless FILE_DONE).
int read_picture(const Output* o, ConvertJob* job, uint64_t* held) {
    unsigned char* bytes = 0;
    uint32_t size = 0;
    int read = file_read_whole_block(o->picture_full, 0, PICTURE_FILE_MOST, &bytes, &size);
    if (read == FILE_DONE) {
        job->bytes = bytes;
        job->size = size;
        *held += size;
    }
    return read;
}

// Reads the picture of each job from first on, until the batch is full; returns the end of the
// batch. A picture that cannot be read is reported, and its job left without bytes.
int32_t read_batch(int32_t first) {
    uint64_t bytes_held = 0;
    int32_t end = first;
    while (end < BUILD.job_count) {
        Output* o = &BUILD.outputs[BUILD.job_output[end]];
        if (batch_full(end - first, 2 * BUILD.threads, bytes_held, o))
            break;
        int read = read_picture(o, &BUILD.jobs[end++], &bytes_held);
        if (read != FILE_DONE) {
            char message[TEXT_MESSAGE_ROOM];
            text_format(message, sizeof message, "%s\"%s\"",
                        read == FILE_WRONG_SIZE ? "Cannot read picture " : "Cannot open ",
                        o->picture_shown);
            report(FINDING_ERROR, pack_entry(o->entry), "picture", message);
        }
    }
    return end;
}

void show_batch_progress(int32_t finished, int32_t) {
    show_progress(BUILD.converted + finished, BUILD.job_count);
}

// Every job, batch by batch, so that only a batch's pictures are held at once (and, past the
// kept ones, its images). Stops after the batch an interrupt came in.
void convert_all(void) {
    for (int32_t first = 0; first < BUILD.job_count && !os_interrupted();) {
        int32_t end = read_batch(first);
        BUILD.converted = first;
        lend_images(first, end, 1);
        jobs_convert(BUILD.jobs + first, end - first, BUILD.threads,
                     BUILD.json ? 0 : &show_batch_progress);
        lend_images(first, end, 0);
        for (int32_t i = first; i < end; ++i) {
            heap_free((void*)BUILD.jobs[i].bytes);
            BUILD.jobs[i].bytes = 0;
        }
        first = end;
    }
}

// The picture findings of the finished jobs. 0 when the jobs were interrupted.
int collect_jobs(void) {
    int complete = 1;
    for (int32_t i = 0; i < BUILD.count; ++i) {
        Output* o = &BUILD.outputs[i];
        if (o->job < 0)
            continue;
        ConvertJob* job = &BUILD.jobs[o->job];
        heap_free((void*)job->bytes);
        job->bytes = 0;
        const PackEntry* e = pack_entry(o->entry);
        char message[TEXT_MESSAGE_ROOM];
        switch (job->outcome) {
        case JOB_UNCHANGED:
        case PICTURE_DECODED:
            o->hash = job->hash;
            o->known = 1;
            if (job->outcome == PICTURE_DECODED && job->translucent)
                report(FINDING_WARNING, e, "picture", ARTWORK_TRANSLUCENT);
            break;
        case JOB_NOT_DONE:
            complete = 0;
            break;
        case JOB_NOT_READ:
            break; // told when it was read
        default:
            artwork_problem(message, sizeof message, job->outcome, job->width, job->height);
            if (job->outcome != PICTURE_WRONG_SIZE && job->outcome != PICTURE_RLE)
                text_add(message, sizeof message, " \"%s\"", o->picture_shown);
            report(FINDING_ERROR, e, "picture", message);
            break;
        }
    }
    return complete;
}

// --- 5. Writing ----------------------------------------------------------------------------

// A line of what the build did: on standard output, or on standard error when the findings' JSON
// document is standard output's.
void say(const char* line) {
    if (BUILD.json)
        out_error(0, line);
    else
        out_line(line);
}

// Makes the output folder and any missing folder above it. 1 when it is there.
int make_folder(const char* full) {
    // A name cut here is never made, and the build tells it could not make the folder.
    char path[TEXT_NAME_ROOM];
    if (!text_format(path, sizeof path, "%s", full))
        return 0;
    // Each folder on the way that the system says is missing is made; what it cannot tell (a
    // server's name, say) is left alone, and the last look decides.
    for (int32_t i = 1; path[i - 1]; ++i) {
        if (path[i] != '/' && path[i] != '\\' && path[i] != 0)
            continue;
        char kept_char = path[i];
        path[i] = 0;
        OsFileFacts facts;
        if (file_facts(path, &facts) && facts.kind == OS_MISSING)
            file_make_directory(path);
        path[i] = kept_char;
    }
    OsFileFacts facts;
    return file_facts(path, &facts) && facts.kind == OS_DIRECTORY;
}

void show_writing(int32_t finished, int32_t) {
    show_count("Writing files: ", BUILD.writes_before + finished, BUILD.write_count);
}

// 1 when the output is an image made anew whose image was not kept: it is made again when
// written.
int remade(const Output* o) {
    // kept is never below 0, so an output with no job (-1) is never one.
    return o->kind == OUTPUT_IMAGE && o->job >= BUILD.kept &&
           BUILD.jobs[o->job].outcome == PICTURE_DECODED;
}

// Hands every output whose bytes may be new to the write jobs: a level file whose 56 bytes the
// state does not vouch for, an image made anew; first those whose bytes are at hand, then (from
// *later on) the images to make again. Returns how many; -1 when memory is short.
int32_t plan_writes(WriteJob* writes, int32_t* later) {
    int32_t n = 0;
    for (int32_t i = 0; i < BUILD.count; ++i) {
        Output* o = &BUILD.outputs[i];
        if (remade(o))
            continue;
        const unsigned char* bytes = 0;
        uint32_t count = 0;
        if (o->kind == OUTPUT_LEVEL) {
            LevelValues values;
            level_values_of(&pack_entry(o->entry)->fields, &values);
            level_encode(&values, o->record);
            o->hash = jobs_hash(o->record, LEVEL_RECORD_SIZE);
            o->known = 1;
            if (decide_write_level(&o->decision, o->hash)) {
                bytes = o->record;
                count = LEVEL_RECORD_SIZE;
            }
        } else if (o->job >= 0 && BUILD.jobs[o->job].outcome == PICTURE_DECODED) {
            bytes = BUILD.jobs[o->job].image;
            count = SCREEN_IMAGE_SIZE;
        }
        if (!bytes)
            continue;
        o->temporary = file_temporary_name(o->full);
        if (!o->temporary)
            return -1;
        WriteJob job = {o->full, o->temporary, bytes, count, !BUILD.force, 0, {}};
        writes[n] = job;
        o->write = n++;
    }
    *later = n;
    for (int32_t i = 0; i < BUILD.count; ++i) {
        Output* o = &BUILD.outputs[i];
        if (!remade(o))
            continue;
        o->temporary = file_temporary_name(o->full);
        if (!o->temporary)
            return -1;
        // Its bytes are lent when its image is made again.
        WriteJob job = {o->full,      o->temporary,   0, SCREEN_IMAGE_SIZE,
                        !BUILD.force, WRITE_NOT_DONE, {}};
        writes[n] = job;
        o->write = n++;
    }
    return n;
}

// Makes again the images of the outputs whose writes are writes[first] to writes[count - 1] (in
// the outputs' order), a batch at a time, and writes each batch at once, so that no more of them
// are held than a batch's. A picture whose bytes are no longer the ones converted (changed
// while the build ran) is not written: that output fails, and the next build converts it anew.
void write_remade(WriteJob* writes, int32_t first, int32_t count) {
    Output* batch[2 * JOBS_MOST];
    ConvertJob again[2 * JOBS_MOST];
    WriteJob ready[2 * JOBS_MOST];
    int32_t ready_write[2 * JOBS_MOST]; // each ready one's place in writes
    int32_t next = 0;                   // the output whose write is the next one
    for (int32_t w = first; w < count && !os_interrupted();) {
        uint64_t held = 0;
        int32_t n = 0;
        while (w + n < count) {
            while (BUILD.outputs[next].write != w + n)
                ++next;
            Output* o = &BUILD.outputs[next];
            if (batch_full(n, BUILD.pool_count, held, o))
                break;
            again[n] = ConvertJob{};
            again[n].image = BUILD.pool[n];
            again[n].dither = pack_entry(o->entry)->dither;
            read_picture(o, &again[n], &held); // a picture that cannot be read fails its write
            batch[n++] = o;
        }
        jobs_convert(again, n, BUILD.threads, 0);
        int32_t m = 0;
        for (int32_t k = 0; k < n; ++k) {
            heap_free((void*)again[k].bytes);
            if (again[k].outcome == JOB_NOT_DONE)
                continue; // interrupted, or no memory: not tried
            if (again[k].outcome != PICTURE_DECODED || again[k].hash != batch[k]->hash) {
                batch[k]->changed = 1;
                writes[batch[k]->write].outcome = WRITE_NOT_WRITTEN;
                continue;
            }
            ready_write[m] = batch[k]->write;
            ready[m] = writes[batch[k]->write];
            ready[m++].bytes = again[k].image;
        }
        BUILD.writes_before = w;
        jobs_write(ready, m, SCREEN_IMAGE_SIZE, BUILD.threads, &show_writing);
        for (int32_t r = 0; r < m; ++r) {
            writes[ready_write[r]].outcome = ready[r].outcome;
            writes[ready_write[r]].facts = ready[r].facts;
        }
        w += n;
    }
}

struct WriteTally {
    int32_t written, failed;
    int interrupted;
};

// Reports what the write jobs did, in the outputs' order, and marks the outputs that could not
// be written.
WriteTally report_writes(const WriteJob* writes) {
    WriteTally tally = {0, 0, 0};
    for (int32_t i = 0; i < BUILD.count; ++i) {
        Output* o = &BUILD.outputs[i];
        if (o->write < 0)
            continue;
        const WriteJob* job = &writes[o->write];
        char line[TEXT_MESSAGE_ROOM];
        switch (job->outcome) {
        case WRITE_DONE:
            ++tally.written;
            if (!BUILD.watching) {
                text_format(line, sizeof line, "Wrote %s", o->shown);
                say(line);
            } else if (tally.written <= WATCH_NAMES_MOST) {
                text_add(BUILD.written, sizeof BUILD.written, "%s%s",
                         tally.written > 1 ? ", " : ": ", o->shown);
            }
            o->facts = job->facts;
            break;
        case WRITE_SAME:
            o->facts = job->facts;
            break;
        case WRITE_NOT_DONE:
            tally.interrupted = 1;
            o->failed = 1;
            break;
        default:
            ++tally.failed;
            o->failed = 1;
            out_error(o->shown, o->changed ? "Error: Its picture changed while the build ran; the "
                                             "next build converts it"
                                           : jobs_write_error_text(job->outcome));
            break;
        }
    }
    return tally;
}

// The record of every output that now is what the pack makes; returns how many.
int32_t record_outputs(StateFile* records) {
    uint64_t now = os_time_now();
    int32_t recorded = 0;
    for (int32_t i = 0; i < BUILD.count; ++i) {
        const Output* o = &BUILD.outputs[i];
        if (o->failed || !o->known)
            continue;
        StateFile* r = &records[recorded++];
        *r = StateFile{o->file, "", 0, 0, 0, 0, 0, o->hash, o->facts.size, o->facts.time, 0};
        if (o->kind == OUTPUT_LEVEL)
            continue;
        r->dither = pack_entry(o->entry)->dither;
        const OsFileFacts* p = &o->picture_facts;
        r->picture = o->picture_full;
        r->picture_size = p->size;
        r->picture_change = p->change;
        r->picture_volume = p->volume;
        r->picture_index = p->index;
        // A file system keeps times in steps (a few milliseconds, two seconds on FAT), so a
        // picture changed again within the step of the change just seen would keep this time:
        // such a time is not recorded, and next time the picture's bytes are hashed.
        r->picture_time = decide_recorded_time(p, now);
    }
    return recorded;
}

// The state, written after the outputs so it never vouches for a file that is not in place, and
// only when it says something new, so a build with nothing to do writes nothing. full is its
// name, temporary the name it is written under first. 1 when done.
int write_state(const StateFile* records, int32_t recorded, const char* full,
                const char* temporary) {
    uint32_t size = 0;
    const char* text = state_write(records, recorded, WUMPO_TOOL_VERSION, &size);
    if (!text) {
        out_error(0, "Error: Not enough memory");
        return 0;
    }
    WriteJob job = {full, temporary, (const unsigned char*)text, size, 1, 0, {}};
    jobs_write_here(&job);
    int written = job.outcome == WRITE_DONE || job.outcome == WRITE_SAME;
    if (!written) {
        char shown[TEXT_NAME_ROOM];
        text_join(shown, sizeof shown, BUILD.out_shown, STATE_FILE_NAME); // only shown
        out_error(shown, jobs_write_error_text(job.outcome));
    }
    return written;
}

// The last part of a full name: the file's own name.
const char* file_part(const char* full) {
    const char* part = full;
    for (const char* p = full; *p; ++p) {
        if (*p == '/' || *p == '\\')
            part = p + 1;
    }
    return part;
}

// Records every temporary name the writes and the state will use in the folder's journal, so
// that a build stopped outright leaves nothing the next one cannot clean. 1 when recorded.
int record_temporaries(const WriteJob* writes, int32_t count, const char* state_temporary) {
    const char** names =
        (const char**)heap_reallocate_table(0, (uint64_t)count + 1, sizeof(const char*));
    if (!names) {
        out_error(0, "Error: Not enough memory");
        return 0;
    }
    for (int32_t i = 0; i < count; ++i)
        names[i] = file_part(writes[i].temporary);
    names[count] = file_part(state_temporary);
    int recorded = lock_record(names, count + 1);
    heap_free(names);
    return recorded;
}

// Writes every output that changed, all at once on the job threads (a file's flush waits for the
// disk, and several of them wait together), then the state. Returns the exit status.
int write_outputs(void) {
    WriteJob* writes =
        (WriteJob*)heap_reallocate_table(0, (uint64_t)BUILD.count + 1, sizeof(WriteJob));
    StateFile* records =
        (StateFile*)heap_reallocate_table(0, (uint64_t)BUILD.count + 1, sizeof(StateFile));
    int32_t later = 0;
    int32_t count = writes && records ? plan_writes(writes, &later) : -1;
    // A state name that was cut is never written: the build stops as when memory is short.
    char state_full[TEXT_NAME_ROOM];
    int named =
        count >= 0 && text_join(state_full, sizeof state_full, BUILD.out_full, STATE_FILE_NAME);
    char* state_temporary = named ? file_temporary_name(state_full) : 0;
    if (!state_temporary) {
        heap_free(writes);
        heap_free(records);
        out_error(0, "Error: Not enough memory");
        return TOOL_FAILED;
    }
    if (!record_temporaries(writes, count, state_temporary)) {
        heap_free(state_temporary);
        heap_free(writes);
        heap_free(records);
        return TOOL_FAILED;
    }
    BUILD.write_count = count;
    jobs_write(writes, later, SCREEN_IMAGE_SIZE, BUILD.threads, &show_writing);
    write_remade(writes, later, count);
    out_progress_end();
    WriteTally tally = report_writes(writes);
    heap_free(writes);
    if (!write_state(records, record_outputs(records), state_full, state_temporary))
        ++tally.failed;
    heap_free(state_temporary);
    heap_free(records);

    char line[TEXT_MESSAGE_ROOM];
    if (tally.interrupted) {
        text_format(line, sizeof line, "%s%d%s; the next build writes the rest",
                    os_interrupted() ? "Interrupted after writing "
                                     : "Out of memory after writing ",
                    (int)tally.written, tally.written == 1 ? " file" : " files");
        out_error(0, line);
    } else if (tally.written == 0 && tally.failed == 0) {
        text_format(line, sizeof line, "%s: up to date (%d%s", BUILD.out_shown, (int)BUILD.count,
                    BUILD.count == 1 ? " file)" : " files)");
        say(line);
    } else {
        text_format(line, sizeof line, "Wrote %d of %d files", (int)tally.written,
                    (int)BUILD.count);
        if (BUILD.watching && tally.written <= WATCH_NAMES_MOST)
            text_add(line, sizeof line, "%s", BUILD.written);
        if (tally.failed)
            text_add(line, sizeof line, "; %d could not be written", (int)tally.failed);
        say(line);
    }
    return tally.interrupted || tally.failed ? TOOL_FAILED : TOOL_DONE;
}

// --- The commands --------------------------------------------------------------------------

// "Checked 12 levels and 2 backdrops: 1 error, 2 warnings" on standard output.
void print_summary(const char* what) {
    char line[TEXT_MESSAGE_ROOM];
    text_format(line, sizeof line, "Checked %s: ", what);
    int32_t errors = findings_errors(), warnings = findings_warnings();
    if (errors == 0 && warnings == 0)
        text_add(line, sizeof line, "no problems found");
    else
        text_add(line, sizeof line, "%d%s%d%s", (int)errors, errors == 1 ? " error, " : " errors, ",
                 (int)warnings, warnings == 1 ? " warning" : " warnings");
    out_line(line);
}

void release_run(void) {
    for (int32_t i = 0; i < BUILD.count; ++i) {
        Output* o = &BUILD.outputs[i];
        heap_free(o->file);
        heap_free(o->shown);
        heap_free(o->full);
        heap_free(o->picture_shown);
        heap_free(o->picture_full);
        heap_free(o->temporary);
    }
    for (int32_t i = 0; i < BUILD.job_count; ++i) {
        heap_free((void*)BUILD.jobs[i].bytes);
        heap_free(BUILD.jobs[i].image);
    }
    for (int32_t i = 0; i < BUILD.pool_count; ++i)
        heap_free(BUILD.pool[i]);
    heap_free(BUILD.pool);
    heap_free(BUILD.outputs);
    heap_free(BUILD.jobs);
    heap_free(BUILD.job_output);
    heap_free(BUILD.pack_full);
    heap_free(BUILD.folder);
    heap_free(BUILD.out_shown);
    heap_free(BUILD.out_full);
    lock_release();
    state_release();
    pack_release();
    json_release();
}

// The output folder, made, and its lock, taken. 1 when held; the messages are written.
int take_lock(void) {
    if (!make_folder(BUILD.out_full)) {
        out_error(BUILD.out_shown, "Error: Can't create folder");
        return 0;
    }
    return lock_take(BUILD.out_full, BUILD.out_shown, BUILD.wait) == LOCK_HELD;
}

// The pack the user named: a file, a folder holding wumpo-pack.json (that name made in joined,
// room bytes), or that file here. 0 when the name made was cut; joined holds what fit.
const char* pack_name(const char* given, char* joined, int32_t room) {
    if (!given)
        return PACK_FILE_NAME;
    if (!path_is_directory(given))
        return given;
    return text_join(joined, room, given, PACK_FILE_NAME) ? joined : 0;
}

// Steps 1 to 5 for the pack the user named (given; 0 for none). Returns the exit status.
int run_pack(const char* given) {
    os_watch_interrupt();
    // No run takes more threads than this (jobs.h), and a batch's tables are sized by it.
    if (BUILD.threads > JOBS_MOST)
        BUILD.threads = JOBS_MOST;
    char joined[TEXT_NAME_ROOM];
    const char* pack = pack_name(given, joined, sizeof joined);
    // A name that was cut names another file: it is shown, and the pack file cannot be opened.
    BUILD.pack_shown = pack ? pack : joined;
    findings_start(BUILD.pack_shown);
    BUILD.pack_full = pack ? path_full(pack) : 0;
    char folder[TEXT_NAME_ROOM];
    if (text_folder(folder, sizeof folder, BUILD.pack_shown))
        BUILD.folder = text_copy(folder);
    int memory = BUILD.folder != 0, locked = 1;
    if (read_pack() && memory) {
        memory = plan_outputs();
        if (memory) {
            check_names();
            check_levels();
            check_pictures_and_safety();
            // One build at a time reads and writes the folder's state and files.
            if (BUILD.building && !findings_errors())
                locked = take_lock();
            if (locked) {
                read_state();
                memory = prepare_jobs();
            }
        }
    }
    if (!memory)
        findings_add(FINDING_ERROR, 0, 0, 0, "Not enough memory");
    // The pictures as found before they were read: a save after that is news to the watch.
    for (int32_t i = 0; BUILD.watching && i < BUILD.count; ++i) {
        const Output* o = &BUILD.outputs[i];
        if (o->kind == OUTPUT_IMAGE && o->picture_full)
            watch_note(o->picture_full, &o->picture_facts);
    }
    int complete = 1;
    if (memory && BUILD.job_count > 0) {
        convert_all();
        out_progress_end();
        complete = collect_jobs();
    }
    findings_print_as(BUILD.format, WUMPO_TOOL_VERSION);
    int status = TOOL_DONE;
    if (!locked) {
        status = TOOL_FAILED;
    } else if (!complete) {
        // A job is left undone by an interrupt, or by a thread with no memory to work in.
        out_error(0, os_interrupted() ? "Interrupted; nothing was written"
                                      : "Error: Not enough memory; nothing was written");
        status = TOOL_FAILED;
    } else if (!BUILD.building) {
        if (!BUILD.json) {
            char what[TEXT_MESSAGE_ROOM];
            text_format(what, sizeof what, "%d%s%d%s", (int)BUILD.levels,
                        BUILD.levels == 1 ? " level and " : " levels and ", (int)BUILD.backdrops,
                        BUILD.backdrops == 1 ? " backdrop" : " backdrops");
            print_summary(what);
        }
        status = findings_errors() ? TOOL_FAILED : TOOL_DONE;
    } else if (findings_errors()) {
        char line[TEXT_MESSAGE_ROOM];
        text_format(line, sizeof line, "Nothing was written: %d%s", (int)findings_errors(),
                    findings_errors() == 1 ? " error" : " errors");
        out_error(BUILD.pack_shown, line);
        status = TOOL_FAILED;
    } else {
        status = write_outputs();
    }
    release_run();
    return status;
}

// The findings' format named (0 for none); 0 when it is none of them.
int take_format(const char* name) {
    int32_t format = name ? findings_format_find(name) : -1;
    if (format < 0)
        return 0;
    BUILD.format = format;
    // The JSON documents fill standard output alone; GitHub's commands share it with the lines
    // a run prints, which its log shows as they are.
    BUILD.json = format == FINDINGS_JSON || format == FINDINGS_SARIF;
    return 1;
}

// Reads the level file name into f for check, reporting to the findings.
int read_level_file(const char* name, LevelValues* v) {
    int read = tool_level_read(name, v);
    if (read != FILE_DONE)
        findings_add(FINDING_ERROR, 0, 0, 0, tool_level_problem(read));
    return read == FILE_DONE;
}

// check FILE.LVL...: each level file's values, its backdrop looked for beside it.
int check_level_files(int count, char** files) {
    findings_start(0);
    for (int i = 0; i < count; ++i) {
        findings_file(files[i]);
        LevelValues values;
        if (read_level_file(files[i], &values)) {
            LevelTexts texts;
            LevelFields f;
            level_fields_of(&values, &texts, &f);
            pack_check_level(0, 0, &f, 0);
            // The name as the system spells it: the level file's is Windows-1252.
            char backdrop[3 * LEVEL_RECORD_SIZE + 1];
            level_text_show(values.backdrop_name, os_text_is_utf8(), backdrop,
                            (int32_t)sizeof backdrop);
            // A name cut here is not looked for: the backdrop counts as not found.
            char folder[TEXT_NAME_ROOM], beside[TEXT_NAME_ROOM];
            int whole = text_folder(folder, sizeof folder, files[i]) &&
                        text_join(beside, sizeof beside, folder, backdrop);
            OsFileFacts facts;
            char* full = whole && backdrop[0] ? path_full(beside) : 0;
            if (level_backdrop_check(values.backdrop_name) &&
                (!full || !file_facts(full, &facts) || facts.kind != OS_FILE)) {
                char message[TEXT_MESSAGE_ROOM];
                text_format(message, sizeof message, "%s is not a file beside the level file",
                            backdrop);
                findings_add_at(FINDING_WARNING, 0, 0, "backdrop_name", FindingPlace{0, 0},
                                FINDING_KIND_BACKDROP,
                                backdrop[0] ? message : "The level names no backdrop");
            }
            heap_free(full);
        }
    }
    findings_print_as(BUILD.format, WUMPO_TOOL_VERSION);
    if (!BUILD.json) {
        char what[TEXT_MESSAGE_ROOM];
        text_format(what, sizeof what, "%d%s", count, count == 1 ? " level file" : " level files");
        print_summary(what);
    }
    return findings_errors() ? TOOL_FAILED : TOOL_DONE;
}
} // namespace

int tool_build(int count, char** args) {
    if (help_wanted(count, args))
        return help_print("build");
    BUILD = BuildState{};
    BUILD.building = 1;
    BUILD.wait = 1;
    BUILD.threads = (int32_t)os_processor_count();
    const char* pack = 0;
    int options = 1;
    for (int i = 0; i < count; ++i) {
        const char* arg = args[i];
        if (options && text_equal(arg, "--")) {
            options = 0;
        } else if (options && text_equal(arg, "--force")) {
            BUILD.force = 1;
        } else if (options && text_equal(arg, "--no-wait")) {
            BUILD.wait = 0;
        } else if (options && text_equal(arg, "--watch")) {
            BUILD.watching = 1;
        } else if (options && text_equal(arg, "--format")) {
            if (!take_format(i + 1 < count ? args[i + 1] : 0))
                return help_usage("build", "--format needs text, json, github or sarif");
            ++i;
        } else if (options && text_equal(arg, "--json")) {
            take_format("json");
        } else if (options && text_equal(arg, "--jobs")) {
            int32_t n = i + 1 < count ? jobs_count(args[i + 1]) : 0;
            if (n == 0)
                return help_usage("build", "--jobs needs a number from 1 to 64");
            BUILD.threads = n;
            ++i;
        } else if (options && arg[0] == '-' && arg[1] == '-') {
            return help_usage("build", "unknown option");
        } else if (pack) {
            return help_usage("build", "one pack file at a time");
        } else {
            pack = arg;
        }
    }
    if (!BUILD.watching)
        return run_pack(pack);
    OPTIONS = BUILD;
    return watch_run(pack);
}

int build_for_watch(const char* given) {
    BUILD = OPTIONS;
    return run_pack(given);
}

char* build_pack_full(const char* given) {
    char joined[TEXT_NAME_ROOM];
    const char* pack = pack_name(given, joined, sizeof joined);
    return pack ? path_full(pack) : 0;
}

void build_say(const char* line) {
    say(line);
}

int tool_check(int count, char** args) {
    if (help_wanted(count, args))
        return help_print("check");
    BUILD = BuildState{};
    BUILD.threads = (int32_t)os_processor_count();
    int options = 1, levels = 0, first = -1, files = 0;
    for (int i = 0; i < count; ++i) {
        const char* arg = args[i];
        if (options && text_equal(arg, "--")) {
            options = 0;
        } else if (options && text_equal(arg, "--json")) {
            take_format("json");
        } else if (options && text_equal(arg, "--format")) {
            if (!take_format(i + 1 < count ? args[i + 1] : 0))
                return help_usage("check", "--format needs text, json, github or sarif");
            ++i;
        } else if (options && arg[0] == '-' && arg[1] == '-') {
            return help_usage("check", "unknown option");
        } else {
            levels += str_has_extension(arg, ".lvl");
            if (first < 0)
                first = i;
            ++files;
        }
    }
    if (files > 1 && levels != files)
        return help_usage("check", "give one pack file, or level files (.LVL) only");
    int status;
    if (levels > 0) {
        // The file names, without the options between them.
        char** names = (char**)heap_reallocate_table(0, (uint64_t)files, sizeof(char*));
        if (!names) {
            out_error(0, "Error: Not enough memory");
            return TOOL_FAILED;
        }
        int32_t n = 0;
        options = 1;
        for (int i = 0; i < count; ++i) {
            if (options && text_equal(args[i], "--"))
                options = 0;
            else if (!options || args[i][0] != '-' || args[i][1] != '-')
                names[n++] = args[i];
        }
        status = check_level_files(n, names);
        heap_free(names);
    } else {
        status = run_pack(first >= 0 ? args[first] : 0);
    }
    return status;
}
