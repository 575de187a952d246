// Process entry and start routine. The C runtime's start-up code obtains the arguments and calls
// WinMain; from here the program's main body is called with the rest of the command line.
#include "program.h"
#include <windows.h>
#include <signal.h>

namespace {
// Hands an exception that nothing handled to a C signal handler the program may have installed
// (SIGSEGV first, then SIGFPE), then lets the system end the process as usual.
LONG WINAPI entry_exception_filter(EXCEPTION_POINTERS*) {
    static const int SIGNALS[] = {SIGSEGV, SIGFPE};
    for (int sig : SIGNALS) {
        void (*handler)(int) = signal(sig, SIG_DFL);
        if (handler != SIG_DFL && handler != SIG_IGN && handler != SIG_ERR) {
            signal(sig, handler);
            raise(sig);
            break;
        }
        signal(sig, handler);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetUnhandledExceptionFilter(&entry_exception_filter);
    char* tail = (char*)program_command_tail(GetCommandLineA());
    return program_main(GetModuleHandleA(0), 0, tail, SW_SHOWNORMAL);
}
