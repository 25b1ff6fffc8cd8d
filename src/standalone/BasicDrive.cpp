#include "standalone/BasicDrive.h"

#include <cstring>
#include <optional>

#include "platform/DirectIo.h"
#include "platform/DirectTransfer.h"

namespace bw::basic {

namespace {

class DirectDrive : public BasicDrive {
  public:
    DirectDrive(std::filesystem::path working, std::filesystem::path folder, std::string device)
        : working_(std::move(working)),
          folder_(folder),
          write_path_(folder / kWriteTestFile),
          read_path_(folder / kReadTestFile),
          device_(std::move(device)),
          file_align_(folder_direct_align(folder)) {}

    ~DirectDrive() override {
        remove_write_file();
        close_read();
    }

    std::uint64_t file_align() const override { return file_align_; }

    std::uint64_t free_bytes() const override { return bw::free_bytes(folder_); }

    bool reserve(std::uint64_t bytes) override {
        if (buffer_ && buffer_->size() >= bytes) return true;
        buffer_.reset();  // the old one goes first: large blocks are large
        buffer_ = std::make_unique<IoBuffer>(bytes);
        if (!buffer_->ok()) buffer_.reset();
        return buffer_ != nullptr;
    }

    bool open_write_file(std::string* error) override {
        remove_write_file();
        writing_ = create_test_file(working_, write_path_, error);
        return writing_.has_value();
    }

    std::uint64_t write(std::uint64_t bytes, std::uint64_t offset) override {
        if (!writing_ || !buffer_ || bytes > buffer_->size()) return 0;
        buffer_->refresh(bytes);
        return direct_write(writing_->fd.get(), buffer_->data(), bytes, offset);
    }

    void remove_write_file() override {
        if (!writing_) return;
        writing_.reset();
        remove_test_file(working_, write_path_);
    }

    bool make_read_file(std::uint64_t bytes, std::uint64_t chunk, const std::atomic<bool>& cancel,
                        std::string* error) override {
        close_read();
        auto file = create_test_file(working_, read_path_, error);
        if (!file) return false;
        read_file_made_ = true;
        if (!reserve(chunk)) {
            *error = "Brantwell could not set aside memory for the read test file.";
            return false;
        }
        for (std::uint64_t offset = 0; offset + chunk <= bytes && !cancel; offset += chunk) {
            buffer_->refresh(chunk);
            int err = 0;
            if (direct_write(file->fd.get(), buffer_->data(), chunk, offset, &err) != chunk) {
                *error = "Brantwell could not write the read test file " + read_path_.string() +
                         (err ? std::string(": ") + std::strerror(err) : std::string(" (full)"));
                return false;
            }
        }
        return true;
    }

    bool open_read(ReadSource source, std::string* error) override {
        if (source == ReadSource::Volume && device_.empty()) {
            *error = "The drive has no block device of its own to read.";
            return false;
        }
        reading_ = source == ReadSource::Volume
                       ? open_device(device_, error)
                       : open_direct_file(read_path_, DirectAccess::Read, error);
        return reading_.has_value();
    }

    std::uint64_t read_align() const override { return reading_ ? reading_->align : 4096; }

    std::uint64_t read(std::uint64_t bytes, std::uint64_t offset) override {
        if (!reading_ || !buffer_ || bytes > buffer_->size()) return 0;
        return direct_read(reading_->fd.get(), buffer_->data(), bytes, offset);
    }

    void close_read() override {
        reading_.reset();
        if (read_file_made_) remove_test_file(working_, read_path_);
        read_file_made_ = false;
    }

  private:
    std::filesystem::path working_, folder_, write_path_, read_path_;
    std::string device_;
    std::uint64_t file_align_;
    std::unique_ptr<IoBuffer> buffer_;
    std::optional<OpenTarget> writing_, reading_;
    bool read_file_made_ = false;
};

}  // namespace

std::unique_ptr<BasicDrive> make_direct_drive(const std::filesystem::path& working_folder,
                                              const std::filesystem::path& test_folder,
                                              const std::string& device) {
    return std::make_unique<DirectDrive>(working_folder, test_folder, device);
}

}  // namespace bw::basic
