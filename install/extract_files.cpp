#include "install/extract_files.h"
#include "app/app_state.h"
#include "app/texts.h"
#include "resources/resource.h"
#include "support/file_io.h"
#include "support/paths.h"
#include "support/system_library.h"
#include <commctrl.h>
#include <stdio.h>

// Setup data file (QNTXSetup.z): file records one after another, with no file header, count
// or trailer; it ends where a whole 136-byte record header can no longer be read.
//   offset   0  64  name: destination below TargetFolder, NUL-terminated within the field
//                   (folders separated by '\'); '@' first: the system folder, the path from
//                   offset 2
//           64  64  label: shown in the progress window, NUL-terminated within the field
//          128   4  packedLength: unsigned little-endian count of the data bytes that follow
//          132   4  hidden: nonzero gives the installed file the hidden attribute alone
//          136 ...  data: SZDD, expanded by LZ32, or anything else, copied unchanged
struct FileRecordHeader {
    char Name[64];
    char Label[64];
    DWORD PackedLength;
    DWORD Hidden;
};
static_assert(sizeof(FileRecordHeader) == 136, "the record header is 136 bytes on disk");

enum StageResult { Staged, StageTempFileFailed, StageDataFileFailed };
enum DestinationResult { DestinationMade, DestinationBadName, DestinationTooLong };

// CopyFileBytes counts in a signed int; larger records go through in parts.
static const DWORD CopyPartLimit = 0x40000000;

int ExtractionPercent(ULONGLONG position, ULONGLONG total)
{
    if (total == 0)
        return 0;
    if (position >= total)
        return 100;
    return (int)(position * 100 / total);
}

static void ShowExtractionError(HWND owner, const char* format, const char* subject)
{
    char text[MAX_PATH + 128];
    if (format)
        snprintf(text, sizeof text, format, subject);
    else
        lstrcpynA(text, subject, sizeof text);
    MessageBoxA(owner, text, CaptionError, MB_OK | MB_ICONERROR);
}

static void MakeTempFileName(char* tempName)
{
    char folder[MAX_PATH];
    tempName[0] = '\0';
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || !GetTempFileNameA(folder, TempFilePrefix, 0, tempName))
        tempName[0] = '\0';
}

static int CopyPackedData(HANDLE dataFile, HANDLE temp, DWORD packedLength)
{
    while (packedLength > 0) {
        DWORD part = packedLength < CopyPartLimit ? packedLength : CopyPartLimit;
        if (!CopyFileBytes(dataFile, temp, (int)part))
            return 0;
        packedLength -= part;
    }
    return 1;
}

static StageResult StagePackedData(HANDLE dataFile, DWORD packedLength, const char* tempName)
{
    if (!tempName[0])
        return StageTempFileFailed;
    HANDLE temp = CreateFileA(tempName, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (temp == INVALID_HANDLE_VALUE)
        return StageTempFileFailed;
    int copied = CopyPackedData(dataFile, temp, packedLength);
    CloseHandle(temp);
    return copied ? Staged : StageDataFileFailed;
}

// Windows opens a device, not a file, for these names in any folder, with any extension and
// blanks before it ("COM1", "con.txt", "AUX .log"); COM and LPT also take the superscript
// digits of the ANSI code page.
static int IsDeviceName(const char* part, const char* end)
{
    static const char* const devices[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" };
    const char* stem = part;
    while (stem < end && *stem != '.')
        ++stem;
    while (stem > part && stem[-1] == ' ')
        --stem;
    int length = (int)(stem - part);
    if (length < 3 || length > 7)
        return 0;
    char upper[8];
    for (int i = 0; i < length; ++i)
        upper[i] = (part[i] >= 'a' && part[i] <= 'z') ? (char)(part[i] - 'a' + 'A') : part[i];
    upper[length] = '\0';
    for (const char* device : devices)
        if (lstrcmpA(upper, device) == 0)
            return 1;
    unsigned char digit = (unsigned char)upper[3];
    if (length != 4 || !((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3))
        return 0;
    upper[3] = '\0';
    return lstrcmpA(upper, "COM") == 0 || lstrcmpA(upper, "LPT") == 0;
}

// A name must stay below its folder and name a plain file: no drive, stream or device colon,
// no part that Windows reads as "." or ".." (it drops trailing dots and blanks), no device
// name, and no control character, which no file name holds and which would end the line
// in the setup log early and let the rest pass for a line of its own.
static int IsPlainRelativeName(const char* name)
{
    const char* part = name;
    for (const char* p = name;; ++p) {
        if (*p == ':' || (*p > 0 && *p < ' '))
            return 0;
        if (*p == '\\' || *p == '/' || *p == '\0') {
            int onlyDots = 1;
            for (const char* q = part; q < p; ++q)
                if (*q != '.' && *q != ' ')
                    onlyDots = 0;
            if ((onlyDots && p > part) || IsDeviceName(part, p))
                return 0;
            if (*p == '\0')
                return p > part; // the last part names the file
            part = p + 1;
        }
    }
}

static DestinationResult MakeDestination(char* destination, const char* name)
{
    const char* relative = name;
    if (name[0] == '@') {
        // The character after the '@' is skipped unread, but never the terminator.
        relative = name[1] ? name + 2 : name + 1;
        UINT length = GetSystemDirectoryA(destination, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return DestinationTooLong;
    } else {
        lstrcpynA(destination, AppState.TargetFolder, MAX_PATH);
    }
    if (!IsPlainRelativeName(relative))
        return DestinationBadName;
    return AppendPathComponent(destination, relative) ? DestinationMade : DestinationTooLong;
}

// CreateFileA refuses to replace a hidden or system file unless asked for the same
// attributes; a file left hidden by an earlier installation must still be replaced.
static void ClearBlockingAttributes(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
        attributes &= ~(DWORD)(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
}

// Both files are opened with CreateFileA and handed to LZ32: LZOpenFileA goes through
// OpenFile, which takes no path of 128 characters or more.
static int ExpandStagedFile(const char* tempName, const char* destination)
{
    HANDLE source = CreateFileA(tempName, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE)
        return 0;
    INT lzSource = LzInit((INT)(INT_PTR)source);
    if (lzSource < 0) {
        CloseHandle(source);
        return 0;
    }
    // From here LzClose closes the source handle, whether LZInit found SZDD data or not.
    int expanded = 0;
    ClearBlockingAttributes(destination);
    HANDLE target = CreateFileA(destination, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (target != INVALID_HANDLE_VALUE) {
        expanded = LzCopy(lzSource, (INT)(INT_PTR)target) >= 0;
        if (!CloseHandle(target))
            expanded = 0;
    }
    LzClose(lzSource);
    return expanded;
}

// Writes the file line of the setup log. A write that fails (a full disk) is cut off again,
// so that no fragment runs into the next line or, left last, names a shorter path.
static int LogInstalledFile(HANDLE logFile, const char* destination)
{
    LARGE_INTEGER zero, lineStart;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(logFile, zero, &lineStart, FILE_CURRENT))
        return 0;
    if (WritePrefixedLine(logFile, '+', destination))
        return 1;
    SetFilePointerEx(logFile, lineStart, NULL, FILE_BEGIN);
    SetEndOfFile(logFile);
    return 0;
}

static void InstallRecord(HWND progressWindow, const char* name, DWORD hidden, const char* tempName, HANDLE logFile)
{
    char destination[MAX_PATH];
    DestinationResult made = MakeDestination(destination, name);
    if (made != DestinationMade) {
        ShowExtractionError(progressWindow, made == DestinationBadName ? MsgInvalidFileNameFormat : MsgPathTooLongFormat,
                            name);
        return;
    }
    // The line goes first, so that no file is ever on disk without the line that lets the
    // uninstaller remove it; a file that cannot be logged is not installed. It stays logged
    // when the expansion fails: a partial file may be there to remove.
    if (logFile != INVALID_HANDLE_VALUE && logFile != 0 && name[0] != '@' && !LogInstalledFile(logFile, destination)) {
        ShowExtractionError(progressWindow, MsgCannotInstallFileFormat, destination);
        return;
    }
    int expanded = ExpandStagedFile(tempName, destination);
    if (hidden)
        SetFileAttributesA(destination, FILE_ATTRIBUTE_HIDDEN);
    if (!expanded)
        ShowExtractionError(progressWindow, MsgCannotInstallFileFormat, destination);
}

static void ShowPercentage(HWND progressWindow, HANDLE dataFile, ULONGLONG total)
{
    LARGE_INTEGER zero, position;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(dataFile, zero, &position, FILE_CURRENT))
        return;
    int percent = ExtractionPercent((ULONGLONG)position.QuadPart, total);
    SendDlgItemMessageA(progressWindow, IDC_PROGRESS_BAR, PBM_SETPOS, (WPARAM)percent, 0);
}

void ExtractFiles(HWND progressWindow, HANDLE dataFile, HANDLE logFile)
{
    LARGE_INTEGER size;
    ULONGLONG total = GetFileSizeEx(dataFile, &size) ? (ULONGLONG)size.QuadPart : 0;
    char tempName[MAX_PATH];
    MakeTempFileName(tempName);

    FileRecordHeader header;
    while (ReadExact(dataFile, &header, sizeof header)) {
        // The fields need not hold a NUL: each is read within its 64 bytes.
        char name[sizeof header.Name + 1];
        char label[sizeof header.Label + 1];
        lstrcpynA(name, header.Name, sizeof name);
        lstrcpynA(label, header.Label, sizeof label);
        SetDlgItemTextA(progressWindow, IDC_CURRENT_ITEM, label);

        StageResult staged = StagePackedData(dataFile, header.PackedLength, tempName);
        if (staged != Staged) {
            ShowExtractionError(progressWindow, NULL,
                                staged == StageTempFileFailed ? MsgCannotCreateTempFile : MsgCannotReadDataFile);
            break;
        }
        InstallRecord(progressWindow, name, header.Hidden, tempName, logFile);
        DeleteFileA(tempName);
        ShowPercentage(progressWindow, dataFile, total);
    }
    // GetTempFileNameA created the file; no record may have been there to delete it.
    if (tempName[0])
        DeleteFileA(tempName);
}
