#include "results/OverallReport.h"

#include "platform/TextFiles.h"

namespace bw::results {

OverallReport read_overall(const std::filesystem::path& program_folder) {
    std::string error;
    const auto text = text_files::read(program_folder / kOverallFile, kOverallMaxBytes, &error);
    if (!text) {
        return {error.empty() ? "Overall.txt holds no results yet."
                              : "Overall.txt cannot be shown: " + error,
                false};
    }
    if (text->find_first_not_of(" \t\r\n") == std::string::npos)
        return {"Overall.txt holds no results yet.", false};
    return {printable_text(*text), true};
}

std::string printable_text(std::string_view raw) {
    std::string out(raw);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u == 0x7f) c = '?';
    }
    return out;
}

}  // namespace bw::results
