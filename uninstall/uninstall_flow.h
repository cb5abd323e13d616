// The uninstallation from start to finish.
#pragma once
#include <windows.h>

void RunUninstall(HWND mainWindow);
// 1: go on and remove the uninstall key; 0: no log and the user declined.
int ReplaySetupLog(HWND owner);
