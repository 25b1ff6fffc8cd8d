#pragma once

#include "core/ui/UiRegistry.h"

namespace bw {

inline constexpr std::string_view kFrmTRIM = "frmTRIM";
inline constexpr std::string_view kFrmData = "frmData";

// The TRIM test's menu entries ("TRIM Test (SSD Only)", "What is TRIM") and its windows.
void register_trim_ui(UiRegistry& registry);

}  // namespace bw
