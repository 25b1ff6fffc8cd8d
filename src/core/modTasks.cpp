#include "core/modTasks.h"

#include <algorithm>

#include "platform/Processes.h"

namespace bw {

std::vector<std::string> ListProcesses() {
    std::vector<std::string> names;
    for (pid_t pid : proc::list_pids()) {
        std::string name = proc::image_name(pid);
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(std::move(name));
    }
    return names;
}

std::string FileNameOnly(std::string_view path) {
    auto cut = path.find_last_of("\\/");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace bw
