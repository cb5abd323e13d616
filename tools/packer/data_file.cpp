#include "packer/data_file.h"
#include "format/little_endian.h"
#include <algorithm>
#include <cctype>
#include <cstring>

namespace packer {

namespace {

std::string FieldText(const std::uint8_t* field, std::size_t size, bool& terminated)
{
    const std::uint8_t* end = std::find(field, field + size, 0);
    terminated = end != field + size;
    return std::string(reinterpret_cast<const char*>(field), static_cast<std::size_t>(end - field));
}

} // namespace

void PackRecordHeader(const RecordHeader& header, std::uint8_t out[RecordHeaderSize])
{
    std::memset(out, 0, RecordHeaderSize);
    std::memcpy(out, header.name.data(), std::min(header.name.size(), MaxNameLength));
    std::memcpy(out + RecordLabelOffset, header.label.data(), std::min(header.label.size(), MaxLabelLength));
    PutLittleEndian32(out + RecordPackedLengthOffset, header.packedLength);
    PutLittleEndian32(out + RecordHiddenOffset, header.hidden);
}

RecordHeader UnpackRecordHeader(const std::uint8_t in[RecordHeaderSize])
{
    RecordHeader header;
    header.name = FieldText(in, RecordNameSize, header.nameTerminated);
    header.label = FieldText(in + RecordLabelOffset, RecordLabelSize, header.labelTerminated);
    header.packedLength = GetLittleEndian32(in + RecordPackedLengthOffset);
    header.hidden = GetLittleEndian32(in + RecordHiddenOffset);
    return header;
}

bool IsSystemName(const std::string& name)
{
    return !name.empty() && IsSystemRecordName(name.c_str());
}

std::string RelativePath(const std::string& name)
{
    if (!IsSystemName(name))
        return name;
    return name.size() > 2 ? name.substr(2) : std::string();
}

std::string CheckRecordName(const std::string& name)
{
    switch (::CheckRecordName(name.data(), name.size())) {
    case RecordNameOk:
        return std::string();
    case RecordNameTooLong:
        return "name is " + std::to_string(name.size()) + " bytes long; at most " + std::to_string(MaxNameLength)
            + " fit";
    case RecordNameNoFile:
        return name.empty() ? "name is empty" : "name gives no file";
    case RecordNameBadSystemMarker:
        return "name for the system folder must start with \"@\\\"";
    case RecordNameColon:
        return "name contains a colon";
    case RecordNameSlash:
        return "name contains '/'; separate folders with '\\'";
    case RecordNameBadCharacter:
        return "name contains a character Windows does not allow in file names";
    case RecordNameEmptyPart:
        return "name has an empty folder or file name (a doubled or trailing '\\')";
    case RecordNameDotPart:
        return "name has a '.' or '..' part, which would leave the target folder";
    case RecordNameTrailingDot:
        return "name has a part ending in a blank or '.', which Windows drops";
    case RecordNameDevice:
        return "name has a part that Windows takes for a device (CON, PRN, AUX, NUL, COM1, LPT1 ...)";
    }
    return "name is refused";
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
