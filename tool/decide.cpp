// The build's rules: pure, on the facts handed in.
#include "decide.h"
#include "text.h"

namespace {
enum { RACY_SECONDS = 3 };

int same_output(const StateFile* record, const OsFileFacts* output) {
    return output->kind == OS_FILE && record->size == output->size && record->time == output->time;
}
} // namespace

Decision decide_output(const DecideFacts* f) {
    Decision d = {0, 0, 0, 0, 0};
    const StateFile* s = f->force ? 0 : f->record;
    const OsFileFacts* p = &f->picture_facts;
    if (!f->image) {
        // A level file's record has no picture; one that has was an image's.
        d.record = s && !s->picture[0] ? s : 0;
        d.intact = d.record && same_output(s, &f->output);
        return d;
    }
    // An image recorded with another dithering is not the one the pack makes now, whatever its
    // picture's facts or hash say.
    if (s && p->kind == OS_FILE && text_equal(s->picture, f->picture) && s->dither == f->dither) {
        d.record = s;
        // Size and time alone vouch for nothing: every 320 x 240 bitmap has one size, and a copy
        // or a checkout can give a file any time. A file put in the picture's place, or changed
        // and given its old time back, has another identity or change time, which no program
        // sets; a record of a time too recent to trust (0) vouches for nothing.
        d.vouched = s->picture_time != 0 && s->picture_size == p->size &&
                    s->picture_time == p->time && s->picture_change == p->change &&
                    s->picture_volume == p->volume && s->picture_index == p->index;
        d.intact = same_output(s, &f->output);
    }
    // A build needs every image it cannot vouch for made anew; a check needs every picture it
    // cannot vouch for seen to be readable.
    if (p->kind == OS_FILE)
        d.convert = f->building ? !(d.vouched && d.intact) : !d.vouched;
    // A picture touched but not changed keeps its image, when that image is still intact.
    d.check_hash = d.record && (d.intact || !f->building);
    return d;
}

int decide_write_level(const Decision* d, uint64_t hash) {
    return !d->intact || d->record->hash != hash;
}

uint64_t decide_recorded_time(const OsFileFacts* p, uint64_t now) {
    uint64_t latest = p->change > p->time ? p->change : p->time;
    return latest + RACY_SECONDS * OS_TIME_PER_SECOND > now ? 0 : p->time;
}
