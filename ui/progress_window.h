// The modeless window that shows what is being installed.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Creates it modeless and visible, owned by `owner`; NULL when it cannot be created.
HWND CreateProgressWindow(HWND owner);
