// Path and text helpers on caller-owned 8-bit buffers.
#pragma once
#include <windows.h>

void TrimBlanks(char* text);

// out: a MAX_PATH buffer. cutAtFolder 0 cuts after the last '.', otherwise after the last
// '\' or '/'. A result that would not fit ends in "?", which no later open accepts.
void MakeModulePath(char* out, const char* name, int cutAtFolder);

// base: a MAX_PATH buffer. Joins name onto it with exactly one backslash. Returns 1 when the
// whole result fits; otherwise returns 0 and leaves a path ending in "?" that every open
// refuses, so nothing is ever written past MAX_PATH bytes.
int AppendPathComponent(char* base, const char* name);
