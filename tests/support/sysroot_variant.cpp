#include "support/sysroot_variant.h"

namespace bw::test {

namespace fs = std::filesystem;

fs::path sysroot_variant(const TempDir& dir, const std::string& machine, const SysrootFiles& files) {
    fs::copy(fixture("sysroots/" + machine), dir.path(),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks |
                 fs::copy_options::overwrite_existing);
    for (const auto& [rel, text] : files) {
        const fs::path p = dir.path() / rel.substr(1);
        fs::create_directories(p.parent_path());
        fs::remove(p);  // a link is replaced, not written through
        if (text) write_file(p, *text);
    }
    return dir.path();
}

}  // namespace bw::test
