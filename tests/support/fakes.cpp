#include "support/fakes.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Processes.h"

namespace bw::test {

namespace fs = std::filesystem;

ScriptedPrompt& ScriptedPrompt::answer_yes(bool yes) {
    bools_.push_back(yes);
    return *this;
}

ScriptedPrompt& ScriptedPrompt::answer_input(std::optional<std::string> text) {
    inputs_.push_back(std::move(text));
    return *this;
}

void ScriptedPrompt::message(std::string_view text, std::string_view title, PromptIcon icon) {
    shown_.push_back({"message", std::string(text), std::string(title), icon});
}

bool ScriptedPrompt::yes_no(std::string_view text, std::string_view title, PromptIcon icon) {
    shown_.push_back({"yes_no", std::string(text), std::string(title), icon});
    if (bools_.empty()) {
        ADD_FAILURE() << "unscripted Yes/No question: " << text;
        return false;
    }
    bool a = bools_.front();
    bools_.pop_front();
    return a;
}

bool ScriptedPrompt::ok_cancel(std::string_view text, std::string_view title, PromptIcon icon) {
    shown_.push_back({"ok_cancel", std::string(text), std::string(title), icon});
    if (bools_.empty()) {
        ADD_FAILURE() << "unscripted OK/Cancel question: " << text;
        return false;
    }
    bool a = bools_.front();
    bools_.pop_front();
    return a;
}

std::optional<std::string> ScriptedPrompt::input(std::string_view text, std::string_view title,
                                                 std::string_view) {
    shown_.push_back({"input", std::string(text), std::string(title), PromptIcon::Question});
    if (inputs_.empty()) {
        ADD_FAILURE() << "unscripted input box: " << text;
        return std::nullopt;
    }
    auto a = inputs_.front();
    inputs_.pop_front();
    return a;
}

std::vector<std::string> ScriptedPrompt::texts() const {
    std::vector<std::string> t;
    for (const auto& s : shown_) t.push_back(s.text);
    return t;
}

int ScriptedPrompt::count_containing(std::string_view needle) const {
    int n = 0;
    for (const auto& s : shown_)
        if (s.text.find(needle) != std::string::npos) ++n;
    return n;
}

void FakeClock::pause(std::int64_t ms) {
    ++pauses_;
    if (ms > 0) {
        now_ += ms;
        paused_total_ += ms;
    }
}

fs::path scratch_base() {
    return "/tmp";
}

TempDir::TempDir() {
    std::string tmpl = (scratch_base() / "bwtest.XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make everything removable again in case a test took permissions away.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink()) fs::permissions(it->path(), fs::perms::owner_all,
                                               fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

fs::path source_dir() { return BW_SOURCE_DIR; }
fs::path binary_dir() { return BW_BINARY_DIR; }
fs::path fixture(const std::string& relative) { return source_dir() / "tests/fixtures" / relative; }

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const fs::path& p, std::string_view text) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

bool run_as(unsigned id, const std::function<bool()>& work) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(id) != 0 || ::setuid(id) != 0) ::_exit(2);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TmpfsMount::TmpfsMount(const fs::path& at, const std::string& options, bool read_only) : at_(at) {
    if (::mount("tmpfs", at.c_str(), "tmpfs", read_only ? MS_RDONLY : 0, options.c_str()) == 0)
        mounted_ = true;
    else
        error_ = std::strerror(errno);
}

TmpfsMount::~TmpfsMount() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
}

bool TmpfsMount::remount_read_only() {
    return ::mount(nullptr, at_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

std::vector<pid_t> running_from(const std::filesystem::path& folder, std::string_view name) {
    std::vector<pid_t> pids;
    proc::reap_children();
    for (pid_t pid : proc::list_pids())
        if (proc::image_path(pid) == folder / name) pids.push_back(pid);
    return pids;
}

}  // namespace bw::test
