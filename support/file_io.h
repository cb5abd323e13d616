// Exact reads and writes, block copies and CR LF text lines on open file handles.
// Every routine works at the handle's current position and keeps no state.
#pragma once
#include <windows.h>

int ReadExact(HANDLE file, void* buffer, DWORD count);
int WriteExact(HANDLE file, const void* buffer, DWORD count);
int WriteLine(HANDLE file, const char* text);
int WritePrefixedLine(HANDLE file, char prefix, const char* text);
int ReadLine(HANDLE file, char* buffer, int count);
int CopyFileBytes(HANDLE source, HANDLE destination, int count);
