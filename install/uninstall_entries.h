// The Add/Remove Programs entry and the product key.
#pragma once

extern const char UninstallKeyPath[];
extern const char ProductKeyPath[];

void WriteUninstallEntries(const char* uninstaller);
