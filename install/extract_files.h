// Expands every file record of the setup data file into place.
#pragma once
#include <windows.h>

void ExtractFiles(HWND progressWindow, HANDLE dataFile, HANDLE logFile);
