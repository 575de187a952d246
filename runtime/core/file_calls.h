// The file module's system calls, gathered in one table so that tests can make any of them fail
// (a full disk, a vanished device) without a real failing device.
#pragma once
#include <windows.h>

struct FileCalls {
    HANDLE(WINAPI* create_file)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    BOOL(WINAPI* read_file)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* write_file)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    DWORD(WINAPI* set_file_pointer)(HANDLE, LONG, PLONG, DWORD);
    DWORD(WINAPI* get_file_size)(HANDLE, LPDWORD);
    BOOL(WINAPI* flush_file_buffers)(HANDLE);
    BOOL(WINAPI* move_file_ex)(LPCSTR, LPCSTR, DWORD);
    BOOL(WINAPI* delete_file)(LPCSTR);
    BOOL(WINAPI* close_handle)(HANDLE);
    BOOL(WINAPI* set_current_directory)(LPCSTR);
};

// The live table; a test may change an entry and must put it back.
FileCalls* file_calls(void);
