#include "core/mdlRegistry.h"

#include <map>
#include <mutex>

#include "core/AppState.h"
#include "core/INIReadWrite.h"
#include "core/private_profile.h"

namespace bw {

namespace {

struct KnownKey {
    RegHive hive;
    std::string_view path;
};

// The keys the program touches, which exist on every machine of the old platform; any other key
// exists only once the store holds it.
inline constexpr KnownKey kKnownKeys[] = {
    {RegHive::HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers"},
    {RegHive::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\FileSystem"},
    {RegHive::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {RegHive::HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Msahci"},
    {RegHive::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters"},
    {RegHive::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Power"},
    {RegHive::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management"},
    {RegHive::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\FileSystem\\Memory Management"},
    {RegHive::HKEY_LOCAL_MACHINE, "\\SYSTEM\\CurrentControlSet\\Services\\cisvc"},
    {RegHive::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Power\\PowerSettings\\0012ee47-9041-4b5d-9b77-535fba8b1442\\0b2d69d7-a2a1-449c-9680-f91c70521c60"},
    {RegHive::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Power\\PowerSettings\\0012ee47-9041-4b5d-9b77-535fba8b1442\\dab60367-53fe-4fbc-825e-521d069d2456"},
    {RegHive::HKEY_LOCAL_MACHINE, "CurrentControlSet\\Services\\msahci\\Controller0"},
};

std::mutex g_mutex;
std::filesystem::path g_store_path;
std::map<std::string, std::shared_ptr<RegistryAdapter>> g_adapters;

std::string lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string section_of(RegHive hive, std::string_view key_path) {
    return std::string(hive_name(hive)) + "\\" + std::string(key_path);
}

std::string adapter_id(RegHive hive, std::string_view key_path, std::string_view value_name) {
    return lower(section_of(hive, key_path)) + "|" + lower(value_name);
}

std::shared_ptr<RegistryAdapter> find_adapter(RegHive hive, std::string_view key_path,
                                              std::string_view value_name) {
    std::lock_guard lock(g_mutex);
    auto it = g_adapters.find(adapter_id(hive, key_path, value_name));
    return it == g_adapters.end() ? nullptr : it->second;
}

// A value name becomes a key of the store; one that cannot be written as such is refused.
bool storable_name(std::string_view name) {
    return !name.empty() && name.find_first_of("=\r\n") == std::string_view::npos &&
           name.front() != '[';
}

}  // namespace

std::string RegValue::to_text() const {
    if (type == REG_SZ) return text;
    if (type == REG_DWORD) return std::to_string(number);
    return {};
}

std::string_view hive_name(RegHive hive) {
    return hive == RegHive::HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::filesystem::path registry_store_path() {
    std::lock_guard lock(g_mutex);
    return g_store_path.empty() ? app().program_folder / "Registry.dat" : g_store_path;
}

void set_registry_store_path(std::filesystem::path path) {
    std::lock_guard lock(g_mutex);
    g_store_path = std::move(path);
}

void register_registry_adapter(RegHive hive, std::string_view key_path, std::string_view value_name,
                               std::shared_ptr<RegistryAdapter> adapter) {
    std::lock_guard lock(g_mutex);
    g_adapters[adapter_id(hive, key_path, value_name)] = std::move(adapter);
}

bool RegistryKeyExists(RegHive hive, std::string_view key_path) {
    for (const auto& k : kKnownKeys)
        if (k.hive == hive && lower(k.path) == lower(key_path)) return true;
    for (const auto& s : profile::get_sections(registry_store_path()))
        if (lower(s) == lower(section_of(hive, key_path))) return true;
    return false;
}

void SetKeyValue(RegHive hive, std::string_view key_path, std::string_view value_name,
                 const RegValue& value) {
    if (value.type != REG_SZ && value.type != REG_DWORD) return;
    if (auto adapter = find_adapter(hive, key_path, value_name)) {
        adapter->set(value);
        return;
    }
    if (!storable_name(value_name) || !RegistryKeyExists(hive, key_path)) return;
    std::string stored = std::to_string(value.type) + ":" + value.to_text();
    WriteINI(registry_store_path(), section_of(hive, key_path), value_name,
             std::string_view(stored));
}

void DeleteKeyValue(RegHive hive, std::string_view key_path, std::string_view value_name) {
    if (find_adapter(hive, key_path, value_name) || !storable_name(value_name)) return;
    // An entry without a type reads as missing.
    WriteINI(registry_store_path(), section_of(hive, key_path), value_name, std::string_view(""));
}

RegValue QueryKeyValue(RegHive hive, std::string_view key_path, std::string_view value_name) {
    if (auto adapter = find_adapter(hive, key_path, value_name)) return adapter->query();
    if (!storable_name(value_name)) return {};
    std::string stored = ReadINI(registry_store_path(), section_of(hive, key_path), value_name);
    auto colon = stored.find(':');
    if (colon == std::string::npos) return {};
    std::string_view kind = std::string_view(stored).substr(0, colon);
    std::string data = stored.substr(colon + 1);
    if (kind == "1") return RegValue::string(data);
    if (kind == "4") {
        long long n = ValInt(data);
        if (n < 0 || n > 0xFFFFFFFFLL) return {};
        return RegValue::dword(static_cast<std::uint32_t>(n));
    }
    return {};
}

}  // namespace bw
