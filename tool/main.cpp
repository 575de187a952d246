// wumpo-tool: the command-line companion of the two forms. Starts the same runtime as the
// programs, picks the command from the first arguments and returns its exit status.
#include "tool.h"
#include "out.h"
#include "path.h"
#include "program.h"
#include "text.h"

#ifndef WUMPO_TOOL_VERSION
#define WUMPO_TOOL_VERSION "0"
#endif

namespace {
// "unknown command "x"" and the like.
int unknown(const char* topic, const char* what, const char* word) {
    char problem[TEXT_MESSAGE_ROOM];
    text_format(problem, sizeof problem, "%s \"%s\"", what, word);
    return help_usage(topic, problem);
}

int run_level(int count, char** args) {
    if (count == 0)
        return help_usage("level", "no level command given");
    if (text_equal(args[0], "--help") || text_equal(args[0], "-h"))
        return help_print("level");
    if (text_equal(args[0], "show"))
        return tool_level_show(count - 1, args + 1);
    if (text_equal(args[0], "create"))
        return tool_level_create(count - 1, args + 1);
    return unknown("level", "unknown level command", args[0]);
}

int run_pack(int count, char** args) {
    if (count == 0)
        return help_usage("pack", "no pack command given");
    if (text_equal(args[0], "--help") || text_equal(args[0], "-h"))
        return help_print("pack");
    if (text_equal(args[0], "init"))
        return tool_pack_init(count - 1, args + 1);
    return unknown("pack", "unknown pack command", args[0]);
}
} // namespace

int tool_run(int count, char** args) {
    if (count == 0)
        return help_usage("", "no command given");
    const char* command = args[0];
    if (text_equal(command, "--help") || text_equal(command, "-h") || text_equal(command, "help"))
        return help_print("");
    if (text_equal(command, "--version")) {
        out_line("wumpo-tool " WUMPO_TOOL_VERSION);
        return TOOL_DONE;
    }
    if (text_equal(command, "convert"))
        return tool_convert(count - 1, args + 1);
    if (text_equal(command, "view"))
        return tool_view(count - 1, args + 1);
    if (text_equal(command, "level"))
        return run_level(count - 1, args + 1);
    if (text_equal(command, "preview"))
        return tool_preview(count - 1, args + 1);
    if (text_equal(command, "build"))
        return tool_build(count - 1, args + 1);
    if (text_equal(command, "check"))
        return tool_check(count - 1, args + 1);
    if (text_equal(command, "pack"))
        return run_pack(count - 1, args + 1);
    return unknown("", "unknown command", command);
}

int main(int argc, char** argv) {
    if (program_start_console() != PROGRAM_STARTED) {
        out_error(0, "Error: Not enough memory");
        program_release();
        return TOOL_FAILED;
    }
    // Before any open: every open makes the program's directory current.
    path_start();
    int status = tool_run(argc - 1, argv + 1);
    program_release();
    return status;
}
