#pragma once

// The machine settings the program reads and writes by registry name. Values with a meaning on
// Linux are served by adapters onto the real system (registered by the subsystems that own them);
// the others are kept in a registry store file in the program folder, where they have no effect
// beyond the program itself. As with the system registry, a key that does not exist is never
// created: writes to it do nothing and reads return empty.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace bw {

enum class RegHive { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

inline constexpr int REG_SZ = 1;
inline constexpr int REG_DWORD = 4;

struct RegValue {
    int type = 0;  // 0: empty (missing), REG_SZ or REG_DWORD
    std::string text;
    std::uint32_t number = 0;

    static RegValue string(std::string_view s) { return {REG_SZ, std::string(s), 0}; }
    static RegValue dword(std::uint32_t n) { return {REG_DWORD, {}, n}; }
    bool empty() const { return type == 0; }
    // The value as text: the string, or the number in decimal; "" when empty.
    std::string to_text() const;
};

// A value backed by the real system (TRIM, link power, read-ahead, ...).
class RegistryAdapter {
public:
    virtual ~RegistryAdapter() = default;
    virtual RegValue query() = 0;
    virtual bool set(const RegValue& value) = 0;
    // Said by windows that show the value ("" when it has a real effect).
    virtual std::string note() const { return {}; }
};

void register_registry_adapter(RegHive hive, std::string_view key_path, std::string_view value_name,
                               std::shared_ptr<RegistryAdapter> adapter);

// Opens an existing key only. Type REG_SZ writes `value` as text, REG_DWORD its number; other
// types write nothing.
void SetKeyValue(RegHive hive, std::string_view key_path, std::string_view value_name,
                 const RegValue& value);
RegValue QueryKeyValue(RegHive hive, std::string_view key_path, std::string_view value_name);
// Removes a value kept in the registry store; a value served by an adapter is left alone.
void DeleteKeyValue(RegHive hive, std::string_view key_path, std::string_view value_name);

// True when a key exists (a known key of the program, or one present in the store).
bool RegistryKeyExists(RegHive hive, std::string_view key_path);

// The registry store file; defaults to Registry.dat in the program folder.
std::filesystem::path registry_store_path();
void set_registry_store_path(std::filesystem::path path);

std::string_view hive_name(RegHive hive);

}  // namespace bw
