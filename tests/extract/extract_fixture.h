// Scaffolding for the tests of ExtractFiles: a sandbox folder per test (target folder,
// temporary folder, data file and log), a writer of data-file records, and a view that
// records the labels, percentages and errors extraction reports.
#pragma once
#include "common/files.h"
#include "install/extract_files.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

// Everything extraction reported through its view, in order.
struct ExtractionRecording {
    std::vector<std::string> labels;
    std::vector<int> positions;
    std::vector<std::string> errors;
    std::function<void()> onLabel; // called as each label is shown, before the record is staged
};
ExtractionView RecordingView(ExtractionRecording* recording);

// One data-file record: header fields exactly as given (a field of 64 bytes or more is
// written without a terminator), then the data. packedLength defaults to the data's size.
std::string RecordBytes(const std::string& name, const std::string& label, const std::string& data, DWORD hidden = 0);
std::string RecordBytesWithLength(const std::string& name, const std::string& label, const std::string& data,
                                  DWORD packedLength, DWORD hidden = 0);
// Packed by the packer's own SZDD encoder.
std::string Szdd(const std::string& data);

// Wine reports every file with the archive attribute, so a file given the hidden attribute
// alone reads back as hidden and archive (Windows would report hidden alone).
const DWORD HiddenAloneAsReported = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

class ExtractSandbox : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Appends a record to the data file under construction.
    void Add(const std::string& name, const std::string& label, const std::string& data, DWORD hidden = 0)
    {
        data_ += RecordBytes(name, label, data, hidden);
    }
    void AddRaw(const std::string& bytes) { data_ += bytes; }

    // A name in the system folder that no other test uses; removed after the test.
    std::string SystemName(const std::string& base);
    std::string SystemPath(const std::string& base);
    std::string TargetPath(const std::string& name) const { return JoinPath(target_, name); }
    static std::string LogLine(const std::string& path) { return "+" + path + "\r\n"; }

    // Writes the data file and runs ExtractFiles on it. The log and everything reported
    // through the view are kept for the checks.
    void Extract(HANDLE logOverride = NULL, bool useLogOverride = false);

    // The temporary folder in use (TMP) must be empty again after every run.
    void ExpectTempFolderEmpty(const char* file, int line);

    TempFolder sandbox_;
    std::string root_;
    std::string target_;
    std::string temp_;
    std::string dataPath_;
    std::string logPath_;
    std::string data_;
    std::string log_;
    EarlierLog earlier_ = { NULL, 0 }; // the log that the run replaces
    ExtractionRecording progress_;
    std::vector<std::string>& errors_ = progress_.errors;

private:
    std::string savedTmp_;
    std::string savedTemp_;
    std::vector<std::string> systemFiles_;
};
