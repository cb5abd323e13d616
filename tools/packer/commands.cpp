#include "packer/commands.h"
#include "packer/byte_io.h"
#include "packer/data_file.h"
#include "packer/manifest.h"
#include "packer/szdd.h"
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <sstream>

namespace fs = std::filesystem;

namespace packer {

namespace {

constexpr std::uint64_t MaxSourceSize = 0xE0000000u;

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
           "       packer extract DATAFILE DIR     expand every record into DIR\n";
}

int RunPacker(const std::vector<std::string>& arguments, Console& console)
{
    const std::string command = arguments.empty() ? std::string() : arguments[0];
    const std::size_t count = arguments.size();
    if (count == 1 && (command == "-h" || command == "--help" || command == "help")) {
        PrintUsage(console.out);
        return 0;
    }
    if (command == "build" && count == 3)
        return BuildDataFile(arguments[1], arguments[2], console);
    if (command == "list" && count == 2)
        return ListDataFile(arguments[1], console);
    if (command == "verify" && count == 2)
        return VerifyDataFile(arguments[1], console);
    if (command == "extract" && count == 3)
        return ExtractDataFile(arguments[1], arguments[2], console);
    PrintUsage(console.err);
    return 1;
}

int BuildDataFile(const std::string& manifestPath, const std::string& outputPath, Console& console)
{
    std::vector<std::uint8_t> text;
    if (!ReadWholeFile(manifestPath, text)) {
        console.err << manifestPath << ": cannot read: " << SystemError() << "\n";
        return 1;
    }
    std::vector<ManifestError> errors;
    std::vector<ManifestEntry> entries = ParseManifest(std::string(text.begin(), text.end()), errors);
    const fs::path base = fs::path(manifestPath).parent_path();
    std::vector<fs::path> sources;
    for (const ManifestEntry& entry : entries) {
        fs::path source = base / fs::path(entry.source);
        std::error_code error;
        if (!fs::is_regular_file(source, error))
            errors.push_back({ entry.line, "source file not found: " + source.string() });
        sources.push_back(source);
    }
    if (errors.empty() && entries.empty())
        errors.push_back({ 0, "no file records" });
    if (!errors.empty()) {
        for (const ManifestError& e : errors)
            console.err << manifestPath << ":" << e.line << ": " << e.message << "\n";
        return 1;
    }

    // Written aside and renamed at the end, so a failed build leaves no half data file.
    const std::string partPath = outputPath + ".part";
    File output;
    if (!output.Open(partPath, "wb")) {
        console.err << partPath << ": cannot create: " << SystemError() << "\n";
        return 1;
    }
    FileSink sink(output.get());
    std::uint64_t inputBytes = 0;
    std::uint64_t outputBytes = 0;
    bool ok = true;
    {
        Progress progress(console, "packing");
        for (std::size_t i = 0; i < entries.size() && ok; ++i) {
            const ManifestEntry& entry = entries[i];
            progress.Show(std::to_string(i + 1) + "/" + std::to_string(entries.size()), entry.name);
            std::vector<std::uint8_t> data;
            if (!ReadWholeFile(sources[i].string(), data)) {
                progress.Clear();
                console.err << manifestPath << ":" << entry.line << ": cannot read " << sources[i].string() << ": "
                            << SystemError() << "\n";
                ok = false;
                break;
            }
            if (!entry.szdd && HasSzddMagic(data.data(), data.size())) {
                progress.Clear();
                console.err << manifestPath << ":" << entry.line << ": " << sources[i].string()
                            << " starts with the SZDD signature, so the installer would expand it; pack it szdd\n";
                ok = false;
                break;
            }
            // Packed data may grow by one flag byte in eight; its length must fit 32 bits.
            if (data.size() > MaxSourceSize) {
                progress.Clear();
                console.err << manifestPath << ":" << entry.line << ": " << sources[i].string()
                            << " is too large for a setup data file\n";
                ok = false;
                break;
            }
            std::vector<std::uint8_t> packed = entry.szdd ? EncodeSzdd(data) : data;
            RecordHeader header;
            header.name = entry.name;
            header.label = entry.label;
            header.hidden = entry.hidden ? 1 : 0;
            if (!WriteRecord(sink, header, packed.data(), packed.size())) {
                progress.Clear();
                console.err << partPath << ": write failed: " << SystemError() << "\n";
                ok = false;
            }
            inputBytes += data.size();
            outputBytes += RecordHeaderSize + packed.size();
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
    console.out << outputPath << ": " << entries.size() << " records, " << outputBytes << " bytes from " << inputBytes
                << " (" << Percent(outputBytes, inputBytes) << ")\n";
    return 0;
}

int ListDataFile(const std::string& path, Console& console)
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
            << std::setw(10) << expanded << "  " << header.name << "  [" << header.label << "]";
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

int ExtractDataFile(const std::string& path, const std::string& folder, Console& console)
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
        fs::path target = ExtractedPath(folder, header.name);
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
