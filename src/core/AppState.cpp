#include "core/AppState.h"

#include "platform/HeldFolder.h"

namespace bw {

AppState& app() {
    static AppState state;
    return state;
}

void AppState::hold_working_folder(const std::filesystem::path& path, UniqueFd fd) {
    working_folder = path;
    working_fd_path = path;
    working_fd = std::make_shared<const UniqueFd>(std::move(fd));
}

int AppState::working_dir() {
    if (!working_fd || working_fd_path != working_folder) {
        std::string error;  // an unopenable folder shows in the first use's own message
        hold_working_folder(working_folder, open_folder(working_folder, &error));
    }
    return working_fd->get();
}

}  // namespace bw
