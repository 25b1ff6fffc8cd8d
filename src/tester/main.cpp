// LOADWorker.exe: a tester process of the main test. The program writes it into the working
// folder and starts it (and its copies LOADWorker2.exe, LOADWorker3.exe) there with "-R".

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/TesterProtocol.h"
#include "tester/Tester.h"

namespace {

std::string own_name(const char* argv0) {
    std::error_code ec;
    std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec) exe = argv0 ? argv0 : "";
    // A file replaced while running reads back with this mark.
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.size() > kDeleted.size() && exe.ends_with(kDeleted))
        exe.resize(exe.size() - kDeleted.size());
    return std::filesystem::path(exe).filename().string();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "-R") != 0) {
        std::fprintf(stderr,
                     "%s is a tester of Brantwell; Brantwell starts it with -R in its working "
                     "folder.\n",
                     std::string(bw::kTesterFiles[0]).c_str());
        return 2;
    }
    const std::string name = own_name(argv[0]);
    const int number = bw::tester_number(name);
    if (number == 0) {
        std::string names;
        for (std::string_view file : bw::kTesterFiles)
            names += (names.empty() ? "" : ", ") + std::string(file);
        std::fprintf(stderr, "%s: not a tester name (%s)\n", name.c_str(), names.c_str());
        return 2;
    }
    std::error_code ec;
    const auto folder = std::filesystem::current_path(ec);
    if (ec) {
        std::fprintf(stderr, "%s: no working folder: %s\n", name.c_str(), ec.message().c_str());
        return 1;
    }
    return bw::tester::run_tester(number, folder);
}
