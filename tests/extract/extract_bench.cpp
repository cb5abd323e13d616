// Measures ExtractFiles on a setup data file against a plain CopyFileA of the same files
// already expanded. Not a test: scripts/bench-payload.sh runs it.
// Usage: extract_bench DATAFILE TARGET_FOLDER EXPANDED_FOLDER COPY_FOLDER
#include "state/app_state.h"
#include "install/extract_files.h"
#include <windows.h>
#include <stdio.h>
#include <string>

static double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Counts the files of a folder and their bytes; copies them to `copyTo` when given.
static void WalkFolder(const std::string& folder, const char* copyTo, int& files, ULONGLONG& bytes)
{
    files = 0;
    bytes = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        ++files;
        bytes += (ULONGLONG(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (copyTo)
            CopyFileA((folder + "\\" + found.cFileName).c_str(), (std::string(copyTo) + "\\" + found.cFileName).c_str(),
                      FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The benchmark shows nothing while it measures; problems go to stderr.
static void IgnoreLabel(void*, const char*) {}
static void IgnorePercent(void*, int) {}
static void PrintError(void*, const char* text)
{
    fprintf(stderr, "extraction: %s\n", text);
}

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: extract_bench DATAFILE TARGET_FOLDER EXPANDED_FOLDER COPY_FOLDER\n");
        return 1;
    }
    CreateDirectoryA(argv[2], NULL);
    CreateDirectoryA(argv[4], NULL);
    lstrcpynA(AppState.TargetFolder, argv[2], MAX_PATH);
    HANDLE data = CreateFileA(argv[1], GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (data == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    std::string logPath = std::string(argv[2]) + ".log";
    HANDLE log = CreateFileA(logPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);

    LARGE_INTEGER start, extracted, copied;
    QueryPerformanceCounter(&start);
    ExtractionView view = { NULL, IgnoreLabel, IgnorePercent, PrintError };
    ExtractFiles(&view, data, log, NULL);
    QueryPerformanceCounter(&extracted);
    CloseHandle(log);
    CloseHandle(data);

    int files = 0;
    ULONGLONG bytes = 0;
    WalkFolder(argv[2], NULL, files, bytes);
    printf("extract %d files %llu bytes %.3f s\n", files, bytes, Seconds(start, extracted));

    QueryPerformanceCounter(&extracted);
    WalkFolder(argv[3], argv[4], files, bytes);
    QueryPerformanceCounter(&copied);
    printf("copy %d files %llu bytes %.3f s\n", files, bytes, Seconds(extracted, copied));
    return 0;
}
