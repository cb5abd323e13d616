#include "system_state.h"
#include "robot/robot.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

std::string BuildPath(const char* variable)
{
    const char* value = getenv(variable);
    if (!value) {
        ADD_FAILURE() << "the build sets " << variable << " for this test";
        return "";
    }
    return robot::WindowsPathOf(value);
}

DWORD AttributesOf(const std::string& path)
{
    return GetFileAttributesA(path.c_str());
}

void MakeFolders(const std::string& path)
{
    for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), NULL);
        if (at == std::string::npos)
            break;
    }
    ASSERT_TRUE(FolderExists(path)) << path;
}

// Setup data file record: name[64] label[64] packedLength(u32 LE) hidden(u32 LE) data.
std::vector<Record> ReadRecords(const std::string& dataFile)
{
    std::string bytes = ReadFileBytes(dataFile);
    std::vector<Record> records;
    size_t at = 0;
    while (bytes.size() - at >= 136) {
        Record record;
        record.name.assign(bytes.c_str() + at, strnlen(bytes.c_str() + at, 64));
        record.label.assign(bytes.c_str() + at + 64, strnlen(bytes.c_str() + at + 64, 64));
        DWORD length;
        memcpy(&length, bytes.data() + at + 128, 4);
        memcpy(&record.hidden, bytes.data() + at + 132, 4);
        at += 136;
        if (bytes.size() - at < length)
            break;
        record.packed = bytes.substr(at, length);
        at += length;
        records.push_back(record);
    }
    return records;
}

std::string RecordBytes(const Record& record)
{
    char header[136] = {};
    lstrcpynA(header, record.name.c_str(), 64);
    lstrcpynA(header + 64, record.label.c_str(), 64);
    DWORD length = (DWORD)record.packed.size();
    memcpy(header + 128, &length, 4);
    memcpy(header + 132, &record.hidden, 4);
    return std::string(header, sizeof header) + record.packed;
}

// A word of a manifest line: "quoted text" or a run of non-blanks.
static bool NextWord(const std::string& line, size_t& at, std::string& word)
{
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
        ++at;
    if (at >= line.size())
        return false;
    if (line[at] == '"') {
        size_t end = line.find('"', at + 1);
        word = line.substr(at + 1, end - at - 1);
        at = end == std::string::npos ? line.size() : end + 1;
    } else {
        size_t end = line.find_first_of(" \t\r", at);
        word = line.substr(at, end - at);
        at = end == std::string::npos ? line.size() : end;
    }
    return true;
}

// The manifest is UTF-8; setup sees names and labels in the ANSI code page.
static std::string AnsiOfUtf8(const std::string& text)
{
    WCHAR wide[256] = L"";
    char ansi[256] = "";
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, 255);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, 255, NULL, NULL);
    return ansi;
}

std::vector<ManifestEntry> ReadManifest(const std::string& manifest)
{
    std::string folder = manifest.substr(0, manifest.find_last_of('\\') + 1);
    std::string text = ReadFileBytes(manifest);
    std::vector<ManifestEntry> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        size_t at = 0;
        std::string word;
        if (!NextWord(line, at, word) || word[0] == '#')
            continue;
        ManifestEntry entry;
        entry.source = folder + word;
        for (char& c : entry.source)
            if (c == '/')
                c = '\\';
        NextWord(line, at, entry.name);
        NextWord(line, at, entry.label);
        entry.name = AnsiOfUtf8(entry.name);
        entry.label = AnsiOfUtf8(entry.label);
        while (NextWord(line, at, word))
            entry.hidden |= word == "hidden";
        entries.push_back(entry);
    }
    return entries;
}
