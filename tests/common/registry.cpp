#include "common/registry.h"
#include <gtest/gtest.h>

const char SessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char PendingRenamesValue[] = "PendingFileRenameOperations";

std::string TextData(const std::string& text)
{
    return text + '\0';
}

std::string DwordData(DWORD value)
{
    return std::string((const char*)&value, 4);
}

RegData Text(const std::string& text)
{
    return RegData(REG_SZ, TextData(text));
}

RegData Number(DWORD value)
{
    return RegData(REG_DWORD, DwordData(value));
}

RegValues ReadAllValues(HKEY root, const std::string& path)
{
    RegValues values;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        BYTE data[2048];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, NULL, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        values[name] = RegData(type, std::string((const char*)data, dataSize));
    }
    RegCloseKey(key);
    return values;
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

RegValue ReadValue(HKEY root, const std::string& key, const std::string& name)
{
    RegValue value;
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return value;
    char data[4096];
    DWORD size = sizeof data;
    if (RegQueryValueExA(handle, name.c_str(), NULL, &value.type, (BYTE*)data, &size) == ERROR_SUCCESS) {
        value.present = true;
        value.data.assign(data, size);
    }
    RegCloseKey(handle);
    return value;
}

void SetValue(HKEY root, const std::string& key, const std::string& name, const RegData& value)
{
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle, NULL))
        << key;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(handle, name.c_str(), 0, value.first, (const BYTE*)value.second.data(),
                                            (DWORD)value.second.size()))
        << key << " " << name;
    RegCloseKey(handle);
}

PendingRenames ReadPendingRenames()
{
    PendingRenames pairs;
    std::string data;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        DWORD size = 0, type = 0;
        if (RegQueryValueExA(key, PendingRenamesValue, NULL, &type, NULL, &size) == ERROR_SUCCESS && size > 0) {
            data.resize(size);
            if (RegQueryValueExA(key, PendingRenamesValue, NULL, &type, (BYTE*)&data[0], &size) == ERROR_SUCCESS &&
                type == REG_MULTI_SZ)
                data.resize(size);
            else
                data = std::string("<unreadable or not REG_MULTI_SZ>") + '\0';
        }
        RegCloseKey(key);
    }
    size_t at = 0;
    auto next = [&]() {
        size_t end = data.find('\0', at);
        if (end == std::string::npos)
            end = data.size();
        std::string text = data.substr(at, end - at);
        at = end + 1;
        return text;
    };
    while (at < data.size() && data[at] != '\0') {
        std::string source = next();
        pairs.emplace_back(source, next());
    }
    return pairs;
}

bool WritePendingRenames(const PendingRenames& pairs)
{
    std::string data;
    for (const auto& pair : pairs)
        data += pair.first + '\0' + pair.second + '\0';
    data += '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG status =
        RegSetValueExA(key, PendingRenamesValue, 0, REG_MULTI_SZ, (const BYTE*)data.data(), (DWORD)data.size());
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void ClearPendingRenames()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, PendingRenamesValue);
    RegCloseKey(key);
}

RegistryScratch::RegistryScratch()
{
    static LONG counter;
    path_ = "Software\\QntxTest\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(InterlockedIncrement(&counter)) + "-" + std::to_string(GetTickCount());
}

bool RegistryScratch::Create()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

HKEY RegistryScratch::Open() const
{
    HKEY key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS ? key : NULL;
}

void RegistryScratch::Remove()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QntxTest"); // only when no other test holds a key
}

RegValues ExpectedUninstallValues(const std::string& command, const std::string& location, const std::string& source,
                                  const std::string& owner)
{
    return RegValues{
        { "DisplayName", Text("Quintara 2.0") },
        { "UninstallPath", Text(command) },
        { "UninstallString", Text(command) },
        { "ModifyPath", Text(command) },
        { "InstallLocation", Text(location) },
        { "InstallSource", Text(source) },
        { "DisplayVersion", Text("2.0") },
        { "VersionMajor", Number(2) },
        { "VersionMinor", Number(0) },
        { "Publisher", Text("Halvorn") },
        { "ProductID", Text("") },
        { "RegOwner", Text(owner) },
        { "RegCompany", Text("") },
        { "HelpTelephone", Text("") },
        { "HelpLink", Text("") },
        { "URLUpdateInfo", Text("") },
        { "URLInfoAbout", Text("") },
    };
}
