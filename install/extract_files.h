// Expands every file record of the setup data file into place.
#pragma once
#include <windows.h>

// What extraction tells the person, and nothing else: the install flow shows it in the
// progress window and in message boxes it owns; tests record it.
struct ExtractionView {
    void* Context;
    void (*ShowLabel)(void* context, const char* label);  // the record being installed
    void (*ShowPercent)(void* context, int percent);      // 0..100 of the data file read
    void (*ReportError)(void* context, const char* text); // one problem, already worded
};

// view: must be given, with every member set. logFile: the setup log, or INVALID_HANDLE_VALUE
// (or 0) for none. Files go below AppState.TargetFolder or, for "@\" names, the system folder.
void ExtractFiles(const ExtractionView* view, HANDLE dataFile, HANDLE logFile);

// position * 100 / total, truncated, within 0..100; 0 for an empty file.
int ExtractionPercent(ULONGLONG position, ULONGLONG total);
