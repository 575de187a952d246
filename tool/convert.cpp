// wumpo-tool convert: pictures into screen images, many at once, through the programs' own
// conversion or packed as it packs, on every processor. Owns the list of pictures of one run.
#include "tool.h"
#include "file.h"
#include "heap.h"
#include "jobs.h"
#include "names.h"
#include "order.h"
#include "out.h"
#include "path.h"
#include "picture.h"
#include "screen_image_dither.h"
#include "artwork.h"
#include "text.h"

namespace {
NameList LIST; // the bitmaps as the user named them (wildcards expanded)

void add_found(const char* prefix, int32_t prefix_length, const char* file_name) {
    names_add(&LIST, prefix, prefix_length, file_name);
}

// The files that pattern matches, in name order, named as the user would name them: with the
// directory part of the pattern in front. 0 when it matches none.
int32_t add_matches(const char* pattern) {
    int32_t first = LIST.count;
    if (!path_each_match(pattern, &add_found))
        return 0;
    names_sort(&LIST, first);
    return LIST.count - first;
}

// The image name of bitmap, as the user would name it: the --out directory (or none) and the
// bitmap's base name with ".IMG", into out (room bytes). 1 when it fit; a cut name names another
// file, so it is shown but never used.
int image_name(char* out, int32_t room, const char* bitmap, const char* out_dir) {
    char base[TEXT_NAME_ROOM];
    int whole = text_base_name(base, sizeof base, bitmap);
    whole = text_join(out, room, out_dir, base) && whole;
    return text_add(out, room, ".IMG") && whole;
}

// Two bitmaps that would be converted into one image (the same full name, letter case aside, as
// the file system compares names) would have the second silently replace the first: the command
// line is refused before anything is converted. TOOL_DONE when no two clash.
int refuse_clash(const char* out_dir) {
    if (LIST.count < 2)
        return TOOL_DONE;
    char** full = (char**)heap_allocate((size_t)LIST.count * sizeof(char*));
    if (!full) {
        out_error(0, "Error: Not enough memory");
        return TOOL_FAILED;
    }
    char image[TEXT_NAME_ROOM];
    // A name too long to use is left out of the comparison, as one the system cannot take.
    for (int32_t i = 0; i < LIST.count; ++i)
        full[i] = image_name(image, sizeof image, LIST.names[i], out_dir) ? path_full(image) : 0;
    // In name order, equal names stand together, each group in the order given: the first
    // clash of the command line is the group whose first bitmap comes earliest, with its second.
    int32_t* order = order_indices(LIST.count, &names_before, full);
    int32_t first = -1, second = -1;
    for (int32_t k = 1, group = 0; order && k < LIST.count; ++k) {
        if (names_before(full, order[k - 1], order[k])) {
            group = k;
            continue;
        }
        int32_t a = order[group];
        if (k == group + 1 && full[a] && (first < 0 || a < first)) {
            first = a;
            second = order[k];
        }
    }
    int status = order ? TOOL_DONE : TOOL_FAILED;
    if (!order)
        out_error(0, "Error: Not enough memory");
    if (first >= 0) {
        image_name(image, sizeof image, LIST.names[first], out_dir);
        char problem[TEXT_MESSAGE_ROOM];
        text_format(problem, sizeof problem, "%s and %s would both be converted into %s",
                    LIST.names[first], LIST.names[second], image);
        status = help_usage("convert", problem);
    }
    heap_free(order);
    for (int32_t i = 0; i < LIST.count; ++i)
        heap_free(full[i]);
    heap_free(full);
    return status;
}

// The facts of a name's file: OS_MISSING when the system tells none.
OsFileFacts facts_of(const char* name) {
    OsFileFacts facts = {};
    char* full = path_full(name);
    if (!full || !file_facts(full, &facts))
        facts.kind = OS_MISSING;
    heap_free(full);
    return facts;
}

// An image whose file is one of the pictures (its own, as for SPACE.IMG given as a bitmap, or
// another's, through any spelling of its name or a link) would replace that picture: refused
// before anything is converted, with nothing written. TOOL_DONE when none is.
int refuse_own_input(const char* out_dir) {
    if (LIST.count == 0)
        return TOOL_DONE;
    OsFileFacts* inputs = (OsFileFacts*)heap_allocate((size_t)LIST.count * sizeof(OsFileFacts));
    if (!inputs) {
        out_error(0, "Error: Not enough memory");
        return TOOL_FAILED;
    }
    for (int32_t i = 0; i < LIST.count; ++i)
        inputs[i] = facts_of(LIST.names[i]);
    int status = TOOL_DONE;
    char image[TEXT_NAME_ROOM];
    for (int32_t i = 0; i < LIST.count; ++i) {
        // An image whose name is too long to use is never written, so it replaces nothing.
        OsFileFacts target = {};
        target.kind = OS_MISSING;
        if (image_name(image, sizeof image, LIST.names[i], out_dir))
            target = facts_of(image);
        for (int32_t j = 0; j < LIST.count && target.kind == OS_FILE; ++j) {
            if (!os_same_file(&inputs[j], &target))
                continue;
            char problem[TEXT_MESSAGE_ROOM];
            text_format(problem, sizeof problem,
                        "Error: The image would be written over the picture %s", LIST.names[j]);
            out_error(image, problem);
            status = TOOL_FAILED;
            break;
        }
    }
    heap_free(inputs);
    return status;
}

// The pictures converted together: read one after the other here, where the runtime is, then
// decoded and written on the job threads, then reported in the list's order, each as if alone.
// A batch is small enough that its files never take much memory at once.
enum { BATCH_MOST = 16, BATCH_BYTES = 16 * 1024 * 1024 };

struct BatchEntry {
    char* image;     // the image's name as shown, a heap block
    int named;       // 0 when that name was cut: no file is made under it
    int32_t read;    // what reading the picture file gave (FileOutcome)
    int32_t convert; // its conversion job, -1 when the picture could not be read
    int32_t write;   // its write job, -1 when there is nothing to write
};

// "[3/20] art/cave.png -> levels/cave.IMG", for a run of more than one picture.
void show_step(int32_t index, const char* image) {
    if (LIST.count < 2)
        return;
    char line[TEXT_MESSAGE_ROOM];
    text_format(line, sizeof line, "[%d/%d] %s -> %s", (int)(index + 1), (int)LIST.count,
                LIST.names[index], image);
    out_line(line);
}

// What happened to the picture of entry e (the list's number index), as one picture alone would
// have reported it. 1 when its image was written.
int report_entry(int32_t index, const BatchEntry* e, const ConvertJob* converts,
                 const WriteJob* writes) {
    const char* name = LIST.names[index];
    show_step(index, e->image);
    if (e->read != FILE_DONE) {
        artwork_file_error(name, e->read);
        return 0;
    }
    const ConvertJob* c = &converts[e->convert];
    if (!artwork_report(name, c->outcome, c->width, c->height, c->translucent))
        return 0;
    int32_t outcome = e->write >= 0 ? writes[e->write].outcome : WRITE_NOT_CREATED;
    if (outcome == WRITE_DONE)
        return 1;
    out_error(e->image, jobs_write_error_text(outcome));
    return 0;
}

// Converts the pictures of the list from first on, as many as one batch takes, dithered as dither
// says, and adds those written to *converted. Returns where the next batch begins, -1 when memory
// ran short.
int32_t convert_batch(int32_t first, const char* out_dir, int32_t threads, int32_t dither,
                      int32_t* converted) {
    BatchEntry entries[BATCH_MOST];
    ConvertJob converts[BATCH_MOST];
    WriteJob writes[BATCH_MOST];
    int32_t count = 0, conversions = 0, written = 0;
    uint32_t bytes_held = 0;
    int enough_memory = 1;
    while (enough_memory && first + count < LIST.count && count < BATCH_MOST &&
           bytes_held < BATCH_BYTES) {
        BatchEntry* e = &entries[count++];
        char image[TEXT_NAME_ROOM];
        e->named = image_name(image, sizeof image, LIST.names[first + count - 1], out_dir);
        e->image = text_copy(image);
        e->convert = e->write = -1;
        ConvertJob job = {};
        unsigned char* bytes = 0;
        e->read = artwork_file(LIST.names[first + count - 1], &bytes, &job.size);
        if (e->read != FILE_DONE)
            continue;
        job.bytes = bytes;
        job.dither = dither;
        job.image = (unsigned char*)heap_allocate(SCREEN_IMAGE_SIZE);
        enough_memory = e->image && job.image;
        e->convert = conversions;
        converts[conversions++] = job;
        bytes_held += job.size;
    }
    if (enough_memory)
        jobs_convert(converts, conversions, threads, 0);
    for (int32_t i = 0; i < count && enough_memory; ++i) {
        BatchEntry* e = &entries[i];
        if (e->convert < 0 || converts[e->convert].outcome != PICTURE_DECODED)
            continue;
        WriteJob job = {};
        job.full = e->named ? path_full(e->image) : 0;
        if (!job.full)
            continue; // a name no file can have: it cannot be created
        job.temporary = file_temporary_name(job.full);
        job.bytes = converts[e->convert].image;
        job.count = SCREEN_IMAGE_SIZE;
        enough_memory = job.temporary != 0;
        e->write = written;
        writes[written++] = job;
    }
    if (enough_memory) {
        jobs_write(writes, written, SCREEN_IMAGE_SIZE, threads, 0);
        for (int32_t i = 0; i < count; ++i)
            *converted += report_entry(first + i, &entries[i], converts, writes);
    }
    for (int32_t i = 0; i < conversions; ++i) {
        heap_free((void*)converts[i].bytes);
        heap_free(converts[i].image);
    }
    for (int32_t i = 0; i < written; ++i) {
        heap_free((void*)writes[i].full);
        heap_free((void*)writes[i].temporary);
    }
    for (int32_t i = 0; i < count; ++i)
        heap_free(entries[i].image);
    return enough_memory ? first + count : -1;
}
} // namespace

int tool_convert(int count, char** args) {
    if (help_wanted(count, args))
        return help_print("convert");
    LIST = NameList{0, 0, 0};
    const char* out_dir = 0;
    int options = 1;
    int failed = 0;
    int32_t threads = (int32_t)os_processor_count();
    int32_t dither = DITHER_NONE;
    for (int i = 0; i < count; ++i) {
        const char* arg = args[i];
        if (options && text_equal(arg, "--")) {
            options = 0;
        } else if (options && text_equal(arg, "--out")) {
            if (i + 1 >= count)
                return help_usage("convert", "--out needs a directory");
            out_dir = args[++i];
        } else if (options && text_equal(arg, "--jobs")) {
            threads = i + 1 < count ? jobs_count(args[i + 1]) : 0;
            if (threads == 0)
                return help_usage("convert", "--jobs needs a number from 1 to 64");
            ++i;
        } else if (options && text_equal(arg, "--dither")) {
            dither = i + 1 < count ? screen_image_dither_find(args[i + 1]) : -1;
            if (dither < 0)
                return help_usage("convert", "--dither needs none, ordered or diffusion");
            ++i;
        } else if (options && arg[0] == '-' && arg[1] == '-') {
            return help_usage("convert", "unknown option");
        } else if (text_has_wildcard(arg)) {
            if (!add_matches(arg)) {
                out_error(arg, "Error: No file matches");
                failed = 1;
            }
        } else if (!names_add(&LIST, "", 0, arg)) {
            out_error(0, "Error: Not enough memory");
            return TOOL_FAILED;
        }
    }
    if (LIST.count == 0 && !failed)
        return help_usage("convert", "no bitmap given");
    if (out_dir && !path_is_directory(out_dir)) {
        out_error(out_dir, "Error: Directory not found");
        return TOOL_FAILED;
    }

    int clash = refuse_clash(out_dir ? out_dir : "");
    if (clash == TOOL_DONE)
        clash = refuse_own_input(out_dir ? out_dir : "");
    if (clash != TOOL_DONE)
        return clash;

    int32_t converted = 0;
    for (int32_t next = 0; next < LIST.count;) {
        next = convert_batch(next, out_dir ? out_dir : "", threads, dither, &converted);
        if (next < 0) {
            out_error(0, "Error: Not enough memory");
            return TOOL_FAILED;
        }
    }
    if (LIST.count > 1) {
        char line[TEXT_MESSAGE_ROOM];
        text_format(line, sizeof line, "Converted %d of %d bitmaps", (int)converted,
                    (int)LIST.count);
        out_line(line);
    }
    return failed || converted < LIST.count ? TOOL_FAILED : TOOL_DONE;
}
