// Reading and writing the setup data file. Its layout and the record-name rule stand in
// format/setup_data_format.h, which the installer compiles too.
#pragma once
#include "format/setup_data_format.h"
#include "packer/byte_io.h"
#include <cstddef>
#include <cstdint>
#include <string>

namespace packer {

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

// Why a record name cannot stand in a data file, or an empty text when it can: the
// installer's own rule (::CheckRecordName), worded for the vendor.
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
