#include "test_files.h"
#include <gtest/gtest.h>

static void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

TempFolder::TempFolder()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int counter;
    for (;;) {
        char name[MAX_PATH];
        wsprintfA(name, "%sqntx-test-%lu-%d", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, NULL)) {
            path = name;
            return;
        }
    }
}

TempFolder::~TempFolder()
{
    RemoveTree(path);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateForWriting(path);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, bytes.data(), (DWORD)bytes.size(), &done, NULL)) << path;
    EXPECT_EQ(bytes.size(), done);
    CloseHandle(file);
}

std::string ReadBytes(const std::string& path)
{
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing: " + path + ">";
    std::string bytes;
    char block[4096];
    DWORD done = 0;
    while (ReadFile(file, block, sizeof block, &done, NULL) && done > 0)
        bytes.append(block, done);
    CloseHandle(file);
    return bytes;
}

HANDLE OpenForReading(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

HANDLE CreateForWriting(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

DWORD FilePosition(HANDLE file)
{
    return SetFilePointer(file, 0, NULL, FILE_CURRENT);
}
