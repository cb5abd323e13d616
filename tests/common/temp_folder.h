// A new folder below the system's temporary folder for one test, removed with everything in it
// when the test ends. The Windows tests' version is in files.cpp, the packer's native tests'
// in temp_folder_posix.cpp.
#pragma once
#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    // A path inside the folder.
    std::string operator/(const std::string& name) const;

private:
    std::string path_;
};
