// The shell's folder picker for the destination page.
#pragma once
#include <windows.h>

// path: a MAX_PATH buffer holding the current folder; 1 when a file-system folder was picked.
int BrowseForTargetFolder(HWND owner, char* path);
int CALLBACK BrowseFolderCallback(HWND picker, UINT message, LPARAM lParam, LPARAM data);
