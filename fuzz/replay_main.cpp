// Replay driver for fuzz targets when libFuzzer is not in use: feeds every file of the given
// folders or files, then R5_FUZZ_RUNS inputs made from a fixed seed (random bytes, and seed files
// with random bytes flipped, cut or repeated), so a run is repeatable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {
using Bytes = std::vector<std::uint8_t>;

void collect(const std::filesystem::path &p, std::vector<Bytes> &out)
{
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
        for (const auto &e : std::filesystem::directory_iterator(p, ec))
            collect(e.path(), out);
    } else if (std::filesystem::is_regular_file(p, ec)) {
        std::ifstream in(p, std::ios::binary);
        out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
}
} // namespace

int main(int argc, char **argv)
{
    std::vector<Bytes> seeds;
    for (int i = 1; i < argc; ++i)
        collect(argv[i], seeds);
    for (const Bytes &s : seeds)
        LLVMFuzzerTestOneInput(s.data(), s.size());

    long runs = 10000;
    if (const char *env = std::getenv("R5_FUZZ_RUNS"))
        runs = std::strtol(env, nullptr, 10);
    std::mt19937 rng(0x5200);
    std::uniform_int_distribution<int> byte(0, 255);
    for (long r = 0; r < runs; ++r) {
        Bytes in;
        if (!seeds.empty() && (r % 2 == 0)) {
            in = seeds[std::size_t(r / 2) % seeds.size()];
            const int edits = 1 + int(rng() % 8);
            for (int e = 0; e < edits && !in.empty(); ++e) {
                const std::size_t at = rng() % in.size();
                switch (rng() % 4) {
                case 0:
                    in[at] = std::uint8_t(byte(rng));
                    break;
                case 1:
                    in.erase(in.begin() + long(at));
                    break;
                case 2:
                    in.insert(in.begin() + long(at), std::uint8_t(byte(rng)));
                    break;
                default: {
                    // A copy first: inserting a vector's own range into it is undefined.
                    const std::vector<std::uint8_t> head(in.begin(), in.begin() + long(at));
                    in.insert(in.end(), head.begin(), head.end());
                    break;
                }
                }
            }
        } else {
            in.resize(rng() % 512);
            for (auto &b : in)
                b = std::uint8_t(byte(rng));
        }
        LLVMFuzzerTestOneInput(in.data(), in.size());
    }
    std::cout << "replayed " << seeds.size() << " seeds and " << runs << " generated inputs\n";
    return 0;
}
