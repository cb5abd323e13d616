// The demo payload, as the build packed it, installs byte-exactly through ExtractFiles.
#include "extract_fixture.h"
#include "packer/manifest.h"
#include <cstdlib>

class ExtractDemo : public ExtractSandbox {};

TEST_F(ExtractDemo, DemoPayloadInstallsByteExactly)
{
    const char* dataFile = std::getenv("QNTX_DEMO_DATA_FILE");
    const char* manifestPath = std::getenv("QNTX_DEMO_MANIFEST");
    ASSERT_TRUE(dataFile && manifestPath) << "QNTX_DEMO_DATA_FILE and QNTX_DEMO_MANIFEST must be set";
    std::string manifest;
    ASSERT_TRUE(ReadFileBytes(manifestPath, manifest)) << manifestPath;
    std::vector<packer::ManifestError> errors;
    std::vector<packer::ManifestEntry> entries = packer::ParseManifest(manifest, errors);
    ASSERT_TRUE(errors.empty()) << errors[0].line << ": " << errors[0].message;
    ASSERT_TRUE(ReadFileBytes(dataFile, data_)) << dataFile;
    std::string folder = manifestPath;
    folder = folder.substr(0, folder.find_last_of("\\/"));
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    // The system folder's files of the demo are real names: keep what is there and put it back.
    std::vector<std::pair<std::string, std::string>> saved;
    for (const packer::ManifestEntry& entry : entries) {
        if (entry.name[0] != '@')
            continue;
        std::string path = JoinPath(system, entry.name.substr(2));
        std::string before;
        if (ReadFileBytes(path, before))
            saved.emplace_back(path, before);
    }

    Extract();

    EXPECT_TRUE(errors_.empty()) << errors_[0];
    std::string expectedLog;
    for (const packer::ManifestEntry& entry : entries) {
        std::string source;
        ASSERT_TRUE(ReadFileBytes(folder + "/" + entry.source, source)) << entry.source;
        bool toSystem = entry.name[0] == '@';
        std::string path = toSystem ? JoinPath(system, entry.name.substr(2)) : TargetPath(entry.name);
        EXPECT_FILE(path, source);
        EXPECT_EQ(entry.hidden, (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0) << path;
        if (toSystem)
            RemoveTree(path);
        else
            expectedLog += LogLine(path);
    }
    for (const auto& file : saved)
        WriteFileBytes(file.first, file.second);
    EXPECT_EQ(expectedLog, log_);
    EXPECT_EQ(entries.size(), progress_.labels.size());
    EXPECT_EQ(100, progress_.positions.back());
}
