#include "core/MainMenuActions.h"

#include "core/AppState.h"
#include "core/TesterProtocol.h"
#include "core/modKill.h"
#include "platform/ThisProcess.h"

namespace bw {

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
