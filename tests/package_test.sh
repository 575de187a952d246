#!/usr/bin/env bash
# package_test.sh ZIP BUILD_DIR LOADER
# Unpacks a release package, checks that it holds exactly what a designer needs, and runs its
# programs from the unpacked copy: each shows its window and closes with exit code 0, and the
# Backdrop Convertor converts a sample to the same bytes as the formats of this build.
set -u
zip=$1 build=$2 loader=$3
source_dir=$(cd "$(dirname "$0")/.." && pwd)
name=$(basename "$zip" .zip)
scratch=$build/tests/scratch/package
rm -rf "$scratch"
mkdir -p "$scratch"
source "$(dirname "$0")/check_steps.sh"
run() { "$source_dir/cmake/wine-run" "$build/wineprefix" "$loader" "$@"; }

(cd "$scratch" && cmake -E tar xf "$zip")
folder=$scratch/$name
expected="LICENSE.txt
README.txt
backdrop-convertor.exe
images/cloud.bmp
images/exit.bmp
images/exitgrav.bmp
images/logo.bmp
images/statbar.bmp
level-creator.exe
samples/backdrop1.bmp
samples/level1.bmp
wumpo-pack.schema.json
wumpo-tool.exe"
actual=$(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
check "package holds the programs, images, samples, read-me, licence and the pack's schema" [ "$actual" = "$expected" ]
[ "$actual" = "$expected" ] || diff <(echo "$expected") <(echo "$actual")
check "read-me and licence have Windows line ends" \
    bash -c "grep -q $'\r$' '$folder/README.txt' && grep -qx $'SOFTWARE.\r' '$folder/LICENSE.txt'"

win_folder="$(windows "$folder")\\"
check "Level Creator runs from the package" \
    run "$build/tests/smoke_driver.exe" "$win_folder" level-creator.exe "Wumpo Level Creator"
check "Backdrop Convertor runs and converts from the package" \
    run "$build/tests/smoke_driver.exe" "$win_folder" backdrop-convertor.exe \
    "Wumpo Backdrop Convertor" --convert SMOKE 'samples\backdrop1.bmp'
check "reference conversion" run "$build/tests/smoke_driver.exe" --reference \
    "$(windows "$folder/samples/backdrop1.bmp")" "$(windows "$scratch/reference.IMG")"
check "converted image equals the reference" cmp "$folder/SMOKE.IMG" "$scratch/reference.IMG"
if [ -f "$folder/wumpo-tool.exe" ]; then
    check "wumpo-tool answers --help" run "$folder/wumpo-tool.exe" --help
fi
check_summary
