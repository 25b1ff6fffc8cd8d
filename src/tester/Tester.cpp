#include "tester/Tester.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "core/INIReadWrite.h"
#include "core/SettingsKeys.h"
#include "core/TesterProtocol.h"
#include "core/private_profile.h"
#include "platform/DirectIo.h"
#include "tester/Helpers.h"
#include "tester/Job.h"
#include "tester/PartCheck.h"
#include "tester/Target.h"
#include "tester/Transfer.h"
#include "tester/Watch.h"

namespace bw::tester {

namespace fs = std::filesystem;
using Entries = std::vector<std::pair<std::string, std::string>>;

namespace {

// A protocol key and its value, as the settings store takes them.
std::pair<std::string, std::string> entry(std::string_view key, std::string value) {
    return {std::string(key), std::move(value)};
}

constexpr std::uint64_t kRegionAlign = 1 << 20;
// The layout of the test file moves this much per write.
constexpr int kLayoutBlockIndex = 10;
// How long the first tester waits after a step for a helper that is still running to report it
// done: its last operation on a slow drive may end well after the deadline. A helper that ended
// is found at once by its process, not by this wait.
constexpr int kStepReportWaitMs = 10000;

struct Assignment {
    int tester = 1;
    Side side = Side::Read;
    std::string target;
    bool device = false;
    Region region;
    std::uint64_t block = 0;
};

DirectAccess access_for(Side side) {
    return side == Side::Write ? DirectAccess::ReadWrite : DirectAccess::Read;
}

// The process-wide transfer buffer: random once, grown when a larger block comes.
IoBuffer& buffer_for(std::uint64_t bytes, std::uint64_t align) {
    static std::unique_ptr<IoBuffer> buffer;
    if (!buffer || buffer->size() < bytes ||
        reinterpret_cast<std::uintptr_t>(buffer->data()) % align != 0)
        buffer = std::make_unique<IoBuffer>(std::max<std::uint64_t>(bytes, 4 << 20),
                                            std::max<std::uint64_t>(align, 4096));
    return *buffer;
}

class Tester {
  public:
    Tester(int number, const fs::path& folder) : number_(number), folder_(folder), watch_(folder) {}

    int run();

  private:
    std::string get(std::string_view section, std::string_view key) {
        return profile::get_string(watch_.ini(), section, key);
    }
    void put(std::string_view section, const Entries& entries) {
        profile::write_strings(watch_.ini(), section, entries);
    }

    // First tester.
    bool job_pending();
    Stop run_job();
    void report_error(const std::string& reason);
    Stop run_steps(const TesterJob& job, const std::vector<Step>& steps, OpenTarget* file,
                   const fs::path& file_path, OpenTarget* device, const std::string& device_path);
    std::string wait_for_reports(HelperWatch& helpers, const std::vector<int>& testers,
                                 const std::string& serial);

    // Second and third testers.
    Stop poll_assignment();
    std::string take_part(const Part& part, TransferResult& result);

    int number_;
    fs::path folder_;
    Watch watch_;
    std::string last_step_;
};

bool Tester::job_pending() {
    if (watch_.state() != Stop::None) return false;
    if (get(keys::kHardDriveTest1, keys::kRun) != "1") return false;
    std::string finished = get(keys::kHardDriveTest1, keys::kFinished);
    return finished != "1" && finished != "2";
}

void Tester::report_error(const std::string& reason) {
    put(keys::kHardDriveTest1, {entry(keys::kError, reason)});
}

Stop Tester::run_job() {
    const std::string_view section = keys::kHardDriveTest1;
    // The job is taken: "Run" goes back to "0" so it is never run twice.
    put(section, {entry(keys::kRun, "0"), entry(keys::kError, "")});
    put(keys::kTesterFunction, tester_function_keys(nullptr));
    remove_recorded_test_files(folder_);

    std::string reason;
    auto job = parse_job([&](std::string_view k) { return get(section, k); }, &reason);
    if (!job) {
        report_error(reason);
        return Stop::None;
    }
    const std::vector<Step> steps = plan_job(*job);

    // Everything that can refuse the test is checked before any I/O.
    std::optional<OpenTarget> device;
    std::string device_path;
    if (reads_device(*job)) {
        device_path = job_device(*job, &reason);
        if (!device_path.empty()) device = open_device(device_path, &reason);
        if (!device) {
            report_error(reason);
            return Stop::None;
        }
    }
    std::optional<OpenTarget> file;
    fs::path file_path;
    if (needs_test_file(*job)) {
        std::string folder = job_folder(*job, &reason);
        std::uint64_t size = 0;
        std::error_code ec;  // a missing folder has no free space either: say which it is
        if (!folder.empty() && !fs::exists(folder, ec))
            reason = "The test folder " + folder + " does not exist.";
        else if (!folder.empty()) size = test_file_size(*job, free_bytes(folder), &reason);
        if (size > 0) {
            file_path = fs::path(folder) / kTestFileName;
            file = create_test_file(folder_, file_path, &reason);
        }
        if (!file) {
            report_error(reason);
            remove_recorded_test_files(folder_);
            return Stop::None;
        }
        // Lay the file out in full with random data, so reads find real blocks and writes
        // overwrite rather than allocate.
        TransferPlan layout;
        layout.fd = file->fd.get();
        layout.side = Side::Write;
        layout.block = aligned_block(block_transfer_bytes(kLayoutBlockIndex), file->align);
        layout.region = {0, size / layout.block * layout.block};
        layout.one_pass = true;
        TransferResult r = run_transfer(layout, buffer_for(layout.block, file->align), watch_);
        if (r.stop == Stop::None && r.error == 0) ::fdatasync(file->fd.get());
        file->size = r.bytes;
        if (r.stop != Stop::None || r.error != 0 || file->size < layout.region.length) {
            if (r.error != 0)
                report_error("Brantwell could not write the test file " + file_path.string() +
                             ": " + std::strerror(r.error));
            file.reset();
            remove_recorded_test_files(folder_);
            return r.stop;
        }
    }

    Stop stop = run_steps(*job, steps, file ? &*file : nullptr, file_path,
                          device ? &*device : nullptr, device_path);
    file.reset();
    device.reset();
    remove_recorded_test_files(folder_);
    for (int n : {2, 3}) put(keys::hard_drive_test(n), {entry(keys::kPart, "")});
    put(keys::kTesterFunction, tester_function_keys(nullptr));
    if (stop == Stop::None) put(section, {entry(keys::kFinished, "1")});
    return stop;
}

Stop Tester::run_steps(const TesterJob& job, const std::vector<Step>& steps, OpenTarget* file,
                       const fs::path& file_path, OpenTarget* device,
                       const std::string& device_path) {
    const std::string serial_base =
        std::to_string(::getpid()) + "." + std::to_string(monotonic_ms()) + ".";
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        // Testers sharing a target work on distinct regions of it.
        std::vector<Assignment> parts;
        for (const Role& role : step.roles) {
            Assignment a;
            a.tester = role.tester;
            a.side = role.side;
            a.device = role.side == Side::Read && job.type == JobType::Performance;
            OpenTarget* t = a.device ? device : file;
            if (!t) {
                report_error("The test has no target for one of its parts.");
                return Stop::Cancel;
            }
            a.target = a.device ? device_path : file_path.string();
            a.block = aligned_block(block_transfer_bytes(step.block), t->align);
            parts.push_back(a);
        }
        for (Assignment& a : parts) {
            int count = 0, index = 0;
            for (const Assignment& b : parts) {
                if (b.device != a.device) continue;
                if (b.tester < a.tester) ++index;
                ++count;
            }
            OpenTarget* t = a.device ? device : file;
            a.region = region_of(t->size, index, count, std::max(kRegionAlign, t->align));
        }

        // Every helper the step needs must be running before any of it starts: a step measured
        // short-handed would report a false figure.
        std::vector<int> helpers;
        std::vector<std::pair<int, int>> helper_pids;
        for (const Assignment& a : parts) {
            if (a.tester == 1) continue;
            const int pid =
                static_cast<int>(ValInt(get(keys::kStatus, keys::tester_pid(a.tester))));
            if (ValInt(get(keys::kStatus, keys::program_status(a.tester))) == 0 ||
                !process_running(pid)) {
                report_error(not_running_reason(a.tester));
                return Stop::Cancel;
            }
            helpers.push_back(a.tester);
            helper_pids.emplace_back(a.tester, pid);
        }
        HelperWatch helper_watch(watch_, helper_pids);

        const std::string serial = serial_base + std::to_string(i + 1);
        const std::int64_t until = monotonic_ms() + std::int64_t{job.seconds} * 1000;
        for (const Assignment& a : parts) {
            if (a.tester == 1) continue;
            Part part{serial, a.side, a.region, a.block, until, a.target};
            put(keys::hard_drive_test(a.tester), {entry(keys::kPart, encode_part(part))});
        }
        put(keys::kTesterFunction, tester_function_keys(&step));

        const Assignment& own = parts.front();
        OpenTarget* t = own.device ? device : file;
        TransferPlan plan{t->fd.get(), own.side, own.block, own.region, until, false};
        TransferResult r = run_transfer(plan, buffer_for(own.block, t->align), helper_watch);
        if (helper_watch.gone() != 0) {
            report_error(ended_reason(helper_watch.gone()));
            return Stop::Cancel;
        }
        if (r.error != 0)
            report_error("Brantwell could not " +
                         std::string(own.side == Side::Read ? "read " : "write ") + own.target +
                         ": " + std::strerror(r.error));
        if (r.stop != Stop::None) return r.stop;
        if (r.error != 0) return Stop::Cancel;
        std::string helper_error = wait_for_reports(helper_watch, helpers, serial);
        if (watch_.state() != Stop::None) return watch_.state();
        if (!helper_error.empty()) {
            report_error(helper_error);
            return Stop::Cancel;
        }
    }
    return Stop::None;
}

// "" once every helper reported the step done without an error; else the first helper's error,
// or why a helper did not report (it ended, or it did not answer within the wait).
std::string Tester::wait_for_reports(HelperWatch& helpers, const std::vector<int>& testers,
                                     const std::string& serial) {
    std::vector<int> waiting = testers;
    std::string error;
    const std::int64_t give_up = monotonic_ms() + kStepReportWaitMs;
    bool look = true;
    while (!waiting.empty() && watch_.state() == Stop::None) {
        if (look)
            std::erase_if(waiting, [&](int n) {
                const std::string section = keys::hard_drive_test(n);
                if (get(section, keys::kDone) != serial) return false;
                if (error.empty()) error = get(section, keys::kError);
                return true;
            });
        if (!error.empty()) return error;
        if (waiting.empty()) break;
        if (!helpers.all_running()) return ended_reason(helpers.gone());
        if (monotonic_ms() >= give_up)
            return tester_name(waiting.front()) + " did not finish its part of the step within " +
                   std::to_string(kStepReportWaitMs / 1000) + " seconds.";
        watch_.wait(100);
        look = watch_.take_change();
    }
    return "";
}

Stop Tester::poll_assignment() {
    const std::string section = keys::hard_drive_test(number_);
    Part part;
    if (!decode_part(get(section, keys::kPart), part) || part.step == last_step_) return Stop::None;
    last_step_ = part.step;

    const std::int64_t now = monotonic_ms();
    // A deadline already past, or absurdly far (a file from before a reboot), is not work.
    if (part.until_ms <= now || part.until_ms - now > (std::int64_t{86400} + 60) * 1000 ||
        watch_.state() != Stop::None)
        return watch_.state();

    TransferResult r;
    const std::string reason = take_part(part, r);
    put(section, {entry(keys::kDone, part.step), entry(keys::kError, reason)});
    return r.stop;
}

// Checks the part against the job and does it; "" when done, else why it was refused or failed.
std::string Tester::take_part(const Part& part, TransferResult& r) {
    std::string reason;
    auto job =
        parse_job([&](std::string_view k) { return get(keys::kHardDriveTest1, k); }, &reason);
    if (!job) return reason;
    JobTargets targets{job_test_file(*job), job_device(*job, &reason)};
    reason = refuse_part_target(part, targets);
    if (!reason.empty()) return reason;

    std::optional<OpenTarget> t =
        part.target == targets.device
            ? open_device(part.target, &reason)
            : open_direct_file(part.target, access_for(part.side), &reason);
    if (!t) return reason;
    reason = refuse_region(part.region, t->size, part.target);
    if (!reason.empty()) return reason;
    std::uint64_t block = aligned_block(part.block, t->align);
    if (block > block_transfer_bytes(kBlockCount) * 16)
        return "The step asks for a block of " + std::to_string(block) + " bytes.";
    TransferPlan plan{t->fd.get(), part.side, block, part.region, part.until_ms, false};
    r = run_transfer(plan, buffer_for(block, t->align), watch_);
    if (r.error != 0)
        return "Brantwell could not " + std::string(part.side == Side::Read ? "read " : "write ") +
               part.target + ": " + std::strerror(r.error);
    return "";
}

int Tester::run() {
    const std::string status_key = keys::program_status(number_);
    // A working file someone else could have written is never acted on, nor written: a planted
    // one would steer what this tester deletes and writes.
    if (std::string why = untrusted_file_reason(watch_.ini()); !why.empty()) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    put(keys::kStatus,
        {{status_key, "1"}, entry(keys::tester_pid(number_), std::to_string(::getpid()))});
    // Whatever a tester killed outright left behind goes now; a record this user did not write
    // is not followed, and that is said.
    if (number_ == 1)
        if (std::string why = remove_recorded_test_files(folder_); !why.empty())
            std::fprintf(stderr, "%s\n", why.c_str());
    for (;;) {
        if (watch_.state() == Stop::Exit) break;
        if (watch_.take_change()) {
            if (std::string why = untrusted_file_reason(watch_.ini()); !why.empty()) {
                std::fprintf(stderr, "%s\n", why.c_str());
                return 1;
            }
            Stop s = Stop::None;
            if (number_ == 1) {
                if (job_pending()) s = run_job();
            } else {
                s = poll_assignment();
            }
            if (s == Stop::Exit) break;
        }
        watch_.wait(1000);
    }
    if (number_ == 1) remove_recorded_test_files(folder_);
    put(keys::kStatus, {{status_key, "0"}});
    return 0;
}

}  // namespace

int run_tester(int number, const fs::path& working_folder) {
    install_stop_signals();
    Tester tester(number, working_folder);
    return tester.run();
}

}  // namespace bw::tester
