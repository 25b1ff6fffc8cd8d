#include "core/INIReadWrite.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "core/cINI.h"

namespace bw {

namespace {
// One shared object for the program's whole life; its properties are set before every call, so
// calls must not interleave.
std::mutex g_mutex;
cINI& shared_ini() {
    static cINI ini;
    return ini;
}
}  // namespace

std::string ReadINI(const std::filesystem::path& file, std::string_view section,
                    std::string_view key) {
    std::lock_guard lock(g_mutex);
    cINI& ini = shared_ini();
    ini.set_Path(file.string());
    ini.set_Section(section);
    ini.set_Key(key);
    return ini.Value();
}

void WriteINI(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value) {
    std::lock_guard lock(g_mutex);
    cINI& ini = shared_ini();
    ini.set_Path(file.string());
    ini.set_Section(section);
    ini.set_Key(key);
    ini.set_Value(value);
}

std::string format_number(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

double Val(std::string_view text) {
    std::string s(text.substr(0, 64));
    size_t i = s.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    const char* begin = s.c_str() + i;
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    // strtod also takes hex, "inf" and "nan"; the lenient reading knows only plain decimals.
    if (end == begin || s.find_first_of("xXnN", i) < static_cast<size_t>(end - s.c_str())) return 0;
    // A number too large for a double ("1e999") is no number either.
    return std::isfinite(v) ? v : 0;
}

long long ValInt(std::string_view text) {
    double v = Val(text);
    if (!(v > -9.2e18 && v < 9.2e18)) return 0;
    return static_cast<long long>(v);
}

}  // namespace bw
