// Registry helpers for tests: a scratch key, all values of a key, the expected uninstall entry.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

using RegData = std::pair<DWORD, std::string>; // type, raw data bytes
using RegValues = std::map<std::string, RegData>;

inline RegData Text(const std::string& text)
{
    return RegData(REG_SZ, text + '\0');
}

inline RegData Number(DWORD value)
{
    return RegData(REG_DWORD, std::string((const char*)&value, 4));
}

// Every value of a key with its type and data; empty when the key cannot be opened.
inline RegValues ReadAllValues(HKEY root, const std::string& path)
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

inline bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The system's own list of deletions and renames for its next start (NT family): pairs of an
// NT path (\??\C:\...) and a target, empty for a deletion. Empty when there is none.
const char SessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char PendingRenamesValue[] = "PendingFileRenameOperations";

using PendingRenames = std::vector<std::pair<std::string, std::string>>;

inline PendingRenames ReadPendingRenames()
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

inline void ClearPendingRenames()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, PendingRenamesValue);
    RegCloseKey(key);
}

// A key of its own below HKEY_CURRENT_USER\Software\QntxTest, removed with all it holds.
class RegistryScratch {
public:
    RegistryScratch()
    {
        static LONG counter;
        char name[96];
        wsprintfA(name, "Software\\QntxTest\\%lu-%ld-%lu", GetCurrentProcessId(), InterlockedIncrement(&counter),
                  GetTickCount());
        path_ = name;
    }
    ~RegistryScratch() { Remove(); }
    const std::string& Path() const { return path_; }
    bool Create()
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
            ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    // The scratch key itself opened with full access, for use as a root; NULL on failure.
    HKEY Open() const
    {
        HKEY key;
        return RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS ? key : NULL;
    }
    void Remove()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QntxTest"); // only when no other test holds a key
    }

private:
    std::string path_;
};

// The 17 values of the uninstall key.
inline RegValues ExpectedUninstallValues(const std::string& command, const std::string& location,
                                         const std::string& source, const std::string& owner)
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
