#include "install/extract_files.h"
#include "format/setup_data_format.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "support/boot_file_operations.h"
#include "support/file_io.h"
#include "support/link_checks.h"
#include "support/paths.h"
#include "support/sent_messages.h"
#include "support/system_library.h"
#include <stdio.h>

enum StageResult { Staged, StageTempFileFailed, StageDataFileFailed };
enum DestinationResult { DestinationMade, DestinationBadName, DestinationTooLong };
// Untouched: the destination could not be opened for writing, and whatever is there is as it was.
enum ExpandResult { ExpandWritten, ExpandPartlyWritten, ExpandUntouched };

// Data moves in blocks this large: each read or write is a call into the system, and under
// Wine a costly one. One buffer serves the whole run (there is one thread).
enum { BlockSize = 64 * 1024 };
static char Block[BlockSize];

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

// One staging file serves the whole run. It stays open, unshared, for reading and writing
// from before the first record until after the last, so no other program can change what was
// staged before it is expanded (into the system folder too, with administrator rights).
// GetTempFileNameA creates the file; tempName is empty when it could not.
static HANDLE CreateStagingFile(char* tempName)
{
    char folder[MAX_PATH];
    tempName[0] = '\0';
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || !GetTempFileNameA(folder, TempFilePrefix, 0, tempName)) {
        tempName[0] = '\0';
        return INVALID_HANDLE_VALUE;
    }
    // The system deletes it when the last handle closes, however the process ends; LZ32 reads it
    // through a duplicate of this handle, never by name.
    return CreateFileA(tempName, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
}

static int Rewind(HANDLE file)
{
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    return SetFilePointerEx(file, zero, NULL, FILE_BEGIN);
}

// Replaces the staging file's content with the record's packed data and rewinds it.
static StageResult StagePackedData(HANDLE dataFile, DWORD packedLength, HANDLE staging)
{
    if (staging == INVALID_HANDLE_VALUE || !Rewind(staging) || !SetEndOfFile(staging))
        return StageTempFileFailed;
    while (packedLength > 0) {
        DWORD part = packedLength < (DWORD)BlockSize ? packedLength : (DWORD)BlockSize;
        if (!ReadExact(dataFile, Block, part) || !WriteExact(staging, Block, part))
            return StageDataFileFailed;
        packedLength -= part;
        HandleSentMessages();
    }
    return Rewind(staging) ? Staged : StageTempFileFailed;
}

// root (MAX_PATH bytes) receives the folder the record's name is relative to.
static DestinationResult MakeDestination(char* destination, char* root, const char* name)
{
    if (CheckRecordName(name, (size_t)lstrlenA(name)) != RecordNameOk)
        return DestinationBadName;
    if (IsSystemRecordName(name)) {
        UINT length = GetSystemDirectoryA(root, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return DestinationTooLong;
    } else {
        lstrcpynA(root, AppState.TargetFolder, MAX_PATH);
    }
    lstrcpynA(destination, root, MAX_PATH);
    return AppendPathComponent(destination, RecordRelativePath(name)) ? DestinationMade : DestinationTooLong;
}

// A file already at the destination is replaced. CreateFileA refuses to replace a hidden or
// system file unless asked for the same attributes, and a read-only one for anyone but Unix
// root under Wine; one left so by an earlier installation must still be replaced. One that an
// earlier uninstallation left for deletion at the next start must outlive that start, once it
// is ours. Returns the attributes the file had, for putting back when it cannot be written.
static const DWORD RefusedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;

static DWORD PrepareDestination(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return attributes;
    if (attributes & RefusedAttributes) {
        DWORD cleared = attributes & ~RefusedAttributes;
        SetFileAttributesA(path, cleared ? cleared : FILE_ATTRIBUTE_NORMAL);
    }
    return attributes;
}

// LZ32 reads the staged data and expands it (or passes it through unchanged); the expanded
// bytes are written in large blocks rather than LZCopy's 1000-byte ones.
static int CopyExpanded(INT lzSource, HANDLE target)
{
    for (;;) {
        INT got = LzRead(lzSource, Block, BlockSize);
        if (got < 0)
            return 0;
        if (got == 0)
            return 1;
        if (!WriteExact(target, Block, (DWORD)got))
            return 0;
        HandleSentMessages();
    }
}

// Hidden alone for a hidden record; otherwise what the file had, less the hidden and system
// attributes an earlier installation may have left. Set through the handle that was checked,
// never by name.
static void SetInstalledAttributes(HANDLE file, DWORD hidden)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return;
    DWORD attributes = hidden ? FILE_ATTRIBUTE_HIDDEN
                              : info.dwFileAttributes & ~(DWORD)(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (attributes != info.dwFileAttributes)
        SetAttributesThrough(file, attributes);
}

// LZ32 gets a duplicate of the staging handle, which LzClose closes: the staging file itself
// stays open. The destination is opened with CreateFileA (LZOpenFileA goes through OpenFile,
// which takes no path of 128 characters or more, and follows links), and only once it is
// known to be the path meant below root.
static ExpandResult ExpandStagedFile(HANDLE staging, const char* root, const char* destination, DWORD hidden)
{
    HANDLE process = GetCurrentProcess();
    HANDLE source;
    if (!DuplicateHandle(process, staging, process, &source, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return ExpandUntouched;
    INT lzSource = LzInit((INT)(INT_PTR)source);
    if (lzSource < 0) {
        CloseHandle(source);
        return ExpandUntouched;
    }
    // From here LzClose closes the duplicate, whether LZInit found SZDD data or not.
    ExpandResult expanded = ExpandUntouched;
    DWORD original = PrepareDestination(destination);
    HANDLE target = OpenToReplace(root, destination);
    if (target != INVALID_HANDLE_VALUE) {
        if (original != INVALID_FILE_ATTRIBUTES)
            WithdrawBootDeletion(destination);
        expanded = CopyExpanded(lzSource, target) ? ExpandWritten : ExpandPartlyWritten;
        SetInstalledAttributes(target, hidden);
        if (!CloseHandle(target))
            expanded = ExpandPartlyWritten;
    } else if (original != INVALID_FILE_ATTRIBUTES && (original & RefusedAttributes)) {
        // Someone else's file, perhaps: it keeps every attribute it had.
        SetFileAttributesA(destination, original);
    }
    LzClose(lzSource);
    return expanded;
}

static void CutLogAt(HANDLE logFile, LARGE_INTEGER lineStart)
{
    SetFilePointerEx(logFile, lineStart, NULL, FILE_BEGIN);
    SetEndOfFile(logFile);
}

// Writes the file line of the setup log; *lineStart receives where it begins. A write that
// fails (a full disk) is cut off again, so that no fragment runs into the next line or, left
// last, names a shorter path.
static int LogInstalledFile(HANDLE logFile, const char* destination, LARGE_INTEGER* lineStart)
{
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(logFile, zero, lineStart, FILE_CURRENT))
        return 0;
    if (WritePrefixedLine(logFile, '+', destination))
        return 1;
    CutLogAt(logFile, *lineStart);
    return 0;
}

// 1 when the earlier log has the line "+path" (in any case), as the uninstaller reads lines:
// ended by CR, LF or the end of the text.
static int EarlierLogLists(const EarlierLog* earlier, const char* path)
{
    if (!earlier || !earlier->Text)
        return 0;
    int pathLength = lstrlenA(path);
    DWORD start = 0;
    while (start < earlier->Length) {
        DWORD end = start;
        while (end < earlier->Length && earlier->Text[end] != '\r' && earlier->Text[end] != '\n')
            ++end;
        const char* line = earlier->Text + start;
        if (end - start == (DWORD)pathLength + 1 && line[0] == '+' &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, line + 1, pathLength, path, pathLength) == CSTR_EQUAL)
            return 1;
        start = end + 1;
    }
    return 0;
}

static void InstallRecord(const ExtractionView* view, const RecordHeaderFields* header, HANDLE staging, HANDLE logFile,
                          const EarlierLog* earlier)
{
    const char* name = header->Name;
    char destination[MAX_PATH], root[MAX_PATH];
    DestinationResult made = MakeDestination(destination, root, name);
    if (made != DestinationMade) {
        ReportError(view, made == DestinationBadName ? MsgInvalidFileNameFormat : MsgPathTooLongFormat, name);
        return;
    }
    // With administrator rights nothing is written through a link that another user put into
    // the destination; such a path is not logged either, as nothing of setup's lands there.
    if (!IsFreeOfLinks(root, destination)) {
        ReportError(view, MsgCannotInstallFileFormat, destination);
        return;
    }
    // The line goes first, so that no file is ever on disk without the line that lets the
    // uninstaller remove it; a file that cannot be logged is not installed. It stays logged
    // when the expansion fails part way: a partial file of ours is there to remove. A file
    // that could not be opened at all is not ours unless the earlier log says so, and the
    // uninstaller must not delete another program's file of that name.
    int needsLine = logFile != INVALID_HANDLE_VALUE && logFile != 0 && !IsSystemRecordName(name);
    LARGE_INTEGER lineStart;
    if (needsLine && !LogInstalledFile(logFile, destination, &lineStart)) {
        ReportError(view, MsgCannotInstallFileFormat, destination);
        return;
    }
    ExpandResult expanded = ExpandStagedFile(staging, root, destination, header->Hidden);
    if (expanded == ExpandUntouched && needsLine && !EarlierLogLists(earlier, destination))
        CutLogAt(logFile, lineStart);
    if (expanded != ExpandWritten)
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

void ExtractFiles(const ExtractionView* view, HANDLE dataFile, HANDLE logFile, const EarlierLog* earlier)
{
    LARGE_INTEGER size;
    ULONGLONG total = GetFileSizeEx(dataFile, &size) ? (ULONGLONG)size.QuadPart : 0;
    char tempName[MAX_PATH];
    HANDLE staging = CreateStagingFile(tempName);

    unsigned char raw[RecordHeaderSize];
    while (ReadExact(dataFile, raw, sizeof raw)) {
        // The fields need not hold a NUL: each is read within its 64 bytes.
        RecordHeaderFields header;
        DecodeRecordHeader(raw, &header);
        view->ShowLabel(view->Context, header.Label);

        StageResult staged = StagePackedData(dataFile, header.PackedLength, staging);
        if (staged != Staged) {
            ReportError(view, NULL, staged == StageTempFileFailed ? MsgCannotCreateTempFile : MsgCannotReadDataFile);
            break;
        }
        InstallRecord(view, &header, staging, logFile, earlier);
        ShowPercentage(view, dataFile, total);
        HandleSentMessages();
    }
    // Closing the handle deletes the file; GetTempFileNameA created it even when it could not be
    // opened afterwards.
    if (staging != INVALID_HANDLE_VALUE)
        CloseHandle(staging);
    else if (tempName[0])
        DeleteFileA(tempName);
}
