#include "ui/setup_wizard.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "resources/resource.h"
#include "support/paths.h"
#include "support/system_library.h"
#include "ui/folder_picker.h"
#include <commctrl.h>

// The sheet walks the page array by each record's dwSize, so the records must really be the
// 48-byte layout that the size announces (the headers' PROPSHEETPAGEA has grown since); the
// header's 52 bytes include the unused watermark and header-bitmap fields.
static_assert(sizeof(PROPSHEETPAGEA_V2) == 48, "page record of 48 bytes");
static_assert(sizeof(PROPSHEETHEADERA) == 52, "sheet header of 52 bytes");

enum {
    PageCount = 4,
    MinUserNameLength = 6,
    ButtonsFirstPage = PSWIZB_NEXT,
    ButtonsMiddlePage = PSWIZB_BACK | PSWIZB_NEXT,
    ButtonsFinishEnabled = PSWIZB_BACK | PSWIZB_FINISH,
    ButtonsFinishDisabled = PSWIZB_BACK | PSWIZB_DISABLEDFINISH,
    PageWidthUnits = 276, // every page template's size, in its dialog units
    PageHeightUnits = 140,
};

// Posted, not sent: the sheet applies the state after the page procedure has returned.
static void PostWizardButtons(HWND page, DWORD buttons)
{
    PostMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0, buttons);
}

// The page templates grow with the system's DPI and the bitmap does not: it is drawn once to
// the size of its control (the same on every page), smoothed by halftone stretching, and that
// copy replaces it. At 96 DPI the bitmap already has the control's size.
static void FitSideImage(HWND control)
{
    RECT rect;
    BITMAP info;
    if (!GetWindowRect(control, &rect) || !GetObjectA(AppState.WizardBitmap, sizeof info, &info))
        return;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if ((info.bmWidth == width && info.bmHeight == height) || width <= 0 || height <= 0)
        return;

    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;
    format.bmiHeader.biPlanes = 1;
    // 24 bits: a 32-bit bitmap would be drawn through its (empty) alpha channel.
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP fitted = CreateDIBSection(NULL, &format, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC source = CreateCompatibleDC(NULL);
    HDC target = CreateCompatibleDC(NULL);
    if (fitted && source && target) {
        HGDIOBJ previousSource = SelectObject(source, AppState.WizardBitmap);
        HGDIOBJ previousTarget = SelectObject(target, fitted);
        SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, NULL);
        BOOL drawn = StretchBlt(target, 0, 0, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(target, previousTarget);
        SelectObject(source, previousSource);
        if (drawn) {
            DeleteObject(AppState.WizardBitmap);
            AppState.WizardBitmap = fitted;
            fitted = NULL;
        }
    }
    if (target)
        DeleteDC(target);
    if (source)
        DeleteDC(source);
    if (fitted)
        DeleteObject(fitted);
}

// The sheet sizes its page area in the dialog units of its own font, the pages lay out in those
// of theirs; the two agree at 96 DPI but not always above it (Wine at 144 DPI: the area 18
// pixels short, cutting the side image and the licence). So each page takes its template's
// size when it becomes active (the sheet sizes a page once, after creating it), and the first
// page also grows the sheet by the difference, moving what lies below the page area down (and
// what lies right of its middle to the right), and centres it again.
static void FitPageToTemplate(HWND page, BOOL growSheet)
{
    HWND sheet = GetParent(page);
    RECT want = { 0, 0, PageWidthUnits, PageHeightUnits }, area, sheetRect;
    MapDialogRect(page, &want);
    GetWindowRect(page, &area);
    MapWindowPoints(NULL, sheet, (POINT*)&area, 2);
    int dx = want.right - (area.right - area.left), dy = want.bottom - (area.bottom - area.top);
    if (dx == 0 && dy == 0)
        return;
    SetWindowPos(page, NULL, 0, 0, want.right, want.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!growSheet)
        return;
    int middle = (area.left + area.right) / 2;
    for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(NULL, sheet, (POINT*)&r, 2);
        if (child == page || r.top < area.bottom)
            continue;
        BOOL spans = r.left < middle && r.right > middle; // the line above the buttons
        int shift = !spans && r.left >= middle ? dx : 0;
        SetWindowPos(child, NULL, r.left + shift, r.top + dy, r.right - r.left + (spans ? dx : 0), r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    GetWindowRect(sheet, &sheetRect);
    SetWindowPos(sheet, NULL, 0, 0, sheetRect.right - sheetRect.left + dx, sheetRect.bottom - sheetRect.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindowOnParent(sheet);
}

// The licence template makes its field one dialog unit taller than the page, which would cut
// the field's lower edge; it ends at the page's edge instead.
static void KeepLicenseFieldInPage(HWND page)
{
    HWND field = GetDlgItem(page, IDC_LICENSE_TEXT);
    RECT rect, client;
    GetWindowRect(field, &rect);
    MapWindowPoints(NULL, page, (POINT*)&rect, 2);
    GetClientRect(page, &client);
    if (rect.bottom > client.bottom)
        SetWindowPos(field, NULL, 0, 0, rect.right - rect.left, client.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void ShowSideImage(HWND page)
{
    FitSideImage(GetDlgItem(page, IDC_SIDE_IMAGE));
    SendDlgItemMessageA(page, IDC_SIDE_IMAGE, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)AppState.WizardBitmap);
}

static UINT NotifyCode(LPARAM lParam)
{
    return ((const NMHDR*)lParam)->code;
}

void CenterWindowOnParent(HWND window)
{
    HWND parent = GetParent(window);
    if (!parent)
        parent = GetDesktopWindow();
    RECT outer, inner;
    GetWindowRect(parent, &outer);
    GetWindowRect(window, &inner);
    // Signed halves: a window larger than its parent gets a negative offset, not a clamp.
    int x = outer.left + ((outer.right - outer.left) - (inner.right - inner.left)) / 2;
    int y = outer.top + ((outer.bottom - outer.top) - (inner.bottom - inner.top)) / 2;
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

void SetCompactPathText(HWND dialog, int controlId, const char* path)
{
    // DT_MODIFYSTRING may lengthen the text by up to four characters when it inserts "...".
    char copy[MAX_PATH + 4];
    lstrcpynA(copy, path, MAX_PATH);

    HWND control = GetDlgItem(dialog, controlId);
    RECT rect;
    GetClientRect(control, &rect);
    HDC dc = GetDC(control);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previousFont = SelectObject(memory, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0));
    // Drawn off screen: only the shortened text that DrawTextA writes back is used.
    DrawTextA(memory, copy, -1, &rect, DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_MODIFYSTRING);
    SelectObject(memory, previousFont);
    DeleteDC(memory);
    ReleaseDC(control, dc);

    SetDlgItemTextA(dialog, controlId, copy);
}

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowSideImage(page);
        CenterWindowOnParent(GetParent(page));
        return TRUE;
    case WM_NOTIFY:
        if (NotifyCode(lParam) == PSN_SETACTIVE) {
            FitPageToTemplate(page, TRUE);
            PostWizardButtons(page, ButtonsFirstPage);
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowSideImage(page);
        SetDlgItemTextA(page, IDC_LICENSE_TEXT, LicenseText);
        return TRUE;
    case WM_NOTIFY:
        if (NotifyCode(lParam) == PSN_SETACTIVE) {
            FitPageToTemplate(page, FALSE);
            KeepLicenseFieldInPage(page);
            PostWizardButtons(page, ButtonsMiddlePage);
        }
        return FALSE;
    }
    return FALSE;
}

static void OnBrowseForFolder(HWND page)
{
    // The picker may overwrite the folder before it fails; a cancelled pick changes nothing.
    char saved[MAX_PATH];
    lstrcpynA(saved, AppState.TargetFolder, sizeof saved);
    if (BrowseForTargetFolder(page, AppState.TargetFolder))
        SetCompactPathText(page, IDC_FOLDER_DISPLAY, AppState.TargetFolder);
    else
        lstrcpynA(AppState.TargetFolder, saved, sizeof AppState.TargetFolder);
}

INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowSideImage(page);
        SetCompactPathText(page, IDC_FOLDER_DISPLAY, AppState.TargetFolder);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_BROWSE)
            OnBrowseForFolder(page);
        return FALSE;
    case WM_NOTIFY:
        if (NotifyCode(lParam) == PSN_SETACTIVE) {
            FitPageToTemplate(page, FALSE);
            PostWizardButtons(page, ButtonsMiddlePage);
        }
        return FALSE;
    }
    return FALSE;
}

// The stored name is trimmed; the field keeps what the user typed.
static void ReadUserName(HWND page)
{
    GetDlgItemTextA(page, IDC_USER_NAME, AppState.UserName, sizeof AppState.UserName);
    TrimBlanks(AppState.UserName);
}

static void PostFinishState(HWND page)
{
    PostWizardButtons(page, AppState.UserName[0] ? ButtonsFinishEnabled : ButtonsFinishDisabled);
}

static INT_PTR OnPersonalizeFinish(HWND page)
{
    if (lstrlenA(AppState.UserName) >= MinUserNameLength)
        return FALSE;
    MessageBoxA(page, MsgUserNameTooShort, CaptionWarning, MB_ICONERROR);
    SetFocus(GetDlgItem(page, IDC_USER_NAME));
    SetWindowLongA(page, DWL_MSGRESULT, 1);
    return TRUE;
}

static INT_PTR OnPersonalizeNotify(HWND page, LPARAM lParam)
{
    switch (NotifyCode(lParam)) {
    case PSN_SETACTIVE:
        FitPageToTemplate(page, FALSE);
        ReadUserName(page);
        PostFinishState(page);
        return FALSE;
    case PSN_WIZFINISH:
        return OnPersonalizeFinish(page);
    }
    return FALSE;
}

INT_PTR CALLBACK PersonalizePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowSideImage(page);
        SetDlgItemTextA(page, IDC_USER_NAME, AppState.UserName);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_USER_NAME && HIWORD(wParam) == EN_CHANGE) {
            ReadUserName(page);
            PostFinishState(page);
        }
        return FALSE;
    case WM_NOTIFY:
        return OnPersonalizeNotify(page, lParam);
    }
    return FALSE;
}

int RunSetupWizard(HWND parent)
{
    static const DLGPROC pageProcs[PageCount] = { WelcomePageProc, LicensePageProc, DestinationPageProc,
                                                  PersonalizePageProc };
    static const WORD templates[PageCount] = { IDD_WELCOME, IDD_LICENSE, IDD_DESTINATION, IDD_PERSONALIZE };

    PROPSHEETPAGEA_V2 pages[PageCount] = {};
    for (int i = 0; i < PageCount; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_DEFAULT;
        pages[i].hInstance = AppState.Instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(templates[i]);
        pages[i].pfnDlgProc = pageProcs[i];
    }

    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD;
    header.hwndParent = parent;
    header.hInstance = AppState.Instance;
    header.nPages = PageCount;
    header.nStartPage = 0;
    header.ppsp = (LPCPROPSHEETPAGEA)pages;
    return (int)PropertySheetFromSystem(&header);
}
