#pragma once

#include <string>
#include <vector>

namespace bw {

// The stored comparison results, grouped by block size (filled by the "Compare Data" step).
struct CompareLists {
    std::vector<std::string> ComparePeak, CompareAverage;
};

}  // namespace bw
