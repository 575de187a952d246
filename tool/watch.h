// wumpo-tool build --watch: a pack built, then built again whenever its pack file or one of its
// pictures is saved, until Ctrl+C. The watch knows files by their folders' news (os.h), so a save
// renamed over the old file is seen as well as one written in place; it waits until a save is
// whole (written and closed, or no longer held by its writer) before a build reads it, so a
// picture written slowly is never converted or reported half-way. Each build is the build that
// `build` runs, with its lock, its state and its bounds: only what a save changed is converted
// and written.
#pragma once
#include "os.h"

// Runs the watch of the pack the user named (given; 0 for wumpo-pack.json here). Returns the exit
// status: 0 after Ctrl+C, 1 when a watched folder went away or the system refused the watch.
int watch_run(const char* given);
// The build's side, in build.cpp: one build with the options of the command line, as `build`
// runs it; every file it read (the pack, each picture) and what the system said of it before
// reading goes to watch_note. Returns the build's exit status.
int build_for_watch(const char* given);
// The pack file the user named, by its full name in a runtime heap block; 0 when it cannot be
// named.
char* build_pack_full(const char* given);
// A line of what the build did, on standard output (standard error when the findings' JSON
// document is standard output's).
void build_say(const char* line);
// Called by the build for each file it read.
void watch_note(const char* full, const OsFileFacts* facts);
