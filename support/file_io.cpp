#include "support/file_io.h"

int ReadExact(HANDLE file, void* buffer, DWORD count)
{
    if (count == 0)
        return 1;
    DWORD done = 0;
    return ReadFile(file, buffer, count, &done, NULL) && done == count;
}

int WriteExact(HANDLE file, const void* buffer, DWORD count)
{
    if (count == 0)
        return 1;
    DWORD done = 0;
    return WriteFile(file, buffer, count, &done, NULL) && done == count;
}

int WriteLine(HANDLE file, const char* text)
{
    if (text && text[0] && !WriteExact(file, text, (DWORD)lstrlenA(text)))
        return 0;
    return WriteExact(file, "\r\n", 2);
}

int WritePrefixedLine(HANDLE file, char prefix, const char* text)
{
    if (!WriteExact(file, &prefix, 1))
        return 0;
    return WriteLine(file, text);
}

// Reads one byte at a time and never ahead, so the position is exact at the next line.
int ReadLine(HANDLE file, char* buffer, int count)
{
    char c;
    if (!ReadExact(file, &c, 1))
        return 0;
    int stored = 0;
    for (;;) {
        if (c == '\r' || c == '\n')
            break;
        if (stored < count - 1)
            buffer[stored++] = c;
        if (!ReadExact(file, &c, 1)) {
            c = 0;
            break;
        }
    }
    buffer[stored] = '\0';
    if (c == '\r') {
        char next;
        if (ReadExact(file, &next, 1) && next != '\n')
            SetFilePointer(file, -1, NULL, FILE_CURRENT);
    }
    return 1;
}

int CopyFileBytes(HANDLE source, HANDLE destination, int count)
{
    char block[1024];
    while (count > 0) {
        DWORD chunk = count < (int)sizeof block ? (DWORD)count : (DWORD)sizeof block;
        if (!ReadExact(source, block, chunk) || !WriteExact(destination, block, chunk))
            return 0;
        count -= (int)chunk;
    }
    return 1;
}
