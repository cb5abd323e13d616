#include "ui/progress_window.h"
#include "state/app_state.h"
#include "resources/resource.h"
#include <commctrl.h>

static void OnInitProgress(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitProgress(dialog);
        return TRUE;
    }
    // Cancel included: the window only displays, it cannot stop the installation.
    return FALSE;
}

void ShowProgressItem(HWND window, const char* text)
{
    SetDlgItemTextA(window, IDC_CURRENT_ITEM, text);
}

void ShowProgressPercent(HWND window, int percent)
{
    SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_SETPOS, (WPARAM)percent, 0);
}

HWND CreateProgressWindow(HWND owner)
{
    return CreateDialogParamA(AppState.Instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner, ProgressDialogProc, 0);
}
