#include "install/extract_files.h"
#include "format/setup_data_format.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "support/boot_file_operations.h"
#include "support/file_io.h"
#include "support/paths.h"
#include "support/system_library.h"
#include <stdio.h>

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

static void ReportError(const ExtractionView* view, const char* format, const char* subject)
{
    char text[MAX_PATH + 128];
    if (format)
        snprintf(text, sizeof text, format, subject);
    else
        lstrcpynA(text, subject, sizeof text);
    view->ReportError(view->Context, text);
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

static DestinationResult MakeDestination(char* destination, const char* name)
{
    if (CheckRecordName(name, (size_t)lstrlenA(name)) != RecordNameOk)
        return DestinationBadName;
    if (IsSystemRecordName(name)) {
        UINT length = GetSystemDirectoryA(destination, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return DestinationTooLong;
    } else {
        lstrcpynA(destination, AppState.TargetFolder, MAX_PATH);
    }
    return AppendPathComponent(destination, RecordRelativePath(name)) ? DestinationMade : DestinationTooLong;
}

// CreateFileA refuses to replace a hidden or system file unless asked for the same
// attributes; a file left hidden by an earlier installation must still be replaced. One that
// an earlier uninstallation left for deletion at the next start must outlive that start.
static void ClearBlockingAttributes(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    WithdrawBootDeletion(path);
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

static void InstallRecord(const ExtractionView* view, const char* name, DWORD hidden, const char* tempName, HANDLE logFile)
{
    char destination[MAX_PATH];
    DestinationResult made = MakeDestination(destination, name);
    if (made != DestinationMade) {
        ReportError(view, made == DestinationBadName ? MsgInvalidFileNameFormat : MsgPathTooLongFormat,
                            name);
        return;
    }
    // The line goes first, so that no file is ever on disk without the line that lets the
    // uninstaller remove it; a file that cannot be logged is not installed. It stays logged
    // when the expansion fails: a partial file may be there to remove.
    if (logFile != INVALID_HANDLE_VALUE && logFile != 0 && !IsSystemRecordName(name) && !LogInstalledFile(logFile, destination)) {
        ReportError(view, MsgCannotInstallFileFormat, destination);
        return;
    }
    int expanded = ExpandStagedFile(tempName, destination);
    if (hidden)
        SetFileAttributesA(destination, FILE_ATTRIBUTE_HIDDEN);
    if (!expanded)
        ReportError(view, MsgCannotInstallFileFormat, destination);
}

static void ShowPercentage(const ExtractionView* view, HANDLE dataFile, ULONGLONG total)
{
    LARGE_INTEGER zero, position;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(dataFile, zero, &position, FILE_CURRENT))
        return;
    view->ShowPercent(view->Context, ExtractionPercent((ULONGLONG)position.QuadPart, total));
}

void ExtractFiles(const ExtractionView* view, HANDLE dataFile, HANDLE logFile)
{
    LARGE_INTEGER size;
    ULONGLONG total = GetFileSizeEx(dataFile, &size) ? (ULONGLONG)size.QuadPart : 0;
    char tempName[MAX_PATH];
    MakeTempFileName(tempName);

    unsigned char raw[RecordHeaderSize];
    while (ReadExact(dataFile, raw, sizeof raw)) {
        // The fields need not hold a NUL: each is read within its 64 bytes.
        RecordHeaderFields header;
        DecodeRecordHeader(raw, &header);
        view->ShowLabel(view->Context, header.Label);

        StageResult staged = StagePackedData(dataFile, header.PackedLength, tempName);
        if (staged != Staged) {
            ReportError(view, NULL, staged == StageTempFileFailed ? MsgCannotCreateTempFile : MsgCannotReadDataFile);
            break;
        }
        InstallRecord(view, header.Name, header.Hidden, tempName, logFile);
        DeleteFileA(tempName);
        ShowPercentage(view, dataFile, total);
    }
    // GetTempFileNameA created the file; no record may have been there to delete it.
    if (tempName[0])
        DeleteFileA(tempName);
}
