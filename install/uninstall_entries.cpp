#include "install/uninstall_entries.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "support/paths.h"
#include "support/registry.h"

int WriteUninstallEntriesUnder(HKEY root, const char* uninstallKey, const char* productKey,
                               const char* uninstaller)
{
    char buffer[MAX_PATH];
    // Every value is attempted even after a failure; the result says whether all were stored.
    int written = WriteRegString(root, uninstallKey, ValueDisplayName, ProductDisplayName);
    // A cut path would start some other program, or none: without room for the whole
    // command no command is registered at all, and none for an uninstaller that is not there.
    if (uninstaller && lstrlenA(uninstaller) + lstrlenA(UninstallSwitch) < (int)sizeof buffer) {
        lstrcpyA(buffer, uninstaller);
        lstrcatA(buffer, UninstallSwitch);
        written &= WriteRegString(root, uninstallKey, ValueUninstallPath, buffer);
        written &= WriteRegString(root, uninstallKey, ValueUninstallString, buffer);
        written &= WriteRegString(root, uninstallKey, ValueModifyPath, buffer);
    }
    written &= WriteRegString(root, uninstallKey, ValueInstallLocation, AppState.TargetFolder);
    MakeModulePath(AppState.Instance, buffer, EmptyText, 1);
    written &= WriteRegString(root, uninstallKey, ValueInstallSource, buffer);
    written &= WriteRegString(root, uninstallKey, ValueDisplayVersion, ProductDisplayVersion);
    written &= WriteRegDword(root, uninstallKey, ValueVersionMajor, 2);
    written &= WriteRegDword(root, uninstallKey, ValueVersionMinor, 0);
    written &= WriteRegString(root, uninstallKey, ValuePublisher, ProductPublisher);
    written &= WriteRegString(root, uninstallKey, ValueProductID, EmptyText);
    written &= WriteRegString(root, uninstallKey, ValueRegOwner, AppState.UserName);
    for (int i = 0; i < EmptyValueCount; ++i)
        written &= WriteRegString(root, uninstallKey, EmptyValueNames[i], EmptyText);
    written &= WriteRegString(root, productKey, ValueRegOwner, AppState.UserName);
    return written;
}

int WriteUninstallEntries(const char* uninstaller)
{
    return WriteUninstallEntriesUnder(HKEY_LOCAL_MACHINE, UninstallKeyPath, ProductKeyPath, uninstaller);
}
