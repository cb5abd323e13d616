// The full-screen backdrop behind every dialog of a run.
#pragma once
#include <windows.h>

// Registers "QTXSetupClass" with BackgroundWindowProc; the result is not examined.
void RegisterBackgroundClass(HINSTANCE instance);

LRESULT CALLBACK BackgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Top row of gradient band `band` (0..255) in a client area starting at `top`, `height` rows
// high; band 255's top is the bottom edge, so band i spans [top(i), top(i + 1)).
int GradientBandTop(int band, int top, int height);

// Paints the whole backdrop on `dc` for the client area of `window`.
void PaintBackdrop(HWND window, HDC dc);
