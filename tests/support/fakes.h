#pragma once

// Test doubles behind the platform interfaces.

#include <sys/types.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/prompt.h"

namespace bw::test {

// Answers prompts from a script and records every prompt shown. An unscripted question fails the
// test (answering No), so a scenario states every answer it expects to give.
class ScriptedPrompt : public Prompt {
public:
    struct Shown {
        std::string kind;  // "message", "yes_no", "ok_cancel", "input"
        std::string text, title;
        PromptIcon icon = PromptIcon::None;
    };

    ScriptedPrompt& answer_yes(bool yes = true);
    ScriptedPrompt& answer_input(std::optional<std::string> text);

    void message(std::string_view text, std::string_view title, PromptIcon icon) override;
    bool yes_no(std::string_view text, std::string_view title, PromptIcon icon) override;
    bool ok_cancel(std::string_view text, std::string_view title, PromptIcon icon) override;
    std::optional<std::string> input(std::string_view text, std::string_view title,
                                     std::string_view default_value) override;

    const std::vector<Shown>& shown() const { return shown_; }
    // Texts of the prompts shown, in order.
    std::vector<std::string> texts() const;
    // Number of prompts whose text contains `needle`.
    int count_containing(std::string_view needle) const;
    bool unanswered_remaining() const { return !bools_.empty() || !inputs_.empty(); }
    void clear() { shown_.clear(); }

private:
    std::vector<Shown> shown_;
    std::deque<bool> bools_;
    std::deque<std::optional<std::string>> inputs_;
};

// Time that moves only when told to (or when code pauses), so waits cost no test time.
class FakeClock : public Clock {
public:
    std::int64_t now_ms() const override { return now_; }
    void pause(std::int64_t ms) override;
    void advance(std::int64_t ms) { now_ += ms; }
    std::int64_t paused_total() const { return paused_total_; }
    int pause_count() const { return pauses_; }

private:
    std::int64_t now_ = 1'000'000;
    std::int64_t paused_total_ = 0;
    int pauses_ = 0;
};

// Installs a fake for the duration of a scope.
struct UsePrompt {
    explicit UsePrompt(Prompt& p) { set_prompt(&p); }
    ~UsePrompt() { set_prompt(nullptr); }
};
struct UseClock {
    explicit UseClock(Clock& c) { set_clock(&c); }
    ~UseClock() { set_clock(nullptr); }
};

// Where every scratch folder and file of the tests is made: /tmp, whatever TEMP or TMPDIR say.
// The tests set TEMP themselves (it is the program's working folder), and a private TEMP of the
// person running them must not make scratch folders unreachable to the other users tests switch to.
std::filesystem::path scratch_base();

// A fresh folder (mode 0700) under scratch_base(), removed with everything in it at the end of the
// scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Folder of the sources and of the build, for fixtures and built programs.
std::filesystem::path source_dir();
std::filesystem::path binary_dir();
std::filesystem::path fixture(const std::string& relative);  // tests/fixtures/<relative>

std::string read_file(const std::filesystem::path& p);
void write_file(const std::filesystem::path& p, std::string_view text);
// Names in a folder, sorted: what a write left behind.
std::vector<std::string> names_in(const std::filesystem::path& dir);

// Runs `work` in a forked child as user and group `id` (needs root); true when it returned true.
bool run_as(unsigned id, const std::function<bool()>& work);

// A small tmpfs of our own at an existing folder (needs root), so "disk full" and "read-only"
// are real and cost nothing. Unmounted at the end of the scope.
class TmpfsMount {
public:
    TmpfsMount(const std::filesystem::path& at, const std::string& options, bool read_only = false);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }
    bool remount_read_only();

private:
    std::filesystem::path at_;
    bool mounted_ = false;
    std::string error_;
};

// Processes whose executable is `name` in `folder`, looked up without the code under test.
std::vector<pid_t> running_from(const std::filesystem::path& folder, std::string_view name);

}  // namespace bw::test
