// Reliability of the shared working settings file under the load the program and its three
// testers put on it, and much more: four processes each write their own distinct keys into one
// file at the same time (the program's store through WriteINI, three tester-like writers through
// the engine directly) while a fifth reads in a loop. Afterwards every key must read back.
//
// A read is torn when the reader sees a state that no sequence of whole writes can produce:
//   - the sentinel key written before the writers started is missing or changed;
//   - a writer's section holds fewer keys than the reader saw there before (keys are only added);
//   - the file itself (read without a lock, as any other program might) does not end with a
//     line end, or holds a line that is neither a section header nor a key with its expected value.
//
// Usage: settings_reliability_bench [--keys N] [--dir FOLDER] [--layout own|shared]
//   --keys    keys per writer (default 5000)
//   --dir     folder for the settings file (default: a new folder in $TMPDIR or /tmp)
//   --layout  own: each writer has its own section (as the testers do); shared: all four write
//             into one section (the hardest case for the rewrite).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/INIReadWrite.h"
#include "core/private_profile.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWriters = 4;
constexpr const char* kSentinelSection = "Settings";
constexpr const char* kSentinelKey = "Open";
constexpr const char* kSentinelValue = "1";

struct Options {
    int keys = 5000;
    fs::path dir;
    bool shared_section = false;
};

std::string section_of(const Options& o, int writer) {
    if (o.shared_section) return "Shared";
    return writer == 0 ? "Program" : "Hard Drive Test " + std::to_string(writer);
}

std::string key_of(int writer, int n) {
    return "W" + std::to_string(writer) + " Key " + std::to_string(n);
}

// The value a key must hold: derived from its name so the reader can check any line it sees.
std::string value_for_key(std::string_view key) {
    return "v:" + std::string(key) + ":" + std::to_string(key.size() * 7919 % 1000);
}

struct WriterReport {
    int failed = 0;
    double seconds = 0;
    double max_write_ms = 0;
};

struct ReaderReport {
    long reads = 0;
    long torn = 0;
    long raw_reads = 0;
    char first_torn[200] = {};
};

// Writes a struct through a pipe to the parent.
template <typename T>
void send(int fd, const T& value) {
    const char* p = reinterpret_cast<const char*>(&value);
    size_t left = sizeof value;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n <= 0) return;
        p += n;
        left -= static_cast<size_t>(n);
    }
}

template <typename T>
bool receive(int fd, T& value) {
    char* p = reinterpret_cast<char*>(&value);
    size_t left = sizeof value;
    while (left > 0) {
        ssize_t n = ::read(fd, p, left);
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

void wait_for_start(int gate) {
    char c;
    while (::read(gate, &c, 1) < 0 && errno == EINTR) {
    }
}

WriterReport run_writer(const Options& o, const fs::path& file, int writer, int gate) {
    wait_for_start(gate);
    WriterReport r;
    const std::string section = section_of(o, writer);
    const auto start = Clock::now();
    for (int n = 0; n < o.keys; ++n) {
        const std::string key = key_of(writer, n);
        const std::string value = value_for_key(key);
        const auto t0 = Clock::now();
        if (writer == 0) {
            // The program's own path: the shared cINI object behind WriteINI.
            bw::WriteINI(file, section, key, std::string_view(value));
            if (!bw::profile::last_error().empty()) ++r.failed;
        } else if (!bw::profile::write_string(file, section, key, value)) {
            ++r.failed;
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (ms > r.max_write_ms) r.max_write_ms = ms;
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return r;
}

// "" when the whole file is a consistent state, else what is wrong with it.
std::string check_raw(const fs::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "cannot open the file";
    std::string text;
    char buf[1 << 16];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<size_t>(n));
    ::close(fd);
    if (text.empty() || text.back() != '\n') return "file does not end with a line end";
    bool sentinel = false;
    size_t pos = 0;
    std::string_view section;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return "line without '=': " + std::string(line.substr(0, 80));
        std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (section == kSentinelSection && key == kSentinelKey) {
            sentinel = value == kSentinelValue;
            continue;
        }
        if (value != value_for_key(key)) return "wrong value for " + std::string(key);
    }
    return sentinel ? "" : "sentinel missing from the file";
}

ReaderReport run_reader(const Options& o, const fs::path& file, int gate, int stop) {
    wait_for_start(gate);
    ReaderReport r;
    std::vector<std::string> sections;
    for (int w = 0; w < kWriters; ++w) {
        std::string s = section_of(o, w);
        if (sections.empty() || sections.back() != s) sections.push_back(s);
    }
    std::vector<size_t> seen(sections.size(), 0);
    auto torn = [&](const std::string& why) {
        if (r.torn++ == 0) std::snprintf(r.first_torn, sizeof r.first_torn, "%s", why.c_str());
    };
    for (;;) {
        char c;
        if (::read(stop, &c, 1) >= 0 || errno != EAGAIN) break;  // the parent closed the pipe
        ++r.reads;
        if (bw::profile::get_string(file, kSentinelSection, kSentinelKey) != kSentinelValue)
            torn("sentinel did not read back");
        for (size_t i = 0; i < sections.size(); ++i) {
            size_t n = bw::profile::get_keys(file, sections[i]).size();
            if (n < seen[i])
                torn("section " + sections[i] + " shrank from " + std::to_string(seen[i]) + " to " +
                     std::to_string(n) + " keys");
            seen[i] = std::max(seen[i], n);
        }
        ++r.raw_reads;
        if (std::string why = check_raw(file); !why.empty()) torn(why);
    }
    return r;
}

Options parse_options(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--keys") {
            o.keys = std::atoi(next().c_str());
        } else if (a == "--dir") {
            o.dir = next();
        } else if (a == "--layout") {
            std::string l = next();
            if (l != "own" && l != "shared") {
                std::fprintf(stderr, "--layout is own or shared\n");
                std::exit(2);
            }
            o.shared_section = l == "shared";
        } else {
            std::fprintf(stderr,
                         "usage: settings_reliability_bench [--keys N] [--dir FOLDER] "
                         "[--layout own|shared]\n");
            std::exit(2);
        }
    }
    if (o.keys <= 0) o.keys = 1;
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    Options o = parse_options(argc, argv);
    bool own_dir = false;
    if (o.dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/bw-settings-bench.XXXXXX";
        if (!::mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        o.dir = tmpl;
        own_dir = true;
    }
    const fs::path file = o.dir / "DariDozodaz.dat";
    std::error_code ec;
    fs::remove(file, ec);
    if (!bw::profile::write_string(file, kSentinelSection, kSentinelKey, kSentinelValue)) {
        std::fprintf(stderr, "cannot write %s: %s\n", file.c_str(),
                     bw::profile::last_error().c_str());
        return 1;
    }

    int gate[2], stop[2], results[2];
    if (::pipe(gate) != 0 || ::pipe2(stop, O_NONBLOCK) != 0 || ::pipe(results) != 0) {
        std::perror("pipe");
        return 1;
    }
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(gate[1]);
            ::close(stop[1]);
            WriterReport r = run_writer(o, file, w, gate[0]);
            send(results[1], w);
            send(results[1], r);
            ::_exit(0);
        }
        writers.push_back(pid);
    }
    pid_t reader = ::fork();
    if (reader == 0) {
        ::close(gate[1]);
        ::close(stop[1]);
        ReaderReport r = run_reader(o, file, gate[0], stop[0]);
        int tag = -1;
        send(results[1], tag);
        send(results[1], r);
        ::_exit(0);
    }
    ::close(results[1]);
    ::close(gate[0]);
    ::close(stop[0]);

    const auto start = Clock::now();
    ::close(gate[1]);  // all five start now
    for (pid_t pid : writers) ::waitpid(pid, nullptr, 0);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    // Processor time of the four writers: unlike the wall time, it hardly depends on what else
    // the machine is doing.
    struct rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    const double writer_user = seconds(usage.ru_utime), writer_sys = seconds(usage.ru_stime);
    ::close(stop[1]);  // the reader ends after its current round
    ::waitpid(reader, nullptr, 0);

    WriterReport wr[kWriters];
    ReaderReport rr;
    for (int i = 0; i < kWriters + 1; ++i) {
        int tag;
        if (!receive(results[0], tag)) break;
        if (tag < 0)
            receive(results[0], rr);
        else if (tag < kWriters)
            receive(results[0], wr[tag]);
    }

    // Every key must read back with its value.
    long lost = 0, failed = 0;
    for (int w = 0; w < kWriters; ++w) {
        failed += wr[w].failed;
        for (int n = 0; n < o.keys; ++n) {
            const std::string key = key_of(w, n);
            if (bw::profile::get_string(file, section_of(o, w), key) != value_for_key(key)) ++lost;
        }
    }
    const bool sentinel_ok =
        bw::profile::get_string(file, kSentinelSection, kSentinelKey) == kSentinelValue;
    const std::string raw_state = check_raw(file);

    const long written = static_cast<long>(kWriters) * o.keys;
    std::printf("settings file       %s (%s)\n", file.c_str(),
                o.shared_section ? "all writers in one section" : "one section per writer");
    std::printf("keys written        %ld (%d writers x %d)\n", written, kWriters, o.keys);
    std::printf("write failures      %ld\n", failed);
    std::printf("keys lost           %ld\n", lost);
    std::printf("sentinel at end     %s\n", sentinel_ok ? "ok" : "MISSING");
    std::printf("final file          %s, %ld bytes\n",
                raw_state.empty() ? "consistent" : raw_state.c_str(),
                static_cast<long>(fs::file_size(file, ec)));
    std::printf(
        "reads done          %ld rounds (each: sentinel read, %s key list, raw file check)\n",
        rr.reads, o.shared_section ? "1" : "4");
    std::printf("torn reads          %ld%s%s\n", rr.torn, rr.torn ? ", first: " : "",
                rr.first_torn);
    std::printf("wall time           %.2f s\n", wall);
    std::printf("writes/s            %.0f (all writers together)\n", written / wall);
    std::printf("writer CPU time     %.2f s user + %.2f s system = %.2f ms per write\n",
                writer_user, writer_sys, (writer_user + writer_sys) * 1000 / written);
    for (int w = 0; w < kWriters; ++w)
        std::printf("  writer %d (%s)  %.2f s, slowest write %.1f ms\n", w,
                    w == 0 ? "program" : "tester ", wr[w].seconds, wr[w].max_write_ms);

    if (own_dir) fs::remove_all(o.dir, ec);
    return lost == 0 && rr.torn == 0 && failed == 0 && sentinel_ok && raw_state.empty() ? 0 : 1;
}
