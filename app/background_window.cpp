#include "app/background_window.h"
#include "resources/resource.h"
#include "state/app_state.h"
#include "state/texts.h"

int GradientBandTop(int band, int top, int height)
{
    return top + (band * height) / 255;
}

// The backdrop's sizes and positions are pixels at 96 DPI; they grow with the system's DPI like
// the dialogs in front of it.
static int Scaled(HDC dc, int pixels)
{
    return MulDiv(pixels, GetDeviceCaps(dc, LOGPIXELSY), 96);
}

void PaintBackdrop(HWND window, HDC dc)
{
    HFONT titleFont = CreateFontA(-Scaled(dc, 32), 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0,
                                  "Times New Roman");
    HFONT creditsFont = CreateFontA(-Scaled(dc, 8), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0,
                                    0, "MS Sans Serif");
    const int margin = Scaled(dc, 35), shadow = Scaled(dc, 39);
    const char* title = AppState.InstallMode == InstallModeUninstall ? UninstallTitle : SetupTitle;
    int titleLength = lstrlenA(title);

    RECT client;
    GetClientRect(window, &client);
    int height = client.bottom - client.top;
    for (int band = 0; band < 255; ++band) {
        RECT rows = { client.left, GradientBandTop(band, client.top, height), client.right,
                      GradientBandTop(band + 1, client.top, height) };
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255 - band));
        FillRect(dc, &rows, brush);
        DeleteObject(brush);
    }

    HGDIOBJ previousFont = SelectObject(dc, titleFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, shadow, shadow, title, titleLength);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, margin, margin, title, titleLength);

    SelectObject(dc, creditsFont);
    SIZE size;
    GetTextExtentPoint32A(dc, "W", 1, &size);
    int y = client.bottom - (size.cy * 24) / 10 - margin;
    TextOutA(dc, margin, y, CreditsLine, lstrlenA(CreditsLine));
    TextOutA(dc, margin, y + (size.cy * 12) / 10, CopyrightNotice, lstrlenA(CopyrightNotice));

    SelectObject(dc, previousFont);
    DeleteObject(titleFont);
    DeleteObject(creditsFont);
}

LRESULT CALLBACK BackgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        PaintBackdrop(window, (HDC)wParam);
        return 1;
    }
    // The run ends when its flow returns, never by closing the backdrop: it owns every window
    // and message box of the flow, and Alt+F4 or a close request from elsewhere would take
    // them down while the flow goes on unseen. SC_CLOSE and Alt+F4 both end up here.
    if (message == WM_CLOSE)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterBackgroundClass(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = BackgroundWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszClassName = BackgroundClassName;
    RegisterClassA(&windowClass);
}
