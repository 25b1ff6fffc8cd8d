#include "platform/PdhPath.h"

#include <cctype>

namespace bw {

bool pdh_iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<PdhPath> ParsePdhPath(std::string_view text) {
    PdhPath out;
    std::string_view rest = text;
    if (rest.substr(0, 2) == "\\\\") {
        rest.remove_prefix(2);
        const size_t slash = rest.find('\\');
        if (slash == std::string_view::npos || slash == 0) return std::nullopt;
        out.machine = std::string(rest.substr(0, slash));
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest.front() != '\\') return std::nullopt;
    rest.remove_prefix(1);

    // The counter is everything after the last backslash; the instance may hold any character but
    // a backslash ("0 C: D:", "0,12"), so it ends at the last ')' before that backslash.
    const size_t last = rest.rfind('\\');
    if (last == std::string_view::npos) return std::nullopt;
    std::string_view object = rest.substr(0, last);
    out.counter = std::string(rest.substr(last + 1));
    if (out.counter.empty()) return std::nullopt;

    const size_t open = object.find('(');
    if (open != std::string_view::npos) {
        if (object.back() != ')') return std::nullopt;
        out.has_instance = true;
        out.instance = std::string(object.substr(open + 1, object.size() - open - 2));
        object = object.substr(0, open);
    }
    if (object.empty()) return std::nullopt;
    out.object = std::string(object);
    return out;
}

}  // namespace bw
