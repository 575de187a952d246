#!/usr/bin/env python3
"""The pack file's JSON Schema against the tool that reads pack files, and the tool's findings in
each of its formats read back by a parser of that kind.

Usage: pack_schema_test.py WUMPO_TOOL SCHEMA README SCRATCH_DIR

- The README's complete pack and the packs that "pack init" writes keep the schema.
- Every bad pack that the schema refuses, "check" refuses too (exit status 1): an editor that
  shows no schema error may still see check fail, never the other way round.
- "check --format json" is JSON, "--format github" lines are workflow commands, and "--format
  sarif" is a SARIF 2.1.0 log with its required fields, each finding with its place.
"""
import json
import os
import re
import shutil
import struct
import subprocess
import sys

import jsonschema

TOOL, SCHEMA, README, SCRATCH = [os.path.abspath(a) for a in sys.argv[1:5]]
failures = []


def fail(what):
    failures.append(what)
    print("FAILED: " + what, file=sys.stderr)


def tool(folder, *args):
    return subprocess.run([TOOL, *args], cwd=folder, capture_output=True, text=True)


def bitmap(path):
    """A 320 x 240, 24-bit bitmap of one colour."""
    row = b"\x20\x40\x60" * 320
    pixels = row * 240
    header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 320, 240, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


with open(SCHEMA) as f:
    schema = json.load(f)
jsonschema.Draft7Validator.check_schema(schema)
validator = jsonschema.Draft7Validator(schema)


def schema_errors(pack):
    return [e.message for e in validator.iter_errors(pack)]


shutil.rmtree(SCRATCH, ignore_errors=True)
os.makedirs(SCRATCH)

# --- Packs that keep the schema ---------------------------------------------------------------

with open(README, encoding="utf-8") as f:
    readme = f.read()
blocks = re.findall(r"```json\n(.*?)```", readme, re.S)
complete = [b for b in blocks if '"output"' in b and '"levels"' in b and "..." not in b]
if not complete:
    fail("the README has no complete pack")
for block in complete:
    for message in schema_errors(json.loads(block)):
        fail("the README's pack breaks the schema: " + message)

# pack init on level files that use every field, with and without anti-gravity.
init = os.path.join(SCRATCH, "init")
os.makedirs(init)
for name, fields in [
    ("LEVEL1", ["description=Caf\u00e9 of winds", "start_x=40", "start_y=30", "exit_x=270",
                "exit_y=150", "draw_material=250", "wumpo_to_create=20", "wumpo_to_save=10",
                "level_time=300", "backdrop_name=SKY.IMG", "gravity_switch_times=3"]),
    ("LEVEL2", ["start_x=-32768", "exit_x=65535", "anti_gravity=1"]),
]:
    made = tool(init, "level", "create", name + ".LVL", *fields)
    if made.returncode != 0:
        fail("level create " + name + ": " + made.stderr)
    bitmap(os.path.join(init, name + ".bmp"))
bitmap(os.path.join(init, "SKY.bmp"))
made = tool(init, "pack", "init")
if made.returncode != 0:
    fail("pack init: " + made.stderr)
with open(os.path.join(init, "wumpo-pack.json"), encoding="utf-8") as f:
    written = f.read()
if not written.startswith('{\n  "$schema": "' + os.path.basename(SCHEMA) + '",\n'):
    fail("pack init does not name the schema first: " + written[:80])
initial = json.loads(written)
for message in schema_errors(initial):
    fail("the pack that pack init writes breaks the schema: " + message)
if len(initial.get("levels", [])) != 2 or len(initial.get("backdrops", [])) != 1:
    fail("pack init wrote other entries than the two levels and the backdrop: " + written)
# ... and check and build take it, "$schema" and all.
checked = tool(init, "check")
if checked.returncode != 0:
    fail("check refuses the pack that pack init wrote: " + checked.stderr + checked.stdout)
built = tool(init, "build")
if built.returncode != 0:
    fail("build refuses the pack that pack init wrote: " + built.stderr)

# --- Bad packs: what the schema refuses, check refuses --------------------------------------

LEVEL = {"name": "L1", "picture": "LEVEL1.bmp"}


def with_level(**fields):
    return {"output": "out", "levels": [dict(LEVEL, **fields)]}


bad_packs = {
    "no output": {"levels": [LEVEL]},
    "unknown top key": {"output": "out", "outptu": "x"},
    "output not a text": {"output": 3},
    "output empty": {"output": ""},
    "levels not a list": {"output": "out", "levels": {}},
    "level not an object": {"output": "out", "levels": [3]},
    "level without a name": {"output": "out", "levels": [{"picture": "LEVEL1.bmp"}]},
    "level without a picture": {"output": "out", "levels": [{"name": "L1"}]},
    "unknown level key": with_level(strat_x=3),
    "word above 65535": with_level(start_x=65536),
    "word below -32768": with_level(exit_y=-32769),
    "word as a text": with_level(level_time="300"),
    "word with a fraction": with_level(draw_material=1.5),
    "anti_gravity 2": with_level(anti_gravity=2),
    "anti_gravity true": with_level(anti_gravity=True),
    "backdrop_name over 12": with_level(backdrop_name="ABCDEFGHI.IMG"),
    "description not a text": with_level(description=7),
    "name with a folder": with_level(name="a/b"),
    "name ending in a dot": with_level(name="L1."),
    "name over 225": with_level(name="n" * 226),
    "empty picture": with_level(picture=""),
    "dither not a kind": with_level(dither="floyd"),
    "dither not a text": with_level(dither=1),
    "backdrop dither not a kind": {"output": "out",
                                   "backdrops": [{"name": "SKY", "picture": "SKY.bmp",
                                                  "dither": "Ordered"}]},
    "backdrop name over 8": {"output": "out",
                             "backdrops": [{"name": "LONGNAME1", "picture": "SKY.bmp"}]},
    "unknown backdrop key": {"output": "out",
                             "backdrops": [{"name": "SKY", "picture": "SKY.bmp",
                                            "start_x": 1}]},
    "schema not a text": {"$schema": 1, "output": "out"},
}
for what, pack in bad_packs.items():
    if not schema_errors(pack):
        fail("the schema takes the bad pack: " + what)
    with open(os.path.join(init, "bad.json"), "w", encoding="utf-8") as f:
        json.dump(pack, f)
    if tool(init, "check", "bad.json").returncode != 1:
        fail("the schema refuses it, check does not: " + what)

# --- The findings in each format ----------------------------------------------------------

formats = os.path.join(SCRATCH, "formats")
os.makedirs(formats)
bitmap(os.path.join(formats, "a.bmp"))
with open(os.path.join(formats, "wumpo-pack.json"), "w", encoding="utf-8") as f:
    f.write('{"output": "out",\n'
            ' "levels": [\n'
            '  {"name": "L1", "picture": "a.bmp", "level_time": 9,\n'
            '   "strat_x": 3, "start_y": 70000},\n'
            '  {"name": "L2", "picture": "gone%,:\\r\\n.bmp", "start_y": 30, "level_time": 9}\n'
            ' ]}\n')
# Each finding: its key, severity, line and column (the key for an unknown key, the value
# otherwise, the entry where no field is given), as the text output shows them.
expected = [
    ("strat_x", "error", 4, 4),
    ("start_y", "error", 4, 29),
    ("start_y", "warning", 4, 29),
    ("exit_y", "warning", 3, 3),
    ("backdrop_name", "warning", 3, 3),
    ("exit_y", "warning", 5, 3),
    ("backdrop_name", "warning", 5, 3),
    ("picture", "error", 5, 29),
]
errors = sum(1 for e in expected if e[1] == "error")
warnings = len(expected) - errors

text = tool(formats, "check")
places = re.findall(r"^wumpo-pack\.json:(\d+):(\d+): levels\[\d\] \"L\d\": (\w+): (Error|Warning): ",
                    text.stderr, re.M)
got = [(key, severity.lower(), int(line), int(column)) for line, column, key, severity in places]
if got != expected or text.returncode != 1:
    fail("check's text output: " + text.stderr)

as_json = tool(formats, "check", "--format", "json")
legacy = tool(formats, "check", "--json")
report = json.loads(as_json.stdout)
got = [(f["key"], f["severity"], f.get("line"), f.get("column")) for f in report["findings"]]
if got != expected or report["errors"] != errors or as_json.stdout != legacy.stdout:
    fail("check --format json: " + as_json.stdout)

github = tool(formats, "check", "--format", "github")
# A workflow command: properties without a raw comma, colon or line end, the message without
# a raw line end; "%" only as the start of an escape.
command = re.compile(r"^::(error|warning) file=([^,:\r\n]*)(?:,line=(\d+),col=(\d+))?::"
                     r"((?:[^%\r\n]|%25|%0D|%0A)*)$")
lines = [l for l in github.stdout.split("\n") if l.startswith("::")]
got = []
for line in lines:
    m = command.match(line)
    if not m:
        fail("not a workflow command: " + line)
        continue
    key = m.group(5).split(": ")[1]
    got.append((key, m.group(1), int(m.group(3)), int(m.group(4))))
if got != expected or github.returncode != 1:
    fail("check --format github: " + github.stdout)
if not any('Cannot open "gone%25,:%0D%0A.bmp"' in l for l in lines):
    fail("check --format github does not escape %, CR and LF: " + github.stdout)

sarif = tool(formats, "check", "--format", "sarif")
log = json.loads(sarif.stdout)
try:
    assert log["version"] == "2.1.0" and "sarif" in log["$schema"]
    run, = log["runs"]
    driver = run["tool"]["driver"]
    version = tool(formats, "--version").stdout.split()[-1]
    assert driver["name"] == "wumpo-tool" and driver["version"] == version
    ids = [r["id"] for r in driver["rules"]]
    assert len(ids) == len(set(ids)), "rule ids are not unique"
    got = []
    for result in run["results"]:
        assert result["level"] in ("error", "warning")
        assert result["message"]["text"]
        assert ids[result["ruleIndex"]] == result["ruleId"]
        where = result["locations"][0]["physicalLocation"]
        assert where["artifactLocation"]["uri"] == "wumpo-pack.json"
        got.append((result["message"]["text"].split(": ")[1], result["level"],
                    where["region"]["startLine"], where["region"]["startColumn"]))
    assert got == expected, got
    rules = [r["ruleId"] for r in run["results"]]
    assert rules[0] == "unknown-key" and rules[-1] == "picture", rules
except (AssertionError, KeyError, ValueError, TypeError) as e:
    fail("check --format sarif: %r\n%s" % (e, sarif.stdout))

# build takes the formats too; with a JSON document on standard output, its own lines go to
# standard error.
built = tool(formats, "build", "--format", "sarif")
if built.returncode != 1 or json.loads(built.stdout)["version"] != "2.1.0":
    fail("build --format sarif: " + built.stdout)
for args in (["check", "--format"], ["check", "--format", "xml"], ["build", "--format", "TEXT"]):
    if tool(formats, *args).returncode != 2:
        fail("not a usage error: " + " ".join(args))

sys.exit(1 if failures else 0)
