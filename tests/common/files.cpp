#include "common/files.h"
#include <gtest/gtest.h>

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (lstrcmpA(found.cFileName, ".") && lstrcmpA(found.cFileName, ".."))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void RemoveTree(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    for (const std::string& name : FolderEntries(path))
        RemoveTree(JoinPath(path, name));
    RemoveDirectoryA(path.c_str());
}

std::string ModuleFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path, n < sizeof path ? n : 0);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string WindowsDir()
{
    char path[MAX_PATH] = "";
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

std::string SystemDir()
{
    char path[MAX_PATH] = "";
    GetSystemDirectoryA(path, sizeof path);
    return path;
}

std::string WindowsFile(const std::string& name)
{
    return JoinPath(WindowsDir(), name);
}

static bool UnderWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string NativeSystemDir()
{
    return UnderWow64() ? WindowsFile("Sysnative") : std::string();
}

std::string Wow64SystemDir()
{
    char path[MAX_PATH] = "";
    return UnderWow64() && GetSystemWow64DirectoryA(path, sizeof path) ? path : std::string();
}

TempFolder::TempFolder()
{
    static LONG counter;
    char base[MAX_PATH] = "";
    GetTempPathA(sizeof base, base);
    // A name left by an earlier run is skipped, so every test starts from an empty folder.
    for (int tries = 0; tries < 1000; ++tries) {
        std::string name = JoinPath(base, "qntx-" + std::to_string(GetCurrentProcessId()) + "-" +
                                              std::to_string(InterlockedIncrement(&counter)) + "-" +
                                              std::to_string(GetTickCount()));
        if (CreateDirectoryA(name.c_str(), NULL)) {
            path_ = name;
            return;
        }
    }
    ADD_FAILURE() << "no temporary folder could be made in " << base << " (error " << GetLastError() << ")";
}

TempFolder::~TempFolder()
{
    if (!path_.empty())
        RemoveTree(path_);
}

std::string TempFolder::operator/(const std::string& name) const
{
    return JoinPath(path_, name);
}

void ExpectFileAt(const char* file, int line, const std::string& path, const std::string& bytes)
{
    std::string seen;
    if (!ReadFileBytes(path, seen)) {
        ADD_FAILURE_AT(file, line) << "cannot read " << path << " (error " << GetLastError() << ")";
        return;
    }
    if (seen == bytes)
        return;
    size_t at = 0;
    while (at < seen.size() && at < bytes.size() && seen[at] == bytes[at])
        ++at;
    ::testing::Message message;
    message << path << ": " << seen.size() << " bytes, expected " << bytes.size() << "; first difference at offset "
            << at;
    if (seen.size() <= 200 && bytes.size() <= 200)
        message << "\n  seen:     [" << seen << "]\n  expected: [" << bytes << "]";
    ADD_FAILURE_AT(file, line) << message;
}

void ExpectNoFileAt(const char* file, int line, const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        ADD_FAILURE_AT(file, line) << path << " exists (attributes 0x" << std::hex << attributes << ")";
}
