#include "platform/ThisProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/UniqueFd.h"

namespace bw::this_process {

namespace {

UniqueFd g_instance_lock;
int g_signal_pair[2] = {-1, -1};

void on_stop_signal(int) {
    char c = 1;
    [[maybe_unused]] auto n = ::write(g_signal_pair[1], &c, 1);
}

}  // namespace

std::string host_name() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0 || !buf[0]) return "localhost";
    return buf;
}

int online_processors() {
    long n = ::sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(n) : 1;
}

long process_id() {
    return static_cast<long>(::getpid());
}

bool take_instance_lock(const std::filesystem::path& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.ok()) return true;  // cannot tell; better to run than to refuse
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
    g_instance_lock = std::move(fd);
    return true;
}

void release_instance_lock() {
    g_instance_lock.reset();
}

void raise_priority() {
    ::setpriority(PRIO_PROCESS, 0, -10);
}

int stop_signal_fd() {
    if (g_signal_pair[0] >= 0) return g_signal_pair[0];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signal_pair) != 0) return -1;
    struct sigaction sa {};
    sa.sa_handler = on_stop_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
    return g_signal_pair[0];
}

void take_stop_signal(int fd) {
    char c;
    [[maybe_unused]] auto n = ::read(fd, &c, 1);
}

}  // namespace bw::this_process
