// The installation from start to finish.
#pragma once
#include <windows.h>

void RunSetup(HWND mainWindow);
// 1 when path is an existing folder or one just created (one level only).
int EnsureFolder(HWND owner, const char* path);
