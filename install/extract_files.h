// Expands every file record of the setup data file into place.
#pragma once
#include <windows.h>

// progressWindow: item 101 shows each record's label, item 102 (range 0..100) the percentage;
// it owns the error messages. NULL works too. logFile: the setup log, or INVALID_HANDLE_VALUE
// (or 0) for none.
void ExtractFiles(HWND progressWindow, HANDLE dataFile, HANDLE logFile);

// position * 100 / total, truncated, within 0..100; 0 for an empty file.
int ExtractionPercent(ULONGLONG position, ULONGLONG total);
