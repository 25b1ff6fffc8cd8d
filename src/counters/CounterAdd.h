#pragma once

// Helpers shared by the counter groups.

#include <string>
#include <string_view>
#include <vector>

#include "platform/PdhTypes.h"

namespace bw::counter_detail {

// Opens a new shared query; the one it replaces stays open but is no longer collected.
void open_shared_query();
// Adds MachinePrefix + object path to the shared query and lets pending events run; 0 on failure.
PdhHandle add_counter(std::string_view object_path);
// The instances of an object as the main window lists them: no total, no empty names, each once,
// in the order found; `exact_length` keeps only names of that length, else `min_length` or more.
std::vector<std::string> list_instances(std::string_view object, std::size_t min_length,
                                        std::size_t exact_length);

}  // namespace bw::counter_detail
