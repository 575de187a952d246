#!/usr/bin/env bash
# win32_smoke.sh SOURCE_DIR WIN64_BUILD_DIR
# The 32-bit deliverable, run rather than only compiled: under 32-bit Wine, which these machines
# run only through qemu (about a minute per program start). The 32-bit arithmetic of the core,
# the formats and the tool is tested natively (preset native32), so this keeps to what only the
# real 32-bit .exe files can show: from the unpacked win32 package, the Level Creator creates a
# level and the Backdrop Convertor converts a sample, each into the same image as the 64-bit
# build, and each ends with exit code 0; wumpo-tool converts a PNG into the image computed for it
# and refuses a hostile PNG. Exits 77 (reported as skipped, never as passed) where this machine
# cannot run 32-bit programs or the 32-bit build is missing.
set -u
source_dir=$1 win64=$2
win32=$source_dir/build/win32
loader=/usr/lib/wine/wine
skip() {
    echo "SKIPPED: $*"
    exit 77
}
if [[ -f $source_dir/build/win32-unavailable.txt ]]; then
    skip "$(cat "$source_dir/build/win32-unavailable.txt")"
fi
[[ -x $loader ]] && "$loader" --version >/dev/null 2>&1 ||
    skip "this machine cannot run 32-bit programs (no 32-bit Wine through qemu-user-static)"
zip=$win32/dist/wumpo-tools-win32.zip
[[ -f $zip ]] || skip "the win32 preset is not built"

source "$(dirname "$0")/check_steps.sh"
# Each step is bounded, so an emulated program that stops making progress fails its step instead
# of holding the whole run. Only the programs under test are emulated: the driver that starts and
# answers them is the 64-bit build's, run natively in the same prefix (wine-run makes every prefix
# a 64-bit one). qemu is told to reserve the 3 GB that a 32-bit Windows program has, rather than
# its default of the whole 4 GB: each emulated start took about a quarter less time so.
export QEMU_RESERVED_VA=0xc0000000
# Everything runs in the smoke's own prefix, the 64-bit references too, never the 64-bit tests'
# one, so that it can run while they do.
run32() { timeout 1500 "$source_dir/cmake/wine-run" "$win32/wineprefix" "$loader" "$@"; }
run64() { timeout 1500 "$source_dir/cmake/wine-run" "$win32/wineprefix" /usr/lib/wine/wine64 "$@"; }
drive32() { run64 "$win64/tests/smoke_driver.exe" "$@"; }

source "$source_dir/scripts/packages.sh"
trap 'wumpo_stop_prefix "$win32/wineprefix"' EXIT

scratch=$win32/tests/scratch/smoke
rm -rf "$scratch"
mkdir -p "$scratch"
(cd "$scratch" && cmake -E tar xf "$zip")
folder=$scratch/wumpo-tools-win32
win_folder="$(windows "$folder")\\"

# The 64-bit build's images of both samples, and the pictures for the tool.
references() {
    local sample
    for sample in level1 backdrop1; do
        run64 "$win64/tests/smoke_driver.exe" --reference \
            "$(windows "$folder/samples/$sample.bmp")" "$(windows "$scratch/$sample.IMG")" ||
            return 1
    done
    run64 "$win64/tests/smoke_driver.exe" --pictures "$(windows "$scratch")\\"
}
# The level and the backdrop the 32-bit programs wrote, against the 64-bit build's images.
same_as_64() {
    [[ $(stat -c %s "$folder/LEVEL.LVL") == 56 ]] || { echo "  LEVEL.LVL is not 56 bytes"; return 1; }
    cmp "$folder/LEVEL.IMG" "$scratch/level1.IMG" && cmp "$folder/SMOKE.IMG" "$scratch/backdrop1.IMG"
}
# wumpo-tool.exe on a good and a hostile PNG: the good one's image as computed, the hostile one
# refused by name with nothing written, exit status 1. On one job thread: with a second thread
# qemu-user itself crashed (signal 11, most runs, after the image was written and compared
# right), where the one-thread run never did; the tool's threads are tested in the native
# builds, 64- and 32-bit, and under wine64.
tool_pictures() {
    local status=0
    run32 "$folder/wumpo-tool.exe" convert "$(windows "$scratch/good.png")" \
        "$(windows "$scratch/hostile.png")" --out "$(windows "$scratch")" --jobs 1 \
        >"$scratch/tool.out" 2>"$scratch/tool.err" || status=$?
    tr -d '\r' <"$scratch/tool.err"
    [[ $status == 1 ]] || { echo "  exit status $status"; return 1; }
    grep -q 'hostile.png: Error: Cannot read picture' "$scratch/tool.err" &&
        cmp "$scratch/good.IMG" "$scratch/good.expected" && [[ ! -e $scratch/hostile.IMG ]]
}

check "64-bit reference images and test pictures" references
# The tool is a console program and needs no desktop: it runs beside the two forms, each emulated
# on a core of its own, and is told after them.
tool_pictures >"$scratch/tool-step.txt" 2>&1 &
tool_job=$!
tool_told() {
    local status=0
    wait "$tool_job" || status=$?
    cat "$scratch/tool-step.txt"
    return $status
}
check "32-bit Level Creator creates a level and closes with exit code 0" \
    drive32 "$win_folder" level-creator.exe "Wumpo Level Creator" --create LEVEL 'samples\level1.bmp'
check "32-bit Backdrop Convertor converts a sample and closes with exit code 0" \
    drive32 "$win_folder" backdrop-convertor.exe "Wumpo Backdrop Convertor" \
    --convert SMOKE 'samples\backdrop1.bmp'
check "32-bit level and backdrop images identical to the 64-bit build's" same_as_64
check "32-bit wumpo-tool converts a PNG and refuses a hostile one (beside the forms)" tool_told
check_summary
