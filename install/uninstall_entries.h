// The Add/Remove Programs entry and the product key.
#pragma once
#include <windows.h>

// Writes both keys below HKEY_LOCAL_MACHINE; uninstaller is the path of the uninstaller copy,
// or NULL when there is none (no uninstall command is then registered). 1 when every value
// was stored.
int WriteUninstallEntries(const char* uninstaller);

// The same values below any root and pair of key paths (tests write into a scratch key).
int WriteUninstallEntriesUnder(HKEY root, const char* uninstallKey, const char* productKey,
                               const char* uninstaller);
