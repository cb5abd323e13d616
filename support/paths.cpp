#include "support/paths.h"

static int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

void TrimBlanks(char* text)
{
    char* start = text;
    while (IsBlank(*start))
        ++start;
    if (start != text)
        MoveMemory(text, start, lstrlenA(start) + 1);
    int end = lstrlenA(text);
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    text[end] = '\0';
}

// Marks a path that does not fit: '?' is refused by every file open, so the caller's own
// failure handling takes over. Keeps the result within MAX_PATH bytes.
static void MarkUnusable(char* path, int length)
{
    if (length > MAX_PATH - 2)
        length = MAX_PATH - 2;
    path[length] = '?';
    path[length + 1] = '\0';
}

void MakeModulePath(HMODULE module, char* out, const char* name, int cutAtFolder)
{
    DWORD n = GetModuleFileNameA(module, out, MAX_PATH);
    // A failed or cut-short lookup (the result fills the buffer) gives no usable path.
    if (n == 0 || n >= MAX_PATH) {
        MarkUnusable(out, 0);
        return;
    }
    int kept = (int)n;
    for (int i = (int)n - 1; i >= 1; --i) {
        char c = out[i];
        if (cutAtFolder ? (c == '\\' || c == '/') : c == '.') {
            kept = i + 1;
            break;
        }
    }
    out[kept] = '\0';
    if (kept + lstrlenA(name) <= MAX_PATH - 1)
        lstrcpyA(out + kept, name);
    else
        MarkUnusable(out, kept);
}

int AppendPathComponent(char* base, const char* name)
{
    int length = lstrlenA(base);
    int separator = (length == 0 || base[length - 1] != '\\') ? 1 : 0;
    if (length + separator + lstrlenA(name) > MAX_PATH - 1) {
        MarkUnusable(base, length);
        return 0;
    }
    if (separator)
        base[length++] = '\\';
    lstrcpyA(base + length, name);
    return 1;
}
