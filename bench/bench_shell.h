#pragma once

#include <cstdio>
#include <string>

namespace bw::bench {

// Runs a shell command and returns what it printed, without the trailing line end.
inline std::string shell(const std::string& cmd) {
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        ::pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

}  // namespace bw::bench
