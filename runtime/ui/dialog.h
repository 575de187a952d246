// The system's standard file dialogs. Owns nothing: each call shows one modal dialog and produces
// its answer in the temporary string area.
#pragma once
#include <windows.h>

// Shows the system's Open dialog (comdlg32) titled title, listing the file types of filter (names
// and patterns separated by "|": "Bitmaps (*.bmp)|*.bmp|All files (*.*)|*.*"), owned by owner,
// which is disabled while it is open. It starts in the folder of start_name (a relative name is the
// program directory's) when that folder exists, else in the program directory. Only an existing
// file can be chosen. The full name of the file chosen, produced at the current position of the
// temporary string area; 0 when the dialog was cancelled or could not be shown (nothing produced).
char* dialog_open_file(HWND owner, const char* title, const char* filter, const char* start_name);
