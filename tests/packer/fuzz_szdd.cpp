// Fuzz target: the SZDD codec. Any input must survive encode then expand unchanged, and any
// input read as SZDD must expand without a fault. Checks stay on in every build.
#include "packer/szdd.h"
#include "fuzz_check.h"
#include <cstring>

using namespace packer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemorySink packed;
    CHECK(EncodeSzdd(data, size, packed));
    CHECK(packed.bytes.size() <= SzddHeaderSize + size + (size + 7) / 8);
    MemorySource packedSource(packed.bytes);
    MemorySink expanded;
    ExpandInfo info;
    CHECK(Expand(packedSource, expanded, info) == ExpandStatus::Ok);
    CHECK(info.szdd && !info.cutShort && info.declaredLength == size && info.outputLength == size);
    CHECK(expanded.bytes.size() == size);
    CHECK(size == 0 || std::memcmp(expanded.bytes.data(), data, size) == 0);

    // The same bytes as a stream to expand: with a valid header prepended, and as they are.
    static const std::uint8_t header[SzddHeaderSize] = { 'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0, 0, 0, 0, 0 };
    MemorySink framed;
    framed.Write(header, sizeof header);
    framed.Write(data, size);
    MemorySource framedSource(framed.bytes);
    CountingSink framedSink;
    CHECK(Expand(framedSource, framedSink, info) == ExpandStatus::Ok);
    // A copy item turns 2 input bytes into at most 18.
    CHECK(info.outputLength <= 9 * static_cast<std::uint64_t>(size));
    MemorySource raw(data, size);
    CountingSink rawSink;
    ExpandStatus status = Expand(raw, rawSink, info);
    CHECK(status == ExpandStatus::Ok || status == ExpandStatus::UnknownMode);
    if (!info.szdd)
        CHECK(rawSink.count == size);
    return 0;
}
