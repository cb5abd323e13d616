// The Windows compress format (SZDD), as the platform's LZ32 expands it.
//
//   offset  size  field
//        0     8  magic: 'S' 'Z' 'D' 'D' 0x88 0xF0 0x27 0x33
//        8     1  mode: 'A' (the only one LZ32 knows; any other makes LZ32 refuse the file)
//        9     1  the last character of the original name (for names ending in '_'); 0 here
//       10     4  expanded length, little-endian; LZ32 does not use it
//       14   ...  groups of one flag byte and up to 8 items, lowest flag bit first:
//                   bit 1: one literal byte
//                   bit 0: two bytes AB CD: copy D + 3 bytes (3..18) from window slot 0xCAB
//
// The window is 4096 bytes, filled with spaces at the start; output byte k lands in slot
// (0xFF0 + k) & 0xFFF, and a copy reads and writes one byte at a time, so it may overlap
// what it writes. The data ends where the input ends. Data that does not start with the
// whole 14-byte header is not SZDD: LZ32 copies it unchanged.
#pragma once
#include "packer/byte_io.h"
#include <cstddef>
#include <cstdint>
#include <vector>

namespace packer {

constexpr std::size_t SzddHeaderSize = 14;
constexpr std::size_t SzddWindowSize = 4096;
constexpr std::uint8_t SzddModeLzss = 'A';
extern const std::uint8_t SzddMagic[8];

// True when data starts with the whole 8-byte magic (whatever follows).
bool HasSzddMagic(const std::uint8_t* data, std::size_t size);

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
