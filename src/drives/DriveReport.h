#pragma once

// The inventory and the system facts as text and JSON, for the command-line front end and the
// golden files.

#include <nlohmann/json.hpp>
#include <string>

#include "drives/DosApp.h"
#include "drives/DriveStartup.h"

namespace bw {

std::string RenderInventoryText(const InventoryRun& run);
nlohmann::ordered_json InventoryJson(const InventoryRun& run);

std::string RenderSystemFactsText(const SystemFacts& facts);
nlohmann::ordered_json SystemFactsJson(const SystemFacts& facts);

}  // namespace bw
