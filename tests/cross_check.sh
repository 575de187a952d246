#!/usr/bin/env bash
# cross_check.sh NATIVE_TOOL WINDOWS_TOOL BUILD_DIR LOADER
# The native wumpo-tool and this Windows build's (under Wine) are given the same files in two
# directories and the same command lines: the sample bitmaps and the programs' own pictures
# (which are refused, not being 320 x 240) converted by one wildcard, the images viewed back as
# bitmaps, a level written, listed and previewed. Every file written must be the same bytes, and
# every exit status and text the same (Windows ends its lines with CR LF, the native tool with
# LF, and each names directories with its own separator). Exit 77 (skipped) when the native tool
# has not been built.
set -u
native=$1 windows_tool=$2 build=$3 loader=$4
if [ ! -x "$native" ]; then
    echo "no native wumpo-tool at $native (build the native preset first)"
    exit 77
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
scratch=$build/tests/scratch/cross_check
rm -rf "$scratch"
source "$(dirname "$0")/check_steps.sh"

for side in native windows; do
    mkdir -p "$scratch/$side/out"
    cp "$source_dir"/samples/*.bmp "$source_dir"/images/*.bmp "$scratch/$side/"
done
# The Windows texts as the native tool words them: LF line ends, and in texts that name files in
# a directory (separators=1), slashes for backslashes.
separators=0
as_native() {
    if [ $separators = 1 ]; then tr -d '\r' | tr '\\' /; else tr -d '\r'; fi
}
# Runs one command line with both tools, each in its own directory, and compares what they say.
both() {
    local name=$1
    shift
    (cd "$scratch/native" && "$native" "$@" >"../$name.native.out" 2>"../$name.native.err"
        echo $? >"../$name.native.status")
    (cd "$scratch/windows" &&
        "$source_dir/cmake/wine-run" "$build/wineprefix" "$loader" "$windows_tool" "$@" \
            >"../$name.windows.out" 2>"../$name.windows.err"
        echo $? >"../$name.windows.status")
    cmp -s "$scratch/$name.native.status" "$scratch/$name.windows.status" &&
        cmp -s "$scratch/$name.native.out" <(as_native <"$scratch/$name.windows.out") &&
        cmp -s "$scratch/$name.native.err" <(as_native <"$scratch/$name.windows.err")
}
same_files() { # same_files FILE...: each file the same bytes on both sides, and not empty
    local f
    for f in "$@"; do
        [ -s "$scratch/native/$f" ] && cmp "$scratch/native/$f" "$scratch/windows/$f" || return 1
    done
}

separators=1
check "convert *.bmp --out out: same progress, refusals and status" \
    both convert convert '*.bmp' --out out
separators=0
check "the same images" same_files out/backdrop1.IMG out/level1.IMG
check "nothing made of the refused pictures" \
    bash -c "[ \$(ls '$scratch/native/out' | wc -l) = 2 ] && [ \$(ls '$scratch/windows/out' | wc -l) = 2 ]"
check "view: the same texts and status" both view1 view out/backdrop1.IMG back1.bmp
check "view of the other image too" both view2 view out/level1.IMG back2.bmp
check "the same viewed bitmaps" same_files back1.bmp back2.bmp
check "level create: the same level file" both create level create LEVEL.LVL \
    "description=Cross check" start_x=40 start_y=150 exit_x=250 exit_y=60 anti_gravity=1 \
    gravity_switch_times=-3 backdrop_name=SKY.IMG
check "the same level files" same_files LEVEL.LVL
# A description beyond ASCII (e acute, and the euro sign of Windows-1252), in a file written by
# the native tool, which takes its UTF-8 argument into the level file's code page.
check "a level with Western characters" \
    bash -c "cd '$scratch/native' && '$native' level create WEST.LVL \"description=caf\$(printf '\\xc3\\xa9 \\xe2\\x82\\xac')\" &&
        cp WEST.LVL ../windows/"
check "level show: the same texts" both show level show WEST.LVL
check "level show --json: the same JSON" both json level show --json WEST.LVL
check "preview: the same picture" both preview preview LEVEL.LVL level1.bmp preview.bmp
check "the same previews" same_files preview.bmp
check "refused values: the same messages and status" both refused level create BAD.LVL \
    start_x=70000 anti_gravity=2
check "usage errors: the same texts and status" both usage convert --outdir x
# What show --json printed, read back by each: the level file it came from.
check "level create --from: the same level file" both from level create FROM.LVL \
    --from ../json.native.out
check "the level file that show --json was made of" \
    bash -c "cmp '$scratch/native/FROM.LVL' '$scratch/native/WEST.LVL'"
check "the same level files from JSON" same_files FROM.LVL
# A pack of one backdrop and one level, built and checked by both.
for side in native windows; do
    cat >"$scratch/$side/wumpo-pack.json" <<'EOF'
{"output": "pack", "backdrops": [{"name": "SKY", "picture": "backdrop1.bmp"}],
 "levels": [{"name": "ONE", "picture": "level1.bmp", "description": "caf\u00e9 \u20ac",
             "start_x": 40, "start_y": 30, "exit_x": 250, "exit_y": 60, "level_time": 0,
             "backdrop_name": "SKY.IMG"}]}
EOF
done
separators=1
check "build: the same lines, warnings and status" both build build --jobs 2
separators=0
check "the same pack files" same_files pack/SKY.IMG pack/ONE.LVL pack/ONE.IMG
check "check --json: the same findings" both check check --json
check_summary
