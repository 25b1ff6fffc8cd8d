#include "cli/CliDocs.h"

#include <string_view>

#include <fmt/format.h>

namespace bw::cli {

namespace {

constexpr std::string_view kProgram = "brantwell-cli";

struct TextRow {
    std::string_view term, text;
};

// The manual's sections that no flag definition holds.
inline constexpr TextRow kExitStatus[] = {
    {"0", "Done: the test ran to its end, or the verb did what was asked."},
    {"1", "The test failed, was refused or ended early, or the check found a problem; the "
          "reason is on standard error."},
    {"2", "Usage: a verb, flag or value that is not understood (one line says which)."},
    {"3", "Needs root, or the system refused to open the device (the reason is said)."},
    {"4", "No such drive: the letter is not in the drive list, or no drive could be chosen."},
    {"130", "Stopped by Ctrl-C; test files are removed."},
};

inline constexpr TextRow kEnvironment[] = {
    {"TEMP, TMPDIR", "The working folder (else /tmp). When others can write there, a private "
                     "brantwell-UID folder inside it is used."},
    {"BRANTWELL_HOME", "The program folder: preferences, reports and result files. Default: the "
                       "folder of the program when writable, else $XDG_DATA_HOME/brantwell."},
    {"XDG_DATA_HOME", "Where the program folder goes when the program's own folder is not "
                      "writable (default ~/.local/share)."},
};

inline constexpr TextRow kFiles[] = {
    {"DariDozodaz.dat", "In the working folder: the working settings shared with the tester "
                        "processes. In the program folder: the preferences."},
    {"PeakResults.Dat, AverageResults.Dat, MyPResults.Dat, MyAResults.Dat",
     "Result lines of every main test, appended."},
    {"Overall.txt, Recommend.txt, Specs.txt", "The reports of the last main test."},
    {"Baseline.dat", "The quick read baseline of each drive."},
};

// Which values the completion offers: folder names, file names, this machine's drive letters (as
// `drives` lists them) or nothing (a number is typed).
struct ValueKind {
    std::string_view name, kind;
};
inline constexpr ValueKind kValueKinds[] = {
    {"--sysroot", "dir"},
    {"FILE", "file"},
    {"--drive", "drive"},
};

std::string_view value_kind(const std::string& name) {
    for (const auto& row : kValueKinds)
        if (row.name == name) return row.kind;
    return {};
}

// Text for a man(7) text line: backslashes doubled as escapes, and a leading dot or quote kept
// from being read as a request.
std::string roff(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '\\' ? std::string("\\e") : std::string(1, c);
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

// An option or verb name: its dashes are minus signs, which man renders as typed dashes.
std::string roff_name(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

std::string usage(const DocVerb& verb) {
    std::string out = "\\fB" + roff_name(std::string(kProgram)) + " " + roff_name(verb.path) +
                      "\\fR";
    for (const auto& o : verb.options) {
        if (o.name == "--help") continue;
        std::string item = o.positional ? "\\fI" + o.name + "\\fR"
                                        : "\\fB" + roff_name(o.name) + "\\fR" +
                                              (o.value.empty() ? "" : " \\fI" + o.value + "\\fR");
        if (o.many) item += "...";
        out += " " + (o.required ? item : "[" + item + "]");
    }
    return out;
}

void man_verb(const DocVerb& verb, std::string& out) {
    if (!verb.path.empty()) {
        out += ".SS " + roff_name(verb.path) + "\n";
        out += usage(verb) + "\n.PP\n" + roff(verb.description) + "\n";
        for (const auto& o : verb.options) {
            if (o.name == "--help") continue;
            out += ".TP\n";
            out += o.positional ? "\\fI" + o.name + "\\fR"
                                : "\\fB" + roff_name(o.name) + "\\fR" +
                                      (o.value.empty() ? "" : " \\fI" + o.value + "\\fR");
            out += "\n" + roff(o.description.empty() ? "(no description)" : o.description) + "\n";
        }
    }
    for (const auto& sub : verb.verbs) man_verb(sub, out);
}

void man_rows(std::string_view title, const auto& rows, std::string& out) {
    out += ".SH " + std::string(title) + "\n";
    for (const TextRow& row : rows)
        out += ".TP\n\\fB" + roff(row.term) + "\\fR\n" + roff(row.text) + "\n";
}

// The words of the options of a verb, split into flags and those that take a value.
std::string words(const DocVerb& verb, bool valued) {
    std::string out;
    for (const auto& o : verb.options)
        if (!o.positional && o.value.empty() != valued) out += (out.empty() ? "" : " ") + o.name;
    return out;
}

void bash_tables(const DocVerb& verb, std::string& verbs, std::string& flags, std::string& valued,
                 std::string& kinds) {
    std::string names;
    for (const auto& sub : verb.verbs) {
        const std::string leaf = sub.path.substr(sub.path.rfind(' ') + 1);
        names += (names.empty() ? "" : " ") + leaf;
    }
    // Keyed by the words typed: bash has no empty key for the program itself.
    const std::string key = std::string(kProgram) + (verb.path.empty() ? "" : " " + verb.path);
    verbs += fmt::format("  [\"{}\"]=\"{}\"\n", key, names);
    flags += fmt::format("  [\"{}\"]=\"{}\"\n", key, words(verb, false));
    valued += fmt::format("  [\"{}\"]=\"{}\"\n", key, words(verb, true));
    for (const auto& o : verb.options)
        if (const auto kind = value_kind(o.name); !kind.empty())
            kinds += fmt::format("  [\"{}\"]=\"{}\"\n",
                                 key + (o.positional ? " (positional)" : " " + o.name), kind);
    for (const auto& sub : verb.verbs) bash_tables(sub, verbs, flags, valued, kinds);
}

}  // namespace

DocVerb describe(const CLI::App& app, const std::string& path) {
    DocVerb verb;
    verb.path = path;
    verb.description = app.get_description();
    for (const CLI::Option* o : app.get_options()) {
        if (o->get_group().empty()) continue;  // hidden
        DocOption d;
        d.positional = !o->nonpositional();
        d.name = d.positional ? o->get_name(true) : o->get_name();
        if (!d.positional && !o->get_lnames().empty()) d.name = "--" + o->get_lnames().front();
        // A flag has no type name; a value's name drops what a check adds ("INT:INT in [1 - 3]").
        if (o->get_type_size() != 0) d.value = o->get_type_name().substr(0, o->get_type_name().find(':'));
        d.description = o->get_description();
        d.required = o->get_required();
        d.many = o->get_items_expected_max() > 1;
        verb.options.push_back(std::move(d));
    }
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App* s) {
             return !s->get_name().empty() && !s->get_group().empty();
         }))
        verb.verbs.push_back(
            describe(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name()));
    return verb;
}

std::string man_page(const DocVerb& program, const std::string& version, const std::string& date) {
    std::string out;
    out += fmt::format(".TH BRANTWELL\\-CLI 1 \"{}\" \"{} {}\" \"User Commands\"\n", date,
                       roff_name(std::string(kProgram)), version);
    out += ".SH NAME\n" + roff_name(std::string(kProgram)) + " \\- " + roff(program.description) +
           "\n";
    out += ".SH SYNOPSIS\n\\fB" + roff_name(std::string(kProgram)) + "\\fR \\fIVERB\\fR " +
           "[\\fIOPTIONS\\fR]\n.br\n\\fB" + roff_name(std::string(kProgram)) +
           "\\fR \\fIVERB\\fR \\fB\\-\\-help\\fR\n.br\n\\fB" + roff_name(std::string(kProgram)) +
           "\\fR \\fB\\-\\-version\\fR [\\fB\\-\\-verbose\\fR]\n";
    out += ".SH DESCRIPTION\n"
           "Brantwell measures how fast a machine's drives really are and explains why. This is "
           "its front end without windows, for servers, scripts and ssh sessions: the same "
           "engine, settings files and result files as the desktop program.\n"
           ".PP\n"
           "Results go to standard output (text, or JSON with \\fB\\-\\-json\\fR); progress and "
           "messages go to standard error. A question the desktop program would ask is answered "
           "by a flag, asked on the terminal, or, without a terminal, given its default answer; "
           "every answer is said.\n";
    out += ".SH OPTIONS\n";
    for (const auto& o : program.options)
        out += ".TP\n\\fB" + roff_name(o.name) + "\\fR\n" + roff(o.description) + "\n";
    out += ".SH VERBS\n";
    man_verb(program, out);
    man_rows("EXIT STATUS", kExitStatus, out);
    man_rows("ENVIRONMENT", kEnvironment, out);
    man_rows("FILES", kFiles, out);
    out += ".SH EXAMPLES\n"
           ".TP\n\\fBbrantwell\\-cli test\\fR\n"
           "The main test of the drive that holds the working folder, with the saved choices.\n"
           ".TP\n\\fBbrantwell\\-cli test \\-\\-drive D: \\-\\-write \\-\\-blocks 15A "
           "\\-\\-json\\fR\n"
           "Read and write D: at 4KB, 64KB and 1024KB and print the results as JSON.\n"
           ".TP\n\\fBbrantwell\\-cli drives\\fR\n"
           "The drive list with the letters the other verbs take.\n";
    return out;
}

std::string bash_completion(const DocVerb& program) {
    std::string verbs, flags, valued, kinds;
    bash_tables(program, verbs, flags, valued, kinds);
    return fmt::format(R"SH(# bash completion for brantwell-cli: its verbs, their flags, and folder or file names
# where a value is one. Written by `brantwell-cli docs bash` from the program's own definitions.

# Keyed by the verb path typed ("brantwell-cli ini get"). -g: this file may be sourced inside a
# function (bash-completion loads it so).
declare -gA _brantwell_cli_verbs=(
{})
declare -gA _brantwell_cli_flags=(
{})
declare -gA _brantwell_cli_valued=(
{})
declare -gA _brantwell_cli_kinds=(
{})

_brantwell_cli_words() {{
    local kind=$1 cur=$2 program=$3
    case $kind in
    dir) compgen -d -- "$cur" ;;
    file) compgen -f -- "$cur" ;;
    # The drive list's entries start with their letter ("D:  500GB ...").
    drive) compgen -W "$("$program" drives 2>/dev/null | awk '/^[A-Z]: / {{print $1}}')" -- "${{cur^^}}" ;;
    esac
}}

_brantwell_cli() {{
    local cur=${{COMP_WORDS[COMP_CWORD]}} prev=${{COMP_WORDS[COMP_CWORD-1]}}
    local scope=brantwell-cli word i skip=0
    # The verb path so far; the value after an option that takes one is not a verb.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${{COMP_WORDS[i]}}
        if ((skip)); then
            skip=0
            continue
        fi
        if [[ " ${{_brantwell_cli_valued[$scope]}} " == *" $word "* ]]; then
            skip=1
        elif [[ " ${{_brantwell_cli_verbs[$scope]}} " == *" $word "* ]]; then
            scope="$scope $word"
        fi
    done
    local IFS=$'\n'
    if [[ " ${{_brantwell_cli_valued[$scope]}} " == *" $prev "* ]]; then
        COMPREPLY=($(_brantwell_cli_words "${{_brantwell_cli_kinds[$scope $prev]}}" "$cur" "${{COMP_WORDS[0]}}"))
        return
    fi
    if [[ $cur == -* || -z ${{_brantwell_cli_verbs[$scope]}} && -z ${{_brantwell_cli_kinds[$scope (positional)]}} ]]; then
        IFS=' '
        COMPREPLY=($(compgen -W "${{_brantwell_cli_flags[$scope]}} ${{_brantwell_cli_valued[$scope]}}" -- "$cur"))
    elif [[ -n ${{_brantwell_cli_verbs[$scope]}} ]]; then
        IFS=' '
        COMPREPLY=($(compgen -W "${{_brantwell_cli_verbs[$scope]}}" -- "$cur"))
    else
        COMPREPLY=($(_brantwell_cli_words "${{_brantwell_cli_kinds[$scope (positional)]}}" "$cur" "${{COMP_WORDS[0]}}"))
    fi
}}
complete -F _brantwell_cli brantwell-cli
)SH",
                       verbs, flags, valued, kinds);
}

}  // namespace bw::cli
