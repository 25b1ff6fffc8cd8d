// brantwell-cli: the headless front end. Every verb lives in a file of its own and registers
// itself (Verbs.h).
#include <cstdio>

#include "cli/ExitCodes.h"
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

namespace {

// "brantwell-cli ini get": the verbs named so far, so the pointer to the help is the right one.
std::string command_path(const CLI::App& app) {
    std::string path = app.get_name();
    for (const CLI::App* sub = &app; !sub->get_subcommands().empty();) {
        sub = sub->get_subcommands().back();
        path += " " + sub->get_name();
    }
    return path;
}

// CLI11's own complaints (a missing or unknown flag, a value out of range) in the tool's one-line
// form, so a script's log shows what was wrong and not a page of help.
std::string usage_error(const CLI::App* app, const CLI::Error& e) {
    std::string what = e.what();
    for (char& c : what)
        if (c == '\n') c = ' ';
    const std::string path = command_path(*app);
    return path + ": " + what + "\nRun '" + path + " --help' for usage.\n";
}

}  // namespace

}  // namespace bw::cli

int main(int argc, char** argv) {
    CLI::App app{"Brantwell disk benchmark and analyzer, command-line front end.\n"
                 "Results go to standard output (--json: one document, its `schema` field names "
                 "the verb and version), messages and progress to standard error.\n"
                 "Exit status: 0 done, 1 the test failed or found a problem, 2 usage, 3 needs "
                 "root or the device was refused, 4 no such drive, 130 interrupted.",
                 "brantwell-cli"};
    bool version = false, verbose = false;
    CLI::Option* version_flag =
        app.add_flag("--version", version, "Show the version and the build date, and exit");
    app.add_flag("--verbose", verbose,
                 "With --version: also list the steps that are not available in this version")
        ->needs(version_flag);
    app.require_subcommand(0, 1);
    app.failure_message(bw::cli::usage_error);
    for (auto& setup : bw::cli::verbs()) setup(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help is a ParseError too; it prints the help and is no failure.
        const int status = app.exit(e);
        return status == 0 ? bw::cli::kExitDone : bw::cli::kExitUsage;
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
