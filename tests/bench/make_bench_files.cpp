// Not a test: writes the install benchmark's payload (scripts/bench-install.sh). COUNT files of
// TOTAL bytes together into DIR, the same bytes for the same SEED on any machine (its own
// generator, integer arithmetic only). About half the files are text-like (words of a made-up
// vocabulary, CR LF lines), the rest binary-like (random runs, zero runs, tables, repeats of
// earlier bytes), so the packers meet both kinds of content.
// Usage: make_bench_files DIR COUNT TOTAL SEED
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Random {
    uint64_t state;
    uint64_t Next()   // splitmix64
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint64_t Below(uint64_t n) { return Next() % n; }
};

std::vector<std::string> MakeVocabulary(Random& random)
{
    std::vector<std::string> words(400);
    for (auto& word : words) {
        size_t length = 2 + random.Below(9);
        for (size_t i = 0; i < length; ++i)
            word += char('a' + random.Below(26));
    }
    return words;
}

std::string TextLike(Random& random, const std::vector<std::string>& words, size_t size)
{
    std::string text;
    text.reserve(size + 128);
    size_t lineStart = 0;
    while (text.size() < size) {
        // Skewed towards the first words, as in real text.
        uint64_t n = words.size();
        text += words[random.Below(n) * random.Below(n) / n];
        if (text.size() - lineStart > 40 + random.Below(60)) {
            text += "\r\n";
            lineStart = text.size();
        } else {
            text += random.Below(12) == 0 ? ", " : " ";
        }
    }
    text.resize(size);
    return text;
}

std::string BinaryLike(Random& random, size_t size)
{
    std::string data;
    data.reserve(size + 4096);
    while (data.size() < size) {
        size_t run = 256 + random.Below(3841);
        switch (random.Below(5)) {
        case 0:
        case 1:   // compressed or encrypted content: nothing to gain
            for (size_t i = 0; i < run; i += 8) {
                uint64_t bits = random.Next();
                for (int b = 0; b < 8; ++b)
                    data += char(bits >> (8 * b));
            }
            break;
        case 2:   // padding and small numbers
            for (size_t i = 0; i < run; ++i)
                data += char(random.Below(8) == 0 ? random.Below(16) : 0);
            break;
        case 3: { // a table of 32-bit little-endian offsets
            uint32_t value = uint32_t(random.Next());
            for (size_t i = 0; i < run; i += 4, value += 4 + uint32_t(random.Below(64)))
                for (int b = 0; b < 4; ++b)
                    data += char(value >> (8 * b));
            break;
        }
        default:  // code that repeats itself with changes
            if (data.size() < 64) break;
            size_t from = random.Below(data.size() - 32);
            for (size_t i = 0; i < run; ++i)
                data += random.Below(20) == 0 ? char(random.Next()) : data[from + i % (data.size() - from)];
            break;
        }
    }
    data.resize(size);
    return data;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: make_bench_files DIR COUNT TOTAL SEED\n");
        return 1;
    }
    std::string dir = argv[1];
    uint64_t count = strtoull(argv[2], nullptr, 10);
    uint64_t total = strtoull(argv[3], nullptr, 10);
    Random random{strtoull(argv[4], nullptr, 10)};
    if (count == 0 || total < count) {
        fprintf(stderr, "make_bench_files: COUNT must be at least 1 and TOTAL at least COUNT\n");
        return 1;
    }
    std::vector<std::string> words = MakeVocabulary(random);

    // Sizes: mostly small, one in sixteen eight times larger; they add up to TOTAL exactly.
    std::vector<uint64_t> weights(count);
    uint64_t weightSum = 0;
    for (auto& weight : weights) {
        weight = (1 + random.Below(4096)) * (random.Below(16) == 0 ? 8 : 1);
        weightSum += weight;
    }
    uint64_t written = 0;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t size = i + 1 == count ? total - written : total * weights[i] / weightSum;
        if (size == 0) size = 1;
        if (written + size > total) size = total - written;
        bool text = random.Below(2) == 0;
        char name[32];
        snprintf(name, sizeof name, "%c%05llu.%s", text ? 't' : 'b', (unsigned long long)(i + 1),
                 text ? "txt" : "bin");
        std::string bytes = text ? TextLike(random, words, size) : BinaryLike(random, size);
        std::ofstream out(dir + "/" + name, std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        if (!out) {
            fprintf(stderr, "make_bench_files: cannot write %s/%s\n", dir.c_str(), name);
            return 1;
        }
        written += size;
    }
    return 0;
}
