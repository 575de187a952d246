// Drives a real program of this project from outside its process, as a designer would: starts it
// from a fresh copy of the ready-to-run folder, finds its window and controls, types, clicks,
// chooses tabs, answers message boxes and checks what it wrote.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

struct App {
    std::string folder; // the private copy of the ready-to-run folder, with a final backslash
    PROCESS_INFORMATION process = {};
    HWND window = 0;
};

struct Box {
    bool found = false;
    std::string title, text;
    int buttons = 0; // push buttons in the box
};

// The ready-to-run folder of this build, with a final backslash.
std::string app_ready_folder();
// Copies the ready-to-run folder into a fresh scratch folder of that name and starts the program
// there; waits for its window of that title. app.window is 0 when it did not appear.
App app_start(const char* scratch_name, const char* exe, const char* title);
// Starts the program in folder (with a final backslash) as it is, and waits at most timeout_ms
// for its window; its current directory is current, the folder itself when that is empty (as a
// shortcut or a file association may start it elsewhere).
App app_launch(const std::string& folder, const char* exe, const char* title,
               unsigned timeout_ms = 20000, const std::string& current = "");
// Copies the ready-to-run folder into folder (with a final backslash; made when missing).
void app_copy_ready(const std::string& folder);
// Posts WM_CLOSE to the window (the close box) and waits for the process; its exit code, or -2
// when it did not end (it is then killed).
int app_close(App& app, unsigned timeout_ms = 20000);
// Ends the process if it still runs (for cleanup after a failed check).
void app_kill(App& app);

// The control with that identifier (gadget number) among the window's descendants; for 9999
// (labels) the first one in creation order. 0 if none.
HWND app_control(const App& app, int id);
// All descendants with that identifier, in creation order.
std::vector<HWND> app_controls(const App& app, int id);
std::string app_class(HWND control);
std::string app_text(HWND control);
void app_set_text(HWND control, const std::string& text);
// Presses a button or check box the way a click does (posted, so a modal box cannot block us).
void app_click(HWND button);
// Chooses a tab of the panel as a user would (the program is notified).
void app_choose_tab(const App& app, int index);
// The caption of a tab of the panel (read through memory lent in the program's process).
std::string app_tab_caption(const App& app, int index);
// Waits for a message box of the program; reads it and presses OK. found = false on timeout.
Box app_answer_box(const App& app, unsigned timeout_ms = 20000);
// True when no message box of the program appears within the time.
bool app_no_box(const App& app, unsigned wait_ms = 700);
// Gives the keyboard focus to a control of the program and types virtual keys into it.
void app_focus(const App& app, HWND control);
void app_keys(const std::vector<WORD>& keys, bool shift = false);
// Presses key with modifier (VK_CONTROL, VK_SHIFT...) held, as typed.
void app_chord(WORD modifier, WORD key);
// Presses and releases a mouse button at the client point (x, y) of window: posts the messages to
// the window the system would deliver them to (injected mouse input does not reach it here).
void app_mouse_press(HWND window, int x, int y, bool right = false);
// Waits for a dialog of the program with that title (such as the Open dialog); 0 on timeout.
HWND app_find_dialog(const App& app, const char* title, unsigned timeout_ms = 20000);
// In an Open dialog: types name into its file name box and presses Open; true when the dialog
// then closed.
bool app_open_file(HWND dialog, const std::string& name);
// Presses Cancel in a dialog; true when it then closed.
bool app_cancel(HWND dialog);
HWND app_focused(const App& app);
// Waits until the program has handled everything sent so far.
void app_settle(const App& app);
// Every control of the program's window but the panel's pages, with its place in its parent, in
// the order of the system's list of windows (the order of creation, but that a page shown is
// raised above the others).
struct Placed {
    int id;
    std::string cls;
    RECT r;
    HWND parent;
};
std::vector<Placed> app_placed(const App& app);
// Drops files on the window as the system's file manager does: a WM_DROPFILES whose file list
// lies in the program's own memory, with the names as given (full names, in the code page).
void app_drop_files(const App& app, const std::vector<std::string>& names);
// Tells the program's window, as the system does when it is moved to a monitor of another scale,
// that it is now shown at dpi, and suggests the rectangle it should take (in screen pixels); the
// rectangle lies in the program's own memory, as the system's would. Returns once it was handled.
void app_dpi_changed(const App& app, unsigned dpi, const RECT& suggested);
// The display scale that programs started from now on see (the DPI of the virtual screen), for
// the life of the object; then 96 again. Programs already running keep theirs.
struct AppDisplayDpi {
    explicit AppDisplayDpi(unsigned dpi);
    ~AppDisplayDpi();
    bool set; // the setting was written
};
// What the screen shows of a window: pixel (x, y) from its top-left as 0xRRGGBB.
struct Shot {
    int width = 0, height = 0;
    std::vector<unsigned char> rows; // bottom-up 24-bit rows, each padded to 4 bytes
    unsigned at(int x, int y) const;
};
Shot app_capture(HWND window);
// The pixels of shot that are not base's pixel under them, base scaled up factor times; the box
// they lie in is printed when there are any.
int app_scaled_differences(const Shot& shot, const Shot& base, int factor);
// Writes what the screen shows of a window as a 24-bit BMP.
bool app_screenshot(HWND window, const std::string& bmp_path);
// Position of a control relative to its parent's client area, and its outer size.
RECT app_rect_in_parent(HWND control);
