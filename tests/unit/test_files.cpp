#include "test_files.h"

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
