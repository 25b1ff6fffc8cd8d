// ini get FILE SECTION KEY / ini set FILE SECTION KEY VALUE: the settings store as the program
// uses it (same locks, same rules), for scripts and for looking into a settings file.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/Verbs.h"
#include "core/INIReadWrite.h"
#include "core/private_profile.h"

namespace bw::cli {
namespace {

// The store reports nothing to its callers; the last failure of this thread says why.
void report_failure() {
    if (profile::last_error().empty()) return;
    std::fprintf(stderr, "brantwell-cli: %s\n", profile::last_error().c_str());
    exit_code() = kExitFailed;
}

struct IniArgs {
    std::string file, section, key, value;
};

const RegisterVerb kIni([](CLI::App& app) {
    auto args = std::make_shared<IniArgs>();
    CLI::App* ini = app.add_subcommand("ini", "Read or write a settings file (DariDozodaz.dat)");
    ini->require_subcommand(1);

    CLI::App* get = ini->add_subcommand("get", "Print a key's value (empty when missing)");
    get->add_option("FILE", args->file, "The settings file")->required();
    get->add_option("SECTION", args->section, "Section name, without brackets")->required();
    get->add_option("KEY", args->key, "Key name")->required();
    get->callback([args] {
        // The value is printed as the program would read it (empty when missing); a file that
        // cannot be read at all (a symlink, a folder, no permission) is also reported.
        std::string value = ReadINI(args->file, args->section, args->key);
        std::fwrite(value.data(), 1, value.size(), stdout);
        std::fputc('\n', stdout);
        report_failure();
    });

    CLI::App* set = ini->add_subcommand(
        "set",
        "Write a key's value (creates the file if needed); put -- before a value that "
        "begins with -");
    set->add_option("FILE", args->file, "The settings file")->required();
    set->add_option("SECTION", args->section, "Section name, without brackets")->required();
    set->add_option("KEY", args->key, "Key name")->required();
    set->add_option("VALUE", args->value, "The value to write")->required();
    set->callback([args] {
        WriteINI(args->file, args->section, args->key, std::string_view(args->value));
        report_failure();
    });
});

}  // namespace
}  // namespace bw::cli
