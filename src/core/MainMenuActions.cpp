#include "core/MainMenuActions.h"

#include "core/AppState.h"
#include "core/TesterProtocol.h"
#include "core/modKill.h"
#include "platform/TextFiles.h"
#include "platform/ThisProcess.h"

namespace bw {

namespace {

// Result lines stay small; a larger file is not ours to show.
constexpr std::size_t kMyResultsMaxBytes = 4 * 1024 * 1024;

}  // namespace

MyResults read_my_results() {
    MyResults r;
    std::string error;
    r.lines = text_files::read(app().program_folder / kMyResultsFile, kMyResultsMaxBytes, &error);
    if (!r.lines) r.message = error.empty() ? std::string(kNoDataToCompare) : error;
    return r;
}

std::vector<std::string> process_id_messages() {
    std::vector<std::string> out{"Brantwell: process id " +
                                 std::to_string(this_process::process_id())};
    for (auto name : kTesterFiles) {
        const WindowHandle pid = FindProcessWindow(name, app().working_folder);
        out.push_back(std::string(name) + ": " +
                      (pid > 0 ? "process id " + std::to_string(pid) : std::string("not running")));
    }
    return out;
}

}  // namespace bw
