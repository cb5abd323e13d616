// The four-page setup wizard.
#pragma once
#include <windows.h>

int RunSetupWizard(HWND parent);
INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PersonalizePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void CenterWindowOnParent(HWND window);
void SetCompactPathText(HWND dialog, int controlId, const char* path);
