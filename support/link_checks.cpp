#include "support/link_checks.h"
#include "support/paths.h"

// Final paths come back as "\\?\C:\..." and may be longer than the path given (a short form
// in it, the long one on disk).
enum { FinalPathSize = 2 * MAX_PATH };

enum CheckResult { CheckRefused = 0, CheckPassed = 1, CheckRootMissing = 2 };

// What a path is checked against: how many of its bytes name the root folder, and that
// folder's final path.
struct PathCheck {
    int RootLength;
    char RootFinal[FinalPathSize];
};

static const DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The bytes of path that name its root as the folder can be opened ("C:\", or root without
// a final separator); 0 when path has none. *driveRoot tells a drive root, which Wine reports
// as a reparse point for drives mapped to Unix folders (Z:\) and which no one can replace.
static int RootLength(const char* root, const char* path, int* driveRoot)
{
    int length = root ? lstrlenA(root) : 0;
    if (length > 0) {
        int separated = EndsInSeparator(root, CP_ACP);
        if (separated && length > 3) {
            length--;
            separated = 0;
        }
        if (lstrlenA(path) > length && (separated || path[length] == '\\') &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, length, root, length) == CSTR_EQUAL) {
            *driveRoot = length == 3 && root[1] == ':';
            return length;
        }
    }
    *driveRoot = 1;
    return path[0] && path[1] == ':' && path[2] == '\\' ? 3 : 0;
}

// Every folder from the root down to the one holding the file. A missing folder ends the
// walk: nothing below it exists, and the open that follows finds nothing.
static CheckResult CheckFolders(const char* path, int rootLength, int driveRoot)
{
    char folder[MAX_PATH];
    for (int at = rootLength; path[at]; ++at) {
        if (IsDBCSLeadByte((BYTE)path[at]) && path[at + 1]) {
            ++at;
            continue;
        }
        if (path[at] != '\\' || (at == rootLength && driveRoot))
            continue;
        if (at >= MAX_PATH)
            return CheckRefused;
        lstrcpynA(folder, path, at + 1);
        DWORD attributes = GetFileAttributesA(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                return CheckRefused;
            return at == rootLength ? CheckRootMissing : CheckPassed;
        }
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return CheckRefused;
    }
    return CheckPassed;
}

static int FinalPathOf(HANDLE handle, char* out)
{
    DWORD length = GetFinalPathNameByHandleA(handle, out, FinalPathSize, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return length > 0 && length < FinalPathSize;
}

// The root is opened without following a link, so that one put in its place after the walk
// shows in the final paths.
static CheckResult StartCheck(const char* root, const char* path, PathCheck* check)
{
    int driveRoot;
    check->RootLength = RootLength(root, path, &driveRoot);
    if (check->RootLength == 0 || check->RootLength >= MAX_PATH) {
        // A path without a root names nothing there is (an empty log line): nothing to refuse.
        DWORD error = GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? CheckRootMissing : CheckRefused;
    }
    CheckResult folders = CheckFolders(path, check->RootLength, driveRoot);
    if (folders != CheckPassed)
        return folders;
    char rootPath[MAX_PATH];
    lstrcpynA(rootPath, path, check->RootLength + 1);
    HANDLE folder = CreateFileA(rootPath, FILE_READ_ATTRIBUTES, ShareAll, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return CheckRefused;
    BY_HANDLE_FILE_INFORMATION info;
    int known = GetFileInformationByHandle(folder, &info) &&
                (driveRoot || !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) &&
                FinalPathOf(folder, check->RootFinal);
    CloseHandle(folder);
    return known ? CheckPassed : CheckRefused;
}

static int SamePath(const char* a, const char* b)
{
    WCHAR wideA[FinalPathSize], wideB[FinalPathSize];
    return MultiByteToWideChar(CP_ACP, 0, a, -1, wideA, FinalPathSize) &&
           MultiByteToWideChar(CP_ACP, 0, b, -1, wideB, FinalPathSize) &&
           CompareStringOrdinal(wideA, -1, wideB, -1, TRUE) == CSTR_EQUAL;
}

// 1 when the open file is path itself: no reparse point, no folder, and its final path is
// the root's with the rest of path below it.
static int IsHandleOfPath(HANDLE file, const PathCheck* check, const char* path)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return 0;
    const char* rest = path + check->RootLength;
    while (*rest == '\\')
        ++rest;
    char expected[FinalPathSize], final[FinalPathSize];
    int length = lstrlenA(check->RootFinal);
    int separator = EndsInSeparator(check->RootFinal, CP_ACP) ? 0 : 1;
    if (length + separator + lstrlenA(rest) >= FinalPathSize)
        return 0;
    lstrcpyA(expected, check->RootFinal);
    if (separator)
        lstrcatA(expected, "\\");
    lstrcatA(expected, rest);
    return FinalPathOf(file, final) && SamePath(final, expected);
}

static int DeleteThrough(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition;
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

int IsFreeOfLinks(const char* root, const char* path)
{
    PathCheck check;
    CheckResult started = StartCheck(root, path, &check);
    if (started != CheckPassed)
        return started == CheckRootMissing;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    // Only attributes are asked for, which no other program's sharing refuses.
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, ShareAll, NULL, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    int own = IsHandleOfPath(file, &check, path);
    CloseHandle(file);
    return own;
}

HANDLE OpenToReplace(const char* root, const char* path)
{
    PathCheck check;
    if (StartCheck(root, path, &check) != CheckPassed)
        return INVALID_HANDLE_VALUE;
    // Opened as it is and emptied only once checked: replacing it at the open would already
    // have written through a link.
    HANDLE file = CreateFileA(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE, 0, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return file;
    int created = GetLastError() != ERROR_ALREADY_EXISTS;
    // A file just created is empty already (and Wine fails to truncate one on a full disk).
    if (IsHandleOfPath(file, &check, path) && (created || SetEndOfFile(file)))
        return file;
    if (created)
        DeleteThrough(file);
    CloseHandle(file);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

int SetAttributesThrough(HANDLE file, DWORD attributes)
{
    FILE_BASIC_INFO basic;
    ZeroMemory(&basic, sizeof basic);
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
}

// A read-only file refuses its deletion. Its attribute is cleared through the checked object
// where the system lets a handle be reopened for that (Windows does); Wine gives write access
// to a read-only file's attributes to Unix root alone, so there it goes by name, and a link
// swapped in meanwhile has at most its attribute cleared: the deletion still goes through the
// checked handle, which then finds its file read-only and fails.
static void ClearReadOnly(HANDLE file, const char* path, DWORD attributes)
{
    DWORD cleared = attributes & ~(DWORD)FILE_ATTRIBUTE_READONLY;
    HANDLE writable = ReOpenFile(file, FILE_WRITE_ATTRIBUTES, ShareAll, FILE_FLAG_OPEN_REPARSE_POINT);
    if (writable != INVALID_HANDLE_VALUE) {
        int done = SetAttributesThrough(writable, cleared);
        CloseHandle(writable);
        if (done)
            return;
    }
    SetFileAttributesA(path, cleared ? cleared : FILE_ATTRIBUTE_NORMAL);
}

LinkFreeDeletion DeleteWithoutLinks(const char* root, const char* path)
{
    PathCheck check;
    CheckResult started = StartCheck(root, path, &check);
    if (started != CheckPassed)
        return started == CheckRootMissing ? FileDeleted : FileRefused;
    HANDLE file = CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES, ShareAll, NULL, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return FileDeleted;
        DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return FileNotDeleted;
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? FileRefused : FileHeld;
    }
    LinkFreeDeletion result = FileRefused;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        result = FileNotDeleted;
    } else if (IsHandleOfPath(file, &check, path)) {
        if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            ClearReadOnly(file, path, info.dwFileAttributes);
        result = DeleteThrough(file) ? FileDeleted : FileHeld;
    }
    CloseHandle(file);
    return result;
}
