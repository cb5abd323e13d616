#include "uninstall/uninstall_flow.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "support/file_io.h"
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

// Carries out every line of the log that starts with marker, from the first line to the last.
static void ReplayPass(HANDLE log, char marker, char* line)
{
    while (ReadLine(log, line, LogLineSize)) {
        if (line[0] != marker)
            continue;
        if (marker == '+')
            DeleteFileA(line + 1);
        else
            RemoveDirectoryA(line + 1);
    }
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
    MakeModulePath(AppState.Instance, AppState.TargetFolder, SetupLogName, 1);
    HANDLE log = CreateFileA(AppState.TargetFolder, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             NULL);
    if (log == INVALID_HANDLE_VALUE) {
        wsprintfA(text, MsgCannotOpenLogFormat, AppState.TargetFolder);
        return MessageBoxA(owner, text, CaptionUninstall, MB_ICONERROR | MB_YESNO) == IDYES;
    }
    // Every file goes before any folder, so that a folder line finds its folder empty.
    ReplayPass(log, '+', text);
    SetFilePointer(log, 0, NULL, FILE_BEGIN);
    ReplayPass(log, '#', text);
    CloseHandle(log);
    DeleteFileA(AppState.TargetFolder);

    // The running uninstaller cannot delete itself: Windows does it at the next start.
    char own[MAX_PATH];
    DWORD length = GetModuleFileNameA(AppState.Instance, own, sizeof own);
    if (length > 0 && length < sizeof own) {
        if (MakeSelfDeleteEntry(text, own))
            ScheduleBootRename(text);
        ScheduleNtBootDelete(own);
    }
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
