#include "install/setup_flow.h"
#include "app/app_state.h"
#include "app/texts.h"
#include "install/extract_files.h"
#include "install/uninstall_entries.h"
#include "resources/resource.h"
#include "support/paths.h"
#include "support/registry.h"
#include "ui/progress_window.h"
#include "ui/setup_wizard.h"

int EnsureFolder(HWND owner, const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (CreateDirectoryA(path, NULL))
            return 1;
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return 1;
    }
    MessageBoxA(owner, MsgCannotCreateFolder, CaptionError, MB_ICONERROR);
    return 0;
}

// Proposes the host's script folder and the registered owner; the wizard may change both.
static void ProposeDestinationAndOwner()
{
    ReadRegString(HKEY_LOCAL_MACHINE, HostKeyPath, HostValueName, DefaultHostFolder, AppState.TargetFolder,
                  sizeof AppState.TargetFolder);
    AppendPathComponent(AppState.TargetFolder, HostScriptsSubfolder);
    ReadRegString(HKEY_LOCAL_MACHINE, OwnerKeyPath, OwnerValueName, EmptyText, AppState.UserName,
                  sizeof AppState.UserName);
}

// Leaves a copy of the running executable in the Windows directory as the uninstaller;
// `uninstaller` (MAX_PATH bytes) receives its path.
static void CopySelfAsUninstaller(char* uninstaller)
{
    char own[MAX_PATH];
    GetModuleFileNameA(AppState.Instance, own, sizeof own);
    GetWindowsDirectoryA(uninstaller, MAX_PATH);
    AppendPathComponent(uninstaller, UninstallerName);
    CopyFileA(own, uninstaller, FALSE);
}

void RunSetup(HWND mainWindow)
{
    // First half: the data file's name, then the log's; second half: the uninstaller's path.
    char path[2 * MAX_PATH];
    char* uninstaller = path + MAX_PATH;

    ProposeDestinationAndOwner();

    MakeModulePath(path, DataFileSuffix, 0);
    HANDLE dataFile = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (dataFile == INVALID_HANDLE_VALUE) {
        MessageBoxA(mainWindow, MsgCannotOpenDataFile, CaptionSetup, MB_ICONERROR);
        return;
    }

    if (RunSetupWizard(mainWindow) == 0) {
        CloseHandle(dataFile);
        MessageBoxA(mainWindow, MsgSetupAborted, CaptionSetup, MB_OK);
        return;
    }

    lstrcpynA(path, AppState.TargetFolder, MAX_PATH);
    if (!EnsureFolder(mainWindow, path)) {
        // TargetFolder holds at most 259 characters, so the message fits the whole buffer.
        wsprintfA(path, MsgCannotLocateTargetFormat, AppState.TargetFolder);
        MessageBoxA(mainWindow, path, CaptionSetup, MB_ICONERROR);
        CloseHandle(dataFile);
        return;
    }

    GetWindowsDirectoryA(path, MAX_PATH);
    AppendPathComponent(path, SetupLogName);
    HANDLE log = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE &&
        MessageBoxA(mainWindow, MsgCannotCreateLog, CaptionSetup, MB_ICONWARNING | MB_YESNO) == IDNO) {
        CloseHandle(dataFile);
        return;
    }

    HWND progressWindow = CreateProgressWindow(mainWindow);
    ExtractFiles(progressWindow, dataFile, log);

    CopySelfAsUninstaller(uninstaller);
    SetDlgItemTextA(progressWindow, IDC_CURRENT_ITEM, MsgCreatingRegistryKeys);
    WriteUninstallEntries(uninstaller);

    if (log != INVALID_HANDLE_VALUE)
        CloseHandle(log);
    CloseHandle(dataFile);
    DestroyWindow(progressWindow);
    MessageBoxA(mainWindow, MsgSetupComplete, CaptionSetup, MB_ICONINFORMATION);
}
