// Test entry: starts the runtime once, as a program's main body would, then runs the cases.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>
#include "program.h"
#include <stdio.h>

int main(int argc, char** argv) {
    if (program_start() != PROGRAM_STARTED) {
        fprintf(stderr, "runtime did not start\n");
        return 1;
    }
    doctest::Context context(argc, argv);
    int result = context.run();
    program_release();
    return result;
}
