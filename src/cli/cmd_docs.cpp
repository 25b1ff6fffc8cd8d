// docs man|bash (hidden): prints the manual page or the bash completion, made from the verbs and
// flags registered at that moment. The build runs it; users get the installed files.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/BuildDate.h"
#include "cli/CliDocs.h"
#include "cli/Verbs.h"
#include "version.h"

namespace bw::cli {
namespace {

const RegisterVerb kDocs([](CLI::App& app) {
    auto format = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("docs", "Print the manual page or the bash completion");
    cmd->group("");  // hidden: not listed in --help, the manual or the completion
    cmd->add_option("FORMAT", *format, "man or bash")
        ->required()
        ->check(CLI::IsMember({"man", "bash"}));
    cmd->callback([&app, format] {
        const DocVerb program = describe(app);
        const std::string text = *format == "man"
                                     ? man_page(program, kVersionText, kBuiltOn)
                                     : bash_completion(program);
        std::fputs(text.c_str(), stdout);
        exit_code() = 0;
    });
});

}  // namespace
}  // namespace bw::cli
