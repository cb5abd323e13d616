// Shared helpers of the packer's native tests.
#pragma once
#include "common/bytes.h"
#include "common/temp_folder.h"
#include "packer/byte_io.h"
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string& text);
// The shared helpers, on byte vectors.
Bytes Noise(std::size_t size, unsigned seed);
void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

// Runs a shell command; its exit status, and its standard output in `output`.
int RunCommand(const std::string& command, std::string* output = nullptr);
std::string Quote(const std::string& path);

// A Source over memory that fails its Nth read (counting from 1) and every later one.
class FailingSource : public packer::Source {
public:
    FailingSource(const Bytes& bytes, int failAt) : bytes_(bytes), failAt_(failAt) {}
    bool Read(std::uint8_t* buffer, std::size_t want, std::size_t& got) override;
    int reads() const { return reads_; }

private:
    const Bytes& bytes_;
    int failAt_;
    std::size_t position_ = 0;
    int reads_ = 0;
};

// A Sink that fails once more than `limit` bytes were asked of it.
class FailingSink : public packer::Sink {
public:
    explicit FailingSink(std::size_t limit) : limit_(limit) {}
    bool Write(const std::uint8_t*, std::size_t size) override
    {
        written_ += size;
        return written_ <= limit_;
    }

private:
    std::size_t limit_;
    std::size_t written_ = 0;
};
