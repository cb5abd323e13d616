#include "packer/byte_io.h"
#include <algorithm>
#include <cstring>
#ifndef _WIN32
#include <sys/types.h>
#endif

namespace packer {

bool MemorySource::Read(std::uint8_t* buffer, std::size_t want, std::size_t& got)
{
    got = std::min(want, size_ - position_);
    if (got)
        std::memcpy(buffer, data_ + position_, got);
    position_ += got;
    return true;
}

bool MemorySink::Write(const std::uint8_t* data, std::size_t size)
{
    bytes.insert(bytes.end(), data, data + size);
    return true;
}

bool File::Open(const std::string& path, const char* mode)
{
    Close();
    file_ = std::fopen(path.c_str(), mode);
    return file_ != nullptr;
}

bool File::Close()
{
    if (!file_)
        return true;
    bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

bool File::Seek(std::uint64_t offset)
{
#ifdef _WIN32
    return _fseeki64(file_, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    static_assert(sizeof(off_t) >= 8, "64-bit file offsets");
    return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool FileSource::Read(std::uint8_t* buffer, std::size_t want, std::size_t& got)
{
    got = std::fread(buffer, 1, want, file_);
    return got == want || !std::ferror(file_);
}

bool FileSink::Write(const std::uint8_t* data, std::size_t size)
{
    return std::fwrite(data, 1, size, file_) == size;
}

bool ReadAll(Source& source, std::vector<std::uint8_t>& bytes)
{
    std::uint8_t block[65536];
    for (;;) {
        std::size_t got = 0;
        if (!source.Read(block, sizeof block, got))
            return false;
        bytes.insert(bytes.end(), block, block + got);
        if (got < sizeof block)
            return true;
    }
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    File file;
    if (!file.Open(path, "rb"))
        return false;
    FileSource source(file.get());
    bytes.clear();
    return ReadAll(source, bytes);
}

} // namespace packer
