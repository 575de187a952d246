#!/usr/bin/env bash
# picture_test.sh SCRATCH TOOL...
# wumpo-tool on pictures as paint programs save them, made here with ImageMagick: PNG of several
# kinds and the Windows bitmap kinds. Each picture's .IMG is compared with the .IMG of ImageMagick's
# own decoding of the same file, written as a plain 24-bit bitmap and converted by the forms' own
# conversion (which the tool tests check against an independent expectation). Refused files must
# be named with the reason and leave nothing behind; view and preview write PNG for a .png name.
# TOOL is the command that runs wumpo-tool (under Wine: wine-run, its prefix, the loader and the
# .exe); it runs in SCRATCH, which is made anew, with relative names.
set -u
here=$(cd "$(dirname "$0")" && pwd)
scratch=$1
shift
tool=("$@")
source "$here/check_steps.sh"
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch" || exit 1
command -v convert >/dev/null || { echo "ImageMagick's convert is missing"; exit 1; }

# run ARGS...: the tool's exit status in $status, its output and errors (line ends as LF) in
# $out and $err.
run() {
    "${tool[@]}" "$@" >out.txt 2>err.txt
    status=$?
    out=$(tr -d '\r' <out.txt)
    err=$(tr -d '\r' <err.txt)
}
fail() { echo "  $*"; return 1; }
# u16 FILE OFFSET / u32 FILE OFFSET: a little-endian field of a file.
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
# What ImageMagick made: "header bits compression" of a bitmap, "depth colour-type interlace"
# of a PNG; so the test says so when it no longer makes the kind meant.
bmp_kind() {
    local header
    header=$(u32 "$1" 14)
    if [[ $header == 12 ]]; then echo "12 $(u16 "$1" 24) 0"; else
        echo "$header $(u16 "$1" 28) $(u32 "$1" 30)"; fi
}
png_kind() { identify -format '%[png:IHDR.bit-depth-orig] %[png:IHDR.color-type-orig] %[png:IHDR.interlace_method]' "$1" | cut -d' ' -f1-3; }
# ImageMagick's decoding of a picture as a plain 24-bit bitmap, alpha dropped.
reference() { convert "$1" -alpha off -type TrueColor "BMP3:ref-${1%.*}.bmp"; }
# near A.IMG B.IMG: every 5-bit component of every pixel within one step.
near() {
    paste <(od -An -v -tu2 -w2 "$1") <(od -An -v -tu2 -w2 "$2") | awk '
        { for (s = 2048; s >= 2; s /= 32) { d = int($1 / s) % 32 - int($2 / s) % 32
                                            if (d > 1 || d < -1) bad++ } }
        END { exit bad > 0 }'
}
# same_images PICTURE...: each picture's .IMG equals its reference's; NEAR=name allows one step
# for that picture.
same_images() {
    local f ok=0
    for f in "$@"; do
        local mine=${f%.*}.IMG theirs=ref-${f%.*}.IMG
        [[ -f $mine && -f $theirs ]] || { fail "$f: no image"; ok=1; continue; }
        if [[ ${NEAR:-} == "$f" ]]; then
            near "$mine" "$theirs" || { fail "$f: image differs by more than one step"; ok=1; }
        else
            cmp -s "$mine" "$theirs" || { fail "$f: image differs from ImageMagick's decoding"; ok=1; }
        fi
    done
    return $ok
}
# convert_all PICTURE...: the pictures and their references converted, each in one run.
convert_all() {
    local f refs=()
    for f in "$@"; do
        reference "$f"
        refs+=("ref-${f%.*}.bmp")
    done
    run convert "${refs[@]}"
    [[ $status == 0 ]] || fail "references refused: $err" || return 1
    run convert "$@"
}

convert -size 320x240 -seed 7 plasma:fractal source.png
# An alpha that runs from opaque at the top to clear at the bottom.
alpha=(\( -size 320x240 gradient:white-black \) -alpha off -compose CopyOpacity -composite)

png_family() {
    convert source.png -colorspace gray -threshold 50% -define png:bit-depth=1 \
        -define png:color-type=0 gray1.png
    convert source.png -colors 200 PNG8:palette.png # fewer entries than the depth could index
    convert source.png "${alpha[@]}" -depth 16 PNG64:rgba16.png
    convert source.png -interlace PNG PNG24:interlaced.png
    convert source.png -colorspace gray -depth 2 -define png:bit-depth=2 -define png:color-type=0 \
        gray2.png
    convert source.png "${alpha[@]}" -colorspace gray -depth 8 -define png:bit-depth=8 \
        -define png:color-type=4 gray-alpha.png
    # One colour transparent through tRNS: the colour of pixel (10, 10).
    convert source.png -depth 8 -transparent "$(convert source.png -depth 8 -format '%[pixel:p{10,10}]' info:)" \
        PNG24:keyed.png
    convert source.png -colors 100 -interlace PNG PNG8:palette-interlaced.png
    local files=(gray1.png palette.png rgba16.png interlaced.png gray2.png gray-alpha.png keyed.png
        palette-interlaced.png) kinds f
    kinds=$(for f in "${files[@]}"; do png_kind "$f"; done | paste -sd,)
    [[ $kinds == "1 0 0,8 3 0,16 6 0,8 2 1,2 0 0,8 4 0,8 2 0,8 3 1" ]] ||
        fail "ImageMagick made other PNG kinds: $kinds" || return 1
    convert_all "${files[@]}" || return 1
    [[ $status == 0 ]] || fail "exit status $status: $err" || return 1
    local warning="Warning: Picture has pixels that are not fully opaque; their transparency is ignored"
    [[ $err == "rgba16.png: $warning
gray-alpha.png: $warning
keyed.png: $warning" ]] || fail "errors: $err" || return 1
    # ImageMagick rounds 16-bit components to 8 bits, the tool cuts them: one 5-bit step apart at
    # most.
    NEAR=rgba16.png same_images "${files[@]}"
}

bmp_family() {
    convert source.png -colors 200 -type Palette -compress None BMP3:palette8.bmp
    convert source.png -colors 16 -type Palette -compress None BMP3:palette4.bmp
    convert source.png -type Bilevel BMP3:mono.bmp
    convert source.png -define bmp:subtype=RGB565 BMP:rgb565.bmp
    convert source.png "${alpha[@]}" BMP:alpha32.bmp
    convert source.png -colors 16 -type Palette BMP2:os2-palette.bmp
    convert source.png -type TrueColor BMP2:os2-24.bmp
    # Top-down: the flipped picture stored bottom-up, then told it is stored top-down.
    convert source.png -flip -colors 200 -type Palette -compress None BMP3:top-down.bmp
    printf '\x10\xff\xff\xff' | dd of=top-down.bmp bs=1 seek=22 conv=notrunc status=none
    # The OS/2 palette first, before any other picture of the same colours has been read: an
    # entry it failed to read could not then be hidden by one left from an earlier picture.
    local files=(os2-palette.bmp palette8.bmp palette4.bmp mono.bmp rgb565.bmp alpha32.bmp
        os2-24.bmp top-down.bmp) kinds
    kinds=$(for f in "${files[@]}"; do bmp_kind "$f"; done | paste -sd,)
    [[ $kinds == "12 4 0,40 8 0,40 4 0,40 1 0,124 16 3,124 32 3,12 24 0,40 8 0" ]] ||
        fail "ImageMagick made other bitmap kinds: $kinds" || return 1
    convert_all "${files[@]}" || return 1
    [[ $status == 0 ]] || fail "exit status $status: $err" || return 1
    [[ $err == "alpha32.bmp: Warning: Picture has pixels that are not fully opaque; their transparency is ignored" ]] ||
        fail "errors: $err" || return 1
    same_images "${files[@]}"
}

refusal_family() {
    convert -size 640x480 xc:navy big.png
    convert source.png -colors 200 -type Palette BMP3:rle.bmp
    [[ $(bmp_kind rle.bmp) == "40 8 1" ]] || fail "rle.bmp is $(bmp_kind rle.bmp)" || return 1
    convert source.png PNG24:whole.png
    head -c $(($(stat -c %s whole.png) - 100)) whole.png >cut.png
    # The chunk after IHDR claims one byte more than it has.
    cp whole.png length.png
    printf "\\x$(printf %02x $((($(od -An -tu1 -j 36 -N1 whole.png) + 1) % 256)))" |
        dd of=length.png bs=1 seek=36 conv=notrunc status=none
    convert source.png -type TrueColor BMP3:whole.bmp # one the forms take, until it is cut
    head -c -1 whole.bmp >short.bmp
    echo "not a picture" >notes.png
    local bad=(big.png rle.bmp cut.png length.png short.bmp notes.png)
    run convert "${bad[@]}"
    local want="big.png: Error: Picture is 640 x 480 pixels; it has to be 320 x 240
rle.bmp: Error: RLE-compressed bitmaps are not read; save the picture uncompressed
cut.png: Error: Cannot read picture
length.png: Error: Cannot read picture
short.bmp: Error: Cannot read picture
notes.png: Error: Cannot read picture"
    [[ $status == 1 ]] || fail "exit status $status" || return 1
    [[ $err == "$want" ]] || fail "errors: $err" || return 1
    [[ $out == *"Converted 0 of 6 bitmaps" ]] || fail "output: $out" || return 1
    local f
    for f in "${bad[@]}"; do
        [[ ! -e ${f%.*}.IMG ]] || fail "${f%.*}.IMG was written" || return 1
    done
    run level create LEVEL.LVL
    run preview LEVEL.LVL big.png big-preview.png
    [[ $status == 1 && $err == "big.png: Error: Picture is 640 x 480 pixels; it has to be 320 x 240" ]] ||
        fail "preview: $status $err" || return 1
    [[ ! -e big-preview.png ]] || fail "preview wrote a picture"
}

# same_pixels A B: ImageMagick reads the same 320 x 240 pixels from both.
same_pixels() {
    [[ $(identify -format '%m %wx%h' "$1") == "PNG 320x240" ]] || fail "$1 is not a 320 x 240 PNG" ||
        return 1
    convert "$1" -depth 8 rgb:a.rgb && convert "$2" -depth 8 rgb:b.rgb && cmp -s a.rgb b.rgb ||
        fail "$1 and $2 differ"
}

png_output_family() {
    [[ -f palette.IMG && -f ref-palette.bmp ]] || fail "the PNG family made no palette.IMG" || return 1
    local p
    for p in view.bmp VIEW.PNG; do
        run view palette.IMG $p
        [[ $status == 0 && -z $err ]] || fail "view $p: $status $err" || return 1
    done
    same_pixels VIEW.PNG view.bmp || return 1
    # A PNG level picture, previewed as a bitmap and as a PNG, and its 24-bit reference.
    run level create LEVEL.LVL start_x=40 start_y=30 exit_x=200 exit_y=100
    for p in palette.png:preview.bmp palette.png:preview.png ref-palette.bmp:reference.bmp; do
        run preview LEVEL.LVL "${p%%:*}" "${p##*:}"
        [[ $status == 0 && -z $err ]] || fail "preview $p: $status $err" || return 1
    done
    cmp -s preview.bmp reference.bmp || fail "the PNG's preview differs from its reference's" ||
        return 1
    same_pixels preview.png preview.bmp
}

check "PNG: grey 1- and 2-bit, grey and alpha, palette, RGBA 16-bit, a tRNS colour, interlaced" png_family
check "bitmaps: 1, 4, 8, 16 (565), 32 bits with alpha, OS/2 headers, top-down" bmp_family
check "PNG out: view and preview" png_output_family
check "refused: wrong size, RLE, cut and altered files, not a picture; nothing written" \
    refusal_family
check_summary
