// The uninstallation from start to finish.
#pragma once
#include <windows.h>

void RunUninstall(HWND mainWindow);
// 1: go on and remove the uninstall key; 0: no log and the user declined. Files that cannot be
// deleted now are entered for deletion at the next start, and one message owned by owner
// names them (and any that not even that could be arranged for).
int ReplaySetupLog(HWND owner);

// Formats the Wininit.ini entry that deletes path at the next start: "NUL=" and the short
// form of path, or path itself when it has no short form. entry holds at least MAX_PATH + 4
// bytes and may be the buffer that holds path. Uses TargetFolder. 0 (entry untouched) when
// path is too long to be named whole.
int MakeSelfDeleteEntry(char* entry, const char* path);
