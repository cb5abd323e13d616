#include "packer/commands.h"
#include "packer/byte_io.h"
#include "packer/data_file.h"
#include "packer/manifest.h"
#include "packer/szdd.h"
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <sstream>

namespace fs = std::filesystem;

namespace packer {

namespace {

// A record's packedLength counts in 32 bits, and packed data may grow by one flag byte in
// eight: 3.5 GiB packs into less than 4 GiB whatever it holds.
constexpr std::uint64_t MaxSourceSize = 0xE0000000u;
constexpr const char* MaxSourceText = "3.5 GiB (3758096384 bytes)";

// A one-line counter on stderr, redrawn in place; only when stderr is a terminal.
class Progress {
public:
    Progress(Console& console, const char* verb) : console_(console), verb_(verb) {}
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress() { Clear(); }

    void Show(const std::string& counter, const std::string& name)
    {
        if (!console_.progress)
            return;
        std::string text = verb_ + " " + counter + ": " + name;
        if (text.size() > 72)
            text = text.substr(0, 69) + "...";
        std::size_t width = text.size();
        if (text.size() < shown_)
            text.append(shown_ - text.size(), ' ');
        console_.err << '\r' << text << std::flush;
        shown_ = width;
    }

    void Clear()
    {
        if (!console_.progress || !shown_)
            return;
        console_.err << '\r' << std::string(shown_, ' ') << '\r' << std::flush;
        shown_ = 0;
    }

private:
    Console& console_;
    std::string verb_;
    std::size_t shown_ = 0;
};

std::string Percent(std::uint64_t part, std::uint64_t whole)
{
    return std::to_string(whole ? part * 100 / whole : 100) + "%";
}

std::string SystemError()
{
    return std::strerror(errno);
}

// Where a record goes when extracted into `folder`: the system folder's files into "@system".
fs::path ExtractedPath(const fs::path& folder, const std::string& name)
{
    fs::path path = folder;
    if (IsSystemName(name))
        path /= "@system";
    std::string relative = RelativePath(name);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = relative.find('\\', start);
        path /= relative.substr(start, end == std::string::npos ? end : end - start);
        if (end == std::string::npos)
            return path;
        start = end + 1;
    }
}

// Runs every check `verify` makes on one record while its data streams into `sink`.
// Returns the first problem, or an empty text.
std::string CheckRecord(RecordReader& reader, const RecordHeader& header, Sink& sink)
{
    if (!header.nameTerminated)
        return "name field holds no NUL";
    std::string problem = CheckRecordName(header.name);
    if (!problem.empty())
        return problem;
    if (!header.labelTerminated)
        return "label field holds no NUL";
    ExpandInfo info;
    ExpandStatus status = Expand(reader.Data(), sink, info);
    if (reader.truncated())
        return "data runs past the end of the file (packedLength " + std::to_string(header.packedLength) + ")";
    if (status == ExpandStatus::UnknownMode)
        return "bad SZDD header: unknown compression mode " + std::to_string(info.mode);
    if (status != ExpandStatus::Ok)
        return DescribeExpandStatus(status);
    if (!info.szdd && info.headerBytes >= 4 && std::memcmp(info.header, "SZDD", 4) == 0)
        return "bad SZDD header (LZ32 would copy this data unchanged)";
    if (info.cutShort)
        return "SZDD data ends inside a copy item";
    if (info.szdd && info.outputLength != info.declaredLength)
        return "SZDD data decodes to " + std::to_string(info.outputLength) + " bytes, its header says "
            + std::to_string(info.declaredLength);
    return std::string();
}

std::string Describe(const RecordHeader& header, std::size_t index, std::uint64_t offset)
{
    return "record " + std::to_string(index) + " (\"" + header.name + "\") at offset " + std::to_string(offset);
}

std::string FragmentProblem(const RecordReader& reader)
{
    return std::to_string(reader.fragmentSize()) + " bytes at offset " + std::to_string(reader.recordOffset())
        + " are not a whole record header";
}

// Reads no more than `limit` bytes of a source, so a file that grows while it is packed is
// noticed (one byte more than expected) without reading all it grew by.
class BoundedSource : public Source {
public:
    BoundedSource(Source& source, std::uint64_t limit) : source_(source), left_(limit) {}
    bool Read(std::uint8_t* buffer, std::size_t want, std::size_t& got) override
    {
        got = 0;
        std::size_t asked = static_cast<std::size_t>(std::min<std::uint64_t>(want, left_));
        if (asked && !source_.Read(buffer, asked, got))
            return false;
        left_ -= got;
        return true;
    }

private:
    Source& source_;
    std::uint64_t left_;
};

// Passes writes on and counts them: where the next record starts.
class CountedSink : public Sink {
public:
    explicit CountedSink(Sink& sink) : sink_(sink) {}
    bool Write(const std::uint8_t* data, std::size_t size) override
    {
        count += size;
        return sink_.Write(data, size);
    }
    std::uint64_t count = 0;

private:
    Sink& sink_;
};

enum class PackResult { Ok, ReadError, WriteError, SzddSignature };

// Stores a source unchanged, a block at a time; refuses data the installer would expand.
PackResult CopyPlain(Source& in, Sink& out, std::uint64_t& consumed)
{
    std::vector<std::uint8_t> block(1 << 16);
    consumed = 0;
    for (;;) {
        std::size_t got = 0;
        if (!in.Read(block.data(), block.size(), got))
            return PackResult::ReadError;
        if (consumed == 0 && HasSzddMagic(block.data(), got))
            return PackResult::SzddSignature;
        consumed += got;
        if (got && !out.Write(block.data(), got))
            return PackResult::WriteError;
        if (got < block.size())
            return PackResult::Ok;
    }
}

PackResult PackSource(const ManifestEntry& entry, Source& in, std::uint64_t size, Sink& out, std::uint64_t& consumed)
{
    if (!entry.szdd)
        return CopyPlain(in, out, consumed);
    switch (EncodeSzdd(in, static_cast<std::uint32_t>(size), out, consumed)) {
    case EncodeStatus::Ok:
    case EncodeStatus::TooLarge: // the source grew: the caller sees `consumed` past `size`
        return PackResult::Ok;
    case EncodeStatus::ReadError:
        return PackResult::ReadError;
    case EncodeStatus::WriteError:
        return PackResult::WriteError;
    }
    return PackResult::WriteError;
}

bool OpenDataFile(const std::string& path, File& file, std::uint64_t& size, Console& console)
{
    std::error_code error;
    size = fs::file_size(path, error);
    if (error || !file.Open(path, "rb")) {
        console.err << path << ": cannot open: " << (error ? error.message() : SystemError()) << "\n";
        return false;
    }
    return true;
}

} // namespace

void PrintUsage(std::ostream& out)
{
    out << "usage: packer build MANIFEST OUTPUT    pack the files of MANIFEST into a setup data file\n"
           "       packer list DATAFILE            show its records\n"
           "       packer verify DATAFILE          decode every record, report the first problem\n"
           "       packer extract DATAFILE DIR     expand every record into DIR\n"
           "Option: --codepage N   the ANSI code page setup reads names and labels in, one of "
        << SupportedCodePages() << " (default " << DefaultCodePage << "); the manifest is UTF-8.\n"
           "A source file may be at most "
        << MaxSourceText << ".\n";
}

namespace {

// Takes "--codepage N" out of the arguments; false when N is not a supported code page.
bool TakeCodePage(std::vector<std::string>& arguments, int& codePage, Console& console)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != "--codepage")
            continue;
        const std::string value = i + 1 < arguments.size() ? arguments[i + 1] : std::string();
        codePage = value.size() == 4 && value.find_first_not_of("0123456789") == std::string::npos ? std::stoi(value) : 0;
        if (!IsSupportedCodePage(codePage)) {
            console.err << "packer: unsupported code page \"" << value << "\" (supported: " << SupportedCodePages()
                        << ")\n";
            return false;
        }
        arguments.erase(arguments.begin() + i, arguments.begin() + i + 2);
        return true;
    }
    return true;
}

} // namespace

int RunPacker(const std::vector<std::string>& given, Console& console)
{
    std::vector<std::string> arguments = given;
    int codePage = DefaultCodePage;
    if (!TakeCodePage(arguments, codePage, console))
        return 1;
    const std::string command = arguments.empty() ? std::string() : arguments[0];
    const std::size_t count = arguments.size();
    if (count == 1 && (command == "-h" || command == "--help" || command == "help")) {
        PrintUsage(console.out);
        return 0;
    }
    if (command == "build" && count == 3)
        return BuildDataFile(arguments[1], arguments[2], console, codePage);
    if (command == "list" && count == 2)
        return ListDataFile(arguments[1], console, codePage);
    if (command == "verify" && count == 2)
        return VerifyDataFile(arguments[1], console);
    if (command == "extract" && count == 3)
        return ExtractDataFile(arguments[1], arguments[2], console, codePage);
    PrintUsage(console.err);
    return 1;
}

int BuildDataFile(const std::string& manifestPath, const std::string& outputPath, Console& console, int codePage)
{
    std::vector<std::uint8_t> text;
    if (!ReadWholeFile(manifestPath, text)) {
        console.err << manifestPath << ": cannot read: " << SystemError() << "\n";
        return 1;
    }
    std::vector<ManifestError> errors;
    std::vector<ManifestEntry> entries = ParseManifest(std::string(text.begin(), text.end()), errors, codePage);
    const fs::path base = fs::path(manifestPath).parent_path();
    std::vector<fs::path> sources;
    std::vector<std::uint64_t> sizes;
    for (const ManifestEntry& entry : entries) {
        fs::path source = base / fs::path(entry.source);
        std::error_code error;
        std::uint64_t size = 0;
        if (fs::is_directory(source, error))
            errors.push_back({ entry.line, "source is a folder, not a file: " + source.string() });
        else if (!fs::is_regular_file(source, error))
            errors.push_back({ entry.line, "source file not found: " + source.string() });
        else if ((size = fs::file_size(source, error)) > MaxSourceSize || error)
            errors.push_back({ entry.line, source.string() + (error ? ": " + error.message()
                : " is " + std::to_string(size) + " bytes; a record holds at most " + MaxSourceText) });
        sources.push_back(source);
        sizes.push_back(size);
        if (entry.label.find('&') != std::string::npos)
            console.err << manifestPath << ":" << entry.line << ": warning: the label's '&' shows as an underline"
                        << " of the next character in the progress window (write \"&&\" for an '&')\n";
    }
    if (errors.empty() && entries.empty())
        errors.push_back({ 0, "no file records" });
    if (!errors.empty()) {
        for (const ManifestError& e : errors)
            console.err << manifestPath << ":" << e.line << ": " << e.message << "\n";
        return 1;
    }

    // Written aside and renamed at the end, so a failed build leaves no half data file; the
    // part file goes on every failure.
    const std::string partPath = outputPath + ".part";
    File output;
    if (!output.Open(partPath, "wb")) {
        console.err << partPath << ": cannot create: " << SystemError() << "\n";
        return 1;
    }
    FileSink fileSink(output.get());
    CountedSink sink(fileSink);
    std::uint64_t inputBytes = 0;
    bool ok = true;
    {
        Progress progress(console, "packing");
        auto fail = [&](const ManifestEntry& entry, const std::string& message) {
            progress.Clear();
            console.err << manifestPath << ":" << entry.line << ": " << message << "\n";
            ok = false;
        };
        for (std::size_t i = 0; i < entries.size() && ok; ++i) {
            const ManifestEntry& entry = entries[i];
            const std::string source = sources[i].string();
            progress.Show(std::to_string(i + 1) + "/" + std::to_string(entries.size()), entry.name);
            File input;
            if (!input.Open(source, "rb")) {
                fail(entry, "cannot read " + source + ": " + SystemError());
                break;
            }
            // The header goes first with a packedLength of 0 and is rewritten once the data
            // is packed: the data streams from the source to the output.
            RecordHeader header;
            header.name = entry.name;
            header.label = entry.label;
            header.hidden = entry.hidden ? 1 : 0;
            std::uint8_t raw[RecordHeaderSize];
            PackRecordHeader(header, raw);
            const std::uint64_t recordAt = sink.count;
            FileSource fileSource(input.get());
            BoundedSource bounded(fileSource, sizes[i] + 1);
            std::uint64_t consumed = 0;
            PackResult result = sink.Write(raw, sizeof raw) ? PackSource(entry, bounded, sizes[i], sink, consumed)
                                                             : PackResult::WriteError;
            if (result == PackResult::ReadError) {
                fail(entry, "cannot read " + source + ": " + SystemError());
            } else if (result == PackResult::SzddSignature) {
                fail(entry, source + " starts with the SZDD signature, so the installer would expand it; pack it szdd");
            } else if (result == PackResult::Ok && consumed != sizes[i]) {
                fail(entry, source + " changed while it was packed");
            } else if (result == PackResult::Ok) {
                const std::uint64_t end = sink.count;
                header.packedLength = static_cast<std::uint32_t>(end - recordAt - RecordHeaderSize);
                PackRecordHeader(header, raw);
                if (!output.Seek(recordAt) || !fileSink.Write(raw, sizeof raw) || !output.Seek(end))
                    result = PackResult::WriteError;
            }
            if (result == PackResult::WriteError) {
                progress.Clear();
                console.err << partPath << ": write failed: " << SystemError() << "\n";
                ok = false;
            }
            inputBytes += consumed;
        }
    }
    if (!output.Close() && ok) {
        console.err << partPath << ": write failed: " << SystemError() << "\n";
        ok = false;
    }
    std::error_code error;
    if (ok) {
        fs::rename(partPath, outputPath, error);
        if (error) {
            console.err << outputPath << ": cannot replace: " << error.message() << "\n";
            ok = false;
        }
    }
    if (!ok) {
        fs::remove(partPath, error);
        return 1;
    }
    console.out << outputPath << ": " << entries.size() << " records, " << sink.count << " bytes from " << inputBytes
                << " (" << Percent(sink.count, inputBytes) << ")\n";
    return 0;
}

int ListDataFile(const std::string& path, Console& console, int codePage)
{
    File file;
    std::uint64_t size = 0;
    if (!OpenDataFile(path, file, size, console))
        return 1;
    FileSource source(file.get());
    RecordReader reader(source);
    console.out << "   #  folder  hidden      packed    expanded  name  [label]\n";
    RecordHeader header;
    std::size_t index = 0;
    for (;;) {
        RecordReader::Result result = reader.Next(header);
        if (result == RecordReader::Result::End)
            return 0;
        if (result == RecordReader::Result::Fragment) {
            console.err << path << ": " << FragmentProblem(reader) << "\n";
            return 1;
        }
        if (result == RecordReader::Result::ReadError) {
            console.err << path << ": read error: " << SystemError() << "\n";
            return 1;
        }
        ++index;
        std::uint8_t start[SzddHeaderSize];
        std::size_t got = 0;
        if (!reader.Data().Read(start, sizeof start, got) || !reader.SkipData()) {
            console.err << path << ": read error: " << SystemError() << "\n";
            return 1;
        }
        std::string expanded = "plain";
        if (got == SzddHeaderSize && HasSzddMagic(start, got)) {
            std::uint32_t length = static_cast<std::uint32_t>(start[10]) | (static_cast<std::uint32_t>(start[11]) << 8)
                | (static_cast<std::uint32_t>(start[12]) << 16) | (static_cast<std::uint32_t>(start[13]) << 24);
            expanded = std::to_string(length);
        }
        std::ostringstream row;
        row << std::setw(4) << index << "  " << std::left << std::setw(6)
            << (IsSystemName(header.name) ? "system" : "target") << "  " << std::setw(6)
            << (header.hidden ? "hidden" : "-") << std::right << "  " << std::setw(10) << header.packedLength << "  "
            << std::setw(10) << expanded << "  " << ToUtf8(header.name, codePage) << "  ["
            << ToUtf8(header.label, codePage) << "]";
        console.out << row.str() << "\n";
        if (reader.truncated()) {
            console.err << path << ": " << Describe(header, index, reader.recordOffset())
                        << ": data runs past the end of the file\n";
            return 1;
        }
    }
}

int VerifyDataFile(const std::string& path, Console& console)
{
    File file;
    std::uint64_t size = 0;
    if (!OpenDataFile(path, file, size, console))
        return 1;
    FileSource source(file.get());
    RecordReader reader(source);
    Progress progress(console, "verifying");
    RecordHeader header;
    std::size_t index = 0;
    for (;;) {
        RecordReader::Result result = reader.Next(header);
        if (result == RecordReader::Result::End)
            break;
        progress.Clear();
        if (result == RecordReader::Result::Fragment) {
            console.err << path << ": " << FragmentProblem(reader) << "\n";
            return 1;
        }
        if (result == RecordReader::Result::ReadError) {
            console.err << path << ": read error: " << SystemError() << "\n";
            return 1;
        }
        ++index;
        progress.Show(Percent(reader.recordOffset(), size), header.name);
        CountingSink sink;
        std::string problem = CheckRecord(reader, header, sink);
        if (!problem.empty()) {
            progress.Clear();
            console.err << path << ": " << Describe(header, index, reader.recordOffset()) << ": " << problem << "\n";
            return 1;
        }
    }
    progress.Clear();
    console.out << path << ": " << index << " records verified\n";
    return 0;
}

int ExtractDataFile(const std::string& path, const std::string& folder, Console& console, int codePage)
{
    File file;
    std::uint64_t size = 0;
    if (!OpenDataFile(path, file, size, console))
        return 1;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        console.err << folder << ": cannot create: " << error.message() << "\n";
        return 1;
    }
    FileSource source(file.get());
    RecordReader reader(source);
    Progress progress(console, "extracting");
    RecordHeader header;
    std::size_t index = 0;
    for (;;) {
        RecordReader::Result result = reader.Next(header);
        if (result == RecordReader::Result::End)
            break;
        progress.Clear();
        if (result == RecordReader::Result::Fragment) {
            console.err << path << ": " << FragmentProblem(reader) << "\n";
            return 1;
        }
        if (result == RecordReader::Result::ReadError) {
            console.err << path << ": read error: " << SystemError() << "\n";
            return 1;
        }
        ++index;
        progress.Show(Percent(reader.recordOffset(), size), header.name);
        // A name that would leave the folder is refused before anything is written.
        std::string problem = header.nameTerminated ? CheckRecordName(header.name) : "name field holds no NUL";
        if (!problem.empty()) {
            progress.Clear();
            console.err << path << ": " << Describe(header, index, reader.recordOffset()) << ": " << problem << "\n";
            return 1;
        }
        fs::path target = ExtractedPath(folder, ToUtf8(header.name, codePage));
        fs::create_directories(target.parent_path(), error);
        File out;
        if (error || !out.Open(target.string(), "wb")) {
            progress.Clear();
            console.err << target.string() << ": cannot create: " << (error ? error.message() : SystemError()) << "\n";
            return 1;
        }
        FileSink sink(out.get());
        problem = CheckRecord(reader, header, sink);
        if (!out.Close() && problem.empty())
            problem = "cannot write " + target.string();
        if (!problem.empty()) {
            progress.Clear();
            console.err << path << ": " << Describe(header, index, reader.recordOffset()) << ": " << problem << "\n";
            return 1;
        }
    }
    progress.Clear();
    console.out << path << ": " << index << " records extracted into " << folder << "\n";
    return 0;
}

} // namespace packer
