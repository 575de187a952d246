// The system's standard file dialogs. Owns nothing.
#include "dialog.h"
#include "program.h"
#include "str.h"
#include <windows.h>
#include <commdlg.h>

namespace {
enum {
    NAME_SIZE = 1024, // longer than any name the dialog gives back
    FILTER_SIZE = 512
};

// The filter as the dialog takes it: every "|" a terminator, and one more at the end.
void dialog_filter(const char* filter, char* out) {
    int n = 0;
    for (; filter && filter[n] && n < FILTER_SIZE - 2; ++n)
        out[n] = filter[n] == '|' ? 0 : filter[n];
    out[n] = 0;
    out[n + 1] = 0;
}

// The existing folder of name, with its final separator, into folder; else the program directory.
void start_folder(const char* name, char* folder) {
    lstrcpynA(folder, program_directory(), NAME_SIZE);
    if (!name || !*name)
        return;
    // Resolved as the programs resolve every name they open: against their own directory.
    SetCurrentDirectoryA(program_directory());
    char full[NAME_SIZE];
    char* file_part = 0;
    DWORD n = GetFullPathNameA(name, NAME_SIZE, full, &file_part);
    if (n == 0 || n >= NAME_SIZE || !file_part)
        return;
    *file_part = 0;
    DWORD attributes = GetFileAttributesA(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        lstrcpynA(folder, full, NAME_SIZE);
}
} // namespace

char* dialog_open_file(HWND owner, const char* title, const char* filter, const char* start_name) {
    char filter_list[FILTER_SIZE];
    char folder[NAME_SIZE];
    char chosen[NAME_SIZE];
    dialog_filter(filter, filter_list);
    start_folder(start_name, folder);
    chosen[0] = 0;
    OPENFILENAMEA dialog;
    ZeroMemory(&dialog, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    // Owned by the program's window, which is disabled meanwhile: no click can reach the form
    // while the main loop waits for the answer.
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter_list;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = NAME_SIZE;
    dialog.lpstrInitialDir = folder;
    dialog.lpstrTitle = title;
    // The programs set the current directory before every open; the dialog leaves it alone.
    dialog.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&dialog))
        return 0;
    char* start = str_position();
    str_concat(chosen);
    return start;
}
