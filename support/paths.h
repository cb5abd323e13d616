// Path and text helpers on caller-owned 8-bit buffers.
#pragma once
#include <windows.h>

void TrimBlanks(char* text);

// out: a MAX_PATH buffer; the path of `module`'s file with `name` put in place of what
// follows its last '.' (cutAtFolder 0) or its last '\' or '/' (cutAtFolder nonzero). A
// result that would not fit ends in "?", which no later open accepts.
void MakeModulePath(HMODULE module, char* out, const char* name, int cutAtFolder);

// base: a MAX_PATH buffer. Joins name onto it with exactly one backslash. Returns 1 when the
// whole result fits; otherwise returns 0 and leaves a path ending in "?" that every open
// refuses, so nothing is ever written past MAX_PATH bytes.
int AppendPathComponent(char* base, const char* name);
