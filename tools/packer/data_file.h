// The setup data file (QNTXSetup.z): file records one after another, with no file header,
// count or trailer. It ends where a whole record header can no longer be read.
//
//   offset  size  field
//        0    64  name: destination relative to the target folder, NUL-terminated within
//                 the field, folders separated by '\'. "@\" first: the Windows system
//                 folder instead (the installer skips the character after the '@' unread)
//       64    64  label: shown while the record installs, NUL-terminated within the field
//      128     4  packedLength: unsigned little-endian count of the data bytes that follow
//      132     4  hidden: nonzero gives the installed file the hidden attribute
//      136   ...  data: SZDD (expanded by LZ32) or anything else (copied unchanged)
#pragma once
#include "packer/byte_io.h"
#include <cstddef>
#include <cstdint>
#include <string>

namespace packer {

constexpr std::size_t RecordHeaderSize = 136;
constexpr std::size_t RecordNameSize = 64;
constexpr std::size_t RecordLabelSize = 64;
// The text of a field, less its terminator.
constexpr std::size_t MaxNameLength = RecordNameSize - 1;
constexpr std::size_t MaxLabelLength = RecordLabelSize - 1;

struct RecordHeader {
    std::string name;
    std::string label;
    std::uint32_t packedLength = 0;
    std::uint32_t hidden = 0;
    bool nameTerminated = true;  // false: the field holds no NUL; `name` is all 64 bytes
    bool labelTerminated = true;
};

// Name and label must fit their fields (CheckRecordName, CheckLabel).
void PackRecordHeader(const RecordHeader& header, std::uint8_t out[RecordHeaderSize]);
RecordHeader UnpackRecordHeader(const std::uint8_t in[RecordHeaderSize]);

bool IsSystemName(const std::string& name);
// The path below the destination folder: for "@\x.dll" it is "x.dll".
std::string RelativePath(const std::string& name);

// Why a record name cannot stand in a data file, or an empty text when it can: the installer
// must find a plain file below its folder (no "..", no colon, no empty part) and the name
// must fit its field.
std::string CheckRecordName(const std::string& name);
std::string CheckLabel(const std::string& label);

// Reads records one after another from a Source.
class RecordReader {
public:
    explicit RecordReader(Source& in) : in_(in), data_(*this) {}

    enum class Result { Record, End, Fragment, ReadError };

    // The next record header. Any data of the previous record not read yet is skipped first.
    // Fragment: fewer than 136 bytes were left (fragmentSize() says how many).
    Result Next(RecordHeader& header);

    // The current record's data, exactly packedLength bytes unless the file ends first.
    Source& Data() { return data_; }
    // True once the data of the current record was found to run past the end of the file.
    bool truncated() const { return truncated_; }
    // Offset of the current record's header in the file.
    std::uint64_t recordOffset() const { return recordOffset_; }
    std::size_t fragmentSize() const { return fragmentSize_; }
    // Reads and discards the rest of the current record's data; false on a read failure.
    bool SkipData();

private:
    class DataSource : public Source {
    public:
        explicit DataSource(RecordReader& reader) : reader_(reader) {}
        bool Read(std::uint8_t* buffer, std::size_t want, std::size_t& got) override;

    private:
        RecordReader& reader_;
    };

    bool ReadRaw(std::uint8_t* buffer, std::size_t want, std::size_t& got);

    Source& in_;
    DataSource data_;
    std::uint64_t position_ = 0;
    std::uint64_t recordOffset_ = 0;
    std::uint64_t remaining_ = 0;
    std::size_t fragmentSize_ = 0;
    bool truncated_ = false;
};

// Appends one record: its header (packedLength from data) and data.
bool WriteRecord(Sink& out, const RecordHeader& header, const std::uint8_t* data, std::size_t size);

} // namespace packer
