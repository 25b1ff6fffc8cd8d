#pragma once

// What a finished main test hands on: the text shown at the end of a run and its JSON form. Until
// the report is built from the samples, this is the peaks of every type and block that ran.
// One function of the parameters and the samples, so the report can take its place.

#include <string>

#include <nlohmann/json.hpp>

#include "testengine/TestParameters.h"
#include "testengine/TestSamples.h"

namespace bw::testengine {

std::string EndOfRun(const TestParameters& params, const TestSamples& samples);
nlohmann::ordered_json EndOfRunJson(const TestParameters& params, const TestSamples& samples);

}  // namespace bw::testengine
