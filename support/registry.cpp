#include "support/registry.h"

// A text value is read only when its data, terminator included, fits in this many bytes.
enum { RegReadLimit = 256 };

void ReadRegString(HKEY root, const char* subKey, const char* valueName, const char* defaultText,
                   char* out, int outMax)
{
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        lstrcpynA(out, defaultText, outMax);
        return;
    }
    // One byte beyond the announced size, so that a stored text without its terminator
    // still ends within the buffer.
    char data[RegReadLimit + 1];
    DWORD type = REG_NONE;
    DWORD size = RegReadLimit;
    LONG status = RegQueryValueExA(key, valueName, NULL, &type, (BYTE*)data, &size);
    if (status == ERROR_SUCCESS && type == REG_SZ && size <= RegReadLimit) {
        data[size] = '\0';
        lstrcpynA(out, data, outMax);
    } else {
        lstrcpynA(out, defaultText, outMax);
    }
    RegCloseKey(key);
}

// Creates or opens the key, stores the value and closes the key; 1 when stored.
static int WriteRegValue(HKEY root, const char* subKey, const char* valueName, DWORD type, const BYTE* data,
                         DWORD size)
{
    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExA(root, subKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key,
                        &disposition) != ERROR_SUCCESS)
        return 0;
    LONG status = RegSetValueExA(key, valueName, 0, type, data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

int WriteRegString(HKEY root, const char* subKey, const char* valueName, const char* text)
{
    return WriteRegValue(root, subKey, valueName, REG_SZ, (const BYTE*)text, (DWORD)lstrlenA(text) + 1);
}

int WriteRegDword(HKEY root, const char* subKey, const char* valueName, DWORD value)
{
    return WriteRegValue(root, subKey, valueName, REG_DWORD, (const BYTE*)&value, sizeof value);
}

void DeleteRegKey(HKEY root, const char* path)
{
    // A path cut to fit the working copy would name another key (often an ancestor), so a
    // path that does not fit is refused whole.
    char parent[MAX_PATH];
    int length = lstrlenA(path);
    if (length >= MAX_PATH)
        return;
    lstrcpyA(parent, path);
    int separator = -1;
    for (int i = length - 1; i >= 0; --i) {
        if (parent[i] == '\\') {
            separator = i;
            break;
        }
    }
    const char* leaf = path + separator + 1;
    // RegDeleteKeyA with an empty name deletes the open key itself, that is the parent or
    // even the root: a path without a leaf name deletes nothing.
    if (*leaf == '\0')
        return;
    parent[separator >= 0 ? separator : 0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(root, parent, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteKeyA(key, leaf);
    RegCloseKey(key);
}
