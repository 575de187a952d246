#include "app_driver.h"
#include "test_support.h"
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

namespace {
void copy_tree(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), 0);
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((from + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            copy_tree(from + name + "\\", to + name + "\\");
        else
            CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE);
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

struct Search {
    DWORD pid;
    const char* class_name;
    const char* title;
    HWND found;
};

BOOL CALLBACK find_top(HWND hwnd, LPARAM lparam) {
    Search* s = reinterpret_cast<Search*>(lparam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd))
        return TRUE;
    char buffer[256];
    if (s->class_name) {
        GetClassNameA(hwnd, buffer, sizeof buffer);
        if (lstrcmpA(buffer, s->class_name) != 0)
            return TRUE;
    }
    if (s->title) {
        GetWindowTextA(hwnd, buffer, sizeof buffer);
        if (lstrcmpA(buffer, s->title) != 0)
            return TRUE;
    }
    s->found = hwnd;
    return FALSE;
}

HWND find_window(DWORD pid, const char* class_name, const char* title) {
    Search s = {pid, class_name, title, 0};
    EnumWindows(&find_top, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

struct Collect {
    int id;
    std::vector<HWND>* out;
};

BOOL CALLBACK collect_child(HWND hwnd, LPARAM lparam) {
    Collect* c = reinterpret_cast<Collect*>(lparam);
    if (GetDlgCtrlID(hwnd) == c->id)
        c->out->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK count_buttons(HWND hwnd, LPARAM lparam) {
    char name[32];
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpiA(name, "Button") == 0)
        ++*reinterpret_cast<int*>(lparam);
    return TRUE;
}
} // namespace

std::string app_ready_folder() {
    return test_program_dir() + "..\\bin\\";
}

App app_start(const char* scratch_name, const char* exe, const char* title) {
    std::string folder = test_scratch_dir(scratch_name);
    copy_tree(app_ready_folder(), folder);
    return app_launch(folder, exe, title);
}

namespace {
void display_dpi_default(void);
}

void app_copy_ready(const std::string& folder) {
    CreateDirectoryA(folder.c_str(), 0);
    copy_tree(app_ready_folder(), folder);
}

App app_launch(const std::string& folder, const char* exe, const char* title, unsigned timeout_ms,
               const std::string& current) {
    // A run that ended inside an AppDisplayDpi (a crash) would leave its scale to every later one.
    display_dpi_default();
    App app;
    app.folder = folder;
    std::string line = "\"" + app.folder + exe + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    const std::string& directory = current.empty() ? app.folder : current;
    if (!CreateProcessA(0, buffer.data(), 0, 0, FALSE, 0, 0, directory.c_str(), &si, &app.process))
        return app;
    WaitForInputIdle(app.process.hProcess, timeout_ms);
    DWORD start = GetTickCount();
    while (!app.window && GetTickCount() - start < timeout_ms) {
        app.window = find_window(app.process.dwProcessId, 0, title);
        if (!app.window)
            Sleep(50);
    }
    if (app.window)
        app_settle(app);
    return app;
}

int app_close(App& app, unsigned timeout_ms) {
    if (!app.process.hProcess)
        return -1;
    PostMessageA(app.window, WM_CLOSE, 0, 0);
    int code = -2;
    if (WaitForSingleObject(app.process.hProcess, timeout_ms) == WAIT_OBJECT_0) {
        DWORD exit_code = 0;
        GetExitCodeProcess(app.process.hProcess, &exit_code);
        code = (int)exit_code;
    }
    app_kill(app);
    return code;
}

void app_kill(App& app) {
    if (!app.process.hProcess)
        return;
    if (WaitForSingleObject(app.process.hProcess, 0) != WAIT_OBJECT_0)
        test_terminate(app.process.hProcess);
    CloseHandle(app.process.hThread);
    CloseHandle(app.process.hProcess);
    app.process = PROCESS_INFORMATION{};
}

std::vector<HWND> app_controls(const App& app, int id) {
    std::vector<HWND> out;
    Collect c = {id, &out};
    EnumChildWindows(app.window, &collect_child, reinterpret_cast<LPARAM>(&c));
    return out;
}

HWND app_control(const App& app, int id) {
    std::vector<HWND> all = app_controls(app, id);
    return all.empty() ? 0 : all.front();
}

std::string app_class(HWND control) {
    char name[128] = "";
    GetClassNameA(control, name, sizeof name);
    return name;
}

std::string app_text(HWND control) {
    LRESULT n = SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> buffer((size_t)n + 2);
    SendMessageA(control, WM_GETTEXT, (WPARAM)buffer.size(), (LPARAM)buffer.data());
    return buffer.data();
}

void app_set_text(HWND control, const std::string& text) {
    SendMessageA(control, WM_SETTEXT, 0, (LPARAM)text.c_str());
}

void app_click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

void app_choose_tab(const App& app, int index) {
    HWND tab = app_control(app, 0);
    SendMessageA(tab, TCM_SETCURFOCUS, (WPARAM)index, 0);
    app_settle(app);
}

namespace {
BOOL CALLBACK find_edit(HWND hwnd, LPARAM lparam) {
    char name[16] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpiA(name, "Edit") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(lparam) = hwnd;
    return FALSE;
}

DWORD_PTR sent(HWND window, UINT message, WPARAM wparam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wparam, 0, SMTO_NORMAL, 5000, &result);
    return result;
}
} // namespace

void app_settle(const App& app) {
    // A message sent from another thread is handled as soon as the program's thread next asks
    // for one, before anything posted to it: a sent message alone returns while clicks posted
    // just before are still queued. A posted message is taken only once everything posted before
    // it has been handled (the program's loop takes one message a turn, and acts on it before the
    // next), so the wait is for a posted message whose effect can be asked for: an edit field's
    // modified flag, set by a post and read by sends, and given back its value after.
    HWND field = 0;
    EnumChildWindows(app.window, &find_edit, reinterpret_cast<LPARAM>(&field));
    if (field) {
        DWORD_PTR was = sent(field, EM_GETMODIFY, 0);
        sent(field, EM_SETMODIFY, FALSE);
        if (PostMessageA(field, EM_SETMODIFY, TRUE, 0)) {
            DWORD start = GetTickCount();
            while (!sent(field, EM_GETMODIFY, 0) && GetTickCount() - start < 10000)
                Sleep(1);
        }
        sent(field, EM_SETMODIFY, was ? TRUE : FALSE);
    }
    sent(app.window, WM_NULL, 0);
}

Box app_answer_box(const App& app, unsigned timeout_ms) {
    Box box;
    DWORD start = GetTickCount();
    HWND dialog = 0;
    while (!dialog && GetTickCount() - start < timeout_ms) {
        dialog = find_window(app.process.dwProcessId, "#32770", 0);
        if (!dialog)
            Sleep(30);
    }
    if (!dialog)
        return box;
    box.found = true;
    box.title = app_text(dialog);
    HWND text = GetDlgItem(dialog, 0xFFFF);
    box.text = text ? app_text(text) : "";
    EnumChildWindows(dialog, &count_buttons, reinterpret_cast<LPARAM>(&box.buttons));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 200 && IsWindow(dialog); ++i)
        Sleep(20);
    return box;
}

HWND app_find_dialog(const App& app, const char* title, unsigned timeout_ms) {
    DWORD start = GetTickCount();
    HWND dialog = 0;
    while (!dialog && GetTickCount() - start < timeout_ms) {
        dialog = find_window(app.process.dwProcessId, "#32770", title);
        if (!dialog)
            Sleep(30);
    }
    return dialog;
}

namespace {
// Presses a dialog's button the way its click does, and waits for the dialog to close.
bool press_and_wait_closed(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
    for (int i = 0; i < 500 && IsWindow(dialog); ++i)
        Sleep(20);
    return !IsWindow(dialog);
}
} // namespace

bool app_open_file(HWND dialog, const std::string& name) {
    // The file name box of the Open dialog: a combo box (cmb13) or, in older dialogs, an edit
    // field (edt1).
    HWND box = GetDlgItem(dialog, 0x47C);
    if (!box)
        box = GetDlgItem(dialog, 0x480);
    if (!box)
        return false;
    SendMessageA(box, WM_SETTEXT, 0, (LPARAM)name.c_str());
    return press_and_wait_closed(dialog, IDOK);
}

bool app_cancel(HWND dialog) {
    return press_and_wait_closed(dialog, IDCANCEL);
}

bool app_no_box(const App& app, unsigned wait_ms) {
    Sleep(wait_ms);
    app_settle(app);
    return find_window(app.process.dwProcessId, "#32770", 0) == 0;
}

void app_focus(const App& app, HWND control) {
    SetForegroundWindow(app.window);
    DWORD mine = GetCurrentThreadId();
    DWORD theirs = GetWindowThreadProcessId(app.window, 0);
    AttachThreadInput(mine, theirs, TRUE);
    SetFocus(control);
    AttachThreadInput(mine, theirs, FALSE);
    app_settle(app);
}

void app_chord(WORD modifier, WORD key) {
    INPUT in[4] = {};
    WORD keys[4] = {modifier, key, key, modifier};
    for (int i = 0; i < 4; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = keys[i];
        in[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, in, sizeof(INPUT));
    Sleep(150);
}

void app_mouse_press(HWND window, int x, int y, bool right) {
    LPARAM at = MAKELPARAM(x, y);
    PostMessageA(window, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON,
                 at);
    PostMessageA(window, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

HWND app_focused(const App& app) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(app.window, 0), &info);
    return info.hwndFocus;
}

void app_keys(const std::vector<WORD>& keys, bool shift) {
    std::vector<INPUT> inputs;
    auto key = [&](WORD vk, bool up) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    if (shift)
        key(VK_SHIFT, false);
    for (WORD vk : keys) {
        key(vk, false);
        key(vk, true);
    }
    if (shift)
        key(VK_SHIFT, true);
    SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT));
    Sleep(150);
}

unsigned Shot::at(int x, int y) const {
    size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
    const unsigned char* p = rows.data() + (size_t)(height - 1 - y) * stride + (size_t)x * 3;
    return (unsigned)p[2] << 16 | (unsigned)p[1] << 8 | p[0];
}

Shot app_capture(HWND window) {
    Shot shot;
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(0);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    int stride = (w * 3 + 3) & ~3;
    shot.rows.resize((size_t)stride * h);
    if (GetDIBits(memory, bitmap, 0, h, shot.rows.data(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) == h) {
        shot.width = w;
        shot.height = h;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(0, screen);
    return shot;
}

int app_scaled_differences(const Shot& shot, const Shot& base, int factor) {
    int wrong = 0, left = shot.width, top = shot.height, right = -1, bottom = -1;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            if (x / factor >= base.width || y / factor >= base.height ||
                shot.at(x, y) != base.at(x / factor, y / factor)) {
                ++wrong;
                left = x < left ? x : left;
                top = y < top ? y : top;
                right = x > right ? x : right;
                bottom = y > bottom ? y : bottom;
            }
        }
    if (wrong)
        printf("%d pixels differ, within (%d, %d) to (%d, %d)\n", wrong, left, top, right, bottom);
    return wrong;
}

bool app_screenshot(HWND window, const std::string& bmp_path) {
    Shot shot = app_capture(window);
    if (!shot.width)
        return false;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = shot.width;
    info.biHeight = shot.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + (DWORD)shot.rows.size();
    FILE* f = fopen(bmp_path.c_str(), "wb");
    if (!f)
        return false;
    fwrite(&file, sizeof file, 1, f);
    fwrite(&info, sizeof info, 1, f);
    fwrite(shot.rows.data(), 1, shot.rows.size(), f);
    fclose(f);
    return true;
}

RECT app_rect_in_parent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string app_tab_caption(const App& app, int index) {
    // TCM_GETITEMA carries pointers, which the system does not carry across processes: the item
    // and its text buffer are placed in the program's own memory.
    HANDLE process = app.process.hProcess;
    const SIZE_T text_size = 256;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, 0, sizeof(TCITEMA) + text_size, MEM_COMMIT, PAGE_READWRITE));
    if (!remote)
        return "<no memory>";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = remote + sizeof(TCITEMA);
    item.cchTextMax = (int)text_size;
    SIZE_T done = 0;
    WriteProcessMemory(process, remote, &item, sizeof item, &done);
    std::string caption = "<unreadable>";
    if (SendMessageA(app_control(app, 0), TCM_GETITEMA, (WPARAM)index, (LPARAM)remote)) {
        char text[256] = "";
        ReadProcessMemory(process, remote + sizeof(TCITEMA), text, text_size - 1, &done);
        caption = text;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return caption;
}

void app_drop_files(const App& app, const std::vector<std::string>& names) {
    // The list the system hands over: a DROPFILES header, then each name with its terminator and
    // one more terminator after the last. The program releases it with DragFinish, which does not
    // take memory placed this way, so it stays with the program until it ends.
    std::vector<char> list(sizeof(DROPFILES), 0);
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = FALSE;
    memcpy(list.data(), &header, sizeof header);
    for (const std::string& name : names) {
        list.insert(list.end(), name.begin(), name.end());
        list.push_back(0);
    }
    list.push_back(0);
    HANDLE process = app.process.hProcess;
    void* remote = VirtualAllocEx(process, 0, list.size(), MEM_COMMIT, PAGE_READWRITE);
    SIZE_T done = 0;
    if (remote && WriteProcessMemory(process, remote, list.data(), list.size(), &done))
        PostMessageA(app.window, WM_DROPFILES, (WPARAM)remote, 0);
}

void app_dpi_changed(const App& app, unsigned dpi, const RECT& suggested) {
    HANDLE process = app.process.hProcess;
    void* remote = VirtualAllocEx(process, 0, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
    SIZE_T done = 0;
    if (!remote || !WriteProcessMemory(process, remote, &suggested, sizeof suggested, &done))
        return;
    SendMessageA(app.window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), (LPARAM)remote);
    app_settle(app);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
}

namespace {
// Where the virtual screen's DPI is kept (the per-user setting is not read by this Wine).
const char* const DPI_KEY =
    "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts";

int dpi_scopes = 0; // AppDisplayDpi objects alive

bool write_dpi(DWORD dpi) {
    HKEY key = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, DPI_KEY, 0, 0, 0, KEY_SET_VALUE, 0, &key, 0) !=
        ERROR_SUCCESS)
        return false;
    bool written = RegSetValueExA(key, "LogPixels", 0, REG_DWORD, (const BYTE*)&dpi, sizeof dpi) ==
                   ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}
void display_dpi_default(void) {
    if (dpi_scopes == 0)
        write_dpi(96);
}
} // namespace

AppDisplayDpi::AppDisplayDpi(unsigned dpi) : set(write_dpi(dpi)) {
    ++dpi_scopes;
}

AppDisplayDpi::~AppDisplayDpi() {
    --dpi_scopes;
    write_dpi(96);
}

namespace {
struct PlacedList {
    std::vector<Placed>* list;
};

BOOL CALLBACK collect_placed(HWND control, LPARAM data) {
    // The pages follow the height of the tabs, which the font decides; they are no gadgets.
    if (app_class(control) == "TemplateClass")
        return TRUE;
    Placed placed = {GetDlgCtrlID(control), app_class(control), app_rect_in_parent(control),
                     GetParent(control)};
    reinterpret_cast<PlacedList*>(data)->list->push_back(placed);
    return TRUE;
}

} // namespace

std::vector<Placed> app_placed(const App& app) {
    std::vector<Placed> placed;
    PlacedList list = {&placed};
    EnumChildWindows(app.window, &collect_placed, reinterpret_cast<LPARAM>(&list));
    return placed;
}
