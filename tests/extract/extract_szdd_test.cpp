// The packer's SZDD output expands byte-exactly through the platform's LZ32, at the
// boundaries of the format: match lengths, window distances, the initial spaces.
#include "extract_fixture.h"

class ExtractSzdd : public ExtractSandbox {};

namespace {

std::string AllByteValues(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

// A block of noise, then its start again `distance` bytes later.
std::string RepeatAtDistance(size_t distance)
{
    std::string noise = NoiseBytes(distance, static_cast<unsigned>(distance));
    return noise + noise.substr(0, 100);
}

} // namespace

TEST_F(ExtractSzdd, PackerOutputExpandsByteExactlyThroughLz32)
{
    std::string text;
    while (text.size() < 70000)
        text += "REM Quintara " + std::to_string(text.size() % 977) + ": WITHOBJECT \"CorelPhotoPaint.Automation.9\"\r\n";
    const std::vector<std::pair<std::string, std::string>> fixtures = {
        { "empty", "" },
        { "one-byte", "x" },
        { "two-bytes", "xy" },
        { "shortest-copy", "abcabc" },
        { "longest-copy-18", std::string(1, 'k') + std::string(18, 'a') },
        { "run-past-longest-copy-19", std::string(19, 'a') },
        { "run-of-5000", std::string(5000, 'z') },
        { "leading-spaces-5000", std::string(5000, ' ') + "x" },
        { "spaces-after-start", "ab" + std::string(40, ' ') },
        { "repeat-at-4078", RepeatAtDistance(4078) },
        { "repeat-at-4079", RepeatAtDistance(4079) },
        { "repeat-at-4096", RepeatAtDistance(4096) },
        { "all-byte-values", AllByteValues(9000) },
        { "noise-20000", NoiseBytes(20000, 9) },
        { "text-70000", text },
    };
    for (const auto& fixture : fixtures)
        Add(fixture.first + ".bin", fixture.first, Szdd(fixture.second));

    Extract();

    EXPECT_TRUE(errors_.empty()) << errors_[0];
    for (const auto& fixture : fixtures)
        EXPECT_FILE(TargetPath(fixture.first + ".bin"), fixture.second);
}
