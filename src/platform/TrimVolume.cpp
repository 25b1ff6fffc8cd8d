#include "platform/TrimVolume.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

namespace bw {

namespace fs = std::filesystem;

AlignedSpan aligned_span(std::uint64_t written, std::uint64_t bytes, std::uint64_t align) {
    const std::uint64_t start = written / align * align;
    const std::uint64_t end = (written + bytes) / align * align;
    return {start, end - start};
}

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The TRIM test's writes are a whole number of 512-byte sectors (32256 bytes) but direct I/O
// wants multiples of the device's block (4096 and up). The file is written as one stream: each
// write sends the whole blocks it completes and keeps the part of a block that is left in front
// of the buffer for the next one; close pads that last part to a block and cuts the file back
// to the bytes written. So the bytes counted and the file's length are exactly writes x size,
// and the device sees every byte once (with 512-byte sectors every eighth write is a block short
// of the others: 8 x 32256 = 63 x 4096).
class LiveTrimVolume : public TrimVolume {
  public:
    LiveTrimVolume(fs::path working_folder, fs::path test_file, std::string mount_point)
        : work_(std::move(working_folder)),
          file_(std::move(test_file)),
          mount_(std::move(mount_point)),
          switch_(Sysroot("/"), live_mount_runner()) {}
    ~LiveTrimVolume() override { close(); }

    std::uint64_t free_bytes() override { return bw::free_bytes(file_.parent_path()); }
    const fs::path& test_file() const override { return file_; }
    const std::string& mount_point() const override { return mount_; }
    bool test_file_exists() const override {
        std::error_code ec;
        return fs::exists(fs::symlink_status(file_, ec));
    }

    bool open(std::string* error) override {
        close();
        target_ = test_file_exists() ? open_direct_file(file_, DirectAccess::ReadWrite, error)
                                     : create_test_file(work_, file_, error);
        written_ = 0;
        return target_.has_value();
    }

    WriteTiming write(char fill, std::size_t bytes) override {
        WriteTiming t;
        if (!target_) {
            t.error = EBADF;
            return t;
        }
        const std::uint64_t align = target_->align;
        const std::size_t tail = written_ % align;
        if (!ensure_buffer(tail + bytes + align, tail)) {
            t.error = ENOMEM;
            return t;
        }
        std::memset(buffer_->data() + tail, fill, bytes);
        const AlignedSpan span = aligned_span(written_, bytes, align);
        if (span.length > 0) {
            const auto t0 = std::chrono::steady_clock::now();
            const ssize_t n = ::pwrite(target_->fd.get(), buffer_->data(), span.length,
                                       static_cast<off_t>(span.offset));
            t.seconds = seconds_since(t0);
            if (n != static_cast<ssize_t>(span.length)) {
                t.error = n < 0 ? errno : ENOSPC;
                return t;
            }
            std::memmove(buffer_->data(), buffer_->data() + span.length,
                         tail + bytes - span.length);
        }
        written_ += bytes;
        t.bytes = bytes;
        return t;
    }

    WriteTiming close() override {
        WriteTiming t;
        if (!target_) return t;
        const std::uint64_t align = target_->align;
        const std::size_t tail = written_ % align;
        if (tail > 0 && buffer_) {
            std::memset(buffer_->data() + tail, buffer_->data()[tail - 1], align - tail);
            const auto t0 = std::chrono::steady_clock::now();
            const ssize_t n = ::pwrite(target_->fd.get(), buffer_->data(), align,
                                       static_cast<off_t>(written_ - tail));
            t.seconds = seconds_since(t0);
            if (n != static_cast<ssize_t>(align)) t.error = n < 0 ? errno : ENOSPC;
        }
        if (::ftruncate(target_->fd.get(), static_cast<off_t>(written_)) != 0 && t.error == 0)
            t.error = errno;
        target_.reset();
        return t;
    }

    void cut_to_one_byte() override {
        close();
        if (!test_file_exists()) {
            std::string ignored;
            if (!create_test_file(work_, file_, &ignored)) return;
        }
        if (!untrusted_file_reason(file_).empty()) return;
        UniqueFd fd(::open(file_.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.ok()) return;
        (void)!::write(fd.get(), "Z", 1);
        // A file system with `discard` passes the freed blocks on when the cut is committed,
        // which may be seconds later: committed now, the drive has them before the next phase
        // writes, as the test means.
        ::fsync(fd.get());
    }

    void remove() override {
        close();
        remove_test_file(work_, file_);
    }

    DiscardState discard_state() override { return switch_.read(mount_); }
    MountResult set_discard(bool on) override { return switch_.set(mount_, on); }

  private:
    // A larger buffer keeps the `keep` bytes waiting in front of the old one.
    bool ensure_buffer(std::size_t bytes, std::size_t keep) {
        if (buffer_ && buffer_->size() >= bytes) return true;
        auto bigger = std::make_unique<IoBuffer>((bytes + 4095) / 4096 * 4096);
        if (!bigger->ok()) return false;
        if (buffer_ && keep > 0) std::memcpy(bigger->data(), buffer_->data(), keep);
        buffer_ = std::move(bigger);
        return true;
    }

    fs::path work_, file_;
    std::string mount_;
    DiscardSwitch switch_;
    std::optional<OpenTarget> target_;
    std::unique_ptr<IoBuffer> buffer_;
    std::uint64_t written_ = 0;
};

}  // namespace

std::unique_ptr<TrimVolume> live_trim_volume(const fs::path& working_folder,
                                             const fs::path& test_file,
                                             const std::string& mount_point) {
    return std::make_unique<LiveTrimVolume>(working_folder, test_file, mount_point);
}

}  // namespace bw
