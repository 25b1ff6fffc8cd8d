#include "counters/CounterDisks.h"

#include <cctype>
#include <string_view>

namespace bw {

namespace {

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// "12 C: D:" -> 12; -1 when the instance does not start with a number.
int leading_number(std::string_view instance) {
    int n = 0;
    size_t i = 0;
    for (; i < instance.size() && i < 6 && std::isdigit(static_cast<unsigned char>(instance[i]));
         ++i)
        n = n * 10 + (instance[i] - '0');
    return i == 0 ? -1 : n;
}

// Whether one of the instance's words after the number is "<letter>:".
bool names_letter(std::string_view instance, char letter) {
    size_t start = instance.find(' ');
    while (start != std::string_view::npos) {
        const size_t end = instance.find(' ', start + 1);
        const std::string_view word = instance.substr(start + 1, end - start - 1);
        if (word.size() == 2 && word[1] == ':' && upper(word[0]) == upper(letter)) return true;
        start = end;
    }
    return false;
}

template <class Match>
std::optional<CountedPhysicalDisk> find_physical(const CounterState& s, Match match) {
    for (size_t row = 0; row < s.PhysicalList.size() && row < s.PhysicalDiskCounters.size(); ++row)
        if (match(s.PhysicalList[row]))
            return CountedPhysicalDisk{static_cast<int>(row), leading_number(s.PhysicalList[row]),
                                      s.PhysicalList[row], s.PhysicalDiskCounters[row]};
    return std::nullopt;
}

}  // namespace

std::optional<CountedPhysicalDisk> physical_disk_by_letter(const CounterState& s, char letter) {
    return find_physical(s, [&](const std::string& i) { return names_letter(i, letter); });
}

std::optional<CountedPhysicalDisk> physical_disk_by_number(const CounterState& s, int number) {
    return find_physical(s, [&](const std::string& i) { return leading_number(i) == number; });
}

std::optional<CountedLogicalDisk> logical_disk_by_letter(const CounterState& s, char letter) {
    for (size_t row = 0; row < s.LogicalList.size() && row < s.LogicalDiskCounters.size(); ++row) {
        const std::string& i = s.LogicalList[row];
        if (i.size() == 2 && i[1] == ':' && upper(i[0]) == upper(letter))
            return CountedLogicalDisk{static_cast<int>(row), i, s.LogicalDiskCounters[row]};
    }
    return std::nullopt;
}

}  // namespace bw
