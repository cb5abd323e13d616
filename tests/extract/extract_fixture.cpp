#include "extract_fixture.h"
#include "packer/szdd.h"
#include "state/app_state.h"

namespace {

void RecordLabel(void* context, const char* label)
{
    auto* recording = static_cast<ExtractionRecording*>(context);
    recording->labels.push_back(label);
    if (recording->onLabel)
        recording->onLabel();
}

void RecordPercent(void* context, int percent)
{
    static_cast<ExtractionRecording*>(context)->positions.push_back(percent);
}

void RecordError(void* context, const char* text)
{
    static_cast<ExtractionRecording*>(context)->errors.push_back(text);
}

std::string EnvironmentValue(const char* name)
{
    char value[4096];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length && length < sizeof value ? value : "";
}

std::string Field(const std::string& text)
{
    std::string field = text.substr(0, 64);
    field.resize(64, '\0');
    return field;
}

} // namespace

ExtractionView RecordingView(ExtractionRecording* recording)
{
    return ExtractionView { recording, RecordLabel, RecordPercent, RecordError };
}

std::string RecordBytesWithLength(const std::string& name, const std::string& label, const std::string& data,
                                  DWORD packedLength, DWORD hidden)
{
    std::string record = Field(name) + Field(label);
    DWORD numbers[2] = { packedLength, hidden };
    record.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
    return record + data;
}

std::string RecordBytes(const std::string& name, const std::string& label, const std::string& data, DWORD hidden)
{
    return RecordBytesWithLength(name, label, data, static_cast<DWORD>(data.size()), hidden);
}

std::string Szdd(const std::string& data)
{
    std::vector<std::uint8_t> bytes(data.begin(), data.end());
    std::vector<std::uint8_t> packed = packer::EncodeSzdd(bytes);
    return std::string(packed.begin(), packed.end());
}

void ExtractSandbox::SetUp()
{
    root_ = sandbox_.Path();
    target_ = JoinPath(root_, "target");
    temp_ = JoinPath(root_, "temp");
    dataPath_ = JoinPath(root_, "QNTXSetup.z");
    logPath_ = JoinPath(root_, "QNTXSetup.log");
    ASSERT_TRUE(FolderExists(root_)) << root_;
    for (const std::string& path : { target_, temp_ })
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), NULL)) << path << " error " << GetLastError();
    savedTmp_ = EnvironmentValue("TMP");
    savedTemp_ = EnvironmentValue("TEMP");
    SetEnvironmentVariableA("TMP", temp_.c_str());
    SetEnvironmentVariableA("TEMP", temp_.c_str());
    lstrcpynA(AppState.TargetFolder, target_.c_str(), MAX_PATH);
}

void ExtractSandbox::TearDown()
{
    SetEnvironmentVariableA("TMP", savedTmp_.empty() ? NULL : savedTmp_.c_str());
    SetEnvironmentVariableA("TEMP", savedTemp_.empty() ? NULL : savedTemp_.c_str());
    for (const std::string& path : systemFiles_)
        RemoveTree(path);
}

std::string ExtractSandbox::SystemName(const std::string& base)
{
    SystemPath(base);
    return "@\\qx" + std::to_string(GetCurrentProcessId()) + base;
}

std::string ExtractSandbox::SystemPath(const std::string& base)
{
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    std::string path = JoinPath(folder, "qx" + std::to_string(GetCurrentProcessId()) + base);
    systemFiles_.push_back(path);
    return path;
}

void ExtractSandbox::Extract(HANDLE logOverride, bool useLogOverride)
{
    ASSERT_TRUE(WriteFileBytes(dataPath_, data_));
    HANDLE dataFile = CreateFileA(dataPath_.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(dataFile, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    HANDLE logFile = useLogOverride ? logOverride
                                    : CreateFileA(logPath_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                                  FILE_ATTRIBUTE_NORMAL, NULL);
    std::function<void()> onLabel = progress_.onLabel;
    progress_ = ExtractionRecording();
    progress_.onLabel = onLabel;
    ExtractionView view = RecordingView(&progress_);
    ExtractFiles(&view, dataFile, logFile, &earlier_);
    if (!useLogOverride)
        CloseHandle(logFile);
    CloseHandle(dataFile);
    log_.clear();
    if (!useLogOverride)
        ReadFileBytes(logPath_, log_);
    ExpectTempFolderEmpty(__FILE__, __LINE__);
}

void ExtractSandbox::ExpectTempFolderEmpty(const char* file, int line)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    for (const std::string& name : FolderEntries(folder))
        ADD_FAILURE_AT(file, line) << "left in the temporary folder: " << name;
}
