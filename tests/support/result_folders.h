#pragma once

// A folder of the test's own as the program and working folder, so result files a test writes
// never land in the build folder; both folders are cleared again when it goes.

#include <filesystem>

#include "core/AppState.h"
#include "support/fakes.h"

namespace bw::test {

class OwnResultFolders {
public:
    OwnResultFolders() {
        app().program_folder = dir_.path();
        app().working_folder = dir_.path();
    }
    ~OwnResultFolders() {
        app().program_folder.clear();
        app().working_folder.clear();
    }
    OwnResultFolders(const OwnResultFolders&) = delete;
    OwnResultFolders& operator=(const OwnResultFolders&) = delete;
    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
};

}  // namespace bw::test
