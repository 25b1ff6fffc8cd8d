#pragma once

// The manual page and the bash completion of brantwell-cli, written from the same verb and flag
// definitions the parser uses, so a verb or flag added in its own file appears in both without
// an edit here. The build runs the hidden `docs` verb to write them; the install rule and the
// tests use those files.

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace bw::cli {

struct DocOption {
    std::string name;         // "--drive", or a positional's name "FILE"
    std::string value;        // "TEXT", "INT"; "" for a flag
    std::string description;
    bool positional = false, required = false, many = false;
};

struct DocVerb {
    std::string path;  // "test", "ini get"; "" for the program itself
    std::string description;
    std::vector<DocOption> options;
    std::vector<DocVerb> verbs;
};

// The shown verbs and options of an app (verbs in a group named "" are hidden and left out).
DocVerb describe(const CLI::App& app, const std::string& path = "");

// The manual page in man(7) form; `date` goes into its title line.
std::string man_page(const DocVerb& program, const std::string& version, const std::string& date);

// A bash script that completes verbs, flags and file or folder values.
std::string bash_completion(const DocVerb& program);

}  // namespace bw::cli
