// Speed of the tester processes side by side with fio 3.33 doing the same pattern: sequential,
// O_DIRECT, psync (one I/O at a time per process), 1, 2 and 3 processes on distinct regions,
// random data, every block size. Targets: a zram RAM disk this program adds (hot_add) and fills
// with random data (reads go to the raw device, writes to a file on ext4 on it), and files on
// the system disk.
//
// Both tools are measured the same way from outside: the bytes their processes moved
// (/proc/PID/io rchar or wchar) and the CPU time they used (/proc/PID/task/*/schedstat) over the
// same window inside each run. Tester and fio runs alternate (ABBA) per block size; the ratio
// reported is the median of the per-pair ratios.
//
//   tester_bench [--target zram|disk|both] [--side read|write|both] [--pairs 3] [--seconds 2]
//                [--blocks 123456789AB] [--disk-dir /var/tmp] [--zram-mib 1024] [--fio-scramble 0|1]
// Needs root (zram) and fio; run after building LOADWorker.

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/INIReadWrite.h"
#include "core/private_profile.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint64_t kMiB = 1 << 20;
const char* const kCodes = "123456789AB";
const std::uint64_t kPages[] = {1, 2, 4, 8, 16, 24, 32, 64, 128, 256, 1024};

struct Options {
    std::string target = "both";
    std::string side = "both";
    int pairs = 3;
    int seconds = 2;
    std::string blocks = kCodes;
    fs::path disk_dir = "/var/tmp";
    long zram_mib = 1024;
};

int sh(const std::string& cmd, std::string* out = nullptr) {
    FILE* p = ::popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buf[4096];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) text.append(buf, n);
    int rc = ::pclose(p);
    if (out) *out = text;
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string trimmed(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    return s;
}

// A zram disk of our own, full of random data, with ext4 on it (mkfs without discard, so the
// random data stays where the filesystem does not write).
struct Zram {
    int index = -1;
    std::string device;
    fs::path mount;
    std::string error;

    explicit Zram(long mib) {
        std::string out;
        if (sh("cat /sys/class/zram-control/hot_add", &out) != 0) {
            error = "hot_add failed: " + out;
            return;
        }
        index = std::atoi(out.c_str());
        device = "/dev/zram" + std::to_string(index);
        std::string sys = "/sys/block/zram" + std::to_string(index);
        mount = "/tmp/bw-tester-bench-zram" + std::to_string(index);
        if (sh("echo " + std::to_string(mib) + "M > " + sys + "/disksize", &out) != 0 ||
            sh("dd if=/dev/urandom of=" + device + " bs=1M count=" + std::to_string(mib) +
                   " oflag=direct status=none",
               &out) != 0 ||
            sh("mkfs.ext4 -q -F -E nodiscard,lazy_itable_init=0,lazy_journal_init=0 " + device,
               &out) != 0 ||
            sh("mkdir -p " + mount.string() + " && mount " + device + " " + mount.string(), &out) !=
                0)
            error = out;
    }
    ~Zram() {
        if (index < 0) return;
        sh("umount " + mount.string());
        sh("rmdir " + mount.string());
        sh("echo 1 > /sys/block/zram" + std::to_string(index) + "/reset");
        sh("echo " + std::to_string(index) + " > /sys/class/zram-control/hot_remove");
    }
};

// Every measured process, tester or fio job, runs in a scheduling autogroup of its own with the
// same high weight: fio's job processes start sessions of their own (so autogroups of their own),
// and on a shared machine the other users' groups must not decide the figures.
void boost(pid_t pid) {
    std::ofstream out("/proc/" + std::to_string(pid) + "/autogroup");
    out << "-20";
}

pid_t spawn_own_session(const fs::path& exe, const std::vector<std::string>& args,
                        const fs::path& cwd) {
    std::vector<std::string> text{exe.string()};
    text.insert(text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : text) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    if (::posix_spawn(&pid, exe.c_str(), &actions, &attr, argv.data(), environ) != 0) pid = -1;
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (pid > 0) boost(pid);
    return pid;
}

struct Sample {
    double bytes = 0, cpu_ns = 0, seconds = 0;
};

std::vector<pid_t> children_of(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    std::vector<pid_t> kids;
    pid_t k;
    while (in >> k) kids.push_back(k);
    return kids;
}

double io_bytes(pid_t pid, bool write) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    double value;
    while (in >> key >> value)
        if (key == (write ? "wchar:" : "rchar:")) return value;
    return 0;
}

double cpu_ns(pid_t pid) {
    double total = 0;
    std::error_code ec;
    for (auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "schedstat");
        double ns = 0;
        in >> ns;
        total += ns;
    }
    return total;
}

// Bytes and CPU of a set of processes over `window`.
Sample measure(const std::vector<pid_t>& pids, bool write, Clock::duration window) {
    auto snap = [&](double& bytes, double& cpu) {
        bytes = cpu = 0;
        for (pid_t p : pids) {
            bytes += io_bytes(p, write);
            cpu += cpu_ns(p);
        }
    };
    double b0, c0, b1, c1;
    auto t0 = Clock::now();
    snap(b0, c0);
    std::this_thread::sleep_for(window);
    snap(b1, c1);
    auto t1 = Clock::now();
    return {b1 - b0, c1 - c0, std::chrono::duration<double>(t1 - t0).count()};
}

struct Target {
    std::string name;
    fs::path folder;     // test files of both tools
    std::string device;  // raw reads (empty: reads use files)
    std::uint64_t device_bytes = 0;
    long file_mb = 0;
};

std::uint64_t file_bytes(long mb) {
    return mb * 1000000ull / (4 * kMiB) * (4 * kMiB);
}
std::uint64_t region(std::uint64_t total, int n) {
    return total / n / kMiB * kMiB;
}

class Testers {
  public:
    explicit Testers(const fs::path& binary) {
        char tmpl[] = "/tmp/bw-tester-bench-XXXXXX";
        work_ = ::mkdtemp(tmpl);
        for (const char* name : {"LOADWorker.exe", "LOADWorker2.exe", "LOADWorker3.exe"})
            fs::copy_file(binary, work_ / name);
        set("Settings", "Run Status", "0");
        set("Settings", "Program PID", std::to_string(::getpid()));
        ensure_running();
    }
    ~Testers() {
        set("Settings", "Run Status", "2");
        for (pid_t p : pids_) {
            for (int i = 0; i < 200 && ::waitpid(p, nullptr, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(10ms);
            ::kill(p, SIGKILL);
            ::waitpid(p, nullptr, WNOHANG);
        }
        fs::remove_all(work_);
    }
    void set(const std::string& s, const std::string& k, const std::string& v) {
        bw::WriteINI(work_ / "DariDozodaz.dat", s, k, v);
    }
    std::string get(const std::string& s, const std::string& k) {
        return bw::ReadINI(work_ / "DariDozodaz.dat", s, k);
    }
    std::vector<pid_t> pids() const { return {pids_.begin(), pids_.end()}; }

    // Starts any tester that is not running. On a shared machine another program's clean-up can
    // stop every process of these names; the benchmark then starts them again and repeats the job.
    void ensure_running() {
        static const char* kNames[] = {"LOADWorker.exe", "LOADWorker2.exe", "LOADWorker3.exe"};
        bool started = false;
        for (int n = 0; n < 3; ++n) {
            pid_t& p = pids_[static_cast<size_t>(n)];
            if (p > 0 && ::waitpid(p, nullptr, WNOHANG) == 0) continue;
            p = spawn_own_session(work_ / kNames[n], {"-R"}, work_);
            started = true;
        }
        if (started) std::this_thread::sleep_for(500ms);
    }

    std::array<Sample, 3> run(const Target& t, bool write, int block, int seconds) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            ensure_running();
            bool complete = false;
            auto out = run_once(t, write, block, seconds, complete);
            if (complete) return out;
            std::fprintf(stderr, "testers were stopped from outside; starting them again\n");
            set("Settings", "Run Status", "1");
            std::this_thread::sleep_for(300ms);
        }
        return {};
    }

    // One job of one block, multi-task level 2: the single, lite and heavy steps, measured each.
    std::array<Sample, 3> run_once(const Target& t, bool write, int block, int seconds,
                                   bool& complete) {
        set("Settings", "Open Test", "1");
        for (int n = 1; n <= 3; ++n) set("Hard Drive Test " + std::to_string(n), "Finished", "0");
        set("Settings", "Run Status", "0");
        const std::string section = "Hard Drive Test 1";
        bool raw = !write && !t.device.empty();
        set(section, "Drive", "D");
        set(section, "Blocks", std::string(1, kCodes[block - 1]));
        set(section, "Type", raw ? "2" : "1");
        set(section, "File Size", std::to_string(t.file_mb));
        set(section, "Multi", "2");
        set(section, "Read", write ? "0" : "1");
        set(section, "Write", write ? "1" : "0");
        set(section, "Time", std::to_string(seconds));
        set(section, "Test Folder", t.folder.string());
        set(section, "Device", t.device);
        set(section, "Run", "1");
        std::array<Sample, 3> out{};
        for (int level = 0; level < 3; ++level) {
            std::string want = std::to_string(block) + "";
            const char* bkey = write ? "Writing Block" : "Reading Block";
            const char* lkey = write ? "Multi-Task Writing" : "Multi-Task Reading";
            auto give_up = Clock::now() + 20s;
            while (!(get("Tester Function", bkey) == std::to_string(block) &&
                     get("Tester Function", lkey) == std::to_string(level))) {
                if (Clock::now() > give_up) {
                    std::fprintf(stderr, "tester step did not come: %s\n",
                                 get(section, "Error").c_str());
                    return out;
                }
                std::this_thread::sleep_for(5ms);
            }
            std::this_thread::sleep_for(400ms);
            out[level] = measure(pids(), write, std::chrono::milliseconds(seconds * 1000 - 800));
        }
        auto give_up = Clock::now() + 20s;
        while (get(section, "Finished") != "1") {
            if (Clock::now() > give_up) return out;
            std::this_thread::sleep_for(20ms);
        }
        complete = true;
        return out;
    }

  private:
    fs::path work_;
    std::array<pid_t, 3> pids_{};
};

bool scramble_fio = false;

// Set by SIGINT, SIGTERM or SIGHUP: the benchmark finishes the run in hand and returns through
// the destructors, which stop the testers, unmount and remove the zram disk and delete the files.
volatile sig_atomic_t interrupted = 0;

Sample run_fio(const Target& t, bool write, int block, int procs, int seconds) {
    const std::uint64_t bs = kPages[block - 1] * 4096;
    bool raw = !write && !t.device.empty();
    std::string file = raw ? t.device : (t.folder / "fio.dat").string();
    std::uint64_t total = raw ? t.device_bytes : file_bytes(t.file_mb);
    std::uint64_t r = region(total, procs);
    std::vector<std::string> args = {"--name=bw",
                                     "--filename=" + file,
                                     std::string("--rw=") + (write ? "write" : "read"),
                                     "--bs=" + std::to_string(bs),
                                     "--direct=1",
                                     "--ioengine=psync",
                                     "--iodepth=1",
                                     "--numjobs=" + std::to_string(procs),
                                     "--size=" + std::to_string(r),
                                     "--offset_increment=" + std::to_string(r),
                                     "--time_based",
                                     "--runtime=" + std::to_string(seconds),
                                     "--output=/dev/null"};
    if (raw) args.push_back("--readonly");
    // The same data as the tester's: one buffer of random bytes. fio's default light scramble of
    // each buffer makes zram's compressor work harder on every page (see bench/README.md).
    if (write && !scramble_fio) args.push_back("--scramble_buffers=0");
    std::string err;
    pid_t fio = spawn_own_session("/usr/bin/fio", args, "/");
    Sample s;
    std::vector<pid_t> kids;
    auto give_up = Clock::now() + 10s;
    while ((kids = children_of(fio)).size() < static_cast<size_t>(procs) && Clock::now() < give_up)
        std::this_thread::sleep_for(2ms);
    if (kids.size() >= static_cast<size_t>(procs)) {
        // A job process makes its own session early in its start: weigh it again once it has.
        for (pid_t k : kids) boost(k);
        std::this_thread::sleep_for(200ms);
        for (pid_t k : kids) boost(k);
        std::this_thread::sleep_for(200ms);
        s = measure(kids, write, std::chrono::milliseconds(seconds * 1000 - 800));
    } else {
        std::fprintf(stderr, "fio did not start its jobs: %s\n", err.c_str());
    }
    ::waitpid(fio, nullptr, 0);
    return s;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Cell {
    std::vector<Sample> tester, fio;
};

// Writes fio's file in full, as every tester job writes its own test file before it starts: on a
// virtual disk a file written moments ago can still be in the host's cache while one written
// minutes ago is not, so both tools read (and overwrite) a file just laid out.
void lay_out_fio_file(const Target& t) {
    sh("fio --name=layout --filename=" + (t.folder / "fio.dat").string() +
       " --rw=write --bs=1M --direct=1 --ioengine=psync --end_fsync=1 --size=" +
       std::to_string(file_bytes(t.file_mb)) + " --output=/dev/null");
}

void bench_target(const Target& t, const Options& o, Testers& testers) {
    std::map<std::pair<int, int>, Cell> cells[2];  // [write][(block, procs)]
    for (int write = 0; write < 2; ++write) {
        if (o.side == (write ? "read" : "write")) continue;
        for (char code : o.blocks) {
            if (interrupted) break;
            int block = static_cast<int>(std::string(kCodes).find(code)) + 1;
            if (block < 1) continue;
            for (int pair = 0; pair < o.pairs && !interrupted; ++pair) {
                auto tester_turn = [&] {
                    auto s = testers.run(t, write, block, o.seconds);
                    for (int p = 0; p < 3; ++p) cells[write][{block, p + 1}].tester.push_back(s[p]);
                };
                auto fio_turn = [&] {
                    if (write || t.device.empty()) lay_out_fio_file(t);
                    for (int p = 1; p <= 3; ++p)
                        cells[write][{block, p}].fio.push_back(
                            run_fio(t, write, block, p, o.seconds));
                };
                if (pair % 2 == 0) {
                    tester_turn();
                    fio_turn();
                } else {
                    fio_turn();
                    tester_turn();
                }
            }
            std::fprintf(stderr, "%s %s block %c done\n", t.name.c_str(), write ? "write" : "read",
                         code);
        }
        std::printf(
            "\n%s, %s (MB/s = 10^6 B/s; ratio = median of %d tester/fio pairs)\n\n", t.name.c_str(),
            write ? "write" : (t.device.empty() ? "read (file)" : "read (raw device)"), o.pairs);
        std::printf(
            "| block | 1 proc tester | fio | ratio | 2 procs tester | fio | ratio | 3 procs tester "
            "| fio | ratio |\n");
        std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
        for (char code : o.blocks) {
            int block = static_cast<int>(std::string(kCodes).find(code)) + 1;
            std::printf("| %llu KiB |", static_cast<unsigned long long>(kPages[block - 1] * 4));
            for (int p = 1; p <= 3; ++p) {
                const Cell& c = cells[write][{block, p}];
                std::vector<double> tmb, fmb, ratio;
                for (size_t i = 0; i < c.tester.size() && i < c.fio.size(); ++i) {
                    double a = c.tester[i].bytes / c.tester[i].seconds / 1e6;
                    double b = c.fio[i].bytes / c.fio[i].seconds / 1e6;
                    tmb.push_back(a);
                    fmb.push_back(b);
                    ratio.push_back(b > 0 ? a / b : 0);
                }
                std::printf(" %.0f | %.0f | %.2f |", median(tmb), median(fmb), median(ratio));
            }
            std::printf("\n");
        }
        // CPU seconds per GB moved at 4 KiB, where per-operation cost shows most.
        if (o.blocks.find('1') != std::string::npos) {
            std::printf("\nCPU seconds per GB at 4 KiB (%s %s):", t.name.c_str(),
                        write ? "write" : "read");
            for (int p = 1; p <= 3; ++p) {
                const Cell& c = cells[write][{1, p}];
                std::vector<double> tc, fc;
                for (const auto& s : c.tester)
                    if (s.bytes > 0) tc.push_back(s.cpu_ns / 1e9 / (s.bytes / 1e9));
                for (const auto& s : c.fio)
                    if (s.bytes > 0) fc.push_back(s.cpu_ns / 1e9 / (s.bytes / 1e9));
                std::printf(" %d proc: tester %.3f, fio %.3f;", p, median(tc), median(fc));
            }
            std::printf("\n");
        }
        std::fflush(stdout);
    }
    fs::remove(t.folder / "fio.dat");
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    const char* usage =
        "usage: tester_bench [--target zram|disk|both] [--side read|write|both] [--pairs 3]\n"
        "                    [--seconds 2] [--blocks 123456789AB] [--disk-dir /var/tmp]\n"
        "                    [--zram-mib 1024] [--fio-scramble 0|1]\n";
    if (argc % 2 == 0) {
        std::fputs(usage, stderr);
        return 2;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string k = argv[i], v = argv[i + 1];
        if (k == "--target")
            o.target = v;
        else if (k == "--side")
            o.side = v;
        else if (k == "--fio-scramble")
            scramble_fio = v == "1";
        else if (k == "--pairs")
            o.pairs = std::max(1, std::atoi(v.c_str()));
        else if (k == "--seconds")
            o.seconds = std::max(2, std::atoi(v.c_str()));
        else if (k == "--blocks")
            o.blocks = v;
        else if (k == "--disk-dir")
            o.disk_dir = v;
        else if (k == "--zram-mib")
            o.zram_mib = std::atol(v.c_str());
        else {
            std::fputs(usage, stderr);
            return 2;
        }
    }
    struct sigaction on_stop {};
    on_stop.sa_handler = [](int) { interrupted = 1; };
    on_stop.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &on_stop, nullptr);
    if (::geteuid() != 0) {
        std::fprintf(stderr, "tester_bench needs root (it adds a zram disk)\n");
        return 1;
    }
    fs::path binary = fs::path(BW_BINARY_DIR) / "src/tester/toolfiles/LOADWorker.packed.exe";
    if (!fs::exists(binary)) {
        std::fprintf(stderr, "build LOADWorker first (%s)\n", binary.c_str());
        return 1;
    }
    std::string version;
    sh("fio --version", &version);
    std::printf("tester_bench: fio %s, %d s per run, %d pairs, kernel ", trimmed(version).c_str(),
                o.seconds, o.pairs);
    std::string kernel;
    sh("uname -r", &kernel);
    std::printf("%s\n", trimmed(kernel).c_str());

    Testers testers(binary);
    if (o.target == "zram" || o.target == "both") {
        Zram z(o.zram_mib);
        if (!z.error.empty()) {
            std::fprintf(stderr, "zram: %s\n", z.error.c_str());
            return 1;
        }
        Target t{"zram", z.mount, z.device, static_cast<std::uint64_t>(o.zram_mib) * kMiB,
                 o.zram_mib * 3 / 8};
        bench_target(t, o, testers);
    }
    if (!interrupted && (o.target == "disk" || o.target == "both")) {
        fs::path dir = o.disk_dir / ("bw-tester-bench-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        Target t{"system disk", dir, "", 0, 512};
        bench_target(t, o, testers);
        fs::remove_all(dir);
    }
    return 0;
}
