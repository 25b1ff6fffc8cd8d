// brantwell-cli: the headless front end. Every verb lives in a file of its own and registers
// itself (Verbs.h).
#include <cstdio>

#include "cli/Verbs.h"
#include "version.h"

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
    app.set_version_flag("--version", std::string("brantwell-cli ") + bw::kVersionText + " (" +
                                          bw::kBuildDate + ")");
    app.require_subcommand(0, 1);
    for (auto& setup : bw::cli::verbs()) setup(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    if (app.get_subcommands().empty()) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    }
    return bw::cli::exit_code();
}
