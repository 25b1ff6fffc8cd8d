#include "core/CompareData.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/AppState.h"
#include "core/MainOptions.h"

namespace bw {

std::vector<std::string> load_compare_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::vector<std::string> sorted;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 10) sorted.push_back(line);
    }
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> grouped;
    for (auto name : kBlockNames) {
        const std::string tag = "(" + std::string(name) + ")";
        for (const auto& l : sorted)
            if (l.find(tag) != std::string::npos) grouped.push_back(l);
    }
    return grouped;
}

void load_compare_data(CompareLists& lists) {
    const auto dir = app().program_folder;
    if (std::filesystem::exists(dir / "ResultsPeak.dat"))
        lists.ComparePeak = load_compare_file(dir / "ResultsPeak.dat");
    if (std::filesystem::exists(dir / "ResultsAverage.dat"))
        lists.CompareAverage = load_compare_file(dir / "ResultsAverage.dat");
}

}  // namespace bw
