#include "uninstall/boot_rename.h"
#include "support/file_io.h"
#include "support/paths.h"
#include "state/texts.h"

// Wininit.ini is a text file of lines; Windows carries out the lines of its [rename]
// section at the next start, "NUL=path" deleting path. The section is found by a line equal
// to "[rename]", case included; every other line is copied unchanged, each ended by CR LF.

enum { LineSize = 1024 };

static HANDLE CreateUnshared(const char* path)
{
    return CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

// A line that filled the line buffer may have been cut by ReadLine: read it again from
// lineStart, byte by byte, and copy it whole, with the same line ends ReadLine accepts.
static int CopyLongLine(HANDLE from, HANDLE to, DWORD lineStart, char* block)
{
    SetFilePointer(from, (LONG)lineStart, NULL, FILE_BEGIN);
    int held = 0;
    char c = 0;
    while (ReadExact(from, &c, 1) && c != '\r' && c != '\n') {
        block[held++] = c;
        if (held == LineSize) {
            if (!WriteExact(to, block, held))
                return 0;
            held = 0;
        }
    }
    if (c == '\r') {
        char next;
        if (ReadExact(from, &next, 1) && next != '\n')
            SetFilePointer(from, -1, NULL, FILE_CURRENT);
    }
    return WriteExact(to, block, held) && WriteExact(to, "\r\n", 2);
}

// Copies wininit into copy, the entry after every header line, a new section at the end
// when there is none. 1 when every write succeeded.
static int WriteUpdatedCopy(HANDLE wininit, HANDLE copy, const char* entry)
{
    char line[LineSize];
    int headerSeen = 0;
    for (;;) {
        DWORD lineStart = SetFilePointer(wininit, 0, NULL, FILE_CURRENT);
        if (!ReadLine(wininit, line, sizeof line))
            break;
        if (lstrlenA(line) == LineSize - 1) {
            // Too long to be the header; line is overwritten by the copy.
            if (!CopyLongLine(wininit, copy, lineStart, line))
                return 0;
            continue;
        }
        if (!WriteLine(copy, line))
            return 0;
        if (lstrcmpA(line, RenameSectionHeader) == 0) {
            if (!WriteLine(copy, entry))
                return 0;
            headerSeen = 1;
        }
    }
    if (!headerSeen)
        return WriteLine(copy, NULL) && WriteLine(copy, RenameSectionHeader) && WriteLine(copy, entry);
    return 1;
}

void ScheduleBootRename(const char* entry)
{
    char wininitPath[MAX_PATH];
    char copyPath[MAX_PATH];
    UINT length = GetWindowsDirectoryA(wininitPath, sizeof wininitPath);
    if (length == 0 || length >= sizeof wininitPath)
        return;
    lstrcpyA(copyPath, wininitPath);
    if (!AppendPathComponent(wininitPath, WininitName) || !AppendPathComponent(copyPath, WininitCopyName))
        return;

    HANDLE wininit = CreateFileA(wininitPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (wininit == INVALID_HANDLE_VALUE) {
        HANDLE created = CreateUnshared(wininitPath);
        if (created == INVALID_HANDLE_VALUE)
            return;
        int complete = WriteLine(created, RenameSectionHeader) && WriteLine(created, entry);
        if (!CloseHandle(created))
            complete = 0;
        // There was no Wininit.ini before: a half-written one must not stay behind.
        if (!complete)
            DeleteFileA(wininitPath);
        return;
    }

    HANDLE copy = CreateUnshared(copyPath);
    if (copy == INVALID_HANDLE_VALUE) {
        CloseHandle(wininit);
        return;
    }
    int complete = WriteUpdatedCopy(wininit, copy, entry);
    if (!CloseHandle(copy))
        complete = 0;
    CloseHandle(wininit);
    // An incomplete copy (a full disk) must never take the place of Wininit.ini.
    if (!complete) {
        DeleteFileA(copyPath);
        return;
    }
    DeleteFileA(wininitPath);
    MoveFileA(copyPath, wininitPath);
}

void ScheduleNtBootDelete(const char* path)
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    // Only the platform id is used: the manifest's supportedOS entries keep the version true,
    // and the id is the same on every NT release.
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}
