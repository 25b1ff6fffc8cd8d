#pragma once

// The inventory and the system facts as text and JSON, for the command-line front end and the
// golden files.

#include <nlohmann/json.hpp>
#include <string>

#include "drives/DecodeCheck.h"
#include "drives/DosApp.h"
#include "drives/DriveStartup.h"

namespace bw {

std::string RenderInventoryText(const InventoryRun& run);
nlohmann::ordered_json InventoryJson(const InventoryRun& run);

std::string RenderSystemFactsText(const SystemFacts& facts);
nlohmann::ordered_json SystemFactsJson(const SystemFacts& facts);

// The decoded specification lines of the disk under a drive letter, each followed by the disk's
// own facts line; "" for a letter without a disk.
std::string LetterSpecificationsText(const SystemQuery& query, const VolumeMap& map, char letter,
                                     bool privileged);

// A drive's own facts and the check of its decoded record, for the verbs that show them.
nlohmann::ordered_json OwnFactsJson(const DriveOwnFacts& facts);
nlohmann::ordered_json DecodeCheckJson(const std::vector<FieldCheck>& checks);

}  // namespace bw
