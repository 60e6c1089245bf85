// The few Win32 names the demo's own code uses, so that the same sources build on Linux.
// On Windows <windows.h> provides the real ones, but for MessageBoxA.
//
// MessageBoxA never blocks a headless run: it writes "Error: <text>" to standard error; on
// Windows a window run also shows the real box. wglGetProcAddress maps to the GL loader of
// whatever backend created the context (on Windows, the real one of the WGL context).
#pragma once

#ifdef _WIN32
#include <windows.h>

// The library's MessageBoxA: the line on standard error always, the real box only in a window
// run whose start-up dialog a person answered (never headless, with --no-dialog or when the
// dialog started by itself), so nothing waits on a box nobody can press.
int WINAPI DemoMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
#undef MessageBoxA
#define MessageBoxA DemoMessageBoxA
#else

typedef void* HINSTANCE;
typedef void* HWND;
typedef char* LPSTR;
typedef void (*PROC)();

#define WINAPI

constexpr unsigned int MB_OK = 0x00000000u;
constexpr unsigned int MB_ICONERROR = 0x00000010u;
constexpr int IDOK = 1;

// Shows a message to the user. Returns IDOK once the message has been delivered.
int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned int type);

// The window that has the keyboard focus; null when there is no window.
HWND GetFocus();

// Address of a GL entry point in the current context, or null.
PROC wglGetProcAddress(const char* name);

// The program's entry point, called by the library's main() with the process's instance.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showMode);

#endif
