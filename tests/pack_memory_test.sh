#!/usr/bin/env bash
# pack_memory_test.sh TOOL SCRATCH
# A pack whose images alone are more than the memory a build may take: 1,000 levels, each with
# its picture, checked and built by the plain tool (the sanitizers' own memory would hide the
# tool's) with its writable memory capped at 128 MB. Its 1,000 images are 154 MB, so a build
# that held every image until writing could not finish. The levels' images are dithered, so the
# ones made again when written must be dithered as the ones kept are.
set -u
tool=$(realpath "$1") scratch=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
source "$(dirname "$0")/check_steps.sh"
rm -rf "$scratch"
mkdir -p "$scratch/art"
cd "$scratch"
cp "$source_dir/samples/level1.bmp" art/level.bmp
cp "$source_dir/samples/backdrop1.bmp" art/back.bmp
levels=1000
{
    echo '{"output": "out", "backdrops": [{"name": "BACK", "picture": "art/back.bmp"}],'
    echo ' "levels": ['
    for ((i = 1; i <= levels; i++)); do
        printf '  {"name": "L%d", "picture": "art/level.bmp", "dither": "ordered",' "$i"
        printf ' "start_x": 20, "start_y": 40,'
        printf ' "exit_x": 250, "exit_y": 150, "level_time": 60, "backdrop_name": "BACK.IMG"}%s\n' \
            "$([[ $i -lt $levels ]] && echo ,)"
    done
    echo ']}'
} >wumpo-pack.json

cap=$((128 * 1024 * 1024))
# The cap must bite, or the steps below would pass whatever the tool holds: a string doubled up to
# 134 MB is held without it, and refused with it.
grow='BEGIN { s = "x"; while (length(s) < 100000000) s = s s }'
check "a program holds 134 MB without the cap" awk "$grow"
check "the cap refuses it" bash -c "! prlimit --data=$cap awk '$grow' 2>/dev/null"
check "check converts every picture within the cap" \
    bash -c "prlimit --data=$cap '$tool' check >check.out 2>&1"
tail -1 check.out
check "build writes every file within the cap" \
    bash -c "prlimit --data=$cap '$tool' build >build.out 2>&1 &&
             tail -1 build.out | grep -qx 'Wrote 2001 of 2001 files'"
tail -1 build.out
check "the last level's image, made again when written, is the first one's" \
    bash -c "[ \"\$(stat -c %s out/L1000.IMG 2>/dev/null)\" = 153600 ] &&
             cmp -s out/L1.IMG out/L1000.IMG"
check "... and dithered, unlike the undithered image" \
    bash -c "'$tool' convert art/level.bmp && [ -f level.IMG ] && ! cmp -s level.IMG out/L1.IMG"
check "a second build within the cap finds it up to date" \
    bash -c "prlimit --data=$cap '$tool' build 2>&1 |
             grep -qx 'out: up to date (2001 files)'"
rm -rf out
check_summary
