#include "platform/TextFiles.h"
#include "results/ResultLine.h"

// Reading a result file is kept apart from the parser so the parser builds alone (the fuzz
// target links it without the file layer).
namespace bw::results {

std::optional<std::vector<std::string>> read_result_file(const std::filesystem::path& file,
                                                         std::string* error) {
    auto text = text_files::read(file, kResultFileCap, error);
    if (!text) return std::nullopt;
    return complete_lines(*text);
}

}  // namespace bw::results
