#include "support/boot_file_operations.h"
#include "state/app_state.h"
#include "state/texts.h"
#include "support/file_io.h"
#include "support/paths.h"

// Wininit.ini is a text file of lines; Windows carries out the lines of its [rename]
// section at the next start, "NUL=path" deleting path. Every line that stays is copied with
// every byte it holds, NUL bytes included, and ended by CR LF.

enum { LineSize = 1024 };

// Wininit.ini read in blocks: one ReadFile per block, not per byte. A read that fails ends
// the text like its end does, and is remembered: a copy cut there must not replace the file.
struct LineReader {
    HANDLE File;
    DWORD Held;
    DWORD At;
    int Failed;
    char Block[4096];
};

static int NextByte(LineReader* reader, char* c)
{
    if (reader->At == reader->Held) {
        DWORD read = 0;
        if (!ReadFile(reader->File, reader->Block, sizeof reader->Block, &read, NULL)) {
            reader->Failed = 1;
            return 0;
        }
        if (read == 0)
            return 0;
        reader->Held = read;
        reader->At = 0;
    }
    *c = reader->Block[reader->At++];
    return 1;
}

// Reads the next line, or its next LineSize bytes when it is longer (*more is then 1 and the
// following call goes on with the same line). CR, LF, CR LF and the end of the file end a
// line. 0 at the end of the file.
static int ReadLinePart(LineReader* reader, char* line, int* length, int* more)
{
    char c;
    if (!NextByte(reader, &c))
        return 0;
    *length = 0;
    *more = 0;
    for (;;) {
        if (c == '\r' || c == '\n') {
            if (c == '\r' && NextByte(reader, &c) && c != '\n')
                reader->At--;
            return 1;
        }
        if (*length == LineSize) {
            reader->At--;
            *more = 1;
            return 1;
        }
        line[(*length)++] = c;
        if (!NextByte(reader, &c))
            return 1;
    }
}

// Writes to copy, or does nothing when there is no copy (a scan only).
static int Put(HANDLE copy, const void* bytes, int count)
{
    return copy == INVALID_HANDLE_VALUE || WriteExact(copy, bytes, (DWORD)count);
}

// Copies the line that starts with the part in line, its remaining parts included.
static int CopyLine(LineReader* reader, HANDLE copy, char* line, int length, int more)
{
    while (more) {
        if (!Put(copy, line, length) || !ReadLinePart(reader, line, &length, &more))
            return 0;
    }
    return Put(copy, line, length) && Put(copy, "\r\n", 2);
}

static int PutLine(HANDLE copy, const char* text)
{
    return Put(copy, text, lstrlenA(text)) && Put(copy, "\r\n", 2);
}

// A line of text without NUL bytes whose first length bytes equal text, case ignored.
static int IsTextIgnoringCase(const char* line, int length, const char* text)
{
    return lstrlenA(line) == length && lstrcmpiA(line, text) == 0;
}

// What one pass over Wininit.ini does: enter Entry after every [rename] header, or leave out
// the deletion lines naming one of Names.
struct WininitEdit {
    const char* Entry;
    const char* Names[2];
    int Dropped;
    int DeletionsLeft;
};

static int IsDeletionLine(const char* line, int length)
{
    int keyLength = lstrlenA(BootDeleteKey);
    return length >= keyLength && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, line, keyLength, BootDeleteKey,
                                                 keyLength) == CSTR_EQUAL;
}

static int NamesPath(const WininitEdit* edit, const char* line, int length)
{
    int keyLength = lstrlenA(BootDeleteKey);
    for (const char* name : edit->Names) {
        if (name && name[0] && IsDeletionLine(line, length) &&
            IsTextIgnoringCase(line + keyLength, length - keyLength, name))
            return 1;
    }
    return 0;
}

// Copies wininit into copy (when there is one) as edit says. 1 when every read and write succeeded.
static int WriteEditedCopy(HANDLE wininit, HANDLE copy, WininitEdit* edit)
{
    LineReader reader;
    reader.File = wininit;
    reader.Held = reader.At = 0;
    reader.Failed = 0;
    char line[LineSize + 1];
    int length, more, inRename = 0, headerSeen = 0;
    while (ReadLinePart(&reader, line, &length, &more)) {
        line[length] = '\0';
        // Windows finds the section in any case; the entry goes only after the exact header.
        int header = !more && lstrlenA(line) == length && lstrcmpA(line, RenameSectionHeader) == 0;
        if (length > 0 && line[0] == '[')
            inRename = !more && IsTextIgnoringCase(line, length, RenameSectionHeader);
        if (inRename && !more && NamesPath(edit, line, length)) {
            edit->Dropped++;
            continue;
        }
        if (inRename && IsDeletionLine(line, length))
            edit->DeletionsLeft++;
        if (!CopyLine(&reader, copy, line, length, more))
            return 0;
        if (header && edit->Entry) {
            if (!PutLine(copy, edit->Entry))
                return 0;
            headerSeen = 1;
        }
    }
    if (reader.Failed)
        return 0;
    if (edit->Entry && !headerSeen)
        return Put(copy, "\r\n", 2) && PutLine(copy, RenameSectionHeader) && PutLine(copy, edit->Entry);
    return 1;
}

static int IsNtFamily()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    // Only the platform id is used: the manifest's supportedOS entries keep the version true,
    // and the id is the same on every NT release.
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

static HANDLE CreateUnshared(const char* path)
{
    return CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

// A Wininit.ini that did not exist: the new section alone, or none at all.
static void CreateWininit(const char* wininitPath, const char* entry)
{
    HANDLE created = CreateUnshared(wininitPath);
    if (created == INVALID_HANDLE_VALUE)
        return;
    int complete = PutLine(created, RenameSectionHeader) && PutLine(created, entry);
    if (!CloseHandle(created))
        complete = 0;
    // There was no Wininit.ini before: a half-written one must not stay behind.
    if (!complete)
        DeleteFileA(wininitPath);
}

// Changes Wininit.ini as edit says, through a complete copy only: on any failure the copy is
// removed and Wininit.ini stays as it was. A withdrawal first only reads, and writes a copy
// only when it found a line to leave out.
static void EditWininit(WininitEdit* edit)
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
        // Held open, unreadable: another program's entries are in there, so it stays.
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            edit->DeletionsLeft++; // unknown: look again next time
        else if (edit->Entry)
            CreateWininit(wininitPath, edit->Entry);
        return;
    }
    if (!edit->Entry) {
        int read = WriteEditedCopy(wininit, INVALID_HANDLE_VALUE, edit);
        if (!read || edit->Dropped == 0) {
            CloseHandle(wininit);
            return;
        }
        SetFilePointer(wininit, 0, NULL, FILE_BEGIN);
        // Counted again below; until Wininit.ini is replaced, the matching lines are still there.
        edit->DeletionsLeft = 0;
    }

    HANDLE copy = CreateUnshared(copyPath);
    if (copy == INVALID_HANDLE_VALUE) {
        CloseHandle(wininit);
        edit->DeletionsLeft++;
        return;
    }
    int complete = WriteEditedCopy(wininit, copy, edit);
    if (!CloseHandle(copy))
        complete = 0;
    CloseHandle(wininit);
    // An incomplete copy (a full disk) must never take the place of Wininit.ini.
    if (!complete) {
        DeleteFileA(copyPath);
        edit->DeletionsLeft++;
        return;
    }
    // One step where the system has it, so that no moment is without Wininit.ini. A
    // read-only Wininit.ini stays, as Windows' MoveFileEx refuses to replace it (Wine does not).
    int replaced = 0;
    DWORD attributes = GetFileAttributesA(wininitPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        replaced = 0;
    } else if (IsNtFamily()) {
        replaced = MoveFileExA(copyPath, wininitPath, MOVEFILE_REPLACE_EXISTING);
    } else {
        DeleteFileA(wininitPath);
        replaced = MoveFileA(copyPath, wininitPath);
    }
    if (!replaced)
        edit->DeletionsLeft++;
}

void ScheduleBootRename(const char* entry)
{
    WininitEdit edit = { entry, { NULL, NULL }, 0, 0 };
    EditWininit(&edit);
    AppState.BootDeletions = BootDeletionsSome;
}

int ScheduleNtBootDelete(const char* path)
{
    int scheduled = IsNtFamily() && MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    AppState.BootDeletions = BootDeletionsSome;
    return scheduled;
}

// An entry's source ("\??\C:\..." as the system writes it, or a plain path) names one of names.
static int SourceNames(const WCHAR* source, const WCHAR* const* names)
{
    int prefixLength = lstrlenW(NtPathPrefix);
    if (lstrlenW(source) >= prefixLength &&
        CompareStringOrdinal(source, prefixLength, NtPathPrefix, prefixLength, FALSE) == CSTR_EQUAL)
        source += prefixLength;
    for (int i = 0; i < 2; ++i) {
        if (names[i][0] && CompareStringOrdinal(source, -1, names[i], -1, TRUE) == CSTR_EQUAL)
            return 1;
    }
    return 0;
}

// Leaves out the deletions of names from the system's list: pairs of a source and a target,
// the target empty for a deletion. Read and written as UTF-16, so that every other entry keeps
// every character. *left counts the deletions that stay.
static void WithdrawNtDeletion(const WCHAR* const* names, int* left)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKeyPath, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, PendingRenamesValueName, NULL, &type, NULL, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ || size == 0) {
        RegCloseKey(key);
        return;
    }
    // Room for two more NULs, so that a value without its terminators still ends.
    HANDLE heap = GetProcessHeap();
    DWORD room = size + 2 * sizeof(WCHAR);
    WCHAR* data = (WCHAR*)HeapAlloc(heap, HEAP_ZERO_MEMORY, room);
    WCHAR* kept = (WCHAR*)HeapAlloc(heap, HEAP_ZERO_MEMORY, room);
    int read = data && kept &&
               RegQueryValueExW(key, PendingRenamesValueName, NULL, &type, (BYTE*)data, &size) == ERROR_SUCCESS &&
               type == REG_MULTI_SZ;
    // A list that could not be read may hold anything: look again next time.
    if (!read)
        *left += 1;
    if (read) {
        DWORD count = size / sizeof(WCHAR), at = 0, out = 0;
        int dropped = 0, pairsKept = 0;
        while (at < count && data[at] != 0) {
            DWORD target = at + (DWORD)lstrlenW(data + at) + 1;
            if (target >= count)
                break; // a source without its target: the rest is kept as it is
            DWORD next = target + (DWORD)lstrlenW(data + target) + 1;
            int deletion = data[target] == 0;
            if (deletion && SourceNames(data + at, names)) {
                dropped++;
            } else {
                CopyMemory(kept + out, data + at, (next - at) * sizeof(WCHAR));
                out += next - at;
                pairsKept++;
                *left += deletion;
            }
            at = next;
        }
        if (at < count) {
            CopyMemory(kept + out, data + at, (count - at) * sizeof(WCHAR));
            out += count - at;
        }
        // A list left empty goes, as the system removes it once carried out.
        LONG written = ERROR_SUCCESS;
        if (dropped && pairsKept == 0 && at >= count - 1)
            written = RegDeleteValueW(key, PendingRenamesValueName);
        else if (dropped)
            written = RegSetValueExW(key, PendingRenamesValueName, 0, REG_MULTI_SZ, (const BYTE*)kept,
                                     out * sizeof(WCHAR));
        if (written != ERROR_SUCCESS)
            *left += dropped;
    }
    if (data)
        HeapFree(heap, 0, data);
    if (kept)
        HeapFree(heap, 0, kept);
    RegCloseKey(key);
}

void WithdrawBootDeletion(const char* path)
{
    if (AppState.BootDeletions == BootDeletionsNone)
        return;
    // Windows names a file by its short or its long form: both are matched.
    char shortForm[MAX_PATH], longForm[MAX_PATH];
    DWORD length = GetShortPathNameA(path, shortForm, sizeof shortForm);
    if (length == 0 || length >= sizeof shortForm)
        shortForm[0] = '\0';
    length = GetLongPathNameA(path, longForm, sizeof longForm);
    if (length == 0 || length >= sizeof longForm)
        lstrcpynA(longForm, path, sizeof longForm);

    WininitEdit edit = { NULL, { shortForm, longForm }, 0, 0 };
    EditWininit(&edit);

    WCHAR wideShort[MAX_PATH], wideLong[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, shortForm, -1, wideShort, MAX_PATH))
        wideShort[0] = 0;
    if (!MultiByteToWideChar(CP_ACP, 0, longForm, -1, wideLong, MAX_PATH))
        wideLong[0] = 0;
    const WCHAR* names[2] = { wideShort, wideLong };
    int left = edit.DeletionsLeft;
    WithdrawNtDeletion(names, &left);
    AppState.BootDeletions = left ? BootDeletionsSome : BootDeletionsNone;
}
