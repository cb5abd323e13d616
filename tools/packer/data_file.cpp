#include "packer/data_file.h"
#include <algorithm>
#include <cctype>
#include <cstring>

namespace packer {

namespace {

void PutLittleEndian32(std::uint8_t* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLittleEndian32(const std::uint8_t* in)
{
    return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8)
        | (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

std::string FieldText(const std::uint8_t* field, std::size_t size, bool& terminated)
{
    const std::uint8_t* end = std::find(field, field + size, 0);
    terminated = end != field + size;
    return std::string(reinterpret_cast<const char*>(field), static_cast<std::size_t>(end - field));
}

// Windows opens a device for these names, with any extension and blanks before it; the
// installer refuses them.
bool IsDeviceName(const std::string& part)
{
    std::string stem = part.substr(0, part.find('.'));
    stem.erase(stem.find_last_not_of(' ') + 1);
    for (char& c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" })
        if (stem == device)
            return true;
    if (stem.size() != 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0))
        return false;
    unsigned char digit = static_cast<unsigned char>(stem[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// One folder or file name between backslashes.
std::string CheckComponent(const std::string& part)
{
    if (part.empty())
        return "has an empty folder or file name (a doubled or trailing '\\')";
    // Windows drops trailing dots and blanks, so "..", "..." and ". ." all climb out.
    if (part.find_first_not_of(". ") == std::string::npos)
        return "has a '.' or '..' part, which would leave the target folder";
    if (part.back() == ' ' || part.back() == '.')
        return "has a part ending in a blank or '.', which Windows drops";
    if (IsDeviceName(part))
        return "has a part that Windows takes for a device (CON, PRN, AUX, NUL, COM1, LPT1 ...)";
    return std::string();
}

} // namespace

void PackRecordHeader(const RecordHeader& header, std::uint8_t out[RecordHeaderSize])
{
    std::memset(out, 0, RecordHeaderSize);
    std::memcpy(out, header.name.data(), std::min(header.name.size(), MaxNameLength));
    std::memcpy(out + RecordNameSize, header.label.data(), std::min(header.label.size(), MaxLabelLength));
    PutLittleEndian32(out + 128, header.packedLength);
    PutLittleEndian32(out + 132, header.hidden);
}

RecordHeader UnpackRecordHeader(const std::uint8_t in[RecordHeaderSize])
{
    RecordHeader header;
    header.name = FieldText(in, RecordNameSize, header.nameTerminated);
    header.label = FieldText(in + RecordNameSize, RecordLabelSize, header.labelTerminated);
    header.packedLength = GetLittleEndian32(in + 128);
    header.hidden = GetLittleEndian32(in + 132);
    return header;
}

bool IsSystemName(const std::string& name)
{
    return !name.empty() && name[0] == '@';
}

std::string RelativePath(const std::string& name)
{
    if (!IsSystemName(name))
        return name;
    return name.size() > 2 ? name.substr(2) : std::string();
}

std::string CheckRecordName(const std::string& name)
{
    if (name.empty())
        return "name is empty";
    if (name.size() > MaxNameLength)
        return "name is " + std::to_string(name.size()) + " bytes long; at most " + std::to_string(MaxNameLength)
            + " fit";
    if (IsSystemName(name) && (name.size() < 2 || name[1] != '\\'))
        return "name for the system folder must start with \"@\\\"";
    std::string path = RelativePath(name);
    if (path.empty())
        return "name gives no file";
    for (unsigned char c : path) {
        if (c < 32 || std::strchr("<>:\"/|?*", c)) {
            if (c == ':')
                return "name contains a colon";
            if (c == '/')
                return "name contains '/'; separate folders with '\\'";
            return "name contains a character Windows does not allow in file names";
        }
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t end = path.find('\\', start);
        std::string problem = CheckComponent(path.substr(start, end == std::string::npos ? end : end - start));
        if (!problem.empty())
            return "name " + problem;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return std::string();
}

std::string CheckLabel(const std::string& label)
{
    if (label.size() > MaxLabelLength)
        return "label is " + std::to_string(label.size()) + " bytes long; at most " + std::to_string(MaxLabelLength)
            + " fit";
    if (label.find('\0') != std::string::npos)
        return "label contains a NUL byte";
    return std::string();
}

bool RecordReader::ReadRaw(std::uint8_t* buffer, std::size_t want, std::size_t& got)
{
    got = 0;
    // A Source may deliver less than asked only at its end; keep asking until it says so.
    while (got < want) {
        std::size_t part = 0;
        if (!in_.Read(buffer + got, want - got, part))
            return false;
        got += part;
        position_ += part;
        if (part == 0)
            break;
    }
    return true;
}

RecordReader::Result RecordReader::Next(RecordHeader& header)
{
    if (!SkipData())
        return Result::ReadError;
    std::uint8_t raw[RecordHeaderSize];
    std::size_t got = 0;
    recordOffset_ = position_;
    if (!ReadRaw(raw, sizeof raw, got))
        return Result::ReadError;
    if (got == 0)
        return Result::End;
    if (got < sizeof raw) {
        fragmentSize_ = got;
        return Result::Fragment;
    }
    header = UnpackRecordHeader(raw);
    remaining_ = header.packedLength;
    truncated_ = false;
    return Result::Record;
}

bool RecordReader::DataSource::Read(std::uint8_t* buffer, std::size_t want, std::size_t& got)
{
    RecordReader& r = reader_;
    std::size_t ask = static_cast<std::size_t>(std::min<std::uint64_t>(want, r.remaining_));
    if (!r.ReadRaw(buffer, ask, got))
        return false;
    r.remaining_ -= got;
    if (got < ask) {
        r.truncated_ = true;
        r.remaining_ = 0;
    }
    return true;
}

bool RecordReader::SkipData()
{
    std::uint8_t block[16384];
    while (remaining_ > 0) {
        std::size_t got = 0;
        if (!data_.Read(block, sizeof block, got))
            return false;
    }
    return true;
}

bool WriteRecord(Sink& out, const RecordHeader& header, const std::uint8_t* data, std::size_t size)
{
    if (size > UINT32_MAX)
        return false;
    RecordHeader h = header;
    h.packedLength = static_cast<std::uint32_t>(size);
    std::uint8_t raw[RecordHeaderSize];
    PackRecordHeader(h, raw);
    return out.Write(raw, sizeof raw) && (size == 0 || out.Write(data, size));
}

} // namespace packer
