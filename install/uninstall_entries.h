// The Add/Remove Programs entry and the product key.
#pragma once
#include <windows.h>

// Writes both keys below HKEY_LOCAL_MACHINE; uninstaller is the path of the uninstaller copy.
void WriteUninstallEntries(const char* uninstaller);

// The same values below any root and pair of key paths (tests write into a scratch key).
void WriteUninstallEntriesUnder(HKEY root, const char* uninstallKey, const char* productKey,
                                const char* uninstaller);
