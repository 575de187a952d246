#!/usr/bin/env bash
# win32_smoke.sh SOURCE_DIR WIN64_BUILD_DIR
# The 32-bit deliverable, run rather than only compiled: under 32-bit Wine, which these machines
# run only through qemu (about a minute per program start), so this stays a smoke test. It runs
# the runtime's and the formats' unit tests, then both programs from the unpacked win32 package:
# each shows its window and ends with exit code 0, and the Backdrop Convertor converts a sample to
# the same bytes as the 64-bit build. Exits 77 (reported as skipped, never as passed) where this
# machine cannot run 32-bit programs or the 32-bit build is missing.
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
[[ -f $zip && -f $win32/tests/core_tests.exe ]] || skip "the win32 preset is not built"

source "$(dirname "$0")/check_steps.sh"
# Each step is bounded, so an emulated program that stops making progress fails its step instead
# of holding the whole run.
run32() { timeout 1500 "$source_dir/cmake/wine-run" "$win32/wineprefix" "$loader" "$@"; }
run64() { "$source_dir/cmake/wine-run" "$win64/wineprefix" /usr/lib/wine/wine64 "$@"; }

source "$source_dir/scripts/packages.sh"
trap 'wumpo_stop_prefix "$win32/wineprefix"' EXIT

check "32-bit runtime core unit tests" run32 "$win32/tests/core_tests.exe"
# Left out here: the randomized header case, whose guard pages work by provoking page faults, which
# qemu cannot hand to 32-bit Wine's exception handling (it ends in an illegal instruction). The
# 64-bit run has it.
check "32-bit formats unit tests" run32 "$win32/tests/formats_tests.exe" \
    "--test-case-exclude=*never read outside them*"

scratch=$win32/tests/scratch/smoke
rm -rf "$scratch"
mkdir -p "$scratch"
(cd "$scratch" && cmake -E tar xf "$zip")
folder=$scratch/wumpo-tools-win32
win_folder="$(windows "$folder")\\"
check "32-bit Level Creator shows its window and closes with exit code 0" \
    run32 "$win32/tests/smoke_driver.exe" "$win_folder" level-creator.exe "Wumpo Level Creator"
check "32-bit Backdrop Convertor converts a sample and closes with exit code 0" \
    run32 "$win32/tests/smoke_driver.exe" "$win_folder" backdrop-convertor.exe \
    "Wumpo Backdrop Convertor" --convert SMOKE 'samples\backdrop1.bmp'
check "64-bit reference conversion" run64 "$win64/tests/smoke_driver.exe" --reference \
    "$(windows "$folder/samples/backdrop1.bmp")" "$(windows "$scratch/reference64.IMG")"
check "32-bit image identical to the 64-bit build's" cmp "$folder/SMOKE.IMG" "$scratch/reference64.IMG"
check_summary
