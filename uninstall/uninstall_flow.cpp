#include "uninstall/uninstall_flow.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "support/file_io.h"
#include "support/link_checks.h"
#include "support/paths.h"
#include "support/registry.h"
#include "support/boot_file_operations.h"

// The setup log "QNTXSetup.log": setup writes it in the Windows directory, the uninstaller
// reads it beside itself (as the copy in the Windows directory, the same file).
//   - 8-bit text lines, written with CR LF; CR, LF or the end of the file also end a line.
//   - "+" and a full path: an installed file, deleted in the first pass.
//   - "#" and a full path: a folder, removed if empty in the second pass (setup writes none).
//   - any other line, the empty line included, is ignored; paths are taken literally.
//   - no header, no count, no trailer; lines stand in installation order, duplicates allowed.
// Lines are read with at most LogLineSize - 1 characters; the rest of a longer line is dropped.
enum { LogLineSize = 460 };

// The files a replay could not delete at once, for the one message that names them: how
// many, and the first ListedFileCount of them, each after a line break.
enum { ListedFileCount = 8 };

struct LeftFileList {
    int Count;
    char Names[ListedFileCount * (LogLineSize + 1)];
};

struct LeftFiles {
    LeftFileList AtRestart; // entered for deletion at the next start
    LeftFileList Remaining; // not even that could be arranged
};

// Appends text to buffer (size bytes in all), cut short rather than written past the end.
static void AppendText(char* buffer, int size, const char* text)
{
    int used = lstrlenA(buffer);
    if (used < size - 1)
        lstrcpynA(buffer + used, text, size - used);
}

static void NoteLeftFile(LeftFileList* list, const char* path)
{
    if (list->Count++ >= ListedFileCount)
        return;
    AppendText(list->Names, sizeof list->Names, "\r");
    AppendText(list->Names, sizeof list->Names, path);
}

// Deletes a file the log names, below root (the installation's folder) or else checked from
// its drive root: never through a link (a user who may write there can plant one for the
// elevated uninstaller), its read-only attribute cleared (the file is ours to remove). One
// that still exists afterwards (in use, as a running program or a file another program holds
// open is) is left to Windows' next start by the same two ways as the uninstaller itself,
// and noted in left either way: as going at the restart only when the system took its
// deletion, since the NT family, the program's floor, ignores Wininit.ini. Uses TargetFolder.
static void RemoveLoggedFile(const char* root, const char* path, LeftFiles* left)
{
    LinkFreeDeletion deletion = DeleteWithoutLinks(root, path);
    if (deletion == FileDeleted)
        return;
    // A link, a folder or a path that cannot be looked at is no file of ours to name to
    // Windows.
    char entry[LogLineSize];
    if (deletion != FileHeld || !MakeSelfDeleteEntry(entry, path)) {
        NoteLeftFile(&left->Remaining, path);
        return;
    }
    // One Wininit.ini rewrite per file: files in use at uninstallation are few.
    ScheduleBootRename(entry);
    NoteLeftFile(ScheduleNtBootDelete(path) ? &left->AtRestart : &left->Remaining, path);
}

// Carries out every line of the log that starts with marker, from the first line to the last.
static void ReplayPass(HANDLE log, char marker, const char* root, char* line, LeftFiles* left)
{
    while (ReadLine(log, line, LogLineSize)) {
        if (line[0] != marker)
            continue;
        if (marker == '+')
            RemoveLoggedFile(root, line + 1, left);
        else
            RemoveDirectoryA(line + 1);
    }
}

static void AppendFileList(char* text, int size, const char* heading, const LeftFileList* list)
{
    if (list->Count == 0)
        return;
    if (text[0])
        AppendText(text, size, "\r\r");
    AppendText(text, size, heading);
    AppendText(text, size, list->Names);
    if (list->Count > ListedFileCount) {
        char more[64];
        wsprintfA(more, MsgMoreFilesFormat, list->Count - ListedFileCount);
        AppendText(text, size, "\r");
        AppendText(text, size, more);
    }
}

// One message for every file left behind, so that "Uninstall complete." claims no more than
// was done; none when every file went.
static void TellAboutLeftFiles(HWND owner, const LeftFiles* left)
{
    if (left->AtRestart.Count == 0 && left->Remaining.Count == 0)
        return;
    char text[2 * (sizeof left->AtRestart.Names + 160)];
    text[0] = '\0';
    AppendFileList(text, sizeof text, MsgFilesRemovedAtRestart, &left->AtRestart);
    AppendFileList(text, sizeof text, MsgFilesNotRemoved, &left->Remaining);
    MessageBoxA(owner, text, CaptionUninstall, left->Remaining.Count ? MB_ICONWARNING : MB_ICONINFORMATION);
}

int MakeSelfDeleteEntry(char* entry, const char* path)
{
    // Windows' start-up processing takes the short form; when there is none, the long path
    // still names the file. A path that does not fit is never cut: it would name another file.
    DWORD length = GetShortPathNameA(path, AppState.TargetFolder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        if (lstrlenA(path) >= MAX_PATH)
            return 0;
        lstrcpyA(AppState.TargetFolder, path);
    }
    wsprintfA(entry, BootDeleteEntryFormat, AppState.TargetFolder);
    return 1;
}

int ReplaySetupLog(HWND owner)
{
    char text[LogLineSize];
    // Kept apart from TargetFolder, which the scheduling of files in use takes over.
    char logPath[MAX_PATH];
    MakeModulePath(AppState.Instance, logPath, SetupLogName, 1);
    HANDLE log = CreateFileA(logPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE) {
        wsprintfA(text, MsgCannotOpenLogFormat, logPath);
        return MessageBoxA(owner, text, CaptionUninstall, MB_ICONERROR | MB_YESNO) == IDYES;
    }
    // The folder the files were installed into: links are looked for from there down.
    char installLocation[MAX_PATH];
    ReadRegString(HKEY_LOCAL_MACHINE, UninstallKeyPath, ValueInstallLocation, EmptyText, installLocation,
                  sizeof installLocation);
    LeftFiles left;
    ZeroMemory(&left, sizeof left);
    // Every file goes before any folder, so that a folder line finds its folder empty.
    ReplayPass(log, '+', installLocation, text, &left);
    SetFilePointer(log, 0, NULL, FILE_BEGIN);
    ReplayPass(log, '#', installLocation, text, &left);
    CloseHandle(log);
    // The log lies beside the uninstaller, in a folder only administrators change (the Windows
    // directory): only that folder and the file are checked, not the folders above it, which
    // may be mounted volumes.
    char logFolder[MAX_PATH];
    MakeModulePath(AppState.Instance, logFolder, "", 1);
    RemoveLoggedFile(logFolder, logPath, &left);

    // The running uninstaller cannot delete itself: Windows does it at the next start.
    char own[MAX_PATH];
    DWORD length = GetModuleFileNameA(AppState.Instance, own, sizeof own);
    if (length > 0 && length < sizeof own) {
        if (MakeSelfDeleteEntry(text, own))
            ScheduleBootRename(text);
        ScheduleNtBootDelete(own);
    }
    TellAboutLeftFiles(owner, &left);
    return 1;
}

void RunUninstall(HWND mainWindow)
{
    char installLocation[MAX_PATH];
    ReadRegString(HKEY_LOCAL_MACHINE, UninstallKeyPath, ValueInstallLocation, EmptyText, installLocation,
                  sizeof installLocation);
    if (installLocation[0] == '\0') {
        MessageBoxA(mainWindow, MsgNotInstalled, CaptionUninstall, MB_ICONERROR);
        return;
    }
    if (MessageBoxA(mainWindow, MsgConfirmUninstall, CaptionUninstall, MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    const char* closing = MsgUninstallErrors;
    if (ReplaySetupLog(mainWindow)) {
        DeleteRegKey(HKEY_LOCAL_MACHINE, UninstallKeyPath);
        closing = MsgUninstallComplete;
    }
    MessageBoxA(mainWindow, closing, CaptionUninstall, MB_OK);
}
