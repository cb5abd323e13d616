#include "system_state.h"
#include "robot/robot.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

std::string WindowsDir()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

std::string SystemDir()
{
    char path[MAX_PATH];
    GetSystemDirectoryA(path, sizeof path);
    return path;
}

std::string BuildPath(const char* variable)
{
    const char* value = getenv(variable);
    if (!value) {
        ADD_FAILURE() << "the build sets " << variable << " for this test";
        return "";
    }
    return robot::WindowsPathOf(value);
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD AttributesOf(const std::string& path)
{
    return GetFileAttributesA(path.c_str());
}

std::string ReadFileBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char block[65536];
    DWORD done = 0;
    while (ReadFile(file, block, sizeof block, &done, NULL) && done > 0)
        bytes.append(block, done);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "cannot create " << path;
    DWORD done = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &done, NULL);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), done) << path;
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

RegValue ReadValue(const std::string& key, const std::string& name)
{
    RegValue value;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return value;
    char data[4096];
    DWORD size = sizeof data;
    if (RegQueryValueExA(handle, name.c_str(), NULL, &value.type, (BYTE*)data, &size) == ERROR_SUCCESS) {
        value.present = true;
        value.data.assign(data, size);
    }
    RegCloseKey(handle);
    return value;
}

bool KeyExists(const std::string& key)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

static void SetValue(const std::string& key, const std::string& name, DWORD type, const std::string& data)
{
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                             &handle, NULL)) << key;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(handle, name.c_str(), 0, type, (const BYTE*)data.data(),
                                            (DWORD)data.size())) << key << " " << name;
    RegCloseKey(handle);
}

void SetText(const std::string& key, const std::string& name, const std::string& text)
{
    SetValue(key, name, REG_SZ, Text(text));
}

void SetDword(const std::string& key, const std::string& name, DWORD value)
{
    SetValue(key, name, REG_DWORD, Dword(value));
}

std::string Text(const std::string& text)
{
    return text + std::string(1, '\0');
}

std::string Dword(DWORD value)
{
    return std::string((const char*)&value, 4);
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
        while (NextWord(line, at, word))
            entry.hidden |= word == "hidden";
        entries.push_back(entry);
    }
    return entries;
}
