// Test host: puts up the background window like the program does and runs the wizard or the
// progress window over it, so the robot can drive them before the install flow exists.
//
//   wizard_host wizard RESULTFILE TARGETFOLDER USERNAME
//       runs RunSetupWizard; exits with its value and writes "result=", "TargetFolder=" and
//       "UserName=" lines to RESULTFILE.
//   wizard_host progress
//       shows the progress window as created, dispatching messages until it is ended.
//   wizard_host setup TARGETFOLDER USERNAME
//       the wizard, then after Finish the progress window part-way through a sample file.
#include "state/app_state.h"
#include "state/texts.h"
#include "app/background_window.h"
#include "resources/resource.h"
#include "support/system_library.h"
#include "ui/progress_window.h"
#include "ui/setup_wizard.h"
#include <commctrl.h>
#include <objbase.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// The host never outlives a forgotten test by more than this.
static const UINT HostLifetimeMs = 300000;

static HWND CreateBackground(HINSTANCE instance)
{
    RegisterBackgroundClass(instance);
    return CreateWindowExA(0, BackgroundClassName, SetupTitle, WS_POPUP | WS_VISIBLE, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), NULL, NULL, instance,
                           NULL);
}

static void SetProposals(const char* targetFolder, const char* userName)
{
    lstrcpynA(AppState.TargetFolder, targetFolder, sizeof AppState.TargetFolder);
    lstrcpynA(AppState.UserName, userName, sizeof AppState.UserName);
}

static int WriteResult(const char* path, int result)
{
    FILE* file = fopen(path, "wb");
    if (!file)
        return 0;
    fprintf(file, "result=%d\nTargetFolder=%s\nUserName=%s\n", result, AppState.TargetFolder, AppState.UserName);
    return fclose(file) == 0;
}

// Dispatches messages until the window is gone or the host's lifetime is over.
static void DispatchUntilGone(HWND window)
{
    SetTimer(NULL, 0, HostLifetimeMs, NULL);
    MSG message;
    while (IsWindow(window) && GetMessageA(&message, NULL, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == NULL)
            break;
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

static int RunWizardMode(HWND background, int argc, char** argv)
{
    if (argc < 5)
        return 2;
    SetProposals(argv[3], argv[4]);
    int result = RunSetupWizard(background);
    if (!WriteResult(argv[2], result))
        return 3;
    return result;
}

static int RunProgressMode(HWND background)
{
    HWND window = CreateProgressWindow(background);
    if (!window)
        return 3;
    DispatchUntilGone(window);
    return 0;
}

static int RunSetupMode(HWND background, int argc, char** argv)
{
    if (argc < 4)
        return 2;
    SetProposals(argv[2], argv[3]);
    if (RunSetupWizard(background) == 0)
        return 0;
    HWND window = CreateProgressWindow(background);
    char label[MAX_PATH + 32];
    wsprintfA(label, "%s\\Skyline.csc", AppState.TargetFolder);
    SetDlgItemTextA(window, IDC_CURRENT_ITEM, label);
    SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_SETPOS, 40, 0);
    DispatchUntilGone(window);
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int argc = __argc;
    char** argv = __argv;
    if (argc < 2)
        return 2;

    AppState.Instance = instance;
    InitCommonControlsFromSystem();
    CoInitialize(NULL);
    AppState.WizardBitmap = (HBITMAP)LoadImageA(instance, MAKEINTRESOURCEA(IDB_SIDE_IMAGE), IMAGE_BITMAP, 0, 0,
                                                LR_CREATEDIBSECTION);
    HWND background = CreateBackground(instance);

    int code = 2;
    if (strcmp(argv[1], "wizard") == 0)
        code = RunWizardMode(background, argc, argv);
    else if (strcmp(argv[1], "progress") == 0)
        code = RunProgressMode(background);
    else if (strcmp(argv[1], "setup") == 0)
        code = RunSetupMode(background, argc, argv);

    DeleteObject(AppState.WizardBitmap);
    CoUninitialize();
    return code;
}
