// brantwell-cli: the headless front end. Every verb lives in a file of its own and registers
// itself (Verbs.h).
#include <cstdio>

#include "cli/BuildDate.h"
#include "cli/Verbs.h"
#include "core/StartSteps.h"

namespace bw::cli {

std::vector<VerbSetup>& verbs() {
    static std::vector<VerbSetup> list;
    return list;
}

int& exit_code() {
    static int code = 0;
    return code;
}

}  // namespace bw::cli

int main(int argc, char** argv) {
    CLI::App app{"Brantwell disk benchmark and analyzer, command-line front end", "brantwell-cli"};
    bool version = false, verbose = false;
    CLI::Option* version_flag =
        app.add_flag("--version", version, "Show the version and the build date, and exit");
    app.add_flag("--verbose", verbose,
                 "With --version: also list the steps that are not available in this version")
        ->needs(version_flag);
    app.require_subcommand(0, 1);
    for (auto& setup : bw::cli::verbs()) setup(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    if (version) {
        std::string text = bw::version_line("brantwell-cli") + ", built " + bw::cli::kBuiltOn;
        if (verbose)
            for (const auto& line : bw::not_available_lines(bw::program_steps())) text += "\n" + line;
        std::puts(text.c_str());
        return 0;
    }
    if (app.get_subcommands().empty()) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    return bw::cli::exit_code();
}
