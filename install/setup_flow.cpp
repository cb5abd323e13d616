#include "install/setup_flow.h"
#include "install/extract_files.h"
#include "install/uninstall_entries.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "support/boot_file_operations.h"
#include "support/file_io.h"
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

static HANDLE OpenDataFile(HWND mainWindow)
{
    char dataPath[MAX_PATH];
    MakeModulePath(AppState.Instance, dataPath, DataFileSuffix, 0);
    HANDLE dataFile = CreateFileA(dataPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (dataFile == INVALID_HANDLE_VALUE)
        MessageBoxA(mainWindow, MsgCannotOpenDataFile, CaptionSetup, MB_ICONERROR);
    return dataFile;
}

// 1 when the destination exists or was created; otherwise both messages have been shown.
static int CheckDestination(HWND mainWindow)
{
    if (EnsureFolder(mainWindow, AppState.TargetFolder))
        return 1;
    // TargetFolder holds at most 259 characters: the whole message fits.
    char message[MAX_PATH + 64];
    wsprintfA(message, MsgCannotLocateTargetFormat, AppState.TargetFolder);
    MessageBoxA(mainWindow, message, CaptionSetup, MB_ICONERROR);
    return 0;
}

// A log larger than this (some 100,000 files) is not held: then a file that cannot be written
// loses its line even when an earlier installation wrote it, and stays behind at uninstallation.
enum { EarlierLogLimit = 16 * 1024 * 1024 };

// Reads the whole log that this run is about to replace; FreeEarlierLog releases it.
static void ReadEarlierLog(const char* logPath, EarlierLog* earlier)
{
    earlier->Text = NULL;
    earlier->Length = 0;
    HANDLE file = CreateFileA(logPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    LARGE_INTEGER size;
    char* text = NULL;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= EarlierLogLimit)
        text = (char*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)size.QuadPart);
    if (text && ReadExact(file, text, (DWORD)size.QuadPart)) {
        earlier->Text = text;
        earlier->Length = (DWORD)size.QuadPart;
    } else if (text) {
        HeapFree(GetProcessHeap(), 0, text);
    }
    CloseHandle(file);
}

static void FreeEarlierLog(EarlierLog* earlier)
{
    if (earlier->Text)
        HeapFree(GetProcessHeap(), 0, (void*)earlier->Text);
    earlier->Text = NULL;
}

// The new log, or INVALID_HANDLE_VALUE when it cannot be created; *goOn is 0 when the person
// then chose not to install without one. *earlier receives what the replaced log held.
static HANDLE CreateSetupLog(HWND mainWindow, int* goOn, EarlierLog* earlier)
{
    char logPath[MAX_PATH];
    GetWindowsDirectoryA(logPath, sizeof logPath);
    AppendPathComponent(logPath, SetupLogName);
    ReadEarlierLog(logPath, earlier);
    // An uninstallation that could not delete the log left that for the next start.
    WithdrawBootDeletion(logPath);
    HANDLE log = CreateFileA(logPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    *goOn = log != INVALID_HANDLE_VALUE ||
            MessageBoxA(mainWindow, MsgCannotCreateLog, CaptionSetup, MB_ICONWARNING | MB_YESNO) != IDNO;
    return log;
}

// Extraction's view of the progress window: labels and percentages go to it, problems to
// message boxes it owns. Setting the bar repaints it at once, which costs milliseconds under
// Wine, while many small files move it hundreds of times a second: it is set at most every
// BarIntervalMs, when it is full, and before anything else shows, so that a person sees what
// every setting would have shown.
enum { BarIntervalMs = 40 };

struct ProgressView {
    HWND Window;
    int ShownPercent;  // where the bar stands
    int LatestPercent; // where it should stand
    DWORD ShownAt;
};

static void ShowLatestPercent(ProgressView* progress)
{
    if (progress->LatestPercent == progress->ShownPercent)
        return;
    ShowProgressPercent(progress->Window, progress->LatestPercent);
    progress->ShownPercent = progress->LatestPercent;
    progress->ShownAt = GetTickCount();
}

static void ShowLabelInProgressWindow(void* context, const char* label)
{
    ShowProgressItem(((ProgressView*)context)->Window, label);
}

static void ShowPercentInProgressWindow(void* context, int percent)
{
    ProgressView* progress = (ProgressView*)context;
    progress->LatestPercent = percent;
    if (percent == 100 || GetTickCount() - progress->ShownAt >= BarIntervalMs)
        ShowLatestPercent(progress);
}

static void ShowErrorOverProgressWindow(void* context, const char* text)
{
    ProgressView* progress = (ProgressView*)context;
    ShowLatestPercent(progress);
    MessageBoxA(progress->Window, text, CaptionError, MB_OK | MB_ICONERROR);
}

static void ExtractWithProgress(HWND progressWindow, HANDLE dataFile, HANDLE log, const EarlierLog* earlier)
{
    // The window starts with its bar at 0.
    ProgressView progress = { progressWindow, 0, 0, 0 };
    ExtractionView view = { &progress, ShowLabelInProgressWindow, ShowPercentInProgressWindow,
                            ShowErrorOverProgressWindow };
    ExtractFiles(&view, dataFile, log, earlier);
    ShowLatestPercent(&progress);
}

// Leaves a copy of the running executable in the Windows directory as the uninstaller;
// `uninstaller` (MAX_PATH bytes) receives its path. An earlier uninstaller there, not yet
// restarted away, asked for that path's deletion: the new copy must survive it. A copy that
// fails is reported, and 0 tells the caller to register no command that would start nothing.
static int CopySelfAsUninstaller(HWND owner, char* uninstaller)
{
    char own[MAX_PATH];
    DWORD ownLength = GetModuleFileNameA(AppState.Instance, own, sizeof own);
    UINT folderLength = GetWindowsDirectoryA(uninstaller, MAX_PATH);
    if (folderLength == 0 || folderLength >= MAX_PATH)
        uninstaller[0] = '\0';
    int pathsKnown = AppendPathComponent(uninstaller, UninstallerName) && ownLength > 0 && ownLength < sizeof own &&
                     folderLength > 0 && folderLength < MAX_PATH;
    if (pathsKnown)
        WithdrawBootDeletion(uninstaller);
    int copied = pathsKnown && CopyFileA(own, uninstaller, FALSE);
    if (!copied) {
        char message[MAX_PATH + 128];
        wsprintfA(message, MsgCannotCopyUninstallerFormat, uninstaller);
        MessageBoxA(owner, message, CaptionError, MB_ICONERROR);
    }
    return copied;
}

// The Add/Remove Programs entry; a value that could not be stored is reported.
static void RegisterUninstaller(HWND owner, const char* uninstaller)
{
    if (!WriteUninstallEntries(uninstaller))
        MessageBoxA(owner, MsgCannotWriteRegistry, CaptionError, MB_ICONERROR);
}

// Extraction, the uninstaller and its entry, under a progress window that the caller
// destroys once the files are closed.
static HWND InstallWithProgress(HWND mainWindow, HANDLE dataFile, HANDLE log, const EarlierLog* earlier)
{
    HWND progressWindow = CreateProgressWindow(mainWindow);
    ExtractWithProgress(progressWindow, dataFile, log, earlier);
    char uninstaller[MAX_PATH];
    int copied = CopySelfAsUninstaller(progressWindow, uninstaller);
    ShowProgressItem(progressWindow, MsgCreatingRegistryKeys);
    RegisterUninstaller(progressWindow, copied ? uninstaller : NULL);
    return progressWindow;
}

void RunSetup(HWND mainWindow)
{
    HANDLE log = INVALID_HANDLE_VALUE;
    EarlierLog earlier = { NULL, 0 };
    HWND progressWindow = NULL;
    const char* closing = NULL;
    UINT closingStyle = 0;

    ProposeDestinationAndOwner();
    HANDLE dataFile = OpenDataFile(mainWindow);
    if (dataFile == INVALID_HANDLE_VALUE)
        return;

    // A wizard that cannot be shown has no consent to give: it ends as a Cancel does.
    int wizard = RunSetupWizard(mainWindow);
    if (wizard < 0)
        MessageBoxA(mainWindow, MsgCannotShowWizard, CaptionSetup, MB_ICONERROR);
    if (wizard <= 0) {
        closing = MsgSetupAborted;
        closingStyle = MB_OK;
        goto release;
    }
    if (!CheckDestination(mainWindow))
        goto release;
    int goOn;
    log = CreateSetupLog(mainWindow, &goOn, &earlier);
    if (!goOn)
        goto release;

    progressWindow = InstallWithProgress(mainWindow, dataFile, log, &earlier);
    closing = MsgSetupComplete;
    closingStyle = MB_ICONINFORMATION;

release:
    FreeEarlierLog(&earlier);
    if (log != INVALID_HANDLE_VALUE)
        CloseHandle(log);
    CloseHandle(dataFile);
    if (progressWindow)
        DestroyWindow(progressWindow);
    if (closing)
        MessageBoxA(mainWindow, closing, CaptionSetup, closingStyle);
}
