// Gathering the system facts.
#include "drives/DosApp.h"

#include <algorithm>
#include <cctype>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "platform/prompt.h"

namespace bw {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool contains_nocase(const std::string& text, std::string_view word) {
    return lower(text).find(lower(std::string(word))) != std::string::npos;
}

// "Win Type" tests in order; each that finds its word overrides the one before.
struct WinTypeRule {
    std::string_view word;
    std::string_view type;
};
inline constexpr WinTypeRule kWinTypeRules[] = {
    {"Windows XP", "1"}, {"Windows 7", "2"}, {"Windows 8", "2"},
    {"2003", "1"},       {"2008", "2"},      {"Vista", "2"},
};

// What the system report says: the system's name, the processor count line, the system model and
// the processor's current speed.
struct SystemReport {
    std::string os_name, processors, system_model, speed;
};

SystemReport TakeSystemReport(const SystemQuery& query) {
    SystemReport r;
    r.os_name = query.os_name();
    auto cpus = query.processors();
    r.processors = std::to_string(std::max<size_t>(cpus.size(), 1)) + " Processor(s) Installed.";
    r.system_model = query.system_model();
    if (!cpus.empty() && !cpus.front().current_clock_mhz.empty())
        r.speed = cpus.front().current_clock_mhz + " Mhz";
    return r;
}

std::string ask(std::string_view text, std::string_view title, std::string_view default_value) {
    // Cancelling stores the empty answer.
    return prompt().input(text, title, default_value).value_or("");
}

}  // namespace

SystemFacts& system_facts() {
    static SystemFacts facts;
    return facts;
}

std::string WinTypeOf(const std::string& win_ver) {
    std::string type = "1";
    for (const auto& rule : kWinTypeRules)
        if (contains_nocase(win_ver, rule.word)) type = rule.type;
    return type;
}

void GetCPU(SystemFacts& f, const SystemQuery& query) {
    for (const auto& p : query.processors()) {
        if (f.CPUSpeed.empty()) f.CPUSpeed = p.max_clock_mhz;
        if (f.CPUName.empty()) f.CPUName = p.name;
        if (f.Socket.empty()) f.Socket = p.socket;
        if (f.CPUMan.empty()) f.CPUMan = p.manufacturer;
        if (f.CPUDescript.empty()) f.CPUDescript = p.description;
    }
}

void GetMB(SystemFacts& f, const SystemQuery& query) {
    f.MB = query.board_product();
    if (f.MB.empty()) f.MB = ask(kMotherBoardPrompt, kMotherBoardTitle, "Unknown");
}

void GetBIOS(SystemFacts& f, const SystemQuery& query) {
    if (f.BIOS.empty()) f.BIOS = query.bios_version();
}

void GetZUDIdove(SystemFacts& f, const SystemQuery& query) {
    if (f.MEMS.empty())
        for (const auto& speed : query.memory_speeds()) {
            if (!speed.empty() && speed != "0") f.MEMS = speed + " Mhz";
            break;  // the first module speaks for all
        }
    if (f.MEMS.empty()) f.MEMS = ask(kMemorySpeedPrompt, kMemorySpeedTitle, "Unkn");
}

void SysInfo(SystemFacts& f, const SystemQuery& query, int cores,
             const std::filesystem::path& ini) {
    f = SystemFacts{};
    const SystemReport report = TakeSystemReport(query);
    f.WinVer = report.os_name;
    f.CPU = report.processors;
    f.MB = report.system_model;
    f.CPUSpeed = report.speed;
    // Only a speed in Mhz is kept.
    if (auto at = f.CPUSpeed.find("Mhz"); at != std::string::npos)
        f.CPUSpeed.erase(at + 3);
    else
        f.CPUSpeed.clear();
    f.WinType = WinTypeOf(f.WinVer);
    if (f.WinVer.empty()) f.WinVer = "Linux";

    GetBIOS(f, query);
    if (f.MB.empty()) GetMB(f, query);
    GetZUDIdove(f, query);
    GetCPU(f, query);

    if (f.CPUName.size() >= 9 && lower(f.CPUName.substr(f.CPUName.size() - 9)) == "processor")
        f.CPUName.erase(f.CPUName.size() - 9);
    f.CPU = f.CPU.substr(0, 1);
    f.Cores = std::to_string(cores);

    if (ini.empty()) return;
    for (const auto& k : kSystemFactKeys)
        WriteINI(ini, keys::kSettings, k.key, std::string_view(f.*(k.value)));
}

void SysInfo() {
    SysInfo(system_facts(), system_query(), app().processor_count, app().working_ini());
}

}  // namespace bw
