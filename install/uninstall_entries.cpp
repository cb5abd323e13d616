#include "install/uninstall_entries.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "support/paths.h"
#include "support/registry.h"

void WriteUninstallEntriesUnder(HKEY root, const char* uninstallKey, const char* productKey,
                                const char* uninstaller)
{
    char buffer[MAX_PATH];
    WriteRegString(root, uninstallKey, ValueDisplayName, ProductDisplayName);
    // A cut path would start some other program, or none: without room for the whole
    // command no command is registered at all.
    if (lstrlenA(uninstaller) + lstrlenA(UninstallSwitch) < (int)sizeof buffer) {
        lstrcpyA(buffer, uninstaller);
        lstrcatA(buffer, UninstallSwitch);
        WriteRegString(root, uninstallKey, ValueUninstallPath, buffer);
        WriteRegString(root, uninstallKey, ValueUninstallString, buffer);
        WriteRegString(root, uninstallKey, ValueModifyPath, buffer);
    }
    WriteRegString(root, uninstallKey, ValueInstallLocation, AppState.TargetFolder);
    MakeModulePath(AppState.Instance, buffer, EmptyText, 1);
    WriteRegString(root, uninstallKey, ValueInstallSource, buffer);
    WriteRegString(root, uninstallKey, ValueDisplayVersion, ProductDisplayVersion);
    WriteRegDword(root, uninstallKey, ValueVersionMajor, 2);
    WriteRegDword(root, uninstallKey, ValueVersionMinor, 0);
    WriteRegString(root, uninstallKey, ValuePublisher, ProductPublisher);
    WriteRegString(root, uninstallKey, ValueProductID, EmptyText);
    WriteRegString(root, uninstallKey, ValueRegOwner, AppState.UserName);
    for (int i = 0; i < EmptyValueCount; ++i)
        WriteRegString(root, uninstallKey, EmptyValueNames[i], EmptyText);
    WriteRegString(root, productKey, ValueRegOwner, AppState.UserName);
}

void WriteUninstallEntries(const char* uninstaller)
{
    WriteUninstallEntriesUnder(HKEY_LOCAL_MACHINE, UninstallKeyPath, ProductKeyPath, uninstaller);
}
