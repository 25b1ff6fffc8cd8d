#include "core/cINI.h"

#include "core/private_profile.h"

namespace bw {

namespace {
constexpr size_t kSectionBufferChars = 255;
}

std::string cINI::Value() const { return profile::get_string(path_, section_, key_, default_); }

void cINI::set_Value(std::string_view value) {
    last_return_code_ = profile::write_string(path_, section_, key_, value) ? 1 : 0;
}

void cINI::DeleteValue() { set_Value(""); }

void cINI::DeleteSection() {
    last_return_code_ = profile::write_string(path_, section_, std::nullopt, std::nullopt) ? 1 : 0;
}

std::string cINI::INISection() const {
    std::string list;
    for (const auto& key : profile::get_keys(path_, section_)) {
        list += key;
        list += '\0';
    }
    // The buffer holds 255 characters including the list's final terminator.
    if (list.size() > kSectionBufferChars - 1) {
        list.resize(kSectionBufferChars - 2);
        list += '\0';
    }
    return list;
}

}  // namespace bw
