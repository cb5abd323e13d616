#include "packer/manifest.h"
#include "packer/data_file.h"

namespace packer {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Splits one line into fields; false (with `problem`) on an unclosed quote.
bool SplitFields(const std::string& line, std::vector<std::string>& fields, std::string& problem)
{
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            return true;
        if (line[i] == '"') {
            std::size_t close = line.find('"', i + 1);
            if (close == std::string::npos) {
                problem = "a quoted field is not closed";
                return false;
            }
            if (close + 1 < line.size() && !IsBlank(line[close + 1])) {
                problem = "a quoted field must be followed by a blank";
                return false;
            }
            fields.push_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            std::size_t end = i;
            while (end < line.size() && !IsBlank(line[end]))
                ++end;
            std::string field = line.substr(i, end - i);
            if (field.find('"') != std::string::npos) {
                problem = "a '\"' inside a field; quote the whole field";
                return false;
            }
            fields.push_back(field);
            i = end;
        }
    }
}

void ParseLine(const std::string& line, int number, int codePage, std::vector<ManifestEntry>& entries,
               std::vector<ManifestError>& errors)
{
    auto fail = [&](const std::string& message) { errors.push_back({ number, message }); };
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#')
        return;
    std::vector<std::string> fields;
    std::string problem;
    if (!SplitFields(line, fields, problem))
        return fail(problem);
    if (fields.size() < 3)
        return fail("expected SOURCE NAME LABEL [hidden] [plain|szdd], found " + std::to_string(fields.size())
            + " field(s)");
    ManifestEntry entry;
    entry.line = number;
    entry.source = fields[0];
    bool kindGiven = false;
    for (std::size_t i = 3; i < fields.size(); ++i) {
        const std::string& option = fields[i];
        if (option == "hidden") {
            entry.hidden = true;
        } else if (option == "plain" || option == "szdd") {
            if (kindGiven)
                return fail("give one of \"plain\" and \"szdd\" only once");
            kindGiven = true;
            entry.szdd = option == "szdd";
        } else {
            return fail("unknown option \"" + option + "\" (expected hidden, plain or szdd)");
        }
    }
    if (entry.source.empty())
        return fail("source file name is empty");
    // The field limits count the installer's bytes, so the rules below see converted text.
    if (!FromUtf8(fields[1], codePage, entry.name, problem))
        return fail("name \"" + fields[1] + "\": " + problem);
    if (!FromUtf8(fields[2], codePage, entry.label, problem))
        return fail("label \"" + fields[2] + "\": " + problem);
    std::string nameProblem = CheckRecordName(entry.name);
    if (!nameProblem.empty())
        return fail(nameProblem + ": \"" + fields[1] + "\"");
    std::string labelProblem = CheckLabel(entry.label);
    if (!labelProblem.empty())
        return fail(labelProblem + ": \"" + fields[2] + "\"");
    entries.push_back(entry);
}

} // namespace

std::vector<ManifestEntry> ParseManifest(const std::string& text, std::vector<ManifestError>& errors, int codePage)
{
    std::vector<ManifestEntry> entries;
    int number = 0;
    // Editors on Windows may save UTF-8 with a byte order mark; it is no part of line 1.
    std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ParseLine(line, ++number, codePage, entries, errors);
        start = end + 1;
    }
    return entries;
}

} // namespace packer
