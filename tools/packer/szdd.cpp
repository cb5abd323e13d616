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
// Bounds the search on long hash chains (runs of indentation); a deeper search gains
// almost nothing.
constexpr unsigned MaxChain = 1024;
// Parsing is optimal within a block; the block bounds the parser's memory.
constexpr std::size_t BlockSize = 1 << 16;
constexpr unsigned LiteralBits = 9;
constexpr unsigned CopyBits = 17;

// Collects items into flag groups and hands them to the sink in large blocks.
class ItemWriter {
public:
    explicit ItemWriter(Sink& sink) : sink_(sink) {}

    void Literal(std::uint8_t byte)
    {
        group_[0] |= static_cast<std::uint8_t>(1u << items_);
        group_[groupSize_++] = byte;
        Next();
    }

    void Copy(unsigned slot, unsigned length)
    {
        group_[groupSize_++] = static_cast<std::uint8_t>(slot & 0xFF);
        group_[groupSize_++] = static_cast<std::uint8_t>(((slot >> 4) & 0xF0) | (length - MinMatch));
        Next();
    }

    bool Finish()
    {
        if (items_)
            pending_.insert(pending_.end(), group_, group_ + groupSize_);
        return Flush();
    }

    bool ok() const { return ok_; }

private:
    static constexpr std::size_t OutputBlock = 1 << 16;

    void Next()
    {
        if (++items_ < 8)
            return;
        pending_.insert(pending_.end(), group_, group_ + groupSize_);
        items_ = 0;
        groupSize_ = 1;
        group_[0] = 0;
        if (pending_.size() >= OutputBlock)
            Flush();
    }

    bool Flush()
    {
        if (ok_ && !pending_.empty())
            ok_ = sink_.Write(pending_.data(), pending_.size());
        pending_.clear();
        return ok_;
    }

    Sink& sink_;
    std::vector<std::uint8_t> pending_;
    std::uint8_t group_[1 + 2 * 8] = {};
    std::size_t groupSize_ = 1;
    unsigned items_ = 0;
    bool ok_ = true;
};

// Longest earlier match for each position, by hash chains over the last 4096 positions.
// The hash table grows with the input, so small inputs cost little to set up.
class MatchFinder {
public:
    explicit MatchFinder(const std::vector<std::uint8_t>& buffer)
        : buffer_(buffer), hashBits_(HashBits(buffer.size())), head_(std::size_t(1) << hashBits_, None),
          previous_(SzddWindowSize, None)
    {
    }

    void Insert(std::size_t position)
    {
        if (position + MinMatch > buffer_.size())
            return;
        unsigned h = Hash(position);
        previous_[position & WindowMask] = head_[h];
        head_[h] = static_cast<std::uint32_t>(position);
    }

    // Length (0 when under MinMatch) and source of the longest match at position, at most
    // `limit` bytes long.
    unsigned Longest(std::size_t position, unsigned limit, std::size_t& source) const
    {
        if (limit < MinMatch)
            return 0;
        const std::uint8_t* here = buffer_.data() + position;
        unsigned best = MinMatch - 1;
        unsigned chain = 0;
        for (std::uint32_t candidate = head_[Hash(position)];
             candidate != None && position - candidate <= MaxDistance && chain < MaxChain;
             candidate = previous_[candidate & WindowMask], ++chain) {
            const std::uint8_t* there = buffer_.data() + candidate;
            if (there[best] == here[best]) {
                unsigned length = 0;
                while (length < limit && there[length] == here[length])
                    ++length;
                if (length > best) {
                    best = length;
                    source = candidate;
                    if (best == limit)
                        break;
                }
            }
        }
        return best >= MinMatch ? best : 0;
    }

private:
    static constexpr std::uint32_t None = 0xFFFFFFFF;

    static unsigned HashBits(std::size_t size)
    {
        unsigned bits = 10;
        while (bits < 16 && (std::size_t(1) << bits) < size)
            ++bits;
        return bits;
    }

    unsigned Hash(std::size_t p) const
    {
        std::uint32_t key = (static_cast<std::uint32_t>(buffer_[p]) << 16) | (static_cast<std::uint32_t>(buffer_[p + 1]) << 8)
            | buffer_[p + 2];
        return (key * 2654435761u) >> (32 - hashBits_);
    }

    const std::vector<std::uint8_t>& buffer_;
    unsigned hashBits_;
    std::vector<std::uint32_t> head_;
    std::vector<std::uint32_t> previous_;
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

bool EncodeSzdd(const std::uint8_t* data, std::size_t size, Sink& out)
{
    // The header counts in 32 bits; positions, spaces included, must stay below 2^32 - 1.
    if (size > std::numeric_limits<std::uint32_t>::max() - MaxMatch - 1)
        return false;
    std::uint8_t header[SzddHeaderSize];
    std::memcpy(header, SzddMagic, sizeof SzddMagic);
    header[SzddModeOffset] = SzddModeLzss;
    header[9] = 0;
    PutLittleEndian32(header + SzddLengthOffset, static_cast<std::uint32_t>(size));
    if (!out.Write(header, sizeof header))
        return false;

    // The window's initial spaces stand before the data, so copies may start in them. A copy
    // from 18 or more spaces back matches like any deeper one, so 18 of them stand for all.
    std::vector<std::uint8_t> buffer(MaxMatch + size, ' ');
    if (size)
        std::memcpy(buffer.data() + MaxMatch, data, size);
    const std::size_t start = MaxMatch;
    MatchFinder finder(buffer);
    for (std::size_t p = 0; p < start; ++p)
        finder.Insert(p);

    ItemWriter writer(out);
    const std::size_t blockSize = std::min(BlockSize, size);
    std::vector<std::uint8_t> length(blockSize);
    std::vector<std::uint32_t> source(blockSize);
    std::vector<std::uint32_t> cost(blockSize + 1);
    std::vector<std::uint8_t> choice(blockSize);
    for (std::size_t blockStart = start; blockStart < buffer.size() && writer.ok(); blockStart += BlockSize) {
        std::size_t blockEnd = std::min(buffer.size(), blockStart + BlockSize);
        std::size_t count = blockEnd - blockStart;
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t p = blockStart + i;
            std::size_t from = 0;
            unsigned limit = static_cast<unsigned>(std::min<std::size_t>(MaxMatch, blockEnd - p));
            length[i] = static_cast<std::uint8_t>(finder.Longest(p, limit, from));
            source[i] = static_cast<std::uint32_t>(p - from);
            finder.Insert(p);
        }
        // Cheapest parse of the block: a literal costs 9 bits, a copy of any length 17.
        cost[count] = 0;
        for (std::size_t i = count; i-- > 0;) {
            cost[i] = LiteralBits + cost[i + 1];
            choice[i] = 1;
            for (unsigned l = MinMatch; l <= length[i]; ++l) {
                std::uint32_t c = CopyBits + cost[i + l];
                if (c < cost[i]) {
                    cost[i] = c;
                    choice[i] = static_cast<std::uint8_t>(l);
                }
            }
        }
        for (std::size_t i = 0; i < count;) {
            std::size_t p = blockStart + i;
            if (choice[i] == 1) {
                writer.Literal(buffer[p]);
                ++i;
            } else {
                // Window slot of the source: its distance back from this output byte's slot.
                std::size_t outputIndex = p - start;
                unsigned slot = static_cast<unsigned>((FirstSlot + outputIndex - source[i]) & WindowMask);
                writer.Copy(slot, choice[i]);
                i += choice[i];
            }
        }
    }
    return writer.Finish();
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
