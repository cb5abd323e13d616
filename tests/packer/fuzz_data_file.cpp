// Fuzz target: the setup data file reader. Any bytes must read without a fault; every record
// that reads back whole must write out to the same bytes, and its data must expand as LZ32
// would. Checks stay on in every build.
#include "packer/data_file.h"
#include "packer/szdd.h"
#include "fuzz_check.h"
#include <cstring>

using namespace packer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemorySource source(data, size);
    RecordReader reader(source);
    RecordHeader header;
    std::uint64_t consumed = 0;
    for (;;) {
        RecordReader::Result result = reader.Next(header);
        CHECK(result != RecordReader::Result::ReadError);
        CHECK(reader.recordOffset() == consumed);
        if (result == RecordReader::Result::End) {
            CHECK(consumed == size);
            break;
        }
        if (result == RecordReader::Result::Fragment) {
            CHECK(reader.fragmentSize() > 0 && reader.fragmentSize() < RecordHeaderSize);
            CHECK(consumed + reader.fragmentSize() == size);
            break;
        }
        const std::uint8_t* raw = data + consumed;
        CHECK(header.name.size() <= RecordNameSize && header.label.size() <= RecordLabelSize);
        CHECK(header.nameTerminated == (header.name.size() < RecordNameSize));
        // The naming rule must judge any name without a fault.
        // The naming rule must judge any name without a fault, and never pass one that climbs.
        if (CheckRecordName(header.name).empty()) {
            CHECK(header.name.find(':') == std::string::npos);
            std::string path = RelativePath(header.name) + "\\";
            for (std::size_t start = 0, end; (end = path.find('\\', start)) != std::string::npos; start = end + 1) {
                std::string part = path.substr(start, end - start);
                CHECK(!part.empty() && part != "." && part != "..");
            }
        }

        MemorySink expanded;
        ExpandInfo info;
        ExpandStatus status = Expand(reader.Data(), expanded, info);
        CHECK(status == ExpandStatus::Ok || (status == ExpandStatus::UnknownMode && info.mode != SzddModeLzss));
        std::uint64_t available = size - consumed - RecordHeaderSize;
        std::uint64_t taken = header.packedLength < available ? header.packedLength : available;
        // The expansion stops early on an unknown mode: a short record is known only once the
        // rest of its data has been read.
        CHECK(reader.SkipData());
        CHECK(reader.truncated() == (header.packedLength > available));
        if (!info.szdd) {
            CHECK(expanded.bytes.size() == taken);
            CHECK(taken == 0 || std::memcmp(expanded.bytes.data(), raw + RecordHeaderSize, taken) == 0);
        }
        // A record with terminated fields writes back to the very same header bytes, as long
        // as nothing follows the terminators.
        if (header.nameTerminated && header.labelTerminated) {
            std::uint8_t again[RecordHeaderSize];
            PackRecordHeader(header, again);
            bool clean = true;
            for (std::size_t i = header.name.size(); i < RecordNameSize; ++i)
                clean = clean && raw[i] == 0;
            for (std::size_t i = header.label.size(); i < RecordLabelSize; ++i)
                clean = clean && raw[RecordNameSize + i] == 0;
            if (clean)
                CHECK(std::memcmp(again, raw, RecordHeaderSize) == 0);
        }
        consumed += RecordHeaderSize + taken;
    }
    return 0;
}
