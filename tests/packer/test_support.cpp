#include "test_support.h"
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

Bytes ToBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes Noise(std::size_t size, unsigned seed)
{
    return ToBytes(NoiseBytes(size, seed));
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

Bytes ReadBytes(const std::string& path)
{
    std::string bytes;
    ReadFileBytes(path, bytes);
    return ToBytes(bytes);
}

int RunCommand(const std::string& command, std::string* output)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> block;
    std::size_t got;
    while ((got = std::fread(block.data(), 1, block.size(), pipe)) > 0)
        if (output)
            output->append(block.data(), got);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& path)
{
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool FailingSource::Read(std::uint8_t* buffer, std::size_t want, std::size_t& got)
{
    if (++reads_ >= failAt_)
        return false;
    got = std::min({ want, bytes_.size() - position_ });
    if (got)
        std::memcpy(buffer, bytes_.data() + position_, got);
    position_ += got;
    return true;
}
