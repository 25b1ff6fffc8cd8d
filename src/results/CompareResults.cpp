#include "results/CompareResults.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "core/AppState.h"
#include "core/Startup.h"
#include "core/TesterProtocol.h"
#include "results/ResultLine.h"

namespace bw::results {

namespace {

bool same_no_case(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

std::vector<std::string> load_compare_file(const std::filesystem::path& file) {
    std::string error;
    auto lines = read_result_file(file, &error);
    if (!lines) return {};
    std::vector<std::string> sorted;
    for (auto& l : *lines)
        if (l.size() > 10 && parse_result_line(l).recognised) sorted.push_back(std::move(l));
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> grouped;
    for (const auto& block : kBlockSizes) {
        const std::string tag = "(" + std::string(block.name) + ")";
        for (const auto& l : sorted)
            if (l.find(tag) != std::string::npos) grouped.push_back(l);
    }
    return grouped;
}

std::optional<std::filesystem::path> find_no_case(const std::filesystem::path& folder,
                                                  const std::string& name) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    std::optional<std::filesystem::path> found;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (entry == name) return it->path();  // the exact name wins over a near one
        if (!found && same_no_case(entry, name)) found = it->path();
    }
    return found;
}

CompareSources compare_sources(const std::filesystem::path& folder) {
    CompareSources s;
    struct Source {
        std::string_view global, own;
        std::vector<std::string> CompareSources::*list;
    };
    static constexpr Source kSources[] = {{"ResultsPeak.dat", "MyPResults.Dat", &CompareSources::peak},
                                          {"ResultsAverage.dat", "MyAResults.Dat", &CompareSources::average}};
    for (const Source& src : kSources) {
        auto& list = s.*src.list;
        if (auto global = find_no_case(folder, std::string(src.global))) list = load_compare_file(*global);
        std::string error;
        if (auto own = read_result_file(folder / src.own, &error)) {
            for (auto& l : *own)
                if (parse_result_line(l).recognised) list.push_back(std::move(l));
        } else if (!error.empty()) {
            s.notes.push_back(std::string(src.own) + ": " + error);
        }
    }
    return s;
}

void provide_result_steps(StartSteps& steps) {
    steps.provide(StepId::CompareResults, [](StepContext& ctx) {
        const auto folder = app().program_folder;
        if (auto peak = find_no_case(folder, "ResultsPeak.dat"))
            ctx.state.compare.ComparePeak = load_compare_file(*peak);
        if (auto average = find_no_case(folder, "ResultsAverage.dat"))
            ctx.state.compare.CompareAverage = load_compare_file(*average);
    });
}

}  // namespace bw::results
