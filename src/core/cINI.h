#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace bw {

// One INI file, section and key at a time, in the shape the rest of the program uses: set Path,
// Section and Key, then read or write Value.
class cINI {
public:
    std::int32_t LastReturnCode() const { return last_return_code_; }

    const std::string& Default() const { return default_; }
    void set_Default(std::string_view v) { default_ = v; }
    const std::string& Path() const { return path_; }
    void set_Path(std::string_view v) { path_ = v; }
    const std::string& Key() const { return key_; }
    void set_Key(std::string_view v) { key_ = v; }
    const std::string& Section() const { return section_; }
    void set_Section(std::string_view v) { section_ = v; }

    // Key of Section in Path, at most 1023 characters; Default when missing.
    std::string Value() const;
    // Writes Key=value (NULs removed); LastReturnCode is non-zero on success.
    void set_Value(std::string_view value);
    // Leaves the key in the file with nothing after its equals sign.
    void DeleteValue();
    // Removes Section with all its keys.
    void DeleteSection();
    // Names of the keys of Section, each followed by a NUL, cut to the classic 255-character
    // buffer.
    std::string INISection() const;

private:
    std::string path_, key_, section_, default_;
    std::int32_t last_return_code_ = 0;
};

}  // namespace bw
