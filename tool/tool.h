// The commands of wumpo-tool and what they share: exit statuses, help and usage texts (help.h), and
// the reading of a level file that both "level show" and "preview" need. Each command takes the
// arguments after its own name and returns the exit status.
#pragma once
#include <stdint.h>
#include "level.h"
// Every command answers --help and reports a wrong command line through the help module.
#include "help.h"

// Exit statuses.
enum ToolStatus {
    TOOL_DONE = 0,   // everything asked for was done
    TOOL_FAILED = 1, // a file could not be read or written, or was refused
    TOOL_USAGE = 2   // the command line is wrong; nothing was done
};

// Runs the command line after the program's name.
int tool_run(int count, char** args);

// wumpo-tool convert BITMAP... [--out DIR]
int tool_convert(int count, char** args);
// wumpo-tool view IMAGE.IMG OUT.BMP
int tool_view(int count, char** args);
// wumpo-tool level show FILE.LVL [--json]
int tool_level_show(int count, char** args);
// wumpo-tool level create FILE.LVL [--from FILE.json] [field=value...]
int tool_level_create(int count, char** args);
// wumpo-tool preview FILE.LVL BITMAP OUT.BMP
int tool_preview(int count, char** args);
// wumpo-tool build [PACK.json] [--jobs N] [--force]
int tool_build(int count, char** args);
// wumpo-tool check [PACK.json | FILE.LVL...] [--json]
int tool_check(int count, char** args);
// wumpo-tool pack init [DIR]
int tool_pack_init(int count, char** args);

// Reads the level file that the user named (shown in messages) into f, its texts held in texts.
// FILE_DONE when read; FILE_NOT_OPENED when it could not be read, FILE_WRONG_SIZE when it is not
// 56 bytes long; tool_level_problem tells either.
int tool_level_read(const char* name, LevelValues* v);
// "Can't open level file" or "Not a level file", for what tool_level_read gave.
const char* tool_level_problem(int outcome);
// "name: Error: " and that problem on standard error.
void tool_level_report(const char* name, int outcome);
