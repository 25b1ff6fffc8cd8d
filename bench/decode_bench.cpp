// Decodes every model text of the golden table 10,000 times through the entry point the drive
// inventory calls, and prints the time per model decode.
// Usage: decode_bench [GOLDEN_TSV] [ROUNDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drives/ModHDDetails.h"

namespace {

std::filesystem::path DefaultGolden() {
    return std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/golden/models.tsv";
}

std::vector<std::string> ReadModels(const std::filesystem::path& path) {
    std::vector<std::string> models;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') models.push_back(line.substr(0, line.find('\t')));
    return models;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path golden = argc > 1 ? argv[1] : DefaultGolden();
    const long rounds = argc > 2 ? std::atol(argv[2]) : 10'000;
    const std::vector<std::string> models = ReadModels(golden);
    if (models.empty() || rounds <= 0) {
        std::fprintf(stderr, "decode_bench: no model texts in %s\n", golden.c_str());
        return 1;
    }

    std::size_t checksum = 0;  // keeps the work observable
    std::string text;
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpu_start = std::clock();
    for (long r = 0; r < rounds; ++r) {
        for (std::size_t i = 0; i < models.size(); ++i) {
            text = models[i];
            bw::DecodeDriveModel(text, static_cast<int>(i % bw::kDriveSlots));
            checksum += bw::DriveSpecTable()[i % bw::kDriveSlots].SpecLine1.size();
        }
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Processor time as well: on a shared machine the wall clock also counts other programs' turns.
    double cpu_seconds = double(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    double decodes = double(rounds) * double(models.size());
    std::printf("models in table:     %zu\n", models.size());
    std::printf("rounds:              %ld\n", rounds);
    std::printf("decodes:             %.0f\n", decodes);
    std::printf("wall time:           %.3f s\n", seconds);
    std::printf("processor time:      %.3f s\n", cpu_seconds);
    std::printf("per model decode:    %.3f us wall, %.3f us processor\n", seconds * 1e6 / decodes,
                cpu_seconds * 1e6 / decodes);
    std::printf("per golden table:    %.1f us processor\n", cpu_seconds * 1e6 / double(rounds));
    std::printf("checksum:            %zu\n", checksum);
    return 0;
}
