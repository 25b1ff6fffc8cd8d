#pragma once

// The monitor's figures for a terminal or a script: a two-column table like the window's, and one
// JSON object per tick that carries the readings beside the texts (so a recorded tick can be
// shown again, and held against another tool).

#include <string>

#include <nlohmann/json.hpp>

#include "tools/LogicalDrive.h"

namespace bw {

// {"drive", "counted", "disk": {counter name: value}, "interrupt_time_percent": [...],
// "interrupts_per_s": [...], "available_bytes", "page_faults_per_s"}.
nlohmann::ordered_json MonitorSnapshotJson(const MonitorSnapshot& snapshot);
// The reverse; a missing or mistyped field reads 0 (as a failed counter does), and a disk
// counter name it does not know is ignored.
MonitorSnapshot MonitorSnapshotFromJson(const nlohmann::json& j);

// {"drive", "readings": MonitorSnapshotJson, "left": [14 x {"caption", "text", "value", "red"}],
// "right": [...]}; "value" is null for a figure without a Linux source.
nlohmann::ordered_json MonitorJson(const MonitorSnapshot& snapshot, const MonitorFigures& figures);

// The window's two columns as text lines, caption and value, red values in ANSI red when
// `colour`.
std::string MonitorTable(const MonitorSnapshot& snapshot, const MonitorFigures& figures,
                         bool colour);

}  // namespace bw
