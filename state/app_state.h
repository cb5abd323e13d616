// The one program-wide state record and the shared empty text.
#pragma once
#include <windows.h>

enum { InstallModeSetup = 0, InstallModeUninstall = 1 };

struct AppStateRecord {
    HINSTANCE Instance;
    int InstallMode;          // InstallModeSetup or InstallModeUninstall
    HBITMAP WizardBitmap;     // side image of every wizard page
    char TargetFolder[MAX_PATH];
    char UserName[100];
};

extern AppStateRecord AppState;

// Stands for every empty default or value.
extern const char EmptyText[];
