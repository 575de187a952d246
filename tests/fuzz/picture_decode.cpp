// Fuzz target: picture_decode and picture_image on any bytes. They must neither crash nor read
// outside them nor allocate more than the run's limit, and what they report must hold together:
// a decoded picture is 320 x 240 with its rows in the result, a wrong size is a size that is not
// 320 x 240, and the screen image is the packing of the decoded rows, whichever way it was made
// (for a 24-bit bitmap the forms take, their own conversion against the bitmap reader's rows).
// Each dithered image of a decoded picture is that of its decoded rows too, and keeps every colour
// within one step of the undithered image's.
//
// Plain mutation rarely grows a PNG chunk and fixes its length and checksum together, so the
// structural faults of a PNG reader (a palette count trusted, a depth that does not fit the colour
// type) lie beyond it. The custom mutator below changes the fields that such faults hang on (IHDR's
// depth, colour type and methods, PLTE's and tRNS's sizes, the chunks present and their order, the
// inflated rows) and then mends every length and checksum; half of its plain mutations are
// mended too.
#include "picture.h"
#include "screen_image_dither.h"
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t max_size);

namespace {
typedef std::vector<uint8_t> Bytes;

const uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
const size_t INFLATED_MOST = 1 << 21; // the rows the mutator works on, at most

uint32_t be32(const uint8_t* b) {
    return (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | b[3];
}
void put_be32(uint8_t* b, uint32_t v) {
    b[0] = (uint8_t)(v >> 24);
    b[1] = (uint8_t)(v >> 16);
    b[2] = (uint8_t)(v >> 8);
    b[3] = (uint8_t)v;
}

struct Chunk {
    std::string type;
    Bytes data;
};

bool is_png(const uint8_t* data, size_t size) {
    return size >= 8 && memcmp(data, SIGNATURE, 8) == 0;
}

// The chunks of a PNG as far as their lengths fit; whatever follows the last one is dropped.
std::vector<Chunk> chunks_of(const uint8_t* data, size_t size) {
    std::vector<Chunk> chunks;
    for (size_t at = 8; size - at >= 12;) {
        uint32_t length = be32(data + at);
        if (length > size - at - 12)
            break;
        chunks.push_back(Chunk{std::string((const char*)data + at + 4, 4),
                               Bytes(data + at + 8, data + at + 8 + length)});
        at += 12 + length;
    }
    return chunks;
}

// The file of the chunks, every length and checksum right.
Bytes file_of(const std::vector<Chunk>& chunks) {
    Bytes file(SIGNATURE, SIGNATURE + 8);
    for (const Chunk& c : chunks) {
        size_t at = file.size();
        file.resize(at + 12 + c.data.size());
        put_be32(&file[at], (uint32_t)c.data.size());
        memcpy(&file[at + 4], c.type.data(), 4);
        if (!c.data.empty())
            memcpy(&file[at + 8], c.data.data(), c.data.size());
        uLong crc = crc32(0, &file[at + 4], (uInt)(4 + c.data.size()));
        put_be32(&file[at + 8 + c.data.size()], (uint32_t)crc);
    }
    return file;
}

// Mends the checksum of every chunk whose length fits, in place.
void mend_checksums(uint8_t* data, size_t size) {
    for (size_t at = 8; size - at >= 12;) {
        uint32_t length = be32(data + at);
        if (length > size - at - 12)
            return;
        put_be32(data + at + 8 + length, (uint32_t)crc32(0, data + at + 4, 4 + length));
        at += 12 + length;
    }
}

int find(const std::vector<Chunk>& chunks, const char* type) {
    for (size_t i = 0; i < chunks.size(); ++i)
        if (chunks[i].type == type)
            return (int)i;
    return -1;
}

// The image data of all IDAT chunks inflated (as much as inflates, INFLATED_MOST at most).
Bytes inflated(const std::vector<Chunk>& chunks) {
    Bytes stream;
    for (const Chunk& c : chunks)
        if (c.type == "IDAT")
            stream.insert(stream.end(), c.data.begin(), c.data.end());
    Bytes out(INFLATED_MOST);
    z_stream z;
    memset(&z, 0, sizeof z);
    if (inflateInit(&z) != Z_OK)
        return Bytes();
    z.next_in = stream.data();
    z.avail_in = (uInt)stream.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    inflate(&z, Z_SYNC_FLUSH);
    out.resize(out.size() - z.avail_out);
    inflateEnd(&z);
    return out;
}

// The chunks with their IDAT chunks replaced by one of rows deflated.
void put_rows(std::vector<Chunk>& chunks, const Bytes& rows) {
    Bytes stream(compressBound((uLong)rows.size()));
    uLongf size = (uLongf)stream.size();
    if (compress2(stream.data(), &size, rows.data(), (uLong)rows.size(), 1) != Z_OK)
        return;
    stream.resize(size);
    int first = find(chunks, "IDAT");
    std::vector<Chunk> kept;
    for (size_t i = 0; i < chunks.size(); ++i) {
        if ((int)i == first)
            kept.push_back(Chunk{"IDAT", stream});
        else if (chunks[i].type != "IDAT")
            kept.push_back(chunks[i]);
    }
    chunks = kept;
}

// One structural change of a PNG; the file's new size, or 0 when it does not fit max_size.
size_t mutate_png(uint8_t* data, size_t size, size_t max_size, unsigned seed) {
    std::minstd_rand random(seed);
    std::vector<Chunk> chunks = chunks_of(data, size);
    int ihdr = find(chunks, "IHDR");
    const uint8_t depths[] = {1, 2, 4, 8, 16};
    const uint8_t colours[] = {0, 2, 3, 4, 6};
    const uint32_t entries[] = {0, 1, 2, 3, 4, 15, 16, 17, 255, 256, 257, 300};
    switch (random() % 8) {
    case 0: // a depth or a colour type, allowed with the other or not
    case 1:
        if (ihdr < 0 || chunks[ihdr].data.size() != 13)
            return 0;
        if (random() % 2)
            chunks[ihdr].data[8] = random() % 4 ? depths[random() % 5] : (uint8_t)random();
        else
            chunks[ihdr].data[9] = random() % 4 ? colours[random() % 5] : (uint8_t)random();
        break;
    case 2: // interlace, compression or filter method, or a side
        if (ihdr < 0 || chunks[ihdr].data.size() != 13)
            return 0;
        chunks[ihdr].data[random() % 2 ? 12 : 10 + random() % 2] ^= (uint8_t)(1 + random() % 2);
        if (random() % 4 == 0)
            put_be32(&chunks[ihdr].data[4 * (random() % 2)], (uint32_t)random() % 1000);
        break;
    case 3:   // PLTE or tRNS of another size, made or grown where there was none
    case 4: { // (a palette of n entries; alphas for n entries)
        const char* type = random() % 2 ? "PLTE" : "tRNS";
        uint32_t n = random() % 4 ? entries[random() % 12] : (uint32_t)random() % 600;
        int at = find(chunks, type);
        if (at < 0) {
            at = ihdr < 0 ? 0 : ihdr + 1;
            chunks.insert(chunks.begin() + at, Chunk{type, Bytes()});
        }
        chunks[at].data.resize(strcmp(type, "PLTE") == 0 ? 3 * n : n, (uint8_t)random());
        break;
    }
    case 5: { // the rows themselves, inflated, changed and deflated again
        Bytes rows = inflated(chunks);
        if (rows.empty())
            return 0;
        size_t n = LLVMFuzzerMutate(rows.data(), rows.size(), rows.size());
        rows.resize(n);
        put_rows(chunks, rows);
        break;
    }
    case 6: { // any chunk's data, its length following
        if (chunks.empty())
            return 0;
        Bytes& d = chunks[random() % chunks.size()].data;
        if (d.empty())
            d.push_back((uint8_t)random());
        size_t old = d.size();
        d.resize(old + 64);
        d.resize(LLVMFuzzerMutate(d.data(), old, d.size()));
        break;
    }
    default: { // a chunk dropped, doubled or moved, or one of another type put in
        if (chunks.empty())
            return 0;
        size_t i = random() % chunks.size(), j = random() % chunks.size();
        switch (random() % 4) {
        case 0:
            chunks.erase(chunks.begin() + i);
            break;
        case 1:
            chunks.insert(chunks.begin() + j, chunks[i]);
            break;
        case 2:
            std::swap(chunks[i], chunks[j]);
            break;
        default: {
            const char* types[] = {"tEXt", "gAMA", "IDAT", "IEND", "PLTE", "tRNS", "CgBI", "ABCD"};
            chunks.insert(chunks.begin() + j, Chunk{types[random() % 8], Bytes(random() % 8, 0)});
            break;
        }
        }
    }
    }
    Bytes file = file_of(chunks);
    if (file.size() > max_size)
        return 0;
    memcpy(data, file.data(), file.size());
    return file.size();
}

// 1 when every colour of every pixel of the two images is at most one step apart.
bool within_a_step(const unsigned char* a, const unsigned char* b) {
    for (uint32_t i = 0; i < SCREEN_IMAGE_SIZE; i += 2) {
        uint32_t x = (uint32_t)a[i] | (uint32_t)a[i + 1] << 8;
        uint32_t y = (uint32_t)b[i] | (uint32_t)b[i + 1] << 8;
        for (uint32_t shift = 1; shift <= 11; shift += 5) {
            int32_t d = (int32_t)(x >> shift & 31u) - (int32_t)(y >> shift & 31u);
            if (d < -1 || d > 1)
                return false;
        }
    }
    return true;
}
} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t max_size,
                                          unsigned int seed) {
    if (is_png(data, size) && seed % 3 != 0) {
        size_t n = mutate_png(data, size, max_size, seed);
        if (n)
            return n;
    }
    size_t n = LLVMFuzzerMutate(data, size, max_size);
    if (is_png(data, n) && seed % 2)
        mend_checksums(data, n);
    return n;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static PictureResult result, again;
    static unsigned char image[SCREEN_IMAGE_SIZE], packed[SCREEN_IMAGE_SIZE];
    static unsigned char dithered[SCREEN_IMAGE_SIZE], rows_dithered[SCREEN_IMAGE_SIZE];
    if (size > UINT32_MAX)
        return 0;
    int outcome = picture_decode(data, (uint32_t)size, &result);
    int right_size = result.width == PICTURE_WIDTH && result.height == PICTURE_HEIGHT;
    if (outcome == PICTURE_DECODED &&
        (!right_size || result.picture.rows != result.rows || result.picture.top_down != 1))
        abort();
    if (outcome == PICTURE_WRONG_SIZE && (right_size || result.width < 1 || result.height < 1))
        abort();
    if (picture_image(data, (uint32_t)size, DITHER_NONE, &again, image) != outcome)
        abort();
    if (outcome == PICTURE_DECODED) {
        screen_image_from_rows(&result.picture, packed);
        if (memcmp(image, packed, SCREEN_IMAGE_SIZE) != 0 ||
            again.translucent != result.translucent)
            abort();
        for (int32_t kind : {DITHER_ORDERED, DITHER_DIFFUSION}) {
            if (picture_image(data, (uint32_t)size, kind, &again, dithered) != outcome)
                abort();
            screen_image_from_rows_dithered(&result.picture, kind, rows_dithered);
            if (memcmp(dithered, rows_dithered, SCREEN_IMAGE_SIZE) != 0 ||
                !within_a_step(dithered, image))
                abort();
        }
    }
    return 0;
}
