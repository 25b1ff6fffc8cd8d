#include "core/SaveName.h"

#include <algorithm>

#include <fmt/format.h>

namespace bw {

namespace {

inline constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string DefaultSaveName(std::string_view entry, const std::tm& t) {
    std::string name;
    if (!entry.empty()) name += entry.front();
    name += " ";
    if (entry.size() > 2) name += entry.substr(2);
    std::replace(name.begin(), name.end(), '/', '-');
    std::erase(name, '\0');
    const int month = std::clamp(t.tm_mon, 0, 11);
    return name + fmt::format(" {:02}{:02}{:02} {:02} {} {:02}.txt", t.tm_hour, t.tm_min, t.tm_sec,
                              t.tm_mday, kMonths[month], (t.tm_year + 1900) % 100);
}

std::string BadSaveNameReason(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return "Enter a file name.";
    if (name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos)
        return "A file name cannot hold a \"/\".";
    return "";
}

std::string& SavePath() {
    static std::string path;
    return path;
}

std::filesystem::path BasicSavePath(const std::string& chosen) {
    const std::size_t keep = chosen.size() >= 4 ? chosen.size() - 4 : 0;
    return chosen.substr(0, keep) + " Basic.txt";
}

}  // namespace bw
