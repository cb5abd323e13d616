// Real files in a unique temporary folder per test, removed afterwards.
#pragma once
#include <windows.h>
#include <string>

struct TempFolder {
    std::string path;
    TempFolder();
    ~TempFolder();
    std::string File(const std::string& name) const { return path + "\\" + name; }
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
HANDLE OpenForReading(const std::string& path);
HANDLE CreateForWriting(const std::string& path);
DWORD FilePosition(HANDLE file);
