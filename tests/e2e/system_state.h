// What an end-to-end test prepares on, and reads back from, the Wine prefix it runs in.
#pragma once
#include "common/files.h"
#include "common/registry.h"
#include <windows.h>
#include <string>
#include <vector>

// ---- paths, files and the registry: the shared helpers of common/, and
// A Unix path named by an environment variable set by the build, as a Windows path.
std::string BuildPath(const char* variable);
DWORD AttributesOf(const std::string& path);
// Creates every missing folder of the path.
void MakeFolders(const std::string& path);

// ---- setup data files
struct Record {
    std::string name, label;
    DWORD hidden = 0;
    std::string packed;
};
// The records of a setup data file, in order.
std::vector<Record> ReadRecords(const std::string& dataFile);
std::string RecordBytes(const Record& record);

// ---- the demo payload's manifest: one file record per line
struct ManifestEntry {
    std::string source;   // Windows path of the source file
    std::string name;
    std::string label;
    bool hidden = false;
};
std::vector<ManifestEntry> ReadManifest(const std::string& manifest);
