// Registry values and keys, each call opening and closing its own key.
#pragma once
#include <windows.h>

void ReadRegString(HKEY root, const char* subKey, const char* valueName, const char* defaultText,
                   char* out, int outMax);
// 1 when the key could be opened or created and the value was stored.
int WriteRegString(HKEY root, const char* subKey, const char* valueName, const char* text);
int WriteRegDword(HKEY root, const char* subKey, const char* valueName, DWORD value);
void DeleteRegKey(HKEY root, const char* path);
