// Help and usage texts of wumpo-tool: the help of each topic, and the report of a wrong command
// line with the topic's usage line.
#pragma once

// Help topics: "" for the tool, else a command as typed ("convert", "level show", ...).
// Prints the topic's help on standard output; returns TOOL_DONE.
int help_print(const char* topic);
// Reports problem (with the topic's usage line and where to find help) on standard error;
// returns TOOL_USAGE.
int help_usage(const char* topic, const char* problem);
// 1 when the arguments ask for help (--help or -h before any --).
int help_wanted(int count, char** args);
