#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <type_traits>

namespace bw {

// Every read and write of the two settings files (and of the other files kept in the same form)
// goes through these two functions.
std::string ReadINI(const std::filesystem::path& file, std::string_view section,
                    std::string_view key);
void WriteINI(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value);

// Shortest decimal text of a double ("30", "0.5").
std::string format_number(double value);

// Numbers and check-box states are stored as their decimal text.
template <typename Number, typename = std::enable_if_t<std::is_arithmetic_v<Number>>>
void WriteINI(const std::filesystem::path& file, std::string_view section, std::string_view key,
              Number value) {
    if constexpr (std::is_same_v<Number, bool>)
        WriteINI(file, section, key, std::string_view(value ? "1" : "0"));
    else if constexpr (std::is_integral_v<Number>)
        WriteINI(file, section, key, std::string_view(std::to_string(value)));
    else
        WriteINI(file, section, key, std::string_view(format_number(value)));
}

// The lenient numeric reading every reader uses: the leading number of the text, else 0
// ("30" -> 30, " 12abc" -> 12, "x" -> 0, "" -> 0).
double Val(std::string_view text);
long long ValInt(std::string_view text);

}  // namespace bw
