// Real files for tests: a unique folder per test, exact bytes written and read back.
#pragma once
#include <windows.h>
#include <string>

inline bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    bool ok = bytes.empty() || (WriteFile(file, bytes.data(), (DWORD)bytes.size(), &done, NULL) && done == bytes.size());
    CloseHandle(file);
    return ok;
}

// The whole content, or "<missing>" when the file cannot be opened.
inline std::string ReadBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char block[4096];
    DWORD done = 0;
    while (ReadFile(file, block, sizeof block, &done, NULL) && done > 0)
        bytes.append(block, done);
    CloseHandle(file);
    return bytes;
}

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a folder with everything in it.
inline void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// A new folder below the temporary folder, removed with its content at the end of the test.
class TempFolder {
public:
    TempFolder()
    {
        static LONG counter;
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        char name[MAX_PATH + 64];
        wsprintfA(name, "%sqntx-%lu-%ld-%lu", base, GetCurrentProcessId(), InterlockedIncrement(&counter),
                  GetTickCount());
        path_ = name;
        CreateDirectoryA(path_.c_str(), NULL);
    }
    ~TempFolder() { RemoveTree(path_); }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// The folder of the running executable with its trailing backslash.
inline std::string ModuleFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

inline std::string WindowsFile(const char* name)
{
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof folder);
    return std::string(folder) + "\\" + name;
}
