#include "packer/szdd.h"
#include "format/little_endian.h"
#include <algorithm>
#include <cstring>
#include <limits>

namespace packer {

namespace {

constexpr unsigned WindowMask = SzddWindowSize - 1;
constexpr unsigned FirstSlot = 0xFF0;
constexpr unsigned MinMatch = 3;
constexpr unsigned MaxMatch = 18;
// A copy reaches back no further than the classic encoder did (the window less its
// lookahead): every expander handles that, whatever order it reads and writes its window in.
constexpr unsigned MaxDistance = SzddWindowSize - MaxMatch;
// Bounds the search on long hash chains (runs of indentation, zeros): with lazy parsing, 32
// candidates pack within 2 % of an optimal parse over an exhaustive search, in a tenth of
// its time.
constexpr unsigned MaxChain = 32;
// A match of this length is taken without looking at the next position.
constexpr unsigned LazyLimit = MaxMatch;
// The input is read and packed a block at a time; a copy does not cross a block's end.
constexpr std::size_t BlockSize = 1 << 16;

// Collects items into flag groups and hands them to the sink in large blocks.
class ItemWriter {
public:
    explicit ItemWriter(Sink& sink) : sink_(sink) {}

    void Literal(std::uint8_t byte)
    {
        flags_ |= static_cast<std::uint8_t>(1u << items_);
        block_[size_++] = byte;
        Next();
    }

    void Copy(unsigned slot, unsigned length)
    {
        block_[size_++] = static_cast<std::uint8_t>(slot & 0xFF);
        block_[size_++] = static_cast<std::uint8_t>(((slot >> 4) & 0xF0) | (length - MinMatch));
        Next();
    }

    bool Finish()
    {
        if (items_)
            block_[flagAt_] = flags_;
        else
            size_ = flagAt_;
        return Flush();
    }

    bool ok() const { return ok_; }

private:
    static constexpr std::size_t OutputBlock = 1 << 16;
    static constexpr std::size_t GroupSize = 1 + 2 * 8;

    void Next()
    {
        if (++items_ < 8)
            return;
        block_[flagAt_] = flags_;
        items_ = 0;
        flags_ = 0;
        if (size_ + GroupSize > sizeof block_)
            Flush();
        flagAt_ = size_++;
    }

    bool Flush()
    {
        if (ok_ && size_)
            ok_ = sink_.Write(block_, size_);
        size_ = 0;
        return ok_;
    }

    Sink& sink_;
    // Room for one more whole group always stays: the flag byte is reserved as a group starts.
    std::uint8_t block_[OutputBlock];
    std::size_t size_ = 1;
    std::size_t flagAt_ = 0;
    std::uint8_t flags_ = 0;
    unsigned items_ = 0;
    bool ok_ = true;
};

// How many of the first `limit` (at most MaxMatch) bytes at a and b agree. Both may be read
// 24 bytes on, whatever the limit.
unsigned MatchLength(const std::uint8_t* a, const std::uint8_t* b, unsigned limit)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    for (unsigned at = 0; at < limit; at += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + at, 8);
        std::memcpy(&y, b + at, 8);
        if (x != y)
            return std::min(limit, at + static_cast<unsigned>(__builtin_ctzll(x ^ y)) / 8);
    }
    return limit;
#else
    unsigned length = 0;
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
#endif
}

// The encoder's state: a sliding buffer over the input (the window behind the block being
// packed, then the block) and hash chains over the last 4096 positions. Positions count from
// the start of the window's initial spaces, so they fit 32 bits for any input it accepts.
class Encoder {
public:
    explicit Encoder(std::uint64_t sizeHint)
        : hashBits_(HashBits(sizeHint)), head_(std::size_t(1) << hashBits_, None), previous_(SzddWindowSize, None),
          buffer_(SzddWindowSize + BlockSize + Padding, ' ')
    {
    }

    EncodeStatus Run(Source& in, Sink& out, std::uint64_t& consumed)
    {
        // The window's initial spaces stand before the data, so copies may start in them. A
        // copy from 18 or more spaces back matches like any deeper one, so 18 of them stand
        // for all.
        std::uint32_t blockStart = Start;
        std::size_t kept = Start;
        ItemWriter writer(out);
        consumed = 0;
        for (;;) {
            std::size_t got = 0;
            if (!in.Read(buffer_.data() + kept, BlockSize, got))
                return EncodeStatus::ReadError;
            if (got > MaxEncodeSize - consumed)
                return EncodeStatus::TooLarge;
            consumed += got;
            base_ = blockStart - static_cast<std::uint32_t>(kept);
            end_ = blockStart + static_cast<std::uint32_t>(got);
            PackBlock(blockStart, writer);
            if (!writer.ok())
                return EncodeStatus::WriteError;
            if (got < BlockSize)
                break;
            // Keep the window behind the next block.
            blockStart = end_;
            kept = SzddWindowSize;
            std::memmove(buffer_.data(), buffer_.data() + (blockStart - SzddWindowSize - base_), kept);
        }
        return writer.Finish() ? EncodeStatus::Ok : EncodeStatus::WriteError;
    }

private:
    static constexpr std::uint32_t None = 0xFFFFFFFF;
    static constexpr std::uint32_t Start = MaxMatch;
    static constexpr std::size_t Padding = 32; // MatchLength reads up to 24 bytes on

    static unsigned HashBits(std::uint64_t size)
    {
        unsigned bits = 10;
        while (bits < 15 && (std::uint64_t(1) << bits) < size)
            ++bits;
        return bits;
    }

    const std::uint8_t* At(std::uint32_t position) const { return buffer_.data() + (position - base_); }

    unsigned Hash(const std::uint8_t* p) const
    {
        std::uint32_t key = (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
        return (key * 2654435761u) >> (32 - hashBits_);
    }

    // Adds every position before `until` whose three bytes have been read.
    void InsertUpTo(std::uint32_t until)
    {
        until = std::min(until, end_ - std::min<std::uint32_t>(end_, MinMatch - 1));
        for (; inserted_ < until; ++inserted_) {
            unsigned h = Hash(At(inserted_));
            previous_[inserted_ & WindowMask] = head_[h];
            head_[h] = inserted_;
        }
    }

    // Length (0 when under MinMatch) and distance of the longest match at position, at most
    // `limit` bytes long.
    unsigned Longest(std::uint32_t position, unsigned limit, std::uint32_t& distance) const
    {
        if (limit < MinMatch)
            return 0;
        const std::uint8_t* here = At(position);
        unsigned best = MinMatch - 1;
        unsigned chain = 0;
        for (std::uint32_t candidate = head_[Hash(here)];
             candidate != None && position - candidate <= MaxDistance && chain < MaxChain;
             candidate = previous_[candidate & WindowMask], ++chain) {
            const std::uint8_t* there = At(candidate);
            if (there[best] != here[best])
                continue;
            unsigned length = MatchLength(here, there, limit);
            if (length > best) {
                best = length;
                distance = position - candidate;
                if (best == limit)
                    break;
            }
        }
        return best >= MinMatch ? best : 0;
    }

    // The longest match at position within the data read (0 at its end).
    unsigned LongestAt(std::uint32_t position, std::uint32_t& distance) const
    {
        return position < end_ ? Longest(position, std::min<std::uint32_t>(MaxMatch, end_ - position), distance) : 0;
    }

    // Lazy parsing: a match is taken unless the next position starts a longer one.
    void PackBlock(std::uint32_t blockStart, ItemWriter& writer)
    {
        InsertUpTo(blockStart);
        std::uint32_t p = blockStart;
        std::uint32_t distance = 0;
        unsigned length = LongestAt(p, distance);
        while (p < end_) {
            InsertUpTo(p + 1);
            if (length < MinMatch) {
                writer.Literal(*At(p));
                ++p;
                length = LongestAt(p, distance);
                continue;
            }
            if (length < LazyLimit && p + 1 < end_) {
                std::uint32_t nextDistance = 0;
                unsigned next = LongestAt(p + 1, nextDistance);
                if (next > length) {
                    writer.Literal(*At(p));
                    ++p;
                    length = next;
                    distance = nextDistance;
                    continue;
                }
            }
            // Window slot of the source: its distance back from this output byte's slot.
            writer.Copy((FirstSlot + (p - Start) - distance) & WindowMask, length);
            p += length;
            InsertUpTo(p);
            length = LongestAt(p, distance);
        }
    }

    unsigned hashBits_;
    std::vector<std::uint32_t> head_;
    std::vector<std::uint32_t> previous_;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t base_ = 0;     // the position of buffer_[0]
    std::uint32_t end_ = 0;      // the position after the last byte read
    std::uint32_t inserted_ = 0; // the next position to add to the hash chains
};

// Reads a Source through a buffer, one byte at a time.
class ByteReader {
public:
    explicit ByteReader(Source& source) : source_(source) {}

    // The next byte, or -1 at the end or on a failure (see failed()).
    int Next()
    {
        if (position_ == size_) {
            if (ended_)
                return -1;
            std::size_t got = 0;
            if (!source_.Read(buffer_, sizeof buffer_, got)) {
                failed_ = true;
                ended_ = true;
                return -1;
            }
            ended_ = got < sizeof buffer_;
            size_ = got;
            position_ = 0;
            if (!got)
                return -1;
        }
        return buffer_[position_++];
    }

    // Up to `want` bytes; fewer only at the end.
    std::size_t Take(std::uint8_t* out, std::size_t want)
    {
        std::size_t taken = 0;
        int c;
        while (taken < want && (c = Next()) >= 0)
            out[taken++] = static_cast<std::uint8_t>(c);
        return taken;
    }

    bool failed() const { return failed_; }

private:
    Source& source_;
    std::uint8_t buffer_[4096];
    std::size_t size_ = 0;
    std::size_t position_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

class OutputBuffer {
public:
    explicit OutputBuffer(Sink& sink, std::uint64_t& count) : sink_(sink), count_(count) {}

    void Put(std::uint8_t byte)
    {
        buffer_[size_++] = byte;
        if (size_ == sizeof buffer_)
            Flush();
    }

    bool Flush()
    {
        if (ok_ && size_)
            ok_ = sink_.Write(buffer_, size_);
        if (ok_)
            count_ += size_;
        size_ = 0;
        return ok_;
    }

    bool ok() const { return ok_; }

private:
    Sink& sink_;
    std::uint64_t& count_;
    std::uint8_t buffer_[8192];
    std::size_t size_ = 0;
    bool ok_ = true;
};

ExpandStatus ExpandLzss(ByteReader& in, OutputBuffer& out, ExpandInfo& info)
{
    std::uint8_t window[SzddWindowSize];
    std::memset(window, ' ', sizeof window);
    unsigned slot = FirstSlot;
    unsigned flags = 0;
    unsigned flagsLeft = 0;
    for (;;) {
        if (!flagsLeft) {
            int c = in.Next();
            if (c < 0)
                break;
            flags = static_cast<unsigned>(c);
            flagsLeft = 8;
        }
        bool literal = flags & 1;
        flags >>= 1;
        --flagsLeft;
        if (literal) {
            int c = in.Next();
            if (c < 0)
                break;
            window[slot] = static_cast<std::uint8_t>(c);
            slot = (slot + 1) & WindowMask;
            out.Put(static_cast<std::uint8_t>(c));
        } else {
            int low = in.Next();
            if (low < 0)
                break;
            int high = in.Next();
            if (high < 0) {
                info.cutShort = !in.failed();
                break;
            }
            unsigned from = static_cast<unsigned>(low) | ((static_cast<unsigned>(high) & 0xF0) << 4);
            unsigned length = (static_cast<unsigned>(high) & 0x0F) + MinMatch;
            for (unsigned k = 0; k < length; ++k) {
                std::uint8_t byte = window[(from + k) & WindowMask];
                window[slot] = byte;
                slot = (slot + 1) & WindowMask;
                out.Put(byte);
            }
        }
        if (!out.ok())
            return ExpandStatus::WriteError;
    }
    if (in.failed())
        return ExpandStatus::ReadError;
    return out.Flush() ? ExpandStatus::Ok : ExpandStatus::WriteError;
}

} // namespace

EncodeStatus EncodeSzdd(Source& in, std::uint32_t length, Sink& out, std::uint64_t& consumed)
{
    consumed = 0;
    std::uint8_t header[SzddHeaderSize];
    std::memcpy(header, SzddMagic, sizeof SzddMagic);
    header[SzddModeOffset] = SzddModeLzss;
    header[9] = 0;
    PutLittleEndian32(header + SzddLengthOffset, length);
    if (!out.Write(header, sizeof header))
        return EncodeStatus::WriteError;
    Encoder encoder(length);
    return encoder.Run(in, out, consumed);
}

bool EncodeSzdd(const std::uint8_t* data, std::size_t size, Sink& out)
{
    if (size > MaxEncodeSize)
        return false;
    MemorySource source(data, size);
    std::uint64_t consumed = 0;
    return EncodeSzdd(source, static_cast<std::uint32_t>(size), out, consumed) == EncodeStatus::Ok;
}

std::vector<std::uint8_t> EncodeSzdd(const std::vector<std::uint8_t>& data)
{
    MemorySink sink;
    EncodeSzdd(data.data(), data.size(), sink);
    return std::move(sink.bytes);
}

ExpandStatus Expand(Source& in, Sink& out, ExpandInfo& info)
{
    info = ExpandInfo();
    ByteReader reader(in);
    OutputBuffer output(out, info.outputLength);
    info.headerBytes = reader.Take(info.header, SzddHeaderSize);
    if (reader.failed())
        return ExpandStatus::ReadError;
    info.szdd = info.headerBytes == SzddHeaderSize && HasSzddMagic(info.header, info.headerBytes);
    if (!info.szdd) {
        for (std::size_t i = 0; i < info.headerBytes; ++i)
            output.Put(info.header[i]);
        for (int c; (c = reader.Next()) >= 0;)
            output.Put(static_cast<std::uint8_t>(c));
        if (reader.failed())
            return ExpandStatus::ReadError;
        return output.Flush() ? ExpandStatus::Ok : ExpandStatus::WriteError;
    }
    info.mode = info.header[SzddModeOffset];
    info.declaredLength = GetLittleEndian32(info.header + SzddLengthOffset);
    if (info.mode != SzddModeLzss)
        return ExpandStatus::UnknownMode;
    return ExpandLzss(reader, output, info);
}

const char* DescribeExpandStatus(ExpandStatus status)
{
    switch (status) {
    case ExpandStatus::Ok:
        return "ok";
    case ExpandStatus::UnknownMode:
        return "SZDD header names an unknown compression mode";
    case ExpandStatus::ReadError:
        return "read error";
    case ExpandStatus::WriteError:
        return "write error";
    }
    return "?";
}

} // namespace packer
