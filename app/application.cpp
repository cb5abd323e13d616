#include "app/application.h"
#include "app/background_window.h"
#include "install/setup_flow.h"
#include "resources/resource.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "support/system_library.h"
#include "uninstall/uninstall_flow.h"
#include <objbase.h>

int InstallModeFromCommandLine(const char* p)
{
    // Skip the program name, quoted or up to the first blank.
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    if (*p)
        ++p;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == '-' || *p == '/')
        ++p;
    return (*p == 'r' || *p == 'R') ? InstallModeUninstall : InstallModeSetup;
}

void ParseInstallMode()
{
    AppState.InstallMode = InstallModeFromCommandLine(GetCommandLineA());
}

int RunApplication(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    AppState.Instance = instance;
    InitCommonControlsFromSystem();
    CoInitialize(NULL);
    ParseInstallMode();
    RegisterBackgroundClass(instance);

    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    AppState.WizardBitmap = (HBITMAP)LoadImageA(instance, MAKEINTRESOURCEA(IDB_SIDE_IMAGE), IMAGE_BITMAP,
                                                0, 0, LR_CREATEDIBSECTION);
    // Painted when the first dialog or message box of the flow dispatches messages.
    HWND mainWindow = CreateWindowExA(0, BackgroundClassName, SetupTitle, WS_POPUP | WS_VISIBLE,
                                      0, 0, width, height, NULL, NULL, instance, NULL);

    if (AppState.InstallMode == InstallModeUninstall)
        RunUninstall(mainWindow);
    else
        RunSetup(mainWindow);

    DeleteObject(AppState.WizardBitmap);
    CoUninitialize();
    FreeSystemLibraries();
    return 0;
}
