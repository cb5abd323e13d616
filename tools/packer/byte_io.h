// The I/O seam of the packer: every codec and reader pulls bytes from a Source and pushes
// them into a Sink, so tests can feed memory and inject a failure at any read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace packer {

struct Source {
    virtual ~Source() = default;
    // Fills up to `want` bytes. `got` < `want` only at the end of the data. False on an
    // I/O failure (what `got` then says is not to be used).
    virtual bool Read(std::uint8_t* buffer, std::size_t want, std::size_t& got) = 0;
};

struct Sink {
    virtual ~Sink() = default;
    virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
};

class MemorySource : public Source {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit MemorySource(const std::vector<std::uint8_t>& bytes) : MemorySource(bytes.data(), bytes.size()) {}
    bool Read(std::uint8_t* buffer, std::size_t want, std::size_t& got) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

class MemorySink : public Sink {
public:
    bool Write(const std::uint8_t* data, std::size_t size) override;
    std::vector<std::uint8_t> bytes;
};

// Discards everything; counts what went through.
class CountingSink : public Sink {
public:
    bool Write(const std::uint8_t*, std::size_t size) override
    {
        count += size;
        return true;
    }
    std::uint64_t count = 0;
};

// A stdio file, closed when it goes.
class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() { Close(); }
    bool Open(const std::string& path, const char* mode);
    bool Close(); // false when a buffered write failed
    bool Seek(std::uint64_t offset); // from the start, past 2 GiB too
    std::FILE* get() const { return file_; }

private:
    std::FILE* file_ = nullptr;
};

class FileSource : public Source {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    bool Read(std::uint8_t* buffer, std::size_t want, std::size_t& got) override;

private:
    std::FILE* file_;
};

class FileSink : public Sink {
public:
    explicit FileSink(std::FILE* file) : file_(file) {}
    bool Write(const std::uint8_t* data, std::size_t size) override;

private:
    std::FILE* file_;
};

// Reads a Source to its end.
bool ReadAll(Source& source, std::vector<std::uint8_t>& bytes);
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

} // namespace packer
