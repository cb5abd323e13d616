// The packer's SZDD codec: an encoder whose output LZ32 expands byte-exactly, and an
// expander that does what LZ32 does. The format is mapped in format/szdd_format.h.
#pragma once
#include "format/szdd_format.h"
#include "packer/byte_io.h"
#include <cstddef>
#include <cstdint>
#include <vector>

namespace packer {


// The most the encoder takes: the header counts in 32 bits, and so do positions in the input
// with the window's initial spaces before it.
constexpr std::uint64_t MaxEncodeSize = 0xFFFFFF00u;

enum class EncodeStatus { Ok, ReadError, WriteError, TooLarge };

// Packs everything `in` gives, to its end, into SZDD, a block at a time: memory use does not
// depend on the size of the input. The header states `length` (what the caller expects to
// read; `consumed` tells what was). TooLarge: the input ran past MaxEncodeSize.
EncodeStatus EncodeSzdd(Source& in, std::uint32_t length, Sink& out, std::uint64_t& consumed);
// Packs data into SZDD. False when the sink fails or data is larger than MaxEncodeSize.
bool EncodeSzdd(const std::uint8_t* data, std::size_t size, Sink& out);
std::vector<std::uint8_t> EncodeSzdd(const std::vector<std::uint8_t>& data);

enum class ExpandStatus { Ok, UnknownMode, ReadError, WriteError };

struct ExpandInfo {
    bool szdd = false;                // a whole header with the magic was found
    std::uint8_t header[SzddHeaderSize] = {};
    std::size_t headerBytes = 0;      // how much of `header` was read
    std::uint8_t mode = 0;
    std::uint32_t declaredLength = 0; // the header's expanded length
    std::uint64_t outputLength = 0;   // bytes written to the sink
    bool cutShort = false;            // the input ended inside a copy item
};

// Does what LZ32 does: expands SZDD data, copies anything else unchanged. A copy item cut
// short by the end of the input is dropped (as LZ32 does) and flagged in `info`.
ExpandStatus Expand(Source& in, Sink& out, ExpandInfo& info);

const char* DescribeExpandStatus(ExpandStatus status);

} // namespace packer
