#pragma once

// The report as JSON for `brantwell-cli test --json`: the same figures as the text, with the
// unit in every field name (bytes_per_s, ops_per_s, percent, score).

#include <nlohmann/json.hpp>

#include "testengine/Report.h"
#include "testengine/ResultFiles.h"

namespace bw::testengine {

nlohmann::json report_json(const TestParameters& params, const ReportResult& report);

// What write_result_files did: the files written and the errors.
nlohmann::json written_json(const WrittenFiles& written);

}  // namespace bw::testengine
