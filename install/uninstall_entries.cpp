#include "install/uninstall_entries.h"
#include "app/app_state.h"
#include "app/texts.h"
#include "support/paths.h"
#include "support/registry.h"

const char UninstallKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quintara";
const char ProductKeyPath[] = "Software\\Halvorn\\Quintara\\2.0";

// Written as empty texts, in this order.
static const char* const EmptyValueNames[] = {
    "RegCompany", "HelpTelephone", "HelpLink", "URLUpdateInfo", "URLInfoAbout",
};

void WriteUninstallEntriesUnder(HKEY root, const char* uninstallKey, const char* productKey,
                                const char* uninstaller)
{
    char buffer[MAX_PATH];
    WriteRegString(root, uninstallKey, "DisplayName", ProductDisplayName);
    // A cut path would start some other program, or none: without room for the whole
    // command no command is registered at all.
    if (lstrlenA(uninstaller) + lstrlenA(UninstallSwitch) < (int)sizeof buffer) {
        lstrcpyA(buffer, uninstaller);
        lstrcatA(buffer, UninstallSwitch);
        WriteRegString(root, uninstallKey, "UninstallPath", buffer);
        WriteRegString(root, uninstallKey, "UninstallString", buffer);
        WriteRegString(root, uninstallKey, "ModifyPath", buffer);
    }
    WriteRegString(root, uninstallKey, "InstallLocation", AppState.TargetFolder);
    MakeModulePath(buffer, EmptyText, 1);
    WriteRegString(root, uninstallKey, "InstallSource", buffer);
    WriteRegString(root, uninstallKey, "DisplayVersion", ProductDisplayVersion);
    WriteRegDword(root, uninstallKey, "VersionMajor", 2);
    WriteRegDword(root, uninstallKey, "VersionMinor", 0);
    WriteRegString(root, uninstallKey, "Publisher", ProductPublisher);
    WriteRegString(root, uninstallKey, "ProductID", EmptyText);
    WriteRegString(root, uninstallKey, "RegOwner", AppState.UserName);
    for (const char* name : EmptyValueNames)
        WriteRegString(root, uninstallKey, name, EmptyText);
    WriteRegString(root, productKey, "RegOwner", AppState.UserName);
}

void WriteUninstallEntries(const char* uninstaller)
{
    WriteUninstallEntriesUnder(HKEY_LOCAL_MACHINE, UninstallKeyPath, ProductKeyPath, uninstaller);
}
