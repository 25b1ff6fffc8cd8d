#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bw {

// The stored comparison results, grouped by block size.
struct CompareLists {
    std::vector<std::string> ComparePeak, CompareAverage;
};

// Lines of a result file longer than 10 characters, sorted, then grouped by block-size tag in list
// order ("(4KB)" first, "(4096KB)" last); a line is listed under every tag it contains.
std::vector<std::string> load_compare_file(const std::filesystem::path& file);

// ResultsPeak.dat and ResultsAverage.dat of the program folder, when present.
void load_compare_data(CompareLists& lists);

}  // namespace bw
