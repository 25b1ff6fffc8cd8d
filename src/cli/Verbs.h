#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <vector>

namespace bw::cli {

// Each verb file registers itself: it adds its subcommand to the app and sets its callback. The
// callback returns the process exit code through `exit_code()`.
using VerbSetup = std::function<void(CLI::App& app)>;

std::vector<VerbSetup>& verbs();
int& exit_code();

struct RegisterVerb {
    explicit RegisterVerb(VerbSetup setup) { verbs().push_back(std::move(setup)); }
};

}  // namespace bw::cli
