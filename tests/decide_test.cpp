// The build's decisions in process: which pictures are read, which images are made again, which
// level files are written, which times are recorded; one case per kind of change.
#include <doctest.h>
#include "decide.h"
#include "screen_image_dither.h"

namespace {
const uint64_t SECOND = OS_TIME_PER_SECOND;
const uint64_t NOW = 2000000000ull * SECOND;

OsFileFacts file(uint64_t size, uint64_t time, uint64_t change, uint64_t index) {
    return OsFileFacts{OS_FILE, size, time, 7, index, change};
}

// An image output whose picture and output are as the record says, built some time ago.
struct Image {
    StateFile record = {
        "CAVE.IMG", "/art/cave.bmp", 230454, NOW - 60 * SECOND, NOW - 60 * SECOND, 7,
        41,         0x1234,          153600, NOW - 50 * SECOND, DITHER_NONE};
    DecideFacts facts = {1,
                         file(153600, NOW - 50 * SECOND, NOW - 50 * SECOND, 90),
                         "/art/cave.bmp",
                         file(230454, NOW - 60 * SECOND, NOW - 60 * SECOND, 41),
                         &record,
                         0,
                         1,
                         DITHER_NONE};
    Decision decide() { return decide_output(&facts); }
};
} // namespace

TEST_CASE("decide: an image is made again only when its picture or its file may have changed") {
    Image unchanged;
    Decision d = unchanged.decide();
    CHECK(d.record == &unchanged.record);
    CHECK(d.vouched);
    CHECK(d.intact);
    CHECK_FALSE(d.convert);
    // check, which writes nothing, does not read a picture it can vouch for either.
    unchanged.facts.building = 0;
    CHECK_FALSE(unchanged.decide().convert);

    SUBCASE("touched: a new time, the same file; read, and not converted when its hash holds") {
        Image touched;
        touched.facts.picture_facts.time += 5 * SECOND;
        touched.facts.picture_facts.change += 5 * SECOND;
        d = touched.decide();
        CHECK_FALSE(d.vouched);
        CHECK(d.convert);
        CHECK(d.check_hash);
    }
    SUBCASE("swapped, or rewritten and given its old time back: read, never vouched") {
        Image swapped;
        swapped.facts.picture_facts.index = 42; // another file under the name, same size and time
        CHECK_FALSE(swapped.decide().vouched);
        CHECK(swapped.decide().convert);
        Image rewritten;
        rewritten.facts.picture_facts.change = NOW - SECOND; // its time set back, the change not
        CHECK_FALSE(rewritten.decide().vouched);
        Image other_volume;
        other_volume.facts.picture_facts.volume = 8;
        CHECK_FALSE(other_volume.decide().vouched);
        Image renamed;
        renamed.facts.picture = "/art/other.bmp";
        d = renamed.decide();
        CHECK(d.record == nullptr);
        CHECK(d.convert);
        CHECK_FALSE(d.check_hash);
    }
    SUBCASE("racy: a picture recorded too soon after its change is never vouched for") {
        Image racy;
        racy.record.picture_time = 0;
        racy.facts.picture_facts.time = 0;
        CHECK_FALSE(racy.decide().vouched);
        OsFileFacts p = file(1, NOW - 60 * SECOND, NOW - 60 * SECOND, 1);
        CHECK(decide_recorded_time(&p, NOW) == NOW - 60 * SECOND);
        p.change = NOW - SECOND; // written long ago, renamed into place a moment ago
        CHECK(decide_recorded_time(&p, NOW) == 0);
        p = file(1, NOW - 2 * SECOND, NOW - 2 * SECOND, 1);
        CHECK(decide_recorded_time(&p, NOW) == 0);
        p = file(1, NOW + 3600 * SECOND, NOW + 3600 * SECOND, 1); // a time still to come
        CHECK(decide_recorded_time(&p, NOW) == 0);
    }
    SUBCASE("the output missing or changed: made again; the hash still saves the conversion") {
        Image missing;
        missing.facts.output = OsFileFacts{OS_MISSING, 0, 0, 0, 0, 0};
        d = missing.decide();
        CHECK(d.vouched);
        CHECK_FALSE(d.intact);
        CHECK(d.convert);
        CHECK_FALSE(d.check_hash); // the image itself has to be made
        Image edited;
        edited.facts.output.time += SECOND;
        CHECK_FALSE(edited.decide().intact);
        CHECK(edited.decide().convert);
        // check never writes: a changed output does not make it read a vouched picture.
        edited.facts.building = 0;
        CHECK_FALSE(edited.decide().convert);
    }
    SUBCASE("no record (the first build, or a state of another version of the tool), or forced") {
        Image first;
        first.facts.record = nullptr;
        d = first.decide();
        CHECK(d.record == nullptr);
        CHECK(d.convert);
        CHECK_FALSE(d.check_hash);
        Image forced;
        forced.facts.force = 1;
        d = forced.decide();
        CHECK(d.record == nullptr);
        CHECK_FALSE(d.vouched);
        CHECK(d.convert);
        CHECK_FALSE(d.check_hash);
    }
    SUBCASE(
        "dithered otherwise than recorded: made again, neither its facts nor its hash trusted") {
        Image dithered;
        dithered.facts.dither = DITHER_ORDERED;
        d = dithered.decide();
        CHECK(d.record == nullptr);
        CHECK(d.convert);
        CHECK_FALSE(d.check_hash);
        dithered.record.dither = DITHER_ORDERED;
        CHECK_FALSE(dithered.decide().convert);
    }
    SUBCASE("a picture that is not there is not read") {
        Image gone;
        gone.facts.picture_facts = OsFileFacts{OS_MISSING, 0, 0, 0, 0, 0};
        CHECK_FALSE(gone.decide().convert);
    }
}

TEST_CASE("decide: a level file is written when its bytes or the file on disk changed") {
    StateFile record = {"CAVE.LVL", "", 0, 0, 0, 0, 0, 0xABCD, 56, NOW - 50 * SECOND, DITHER_NONE};
    DecideFacts facts = {
        0, file(56, NOW - 50 * SECOND, NOW - 50 * SECOND, 3), 0, {}, &record, 0, 1, DITHER_NONE};
    Decision d = decide_output(&facts);
    CHECK(d.intact);
    CHECK_FALSE(d.convert);
    CHECK_FALSE(decide_write_level(&d, 0xABCD));
    CHECK(decide_write_level(&d, 0xABCE)); // a field changed
    facts.output.time += SECOND;           // the file edited since
    d = decide_output(&facts);
    CHECK(decide_write_level(&d, 0xABCD));
    facts.output = OsFileFacts{OS_MISSING, 0, 0, 0, 0, 0};
    d = decide_output(&facts);
    CHECK(decide_write_level(&d, 0xABCD));
    // A record of an image of that name vouches for no level file; nor does one under --force.
    StateFile image_record = record;
    image_record.picture = "/art/cave.bmp";
    facts = DecideFacts{
        0,          file(56, NOW - 50 * SECOND, NOW - 50 * SECOND, 3), 0, {}, &image_record, 0, 1,
        DITHER_NONE};
    d = decide_output(&facts);
    CHECK(decide_write_level(&d, 0xABCD));
    facts.record = &record;
    facts.force = 1;
    d = decide_output(&facts);
    CHECK(decide_write_level(&d, 0xABCD));
}
