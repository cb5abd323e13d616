// The one program-wide state record and the shared empty text.
#pragma once
#include <windows.h>

enum { InstallModeSetup = 0, InstallModeUninstall = 1 };
// Whether deletions at the next start are pending, as far as this run has looked.
enum { BootDeletionsUnknown = 0, BootDeletionsNone = 1, BootDeletionsSome = 2 };

struct AppStateRecord {
    HINSTANCE Instance;
    int InstallMode;          // InstallModeSetup or InstallModeUninstall
    HBITMAP WizardBitmap;     // side image of every wizard page
    char TargetFolder[MAX_PATH];
    char UserName[100];
    int BootDeletions;        // BootDeletions...: lets setup skip reading them per file
    DWORD SentMessagesAt;     // tick count when sent messages were last handled
};

extern AppStateRecord AppState;

// Stands for every empty default or value.
extern const char EmptyText[];
