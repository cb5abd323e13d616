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

// The text of the setup log that this run replaces, read before it was replaced (Text NULL
// when there was none). A file that cannot be written keeps its log line only when this
// listed it: an earlier installation wrote that file, and uninstalling must still remove it.
struct EarlierLog {
    const char* Text;
    DWORD Length;
};

// view: must be given, with every member set. logFile: the setup log, or INVALID_HANDLE_VALUE
// (or 0) for none. earlier: may be NULL. Files go below AppState.TargetFolder or, for "@\"
// names, the system folder.
void ExtractFiles(const ExtractionView* view, HANDLE dataFile, HANDLE logFile, const EarlierLog* earlier);

// position * 100 / total, truncated, within 0..100; 0 for an empty file.
int ExtractionPercent(ULONGLONG position, ULONGLONG total);
