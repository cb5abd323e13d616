// The modeless window that shows what is being installed.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Creates it modeless and visible, owned by `owner`; NULL when it cannot be created.
HWND CreateProgressWindow(HWND owner);
// The current item's text (a file's label, then "Creating Registry Keys...").
void ShowProgressItem(HWND window, const char* text);
// The bar's position, 0..100.
void ShowProgressPercent(HWND window, int percent);
