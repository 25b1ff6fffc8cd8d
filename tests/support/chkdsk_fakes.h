#pragma once

// A machine for the disk check made of files and scripts: checkers that replay recorded output,
// mounts recorded instead of done, a sink that keeps every call.

#include <cerrno>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "drives/VolumeMap.h"
#include "platform/CheckerHost.h"
#include "platform/Mounts.h"
#include "support/recording_mount_runner.h"
#include "platform/SystemQuery.h"
#include "support/fakes.h"
#include "tools/ChkDskSink.h"
#include "tools/modChkDsk.h"

namespace bw::test {

// A checker run as a script: pieces of output or progress, or a quiet spell; poll after each.
struct CheckerStep {
    enum class Kind { Output, Progress, Quiet } kind = Kind::Output;
    std::string text;
};

// Cuts a recording into pieces of `size` bytes (then size+1, ...), as a pipe may hand it out.
inline std::vector<CheckerStep> chunked(CheckerStep::Kind kind, const std::string& text,
                                        size_t size) {
    std::vector<CheckerStep> steps;
    for (size_t at = 0; at < text.size(); at += size, ++size)
        steps.push_back({kind, text.substr(at, size)});
    return steps;
}

class FakeCheckerHost : public CheckerHost {
  public:
    std::map<std::string, std::string, std::less<>> installed{
        {"e2fsck", "/usr/sbin/e2fsck"},
        {"xfs_repair", "/usr/sbin/xfs_repair"},
        {"btrfs", "/usr/bin/btrfs"},
        {"fsck.fat", "/usr/sbin/fsck.fat"}};
    std::vector<CheckerStep> script;
    int exit_status = 0;
    int exit_after_interrupt = 32;  // e2fsck's status when it stopped on SIGINT
    std::vector<VolumeUser> users;
    std::vector<CheckerCommand> commands;
    std::vector<CheckerStop> stops;
    std::function<void(size_t step)> before_step;  // what a person does meanwhile

    std::string find_program(std::string_view name) const override {
        auto it = installed.find(name);
        return it == installed.end() ? std::string() : it->second;
    }
    CheckerExit run(const CheckerCommand& command, const CheckerEvents& events) override {
        commands.push_back(command);
        CheckerExit exit;
        exit.started = true;
        for (const auto& step : script) {
            if (before_step) before_step(static_cast<size_t>(&step - script.data()));
            if (step.kind == CheckerStep::Kind::Output) events.output(step.text);
            if (step.kind == CheckerStep::Kind::Progress) events.progress(step.text);
            const CheckerStop stop = events.poll();
            if (stop == CheckerStop::None) continue;
            stops.push_back(stop);
            if (stop == CheckerStop::Kill) {
                exit.signal = 9;
                return exit;
            }
            exit.exit_status = exit_after_interrupt;
            return exit;
        }
        exit.exit_status = exit_status;
        return exit;
    }
    std::vector<VolumeUser> users_of(const std::string&) const override { return users; }
    std::string device_in_use(const std::string&) const override { return busy_after_unmount; }
    std::string busy_after_unmount;
};

class RecordingSink : public IChkDskSink {
  public:
    void Done(bool& bError) override {
        ++done;
        error = bError;
        if (on_done) on_done();
    }
    void Progress(std::int32_t value, bool& bCancel) override {
        progress.push_back(value);
        if (on_progress) on_progress();
        bCancel = cancel_now();
    }
    void Status(std::string text, bool& bCancel) override {
        output += text;
        pieces.push_back(std::move(text));
        bCancel = cancel_now();
        if (on_status) on_status();
    }
    // Asks to cancel once this many pieces have arrived (-1: never).
    int cancel_after_pieces = -1;
    int done = 0;
    bool error = false;
    std::vector<std::int32_t> progress;
    std::vector<std::string> pieces;
    std::string output;
    std::function<void()> on_status, on_progress, on_done;

  private:
    bool cancel_now() const {
        return cancel_after_pieces >= 0 && static_cast<int>(pieces.size()) >= cancel_after_pieces;
    }
};

// Volumes C: (/, ext4), D: ext4, E: xfs, F: btrfs, G: exfat, H: vfat, with their mountinfo.
class ChkDskRig {
  public:
    ChkDskRig() {
        add('C', "/", "sda1", "8:1", "ext4", true);
        add('D', "/mnt/d", "loop0", "7:0", "ext4");
        add('E', "/mnt/e", "loop1", "7:1", "xfs");
        add('F', "/mnt/f", "loop2", "7:2", "btrfs");
        add('G', "/mnt/g", "loop3", "7:3", "exfat");
        add('H', "/mnt/h", "loop4", "7:4", "vfat");
        write_mountinfo();
    }
    // A second mount of D:'s filesystem.
    void bind_d_elsewhere() {
        extra_ += "90 1 7:0 / /srv/d rw,relatime - ext4 /dev/loop0 rw\n";
        write_mountinfo();
    }
    void write(const std::string& abs, const std::string& text) {
        std::filesystem::create_directories((dir_.path() / abs.substr(1)).parent_path());
        write_file(dir_.path() / abs.substr(1), text);
    }
    // An ext superblock on the device of a letter's volume, with its state field (1 clean, 2
    // errors).
    void ext_superblock(const std::string& device, unsigned state) {
        std::string bytes(2048, '\0');
        bytes[1024 + 0x38] = '\x53';
        bytes[1024 + 0x39] = '\xEF';
        bytes[1024 + 0x3A] = static_cast<char>(state);
        write("/dev/" + device, bytes);
    }
    ChkDskResult check(char letter, const ChkDskOptions& options) {
        return Chkdsk(std::string(1, letter) + ":\\", options, sink, machine);
    }

    FakeCheckerHost host;
    RecordingMountRunner runner;
    RecordingSink sink;
    ScriptedPrompt prompt;
    UsePrompt use_prompt{prompt};
    VolumeMap map;

  private:
    void add(char letter, const std::string& point, const std::string& dev,
             const std::string& majmin, const std::string& fstype, bool root = false) {
        Volume v;
        v.letter = letter;
        v.mount_point = point;
        v.device_name = dev;
        v.fstype = fstype;
        v.uuid = std::string("uuid-") + letter;
        v.mount_options = "rw,relatime";
        v.holds_root = root;
        map.volumes.push_back(v);
        mountinfo_ += std::to_string(20 + map.volumes.size()) + " 1 " + majmin + " / " + point +
                      " rw,relatime - " + fstype + " /dev/" + dev + " rw,errors=remount-ro\n";
    }
    void write_mountinfo() { write("/proc/self/mountinfo", mountinfo_ + extra_); }

    TempDir dir_;
    std::string mountinfo_, extra_;

  public:
    SystemQuery query{Sysroot(dir_.path())};
    Mounts mounts{Sysroot(dir_.path()), runner};
    ChkDskMachine machine{host, mounts, query, map};
};

}  // namespace bw::test
