// The real extraction over 270 damaged setup data files, all made here from one valid file:
// cut at every header boundary and inside the data, bits flipped in lengths and names, names
// without a terminator, huge lengths, names that try to leave their folder, name a device or
// carry a line end, bad SZDD headers, empty and garbage files. For each one: no crash or hang,
// the run ends, no message but the extraction's own, every file written below the target
// folder is named by a log line (so the uninstaller removes it), no log line names anything
// else or a device, nothing stays in the temporary folder; over the whole run, nothing on
// drive C changes outside the sandbox and the system folder. Drive Z (the Linux root) needs a
// colon in a name, which is refused.
#include "extract_fixture.h"
#include <algorithm>
#include <cstdio>
#include <map>

namespace {

struct DamagedFile {
    std::string what;
    std::string bytes;
};

struct BaseRecord {
    std::string name, label, data;
    DWORD hidden;
};

// What a vendor's file could hold: SZDD and plain data, a subfolder, the system folder, a
// hidden file and an empty one.
std::vector<BaseRecord> BaseRecords()
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "Quintara script line " + std::to_string(i) + "\r\n";
    return {
        { "readme.txt", "Read me", Szdd(text), 0 },
        { "@\\qxhostile.dll", "Library", Szdd(NoiseBytes(300, 1)), 0 },
        { "sub\\tool.bin", "Tool", NoiseBytes(200, 2), 0 },
        { "hidden.cfg", "Settings", Szdd("setting=1\r\nother=2\r\n" + text.substr(0, 100)), 1 },
        { "empty.txt", "Empty", "", 0 },
    };
}

std::string Pack(const std::vector<BaseRecord>& records)
{
    std::string bytes;
    for (const BaseRecord& r : records)
        bytes += RecordBytes(r.name, r.label, r.data, r.hidden);
    return bytes;
}

std::vector<size_t> RecordStarts(const std::vector<BaseRecord>& records)
{
    std::vector<size_t> starts;
    size_t at = 0;
    for (const BaseRecord& r : records) {
        starts.push_back(at);
        at += 136 + r.data.size();
    }
    return starts;
}

void PutDword(std::string& bytes, size_t at, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = (char)(value >> (8 * i));
}

DWORD GetDword(const std::string& bytes, size_t at)
{
    DWORD value = 0;
    for (int i = 0; i < 4; ++i)
        value |= (DWORD)(unsigned char)bytes[at + i] << (8 * i);
    return value;
}

std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", (unsigned long)value);
    return text;
}

// The base file with record `index` given another name (written as is, cut at 64 bytes).
std::string WithName(size_t index, const std::string& name)
{
    std::vector<BaseRecord> records = BaseRecords();
    records[index].name = name;
    return Pack(records);
}

std::vector<DamagedFile> DamagedFiles()
{
    const std::vector<BaseRecord> records = BaseRecords();
    const std::string base = Pack(records);
    const std::vector<size_t> starts = RecordStarts(records);
    std::vector<DamagedFile> files;
    auto add = [&](const std::string& what, const std::string& bytes) { files.push_back({ what, bytes }); };

    add("the valid base file", base);

    // Cut at every field boundary of every header (and one byte either side), and inside data.
    for (size_t r = 0; r < records.size(); ++r) {
        for (size_t offset : { 0, 1, 64, 128, 132, 135, 136 })
            add("cut in header " + std::to_string(r) + " at " + std::to_string(offset),
                base.substr(0, starts[r] + offset));
        size_t size = records[r].data.size();
        for (size_t offset : { (size_t)1, (size_t)13, (size_t)14, size / 2, size - 1 })
            if (offset > 0 && offset < size)
                add("cut in data " + std::to_string(r) + " at " + std::to_string(offset),
                    base.substr(0, starts[r] + 136 + offset));
    }

    // Single bits flipped in each length: records slip, huge counts, data read as headers.
    for (size_t r = 0; r < records.size(); ++r)
        for (int bit : { 0, 3, 8, 16, 24, 31 }) {
            std::string bytes = base;
            size_t at = starts[r] + 128;
            PutDword(bytes, at, GetDword(bytes, at) ^ (1u << bit));
            add("length " + std::to_string(r) + " bit " + std::to_string(bit) + " flipped", bytes);
        }

    // Huge and boundary lengths, in the first record and in the last.
    for (size_t r : { (size_t)0, records.size() - 1 })
        for (DWORD length : { 0xFFFFFFFFu, 0xFFFFFF00u, 0x80000000u, 0x7FFFFFFFu, 0x40000001u, 0x40000000u,
                              0x3FFFFFFFu }) {
            std::string bytes = base;
            PutDword(bytes, starts[r] + 128, length);
            add("length " + std::to_string(r) + " set to " + Hex(length), bytes);
        }

    // Bits flipped in names: first characters, the '@', the separator, the terminator, the end.
    for (size_t r = 0; r < records.size(); ++r) {
        size_t nameLength = records[r].name.size();
        for (size_t offset : { (size_t)0, (size_t)2, nameLength - 1, nameLength })
            for (int bit : { 0, 6 }) {
                std::string bytes = base;
                bytes[starts[r] + offset] ^= (char)(1 << bit);
                add("name " + std::to_string(r) + " byte " + std::to_string(offset) + " bit " + std::to_string(bit) +
                        " flipped",
                    bytes);
            }
    }

    // Fields that fill their 64 bytes without a terminator.
    add("name of 64 letters", WithName(0, std::string(60, 'n') + ".txt"));
    add("name of 64 letters in a subfolder", WithName(2, "sub\\" + std::string(60, 's')));
    add("system name of 64 letters", WithName(1, "@\\" + std::string(62, 'y')));
    add("name of 64 backslashes", WithName(0, std::string(64, '\\')));
    add("name of 64 dots", WithName(0, std::string(64, '.')));
    {
        std::vector<BaseRecord> full = records;
        for (BaseRecord& r : full)
            r.label = std::string(64, 'L');
        add("every label of 64 letters", Pack(full));
    }

    // Names that try to leave the folder, name a device, a stream, another drive, or carry
    // line ends into the log.
    // The first of them are also tried in the system folder.
    const char* hostileNames[] = {
        "..\\evil.txt", "..", "sub\\..\\..\\evil.txt", "..\\..\\..\\..\\..\\..\\..\\..\\windows\\evil.txt",
        "../evil.txt", ". .", "@\\..\\evil.dll", "C:\\evil.txt", "C:evil.txt", "Z:\\tmp\\evil.txt", "evil.txt:stream",
        "\\\\?\\C:\\evil.txt", "\\\\server\\share\\evil.txt", "CON", "COM1", "AUX .log", "NUL", "x\n+kernel32.dll",
        "x\r#\\\\server\\share", "\x01\x02",
        ".", "...", ".. ", " ..", "sub\\..\\evil.txt", "sub/../../evil.txt", "..\\", "evil.txt\\..\\..\\x.txt",
        "@\\..\\..\\evil.dll", "@/../evil.dll", "evil.txt::$DATA", "\\\\.\\C:\\evil.txt", "\\root-evil.txt",
        "/root-evil.txt", "\\\\..\\evil.txt", "con.txt", "PRN", "LPT1", "lpt9.log", "CONIN$", "CONOUT$",
        "sub\\COM2", "com\xb9", "a.txt.", "a.txt ", "sub\\", "", "@", "@\\", "@x", "*.txt", "a?b", "a<b>", "a|b",
        "a\"b", "x\r+..\\evil.txt", "\xff\xfe\xfd.txt", "sub\\\\\\tool.bin",
    };
    for (const char* name : hostileNames)
        add("name [" + std::string(name) + "]", WithName(0, name));
    for (size_t i = 0; i < 20; ++i)
        add("system name [@\\" + std::string(hostileNames[i]) + "]",
            WithName(1, "@\\" + std::string(hostileNames[i])));

    // SZDD headers damaged byte by byte, other modes, sizes, a header alone or cut short.
    const std::string& szdd = records[0].data;
    for (size_t offset = 0; offset < 14; ++offset) {
        std::vector<BaseRecord> bad = records;
        bad[0].data[offset] ^= (char)0x10;
        add("SZDD header byte " + std::to_string(offset) + " flipped", Pack(bad));
    }
    auto withData = [&](const std::string& what, const std::string& data) {
        std::vector<BaseRecord> bad = records;
        bad[0].data = data;
        add(what, Pack(bad));
    };
    withData("SZDD mode 'B'", szdd.substr(0, 8) + "B" + szdd.substr(9));
    withData("SZDD mode 0", szdd.substr(0, 8) + std::string(1, '\0') + szdd.substr(9));
    {
        std::string huge = szdd;
        PutDword(huge, 10, 0xFFFFFFFFu);
        withData("SZDD expanded size 0xFFFFFFFF", huge);
        PutDword(huge, 10, 0);
        withData("SZDD expanded size 0", huge);
    }
    withData("SZDD header alone", szdd.substr(0, 14));
    withData("SZDD header cut to 10 bytes", szdd.substr(0, 10));
    withData("SZDD magic alone", szdd.substr(0, 8));
    withData("SZDD header and 300 bytes of garbage", szdd.substr(0, 14) + NoiseBytes(300, 3));
    withData("SZDD header and copies only", szdd.substr(0, 14) + std::string(1, '\0') + std::string(16, '\xff'));
    withData("SZDD of 64 KiB of zeros", Szdd(std::string(65536, '\0')));

    // Whole files that are not setup data files at all.
    add("empty file", "");
    for (size_t size : { 1, 135, 136, 137, 271, 272 })
        add(std::to_string(size) + " bytes of garbage", NoiseBytes(size, (unsigned)size));
    for (unsigned seed = 10; seed < 20; ++seed)
        add("300 bytes of garbage, seed " + std::to_string(seed), NoiseBytes(300, seed));
    add("136 zero bytes", std::string(136, '\0'));
    add("136 bytes of 0xFF", std::string(136, '\xff'));
    add("the base file and 37 bytes of garbage", base + NoiseBytes(37, 4));
    add("the base file twice", base + base);
    {
        std::string bytes = base;
        PutDword(bytes, starts[0] + 132, 0xFFFFFFFFu);
        PutDword(bytes, starts[1] + 132, 1);
        add("hidden flags on the first file and the system file", bytes);
    }
    return files;
}

// A file's size, time and attributes, to tell any change.
struct Stamp {
    ULONGLONG size;
    ULONGLONG written;
    DWORD attributes;
    bool operator==(const Stamp& o) const
    {
        return size == o.size && written == o.written && attributes == o.attributes;
    }
};
using Snapshot = std::map<std::string, Stamp>;

std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], (DWORD)text.size());
    return text;
}

// Every file and folder below folder, except the one named skip (compared without case).
void TakeSnapshot(const std::string& folder, const std::string& skip, Snapshot& out)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!lstrcmpA(found.cFileName, ".") || !lstrcmpA(found.cFileName, ".."))
            continue;
        std::string path = JoinPath(folder, found.cFileName);
        if (Lower(path) == skip)
            continue;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        Stamp stamp = { ((ULONGLONG)found.nFileSizeHigh << 32) | found.nFileSizeLow,
                        isFolder ? 0 : ((ULONGLONG)found.ftLastWriteTime.dwHighDateTime << 32) |
                                           found.ftLastWriteTime.dwLowDateTime,
                        found.dwFileAttributes };
        out[Lower(path)] = stamp;
        // Wine links some profile folders to the Linux home folder, which others may change.
        if (isFolder && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            TakeSnapshot(path, skip, out);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string Differences(const Snapshot& before, const Snapshot& after)
{
    std::string out;
    for (const auto& entry : after) {
        auto old = before.find(entry.first);
        if (old == before.end())
            out += "  new: " + entry.first + "\n";
        else if (!(old->second == entry.second))
            out += "  changed: " + entry.first + "\n";
    }
    for (const auto& entry : before)
        if (!after.count(entry.first))
            out += "  gone: " + entry.first + "\n";
    return out;
}

// The log's lines as the uninstaller reads them: a CR, an LF or CR LF ends a line.
std::vector<std::string> LogLines(const std::string& log)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = log.size();
        lines.push_back(log.substr(at, end - at));
        at = end;
        if (at < log.size() && log[at] == '\r')
            ++at;
        if (at < log.size() && log[at] == '\n')
            ++at;
    }
    return lines;
}

// Every file below folder (folders themselves are not listed).
void ListFiles(const std::string& folder, std::vector<std::string>& out)
{
    for (const std::string& name : FolderEntries(folder)) {
        std::string path = JoinPath(folder, name);
        if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(path, out);
        else
            out.push_back(path);
    }
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

// The only messages extraction may show over a damaged file.
bool IsExtractionMessage(const std::string& text)
{
    return text == "Error reading Setup Data file" || StartsWith(text, "Invalid file name in Setup Data file: \"") ||
           StartsWith(text, "Unable to install file: \"") || StartsWith(text, "Destination path too long: \"");
}

// Ends the process with the damaged file's description when one run takes too long: a hang
// is a failure of its own, to be named, not a ctest time-out.
class Watchdog {
public:
    Watchdog(const std::string& what, DWORD milliseconds) : what_(what), milliseconds_(milliseconds)
    {
        done_ = CreateEventA(NULL, TRUE, FALSE, NULL);
        thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
    }
    ~Watchdog()
    {
        SetEvent(done_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(done_);
    }

private:
    static DWORD WINAPI Run(LPVOID self)
    {
        Watchdog* dog = (Watchdog*)self;
        if (WaitForSingleObject(dog->done_, dog->milliseconds_) == WAIT_TIMEOUT) {
            fprintf(stderr, "HANG: extraction of [%s] did not end within %lu ms\n", dog->what_.c_str(),
                    (unsigned long)dog->milliseconds_);
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }
    std::string what_;
    DWORD milliseconds_;
    HANDLE done_;
    HANDLE thread_;
};

std::string CurrentFile;

// A crash ends the test program; name the damaged file that caused it first.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    fprintf(stderr, "CRASH: exception 0x%08lX while extracting [%s]\n",
            (unsigned long)exception->ExceptionRecord->ExceptionCode, CurrentFile.c_str());
    fflush(stderr);
    return EXCEPTION_CONTINUE_SEARCH;
}

class HostileDataFiles : public ExtractSandbox {
protected:
    // Checks one run's messages, log and files, then removes what it installed: the target
    // as the uninstaller leaves it, and the files it put into the system folder.
    void CheckRun(const std::string& what, const std::vector<std::string>& systemBefore)
    {
        for (const std::string& error : errors_)
            if (!IsExtractionMessage(error))
                ADD_FAILURE() << "[" << what << "] unexpected error reported: [" << error << "]";

        std::string prefix = Lower(target_ + "\\");
        for (const std::string& line : LogLines(log_)) {
            if (line.size() < 2 || line[0] != '+' || !StartsWith(Lower(line.substr(1)), prefix)) {
                ADD_FAILURE() << "[" << what << "] log line that names no file below the target: [" << line << "]";
                continue;
            }
            // A name that Windows takes for a device must never have been written to.
            HANDLE opened = CreateFileA(line.c_str() + 1, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                        0, NULL);
            if (opened != INVALID_HANDLE_VALUE) {
                DWORD type = GetFileType(opened);
                CloseHandle(opened);
                if (type != FILE_TYPE_DISK)
                    ADD_FAILURE() << "[" << what << "] log line names a device (type " << type << "): [" << line
                                  << "]";
            }
            DeleteFileA(line.c_str() + 1);
        }
        if (!log_.empty() && log_.substr(log_.size() - 2) != "\r\n")
            ADD_FAILURE() << "[" << what << "] the log does not end with a whole line";

        std::vector<std::string> left;
        ListFiles(target_, left);
        for (const std::string& path : left) {
            ADD_FAILURE() << "[" << what << "] written but not logged: " << path;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        for (const std::string& name : FolderEntries(target_))
            if (name != "sub")
                ADD_FAILURE() << "[" << what << "] folder made below the target: " << name;

        for (const std::string& name : FolderEntries(systemFolder_))
            if (std::find(systemBefore.begin(), systemBefore.end(), name) == systemBefore.end()) {
                installedInSystem_++;
                RemoveTree(JoinPath(systemFolder_, name));
            }
    }

    std::string systemFolder_;
    int installedInSystem_ = 0;
};

TEST_F(HostileDataFiles, DeviceNamesAndControlCharactersAreRefusedLookalikesInstall)
{
    // A device name would send the data to a port or the console; a line end in a name would
    // put a line of the data file's choosing into the setup log, for the uninstaller to carry out.
    const std::vector<std::string> refused = {
        "COM1", "com9.txt", "sub\\LPT3", "AUX .log", "nul", "Con.Txt", "CONOUT$", "prn.x.y", "lpt\xb2",
        "x\n+kernel32.dll", "x\r#C", "tab\there.txt", "\x1f",
    };
    const std::vector<std::string> installed = {
        "COM0", "COM10", "LPT", "console.txt", "auxiliary", "nul_.txt", "xcon", "CONIN", "com1x.txt", "sub\\null.txt",
    };
    ASSERT_TRUE(CreateDirectoryA(TargetPath("sub").c_str(), NULL));
    std::string expectedLog;
    for (const std::string& name : refused)
        Add(name, "Refused", "refused " + name);
    for (const std::string& name : installed) {
        Add(name, "Installed", Szdd("installed " + name));
        expectedLog += LogLine(TargetPath(name));
    }

    Extract();

    ASSERT_EQ(refused.size(), errors_.size());
    for (size_t i = 0; i < refused.size(); ++i)
        EXPECT_EQ(errors_[i], "Invalid file name in Setup Data file: \"" + refused[i] + "\"");
    for (const std::string& name : installed)
        EXPECT_FILE(TargetPath(name), "installed " + name);
    EXPECT_EQ(expectedLog, log_);
}

TEST_F(HostileDataFiles, NoCrashNoHangNothingOutsideEveryWrittenFileLogged)
{
    std::vector<DamagedFile> files = DamagedFiles();
    ASSERT_GE(files.size(), 200u);
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    systemFolder_ = folder;
    std::vector<std::string> systemBefore = FolderEntries(systemFolder_);
    ASSERT_TRUE(CreateDirectoryA(TargetPath("sub").c_str(), NULL));
    Snapshot before;
    TakeSnapshot("C:\\", Lower(root_), before);
    ASSERT_GT(before.size(), 100u) << "drive C looks empty";
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = SetUnhandledExceptionFilter(ReportCrash);

    int installedInTarget = 0, withMessages = 0;
    DWORD start = GetTickCount();
    for (const DamagedFile& file : files) {
        SCOPED_TRACE(file.what);
        CurrentFile = file.what;
        data_ = file.bytes;
        {
            Watchdog watchdog(file.what, 60000);
            Extract();
        }
        installedInTarget += (int)LogLines(log_).size();
        withMessages += !errors_.empty();
        CheckRun(file.what, systemBefore);
        if (HasFatalFailure())
            break;
    }
    SetUnhandledExceptionFilter(previousFilter);

    Snapshot after;
    TakeSnapshot("C:\\", Lower(root_), after);
    EXPECT_EQ("", Differences(before, after)) << "drive C changed outside the sandbox";
    // The battery must reach every path: installs, refusals and read errors alike.
    EXPECT_GT(installedInTarget, 200);
    EXPECT_GT(installedInSystem_, 20);
    EXPECT_GT(withMessages, 100);
    printf("%u damaged files in %lu ms: %d log lines, %d files in the system folder, %d runs with messages\n",
           (unsigned)files.size(), (unsigned long)(GetTickCount() - start), installedInTarget, installedInSystem_,
           withMessages);
}

} // namespace
