// What an end-to-end test prepares on, and reads back from, the Wine prefix it runs in.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// ---- paths
std::string WindowsDir();                       // e.g. C:\windows
std::string SystemDir();                        // e.g. C:\windows\system32
// A Unix path named by an environment variable set by the build, as a Windows path.
std::string BuildPath(const char* variable);

// ---- files
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
DWORD AttributesOf(const std::string& path);
std::string ReadFileBytes(const std::string& path);   // "<missing>" when it cannot be read
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Creates every missing folder of the path.
void MakeFolders(const std::string& path);

// ---- registry (HKEY_LOCAL_MACHINE as a 32-bit program sees it)
struct RegValue {
    bool present = false;
    DWORD type = 0;
    std::string data;     // raw bytes
};
RegValue ReadValue(const std::string& key, const std::string& name);
bool KeyExists(const std::string& key);
void SetText(const std::string& key, const std::string& name, const std::string& text);
void SetDword(const std::string& key, const std::string& name, DWORD value);
std::string Text(const std::string& text);      // REG_SZ data: the text and its NUL
std::string Dword(DWORD value);                 // REG_DWORD data: 4 little-endian bytes

// ---- setup data files
struct Record {
    std::string name, label;
    DWORD hidden = 0;
    std::string packed;
};
// The records of a setup data file, in order.
std::vector<Record> ReadRecords(const std::string& dataFile);
std::string RecordBytes(const Record& record);

// ---- the demo payload's manifest: one file record per line
struct ManifestEntry {
    std::string source;   // Windows path of the source file
    std::string name;
    std::string label;
    bool hidden = false;
};
std::vector<ManifestEntry> ReadManifest(const std::string& manifest);
