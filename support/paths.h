// Path and text helpers on caller-owned 8-bit buffers.
#pragma once
#include <windows.h>

void TrimBlanks(char* text);

// out: a MAX_PATH buffer; the path of `module`'s file with `name` put in place of what
// follows its last '.' (cutAtFolder 0) or its last '\' or '/' (cutAtFolder nonzero). A
// result that would not fit ends in "?", which no later open accepts.
void MakeModulePath(HMODULE module, char* out, const char* name, int cutAtFolder);

// 1 when text ends in a backslash that is a character of its own in codePage, not the trail
// byte of a double-byte character (0x95 0x5C is one character in code page 932).
int EndsInSeparator(const char* text, UINT codePage);

// base: a MAX_PATH buffer. Joins name onto it with exactly one backslash. Returns 1 when the
// whole result fits; otherwise returns 0 and leaves a path ending in "?" that every open
// refuses, so nothing is ever written past MAX_PATH bytes.
int AppendPathComponent(char* base, const char* name);
