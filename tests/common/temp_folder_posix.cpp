#include "common/temp_folder.h"
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "qntx-packer-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        std::abort();
    path_ = buffer.data();
}

TempFolder::~TempFolder()
{
    std::error_code error;
    fs::remove_all(path_, error);
}

std::string TempFolder::operator/(const std::string& name) const
{
    return path_ + "/" + name;
}
