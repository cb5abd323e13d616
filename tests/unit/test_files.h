// Handles on real files for the tests of the file routines.
#pragma once
#include "common/files.h"
#include <windows.h>
#include <string>

HANDLE OpenForReading(const std::string& path);
HANDLE CreateForWriting(const std::string& path);
DWORD FilePosition(HANDLE file);
