// Real files for the Windows tests: exact bytes written and read back, a folder of its own per
// test (TempFolder), and expectations on files that report at the caller's line.
#pragma once
#include "common/bytes.h"
#include "common/temp_folder.h"
#include <windows.h>
#include <string>
#include <vector>

// folder + "\" + name, without doubling a backslash the folder already ends with.
std::string JoinPath(const std::string& folder, const std::string& name);

bool PathExists(const std::string& path);   // a file or a folder
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The names in a folder, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);
// Removes a file, or a folder with everything in it, hidden and read-only entries too.
void RemoveTree(const std::string& path);

std::string ModuleFolder();                  // the running program's folder, with a trailing backslash
std::string WindowsDir();                    // e.g. C:\windows
std::string SystemDir();                     // e.g. C:\windows\system32
std::string WindowsFile(const std::string& name);
// The 64-bit system folder as a 32-bit program reaches it under WoW64 (C:\windows\Sysnative),
// and where that program's own system folder really lies (C:\windows\SysWOW64); both empty on
// a 32-bit Windows.
std::string NativeSystemDir();
std::string Wow64SystemDir();


// Failures name the test's line and what was found instead.
#define EXPECT_FILE(path, bytes) ExpectFileAt(__FILE__, __LINE__, (path), (bytes))
#define EXPECT_NO_FILE(path) ExpectNoFileAt(__FILE__, __LINE__, (path))
void ExpectFileAt(const char* file, int line, const std::string& path, const std::string& bytes);
void ExpectNoFileAt(const char* file, int line, const std::string& path);
